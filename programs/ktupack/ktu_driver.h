// KtuPack's run: the arguments, then the work on each file: read, check the output name,
// pack (one model or the search), check the stream by depacking it, write and report.
// Gives the program's exit status.
#pragma once

#include "ktu_options.h"

inline constexpr int ktu_ok = 0;
inline constexpr int ktu_failed = 1;
inline constexpr int ktu_internal_error = 3;

// The whole program on argv[0..argc): what main does, callable in-process by the tests.
// The exit status, after the check that standard output reached its reader.
int run_ktupack(int argc, char** argv);

// Every file of run in order; a failing file gets its message and the next goes on. The worst
// status of all files: 3 for an internal error, else 1 for any failure, else 0.
int run_ktu_files(const ktu_run& run);
