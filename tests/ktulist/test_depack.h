// Depacks a stream in memory through the lister's own loop, for tests that build streams
// bit by bit: the output, the stream position and the overhead count it ends with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pack_model.h"

struct test_depack_result {
    std::vector<uint8_t> out;
    bool failed = false; // an error ended the file
    int32_t pos = 0;
    uint32_t overhead_bits = 0;
    std::string printed; // everything the loop printed
};

test_depack_result test_depack(const std::vector<uint8_t>& packed, const pack_model& model);
