// The window of an output write in which its temporary file exists: a signal that ends the
// program there (an interrupt, a termination, a hang-up) removes the file first, and the
// file-size limit comes back as the write error it is (EFBIG) instead of killing the program.
#pragma once

#include <signal.h>

inline constexpr int temp_guard_signals = 4; // SIGXFSZ, SIGINT, SIGTERM, SIGHUP

struct temp_guard {
    sigset_t old_mask;
    struct sigaction old_actions[temp_guard_signals];
};

// Before the temporary file is made: the handlers are in place and the ending signals held
// back, so that none can come between the file's creation and arm_temp_guard.
void open_temp_guard(temp_guard& g);
// After the creation (path null when it failed): from here an ending signal removes the file
// at path; the signals held back are let through (the mask is the caller's again).
void arm_temp_guard(const temp_guard& g, const char* path);
// After the rename or the removal: the handlers and the signal mask as they were.
void close_temp_guard(const temp_guard& g);
