# A layer is a folder: every source under src/<layer>/ compiles into the library of that name,
# whatever the file is called, so adding a file needs no list edit.
function(qv_layer_sources out layer)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${layer}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "^${PROJECT_SOURCE_DIR}/src/${layer}/main\\.cpp$")
  set(${out} ${srcs} PARENT_SCOPE)
endfunction()

function(qv_library name)
  qv_layer_sources(srcs ${name})
  file(GLOB_RECURSE hdrs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${name}/*.h)
  add_library(${name} STATIC ${srcs} ${hdrs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${QV_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# core: the C++ standard library (analyses run on its threads) and NLopt (calibration).
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(NLOPT REQUIRED IMPORTED_TARGET nlopt_cxx)
qv_library(core Threads::Threads PkgConfig::NLOPT)
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/core/support/Version.cpp
  PROPERTIES COMPILE_DEFINITIONS QV_VERSION="${PROJECT_VERSION}")

# document: core + Qt Gui and Svg (painting, images, PDF, SVG pictures).
find_package(Qt6 REQUIRED COMPONENTS Core Gui Svg)
qv_library(document core Qt6::Gui Qt6::Svg)

find_package(GTest REQUIRED)
include(GoogleTest)

function(qv_test name)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${name}/*.cpp)
  add_executable(${name}_tests ${srcs})
  target_compile_options(${name}_tests PRIVATE ${QV_WARNINGS} ${QV_TEST_WARNINGS})
  target_include_directories(${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name}_tests PRIVATE ${ARGN} GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}_tests
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()

if(NOT QV_FUZZ)
  qv_test(core core GTest::gtest_main)
  qv_test(document document Qt6::Core)
  # Each layer includes only from the layers below it.
  add_test(NAME LayerIncludes
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR}/src -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake)
  # Analysis workers run at the same time: nothing writable in core is shared between threads
  # beyond a short list with reasons.
  add_test(NAME CoreSharedState
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DLIBRARY=$<TARGET_FILE:core>
      -P ${PROJECT_SOURCE_DIR}/cmake/CheckSharedState.cmake)
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

# cli: quorvane-cli. Rendering writes SVG, so this adds Qt Svg (a Gui-level module) and no widgets.
if(NOT QV_FUZZ)
  find_package(Qt6 REQUIRED COMPONENTS Svg)
  qv_library(cli document Qt6::Svg)
  add_executable(quorvane-cli ${PROJECT_SOURCE_DIR}/src/cli/main.cpp)
  target_compile_options(quorvane-cli PRIVATE ${QV_WARNINGS})
  target_link_libraries(quorvane-cli PRIVATE cli)
  qv_test(cli cli Qt6::Core)
  # A golden case is a folder, not code: a new or changed folder rebuilds the runner so that
  # ctest lists the case.
  file(GLOB QV_GOLDEN_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/golden/*/*)
  set_source_files_properties(${PROJECT_SOURCE_DIR}/tests/cli/GoldenTest.cpp
    PROPERTIES OBJECT_DEPENDS "${QV_GOLDEN_FILES}")
endif()

# mpi: quorvane-mpi, the analysis commands spread over the processes of an MPI job. Only this
# layer links MPI, so that quorvane-cli and the desktop program never depend on it. Built when
# MPI is found unless -DQV_MPI=OFF; -DQV_MPI=ON insists on it. Not asked for, it is looked for
# at every configure, so that installing Open MPI later (scripts/bootstrap.sh) switches it on.
set(QV_BUILD_MPI OFF)
# The C interface from C++: the deprecated C++ bindings are not wanted.
set(MPI_CXX_SKIP_MPICXX ON)
if(NOT QV_FUZZ AND NOT (DEFINED QV_MPI AND NOT QV_MPI))
  if(QV_MPI)
    find_package(MPI REQUIRED COMPONENTS CXX)
  else()
    find_package(MPI QUIET COMPONENTS CXX)
  endif()
  set(QV_BUILD_MPI ${MPI_CXX_FOUND})
endif()
if(QV_BUILD_MPI)
  qv_library(mpi cli MPI::MPI_CXX)
  # Not libmpi.a beside the real libmpi.
  set_target_properties(mpi PROPERTIES OUTPUT_NAME quorvane_mpi)
  add_executable(quorvane-mpi ${PROJECT_SOURCE_DIR}/src/mpi/main.cpp)
  target_compile_options(quorvane-mpi PRIVATE ${QV_WARNINGS})
  target_link_libraries(quorvane-mpi PRIVATE mpi)
  qv_test(mpi mpi GTest::gtest_main)
  # The same bytes as quorvane-cli over 2 processes, and faults ending every process.
  add_test(NAME MpiSensitivity
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/mpi/mpi-sensitivity.sh $<TARGET_FILE:quorvane-cli>
      $<TARGET_FILE:quorvane-mpi> ${MPIEXEC_EXECUTABLE} ${PROJECT_SOURCE_DIR})
  set_tests_properties(MpiSensitivity PROPERTIES TIMEOUT 300 PROCESSORS 2)
  if(QV_SANITIZE)
    # Open MPI's plug-ins keep what they allocate until they are unloaded, where the leak
    # checker can no longer tell whose it was; the shared commands are leak-checked by the cli
    # tests, and addresses and undefined behaviour are still checked here.
    set_tests_properties(MpiSensitivity PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
  endif()
endif()

# app: the desktop program, the only layer with Qt Widgets and printing.
if(NOT QV_HEADLESS AND NOT QV_FUZZ)
  find_package(Qt6 REQUIRED COMPONENTS Widgets PrintSupport Svg Test)
  set(CMAKE_AUTOMOC ON)
  qv_library(app document Qt6::Widgets Qt6::PrintSupport Qt6::Svg)
  # The user guide and its pictures are built into the program for its help window.
  file(GLOB QV_GUIDE_IMAGES CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/docs/images/*.png)
  qt_add_resources(app "user_guide" PREFIX "/" BASE ${PROJECT_SOURCE_DIR}
    FILES docs/user-guide.md ${QV_GUIDE_IMAGES})
  add_executable(quorvane ${PROJECT_SOURCE_DIR}/src/app/main.cpp)
  target_compile_options(quorvane PRIVATE ${QV_WARNINGS})
  target_link_libraries(quorvane PRIVATE app)
  # The app's tests also run quorvane-cli in-process on what the program saved.
  qv_test(app app cli Qt6::Widgets Qt6::Test)
  # Pictures of the real main window for the user guide: `make screenshots`.
  add_executable(quorvane-screenshots ${PROJECT_SOURCE_DIR}/tests/screenshots/Screenshots.cpp)
  target_compile_options(quorvane-screenshots PRIVATE ${QV_WARNINGS})
  target_link_libraries(quorvane-screenshots PRIVATE app)
  include(${PROJECT_SOURCE_DIR}/cmake/Install.cmake)
endif()

# Benchmarks reach every headless layer, the command-line commands included; those named
# app_* drive the desktop program's windows offscreen and exist only where it is built; those
# named mpi_* are MPI programs, built with quorvane-mpi.
if(QV_BENCH AND NOT QV_FUZZ)
  find_package(benchmark REQUIRED)
  file(GLOB QV_BENCHES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
  foreach(src ${QV_BENCHES})
    get_filename_component(bname ${src} NAME_WE)
    # bench/mpi_*.cpp: MPI programs of their own, built with quorvane-mpi.
    if(bname MATCHES "^mpi_")
      if(QV_BUILD_MPI)
        add_executable(bench_${bname} ${src})
        target_compile_options(bench_${bname} PRIVATE ${QV_WARNINGS})
        target_compile_definitions(bench_${bname} PRIVATE QV_MPIEXEC="${MPIEXEC_EXECUTABLE}"
          QV_MPI_PROGRAM="$<TARGET_FILE:quorvane-mpi>")
        target_link_libraries(bench_${bname} PRIVATE mpi benchmark::benchmark)
        add_dependencies(bench_${bname} quorvane-mpi)
      endif()
      continue()
    endif()
    set(blibs cli)
    if(bname MATCHES "^app_")
      if(NOT TARGET app)
        continue()
      endif()
      set(blibs app cli)
    endif()
    add_executable(bench_${bname} ${src})
    target_compile_options(bench_${bname} PRIVATE ${QV_WARNINGS})
    # ccache's base_dir makes __FILE__ relative to the build folder; benches find the
    # examples from the source folder wherever they are started.
    target_compile_definitions(bench_${bname} PRIVATE QV_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    target_link_libraries(bench_${bname} PRIVATE ${blibs} benchmark::benchmark benchmark::benchmark_main)
  endforeach()
endif()
