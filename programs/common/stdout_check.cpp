#include "stdout_check.h"

#include <cstdio>

int finish_stdout(int status) {
    // The C library keeps no reason for a failure of an earlier, buffered write, so the
    // message gives none.
    if (fflush(stdout) == 0 && !ferror(stdout)) return status;
    fputs("Error: Can't write to standard output\n", stderr);
    return status == 0 ? 1 : status;
}
