#pragma once
// The program's version, major.minor.release.build, as written into every model file. Its one
// source is the CMake project version, compiled into Version.cpp alone so that a new version
// rebuilds one file.

// "1.0.11.167"
extern const char* const ProgramVersion;

// A model is written in the oldest format that holds it: one that uses nothing newer keeps
// the header and bytes older programs wrote, and stays readable by them.
inline constexpr const char* BaseFormatVersion = "1.0.10.166";
// The format that added non-negative elements, integration methods, the newer built-ins and
// analysis set-ups. Records write and read those fields only from this version on; an older
// program refuses such a file as coming from a later version.
inline constexpr const char* Format1011 = "1.0.11";
