// What the in-process timers share: the thread's processor time and reading one input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <vector>

inline long long cpu_us() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000000LL + ts.tv_nsec / 1000;
}

// Reads up to limit + 1 bytes of name into in, so that a longer file shows; false after
// reporting a file that can't be opened.
inline bool read_input_file(const char* name, size_t limit, std::vector<uint8_t>& in) {
    FILE* f = fopen(name, "rb");
    if (f == nullptr) {
        perror(name);
        return false;
    }
    in.resize(limit + 1);
    in.resize(fread(in.data(), 1, in.size(), f));
    fclose(f);
    return true;
}
