#pragma once
// The program's version, major.minor.release.build, as written into every model file. The
// build defines QV_VERSION from the CMake project version, its one source.

#ifndef QV_VERSION
#error "QV_VERSION comes from the CMake project version"
#endif

inline constexpr const char* ProgramVersion = QV_VERSION;
