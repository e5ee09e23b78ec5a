#include "stdout_check.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int finish_stdout(int status) {
    errno = 0;
    const bool flushed = fflush(stdout) == 0;
    if (flushed && !ferror(stdout)) return status;
    const int saved = errno;
    fprintf(stderr, "Error: Can't write to standard output: %s\n",
            saved != 0 ? strerror(saved) : "write error");
    return status == 0 ? 1 : status;
}
