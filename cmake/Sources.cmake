# Sources are picked up by folder so that adding a file needs no list edit.
# core: standard library only.
file(GLOB QV_CORE_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/support/*.cpp
  ${PROJECT_SOURCE_DIR}/src/persistence/*.cpp
  ${PROJECT_SOURCE_DIR}/src/equations/*.cpp
  ${PROJECT_SOURCE_DIR}/src/model/*.cpp)
# The document (Qt Gui) and dialogs (Qt Widgets) that live beside core code.
list(FILTER QV_CORE_SOURCES EXCLUDE REGEX "/(DataFile[^/]*|XYGraphSetting[^/]*)\\.cpp$")

add_library(core STATIC ${QV_CORE_SOURCES})
target_include_directories(core PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(core PRIVATE ${QV_WARNINGS})
target_compile_definitions(core PUBLIC QV_VERSION="${PROJECT_VERSION}")

find_package(Qt6 REQUIRED COMPONENTS Core Gui)
file(GLOB QV_DOCUMENT_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/model/DataFile*.cpp
  ${PROJECT_SOURCE_DIR}/src/diagram/*.cpp
  ${PROJECT_SOURCE_DIR}/src/output/*.cpp)
list(FILTER QV_DOCUMENT_SOURCES EXCLUDE REGEX "/(BaseChildWindow|MainView|TableView|[A-Za-z]*Dialog)[^/]*\\.cpp$")
add_library(document STATIC ${QV_DOCUMENT_SOURCES})
target_include_directories(document PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(document PRIVATE ${QV_WARNINGS})
target_link_libraries(document PUBLIC core Qt6::Gui)

find_package(GTest REQUIRED)
include(GoogleTest)

function(qv_test name)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${name}/*.cpp)
  add_executable(${name}_tests ${srcs})
  target_compile_options(${name}_tests PRIVATE ${QV_WARNINGS})
  target_include_directories(${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name}_tests PRIVATE ${ARGN} GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}_tests
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()

if(NOT QV_FUZZ)
  qv_test(core core GTest::gtest_main)
  qv_test(document document Qt6::Core)
endif()

# Every fuzz target is also linked to a small replay main so that ctest replays
# its seed corpus on each run.
file(GLOB QV_FUZZ_TARGETS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fuzz/*.cpp)
list(FILTER QV_FUZZ_TARGETS EXCLUDE REGEX "/replay_main\\.cpp$")
foreach(src ${QV_FUZZ_TARGETS})
  get_filename_component(fname ${src} NAME_WE)
  if(QV_FUZZ)
    add_executable(fuzz_${fname} ${src})
    target_link_options(fuzz_${fname} PRIVATE -fsanitize=fuzzer)
  else()
    add_executable(fuzz_${fname} ${src} ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
    add_test(NAME fuzz_replay_${fname}
      COMMAND fuzz_${fname} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${fname})
  endif()
  target_compile_options(fuzz_${fname} PRIVATE ${QV_WARNINGS})
  target_link_libraries(fuzz_${fname} PRIVATE document)
endforeach()

if(QV_BENCH)
  find_package(benchmark REQUIRED)
  file(GLOB QV_BENCHES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
  foreach(src ${QV_BENCHES})
    get_filename_component(bname ${src} NAME_WE)
    add_executable(bench_${bname} ${src})
    target_compile_options(bench_${bname} PRIVATE ${QV_WARNINGS})
    target_link_libraries(bench_${bname} PRIVATE document benchmark::benchmark benchmark::benchmark_main)
  endforeach()
endif()

# The command-line tool's commands. Rendering writes SVG, so this adds Qt Svg (a Gui-level
# module) without bringing widgets near the document.
if(NOT QV_FUZZ)
  find_package(Qt6 REQUIRED COMPONENTS Svg)
  file(GLOB QV_CLI_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/cli/*.cpp)
  list(FILTER QV_CLI_SOURCES EXCLUDE REGEX "/main\\.cpp$")
  add_library(cli STATIC ${QV_CLI_SOURCES})
  target_include_directories(cli PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(cli PRIVATE ${QV_WARNINGS})
  target_link_libraries(cli PUBLIC document Qt6::Svg)
  qv_test(cli cli Qt6::Core)
endif()

if(NOT QV_CORE_ONLY AND NOT QV_FUZZ)
  find_package(Qt6 REQUIRED COMPONENTS Widgets PrintSupport Svg)
  set(CMAKE_AUTOMOC ON)
  file(GLOB QV_APP_SOURCES CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/src/app/*.cpp
    ${PROJECT_SOURCE_DIR}/src/widgets/*.cpp
    ${PROJECT_SOURCE_DIR}/src/diagram/BaseChildWindow*.cpp
    ${PROJECT_SOURCE_DIR}/src/diagram/MainView*.cpp
    ${PROJECT_SOURCE_DIR}/src/output/TableView*.cpp
    ${PROJECT_SOURCE_DIR}/src/output/*Dialog*.cpp
    ${PROJECT_SOURCE_DIR}/src/equations/XYGraphSetting*.cpp)
  list(FILTER QV_APP_SOURCES EXCLUDE REGEX "/main\\.cpp$")
  file(GLOB QV_APP_HEADERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/app/*.h ${PROJECT_SOURCE_DIR}/src/widgets/*.h)
  add_library(app STATIC ${QV_APP_SOURCES} ${QV_APP_HEADERS})
  target_include_directories(app PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(app PRIVATE ${QV_WARNINGS})
  target_link_libraries(app PUBLIC document Qt6::Widgets Qt6::PrintSupport Qt6::Svg)

  add_executable(quorvane ${PROJECT_SOURCE_DIR}/src/app/main.cpp)
  target_compile_options(quorvane PRIVATE ${QV_WARNINGS})
  target_link_libraries(quorvane PRIVATE app)

  add_executable(quorvane-cli ${PROJECT_SOURCE_DIR}/src/cli/main.cpp)
  target_compile_options(quorvane-cli PRIVATE ${QV_WARNINGS})
  target_link_libraries(quorvane-cli PRIVATE cli)

  qv_test(app app Qt6::Widgets)
endif()
