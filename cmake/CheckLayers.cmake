# Fails when a file includes from a layer above its own:
#   core     - the C++ standard library and NLopt only: no Qt, nothing from document, cli or app;
#   document - core and Qt Core/Gui/Svg/Xml (named by module), nothing from cli or app;
#   cli      - nothing from app, no Qt Widgets or printing;
#   mpi      - like cli; the only layer that includes MPI.
# Usage: cmake -DROOT=<src folder> -P CheckLayers.cmake
if(NOT ROOT)
  message(FATAL_ERROR "CheckLayers: pass -DROOT=<src folder>")
endif()

get_filename_component(ROOT "${ROOT}" ABSOLUTE)

set(QV_LAYER_BAD_core     "^(document|cli|mpi|app)/|^<Q|^<mpi\\.h>")
set(QV_LAYER_BAD_document "^(cli|mpi|app)/|^<Q(t(Widgets|PrintSupport|Test|Network|Quick|Qml)/|[A-Z][A-Za-z0-9]*>)|^<mpi\\.h>")
set(QV_LAYER_BAD_cli      "^(mpi|app)/|^<Q(t(Widgets|PrintSupport|Test|Network|Quick|Qml)/|[A-Z][A-Za-z0-9]*>)|^<mpi\\.h>")
set(QV_LAYER_BAD_mpi      "^app/|^<Q(t(Widgets|PrintSupport|Test|Network|Quick|Qml)/|[A-Z][A-Za-z0-9]*>)")

set(faults "")
foreach(layer core document cli mpi)
  file(GLOB_RECURSE files ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp)
  foreach(f ${files})
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*" "" target "${line}")
      string(REGEX REPLACE "^\"([^\"]*)\".*" "\\1" target "${target}")
      string(REGEX REPLACE "^(<[^>]*>).*" "\\1" target "${target}")
      if(target MATCHES "${QV_LAYER_BAD_${layer}}")
        file(RELATIVE_PATH rel ${ROOT} ${f})
        string(APPEND faults "  src/${rel} includes ${target}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Includes that cross a layer upward:\n${faults}")
endif()
message(STATUS "Every include stays within its layer or below")
