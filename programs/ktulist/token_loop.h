// The work on one loaded packed file: header, token loop with its bound checks, listing
// lines and statistics. Works on memory only, so that it runs the same from the file
// loop, the tests and the fuzzer; writing the output file is the caller's part.
#pragma once

#include <cstdint>

#include "listing_lines.h"
#include "pack_model.h"
#include "run_settings.h"

struct stream_job {
    const char* name = ""; // the argument, printed in every message about the file
    pack_model model;      // a first raw byte where the type has one
    run_mode mode = run_mode::list;
    bool input_cut = false; // the file is longer than the kt_buf_size bytes in data
};

struct stream_result {
    bool ok = false;           // false: an error ended the file, its message printed
    bool end_mark = false;     // the stream closed with its end mark
    bool write_output = false; // depack or strip mode: out_buf holds stats.unpacked bytes to write
    file_stats stats;
};

// Receives the unpacked data.
extern uint8_t out_buf[kt_buf_size];

// Runs one file's stream from data[0 .. size), size at most kt_buf_size. Nothing is read
// outside data and nothing written outside out_buf, whatever the bytes and the model.
stream_result list_or_depack(const uint8_t* data, int32_t size, const stream_job& job);
