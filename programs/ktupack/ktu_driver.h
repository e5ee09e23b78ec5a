// KtuPack's work on each file: read, pack (one model or the search), check the stream by
// depacking it, name, write and report. Gives the program's exit status.
#pragma once

#include "ktu_options.h"

inline constexpr int ktu_ok = 0;
inline constexpr int ktu_failed = 1;
inline constexpr int ktu_internal_error = 3;

// Every file of run in order; a failing file gets its message and the next goes on. The worst
// status of all files: 3 for an internal error, else 1 for any failure, else 0.
int run_ktu_files(const ktu_run& run);
