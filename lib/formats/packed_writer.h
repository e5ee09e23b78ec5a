// Writing a packed stream, the exact inverse of the reader: whole bytes appended in read order,
// a new bit byte appended at the current end when a bit is needed and the open one is full (or
// none is open), bits filling it from bit 7 down. Writes into a fixed buffer; never prints.
#pragma once

#include <cstdint>

#include "item_code.h"
#include "pack_model.h"

struct stream_writer {
    uint8_t* out = nullptr;
    int32_t cap = 0;
    int32_t size = 0;      // bytes written, the open bit byte included
    int32_t bit_byte = 0;  // index of the open bit byte
    int bits_free = 0;     // bits still free in it; 0: none open
    bool overflow = false; // a byte did not fit in cap: the stream is unusable
    int32_t out_pos = 0;   // bytes the stream depacks to so far
    // The largest (output position written) - (stream bytes read by then) over every byte the
    // depacker writes: what decides the in-place margin. Far below any real lead until a write.
    int32_t lead = INT32_MIN / 2;
};

void start_stream(stream_writer& w, uint8_t* out, int32_t cap);

void put_whole_byte(stream_writer& w, uint8_t b);
void put_bits(stream_writer& w, uint32_t value, int bits);
void put_code(stream_writer& w, const item_code& code);

// The items of a stream; each gives false (nothing written) when the model has no form for it.
void put_first_byte(stream_writer& w, uint8_t b);
bool put_literal_run(stream_writer& w, const pack_model& m, const uint8_t* bytes, uint32_t length);
bool put_sequence(stream_writer& w, const pack_model& m, uint32_t length, uint32_t offset);
bool put_end_mark(stream_writer& w, const pack_model& m);
// A repeat sequence (KTR, right after a literal run): the last offset again, none coded.
bool put_repeat(stream_writer& w, const pack_model& m, uint32_t length);

// The least number of bytes by which the stream must end after the end of its output so that a
// depacker working in one buffer never overwrites a stream byte it has not read yet. Bit bytes
// count as read when their first bit is needed; literal bytes are read one at a time, each
// before it is written. Call after the end mark.
int32_t in_place_margin(const stream_writer& w);
