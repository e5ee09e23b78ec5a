// A plain depacking loop over decode_token for the format tests: the first raw byte, literal
// runs and sequences into a vector, stopping at the end mark, the end of the data or an error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decode_token.h"

struct test_depack_result {
    std::vector<uint8_t> out;
    bool failed = false; // a decoder error or a token outside the data or the output
    int32_t pos = 0;
    uint32_t overhead_bits = 0;
    std::string printed; // what decode_token printed
};

test_depack_result test_depack(const std::vector<uint8_t>& packed, const pack_model& model);
