// Streams of any pack model for the target routines' tests: edge streams laid item by item
// with the formats' own writer (which also gives each stream's in-place margin), and corpus
// files packed by the universal packer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pack_model.h"

using bytes = std::vector<uint8_t>;

struct model_stream {
    std::string name;
    bytes original;
    bytes packed;
    int32_t margin = 0; // the least distance from the output's end to the stream's end in place
};

struct named_file {
    std::string name;
    bytes data;
};

// The widths every CPU's routines of a type and coding are tested with: both ends and the
// middle of the search set's ranges, the measured widths first. Coding 5 also takes 8 and 9
// bits, the widest field of one byte and the narrowest of two, where a routine may read it
// another way. Coding 6 also takes equal widths and W1 above W2 (15 over 1, 9 over 3), where
// the long form adds its base as a bit set above a shorter field.
std::vector<pack_model> tested_width_models(int type, int coding);

// The bench corpus, each file cut to its first cut bytes.
std::vector<named_file> corpus_files(size_t cut);

// The file packed by the universal packer under m; an empty stream on failure.
model_stream pack_for_model(const pack_model& m, const named_file& f);

// One byte; the empty output where the grammar has one; the lengths 2, 255, 256, 257 and the
// longest that fits the machine; literal runs of 7, 8 and the longest; overlapping copies;
// offsets at the coding's class borders and the largest within 64 KiB; 20000 random bytes.
std::vector<model_stream> model_edge_streams(const pack_model& m);

// KTR's repeats, each right after a literal run, as only there a repeat can stand: at offset 1
// before any sequence, of one byte, of 257 and of the longest that room (output and stream
// together) leaves; after short and far offsets.
model_stream ktr_repeat_stream(const pack_model& m, uint32_t room);

// The bytes of memory a stream and its output may take on the machine.
inline constexpr uint32_t machine_room = 64000;
