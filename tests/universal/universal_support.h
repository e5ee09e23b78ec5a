// What the universal packer's tests share: the models they cover, packing one input under one
// model, and depacking in one buffer the way a target machine does in place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pack_model.h"
#include "token_walk.h"
#include "universal_pack.h"

// Every type with every coding, codings 4 to 6 with several widths (two-offset cases where the
// far part is cheaper than the near one included).
std::vector<pack_model> covered_models();
std::string model_text(const pack_model& m);

struct packed {
    universal_status status = universal_status::internal_error;
    std::vector<uint8_t> stream;
    int32_t margin = 0;
};
packed pack_input(const std::vector<uint8_t>& in, const pack_model& m);
// The same with the input's matches found once for many models.
packed pack_prepared(const file_matches& fm, const pack_model& m);

struct in_place_result {
    std::vector<uint8_t> out;
    bool overwrote_unread = false; // a write landed on a stream byte not yet read
    bool failed = false;           // the token reader refused the stream
};
// Places the stream so that it ends margin bytes after the end of an output of out_size
// bytes, in one buffer, and depacks it there byte by byte.
in_place_result depack_in_place(const std::vector<uint8_t>& stream, const pack_model& m,
                                size_t out_size, int32_t margin);

// The stream through the depacking walk that the lister and the programs share.
struct depacked_stream {
    std::vector<uint8_t> out;
    depack_outcome outcome;
};
depacked_stream depack(const std::vector<uint8_t>& stream, const pack_model& m);
