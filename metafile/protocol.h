#pragma once
// How the program and the corvalen-metafile helper talk (header only: the program includes it
// without linking the metafile parsers).
//
//   corvalen-metafile [--test-crash | --test-hang] emf|wmf FILE
//
// The helper decodes FILE and writes the picture to standard output as a binary PPM (P6),
// exiting with 0. When the file cannot be decoded it writes the reason, in one line, as the
// last line of standard error and exits with 1. --test-crash and --test-hang make it abort or
// hang before decoding, so that tests can show how the program copes.

#include <QtGlobal>

namespace corvalen::metafile {

inline constexpr char helperName[] = "corvalen-metafile";
// Larger files are refused before the helper starts.
inline constexpr qint64 maximumInputBytes = 50 * 1024 * 1024;
// The program stops a helper that has not finished by then.
inline constexpr int timeLimitMs = 10'000;

} // namespace corvalen::metafile
