#include "output_write_direct.h"

#include <cerrno>
#include <cstdio>

write_result write_directly(const std::string& name, const uint8_t* data, size_t size) {
    FILE* f = fopen(name.c_str(), "wb");
    if (f == nullptr) return failed(write_failure::create, errno);
    const bool written = fwrite(data, 1, size, f) == size;
    const int write_err = errno;
    const bool closed = fclose(f) == 0;
    if (!written) return failed(write_failure::write, write_err);
    if (!closed) return failed(write_failure::write, errno);
    return {};
}
