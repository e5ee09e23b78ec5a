// Test-only writer of packed streams for every compression type and offset coding, laid out
// exactly as the reader takes them: whole bytes appended in read order, a new bit byte
// appended at the current end when a bit is needed and no open one has room, bits filling it
// from bit 7 down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pack_model.h"

struct bit_stream_writer {
    std::vector<uint8_t> bytes;
    size_t bit_byte = 0;        // index of the open bit byte
    int bits_used = 8;          // bits filled in it; 8 = none open
    uint32_t overhead_bits = 0; // what the reader will count: 8 a control byte, 1 a bit
};

void put_byte(bit_stream_writer& w, uint8_t b);     // a control or offset byte
void put_raw_byte(bit_stream_writer& w, uint8_t b); // a literal or first raw byte
void put_bit(bit_stream_writer& w, int bit);
void put_bits(bit_stream_writer& w, uint32_t value, int n);
// value >= 1 with at least extra value bits; value 0 writes the shortest overlong code.
void put_gamma(bit_stream_writer& w, uint32_t value, int extra);

// Whether the model's grammar has a token for these; TS1 has no literal run of 2..7 bytes,
// ZX7 none longer than 1, and so on. KTR's runs must also not follow a run.
bool can_write_literal_run(const pack_model& m, uint32_t length);
bool can_write_sequence(const pack_model& m, uint32_t length, uint32_t offset);
uint32_t max_offset(const pack_model& m);
uint32_t max_sequence_length(const pack_model& m);

void put_literal_run(bit_stream_writer& w, const pack_model& m, const uint8_t* data,
                     uint32_t length);
void put_sequence(bit_stream_writer& w, const pack_model& m, uint32_t length, uint32_t offset);
// KTR's repeat: the caller keeps it right after a literal run, and runs never two in a row.
void put_repeat(bit_stream_writer& w, const pack_model& m, uint32_t length);
void put_offset(bit_stream_writer& w, const pack_model& m, uint32_t offset);
void put_end_mark(bit_stream_writer& w, const pack_model& m);
