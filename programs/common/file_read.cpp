#include "file_read.h"

#include <cerrno>
#include <cstdio>

void report_errno(const std::string& name, const char* prefix) {
    const int saved = errno;
    fflush(stdout);
    const std::string text = prefix + name;
    errno = saved;
    perror(text.c_str());
}

file_read read_whole_file(const std::string& name, uint8_t* buf, size_t cap, const char* prefix) {
    file_read r;
    FILE* f = fopen(name.c_str(), "rb");
    if (f == nullptr) {
        report_errno(name, prefix);
        return r;
    }
    r.size = fread(buf, 1, cap, f);
    r.longer = r.size == cap && fgetc(f) != EOF;
    if (ferror(f)) {
        report_errno(name, prefix);
        fclose(f);
        return r;
    }
    fclose(f);
    r.ok = true;
    return r;
}
