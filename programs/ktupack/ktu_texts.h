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
    unsigned ms;      // packing time; left out under a millisecond
    int routine = -1; // bytes of the routine written beside it; -1 without -r
};
void print_ktu_report(const ktu_report& r);
// One -v line: the smallest stream of a compression type, or with a routine (routine at least
// 0) the least total of stream and routine.
void print_ktu_type_best(const pack_model& model, uint32_t packed, uint32_t margin, int routine);
// The progress of a search over several files, on standard error: "file n of m" and the model
// count, over and over on one line; clear_ktu_progress blanks the line again.
void print_ktu_progress(int file, int files, int models);
void clear_ktu_progress();
