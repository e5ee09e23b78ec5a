// The depacking loop, one token at a time: decodes the token, checks it against the output
// buffer and the loaded data, and copies it. Silent and file-blind, so that the lister's
// listing and depacking, the packers' checks and the tests all run the same loop.
#pragma once

#include <cstdint>

#include "decode_token.h"
#include "pack_model.h"
#include "stream_cursor.h"
#include "token.h"

enum class walk_status : uint8_t {
    token_taken,         // a literal run or a sequence was copied
    end_mark,            // the stream's end mark
    end_of_data,         // no unread byte left to start a token
    decode_failed,       // see decode
    past_buffer,         // output position + length beyond the output buffer
    offset_before_start, // a sequence's offset above the output position
    past_data,           // a literal run longer than the data left
};

struct token_walk {
    stream_cursor cur;
    pack_model model;
    uint8_t* out = nullptr;
    uint32_t out_cap = 0;
    int32_t out_pos = 0;
};

// What one step did. On a failure nothing was copied and the positions are where the token's
// reading left them, which the messages show.
struct walk_step {
    walk_status status = walk_status::end_of_data;
    int32_t pack = 0;   // stream position at the token's start
    int32_t unpack = 0; // output position at the token's start
    token tok;          // offset 0 with a length: literal run
    decode_status decode;
};

// Sets the walk at the start of data[0..size) and takes the first raw byte when the model has
// one and the data is not empty (an empty file has none to take); true when it took one.
// out_cap must be at least 1.
bool start_walk(token_walk& w, const uint8_t* data, int32_t size, const pack_model& model,
                uint8_t* out, uint32_t out_cap);

// Takes the next token. Reads nothing outside data and writes nothing outside out, whatever
// the bytes and the model.
walk_step walk_token(token_walk& w);

struct depack_outcome {
    walk_status status = walk_status::end_of_data; // end_mark or end_of_data: depacked
    int32_t out_size = 0;
    int32_t packed_pos = 0; // stream position where the walk stopped
};

// The whole stream at once, for callers that need the data only.
depack_outcome depack_stream(const uint8_t* data, int32_t size, const pack_model& model,
                             uint8_t* out, uint32_t out_cap);

inline bool depacked(const depack_outcome& d) {
    return d.status == walk_status::end_mark || d.status == walk_status::end_of_data;
}
