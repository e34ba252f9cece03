#include "core/support/Version.h"

#ifndef QV_VERSION
#error "QV_VERSION comes from the CMake project version"
#endif

const char* const ProgramVersion = QV_VERSION;
