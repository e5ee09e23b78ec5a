// Reading a whole input file into a fixed buffer, as every program does it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct file_read {
    bool ok = false;
    size_t size = 0;     // bytes in buf
    bool longer = false; // the file goes on past cap bytes
};

// Reads up to cap bytes of name into buf. A file that can't be opened or read is reported with
// perror and the name (standard output flushed first, so that both streams keep their order),
// after the program's prefix where it has one ("KtuPack: ").
file_read read_whole_file(const std::string& name, uint8_t* buf, size_t cap,
                          const char* prefix = "");

// perror with the prefix and the name, after flushing what standard output holds.
void report_errno(const std::string& name, const char* prefix = "");
