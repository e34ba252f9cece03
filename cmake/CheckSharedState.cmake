# Fails when the core library holds writable state that every thread shares, beyond the few
# listed below. Analysis workers load, check and run their own copies of a model at the same
# time, so what a load, check or run keeps between calls belongs to its thread or its model.
# Usage: cmake -DOBJDUMP=<objdump> -DLIBRARY=<libcore.a> -P CheckSharedState.cmake
if(NOT OBJDUMP OR NOT LIBRARY)
  message(FATAL_ERROR "CheckSharedState: pass -DOBJDUMP=<objdump> -DLIBRARY=<libcore.a>")
endif()

# Each entry has its reason:
#   FileObject             the token file: saves, loads and copies happen on the main thread
#   RandomSeed             RANDOM's program-wide generator, drawn from by ordinary runs only
#   EquationTreeGeneration atomic
#   SilentNotifier, Current the notifier, installed by the main thread before any analysis
#   TIOListObject::NewSerial's next  atomic; a serial only has to differ from every other one
set(allowed FileObject RandomSeed EquationTreeGeneration
    _ZN12_GLOBAL__N_114SilentNotifierE _ZN12_GLOBAL__N_17CurrentE
    _ZZN13TIOListObject9NewSerialEvE4next)

execute_process(COMMAND ${OBJDUMP} -t ${LIBRARY} OUTPUT_VARIABLE table RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "CheckSharedState: ${OBJDUMP} failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${table}")
set(faults "")
foreach(line ${lines})
  # address, flags, section, size, name
  if(NOT line MATCHES "^[0-9a-f]+ ......O (\\.[^ \t]+)\t[0-9a-f]+ (.+)$")
    continue()
  endif()
  set(section "${CMAKE_MATCH_1}")
  string(REGEX REPLACE "^\\.hidden " "" name "${CMAKE_MATCH_2}")
  if(NOT section MATCHES "^\\.(bss|data)" OR section MATCHES "^\\.data\\.rel\\.ro")
    continue()
  endif()
  # Unwinding references and what sanitizers and coverage add are no state of ours.
  if(name MATCHES "^(DW\\.ref\\.|\\.L|_*asan|__odr_asan|_*ubsan|__sancov|__llvm)")
    continue()
  endif()
  list(FIND allowed "${name}" known)
  if(known EQUAL -1)
    string(APPEND faults "  ${name} (${section})\n")
  endif()
endforeach()
if(faults)
  message(FATAL_ERROR "Writable state shared by all threads in ${LIBRARY}:\n${faults}"
    "Make it thread_local (thread-local state of a load, check or run), part of the model, "
    "or constant.")
endif()
