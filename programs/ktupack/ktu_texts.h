// What KtuPack prints: usage, version, the report line per file, the -v lines and the
// messages. Reports go to standard output, messages to standard error with the program's name.
#pragma once

#include <cstdint>
#include <string>

#include "pack_model.h"

void print_ktu_usage();
void print_ktu_version();
// "KtuPack: " and the message, on standard error.
void print_ktu_error(const std::string& message);

struct ktu_report {
    const char* input;
    const char* output;
    pack_model model;
    uint32_t in_size;
    uint32_t packed;
    uint32_t margin;
    unsigned ms; // packing time; left out under a millisecond
};
void print_ktu_report(const ktu_report& r);
// One -v line: the smallest stream of a compression type.
void print_ktu_type_best(const pack_model& model, uint32_t packed, uint32_t margin);
