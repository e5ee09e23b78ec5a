// The streams the 6502 routines of every pack model run, sized for the simulator's memory
// beside the driver with stream and output apart: the universal packer's streams of the
// corpus and of made-up data, and edge streams laid token by token (the longest codes, the
// offsets at each coding's class borders, literal runs at the grammar's limits, overlapping
// copies), each with the in-place margin it needs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "pack_model.h"
#include "test_streams.h"

struct m6502_stream {
    test_stream s;
    int margin = 1; // least in-place margin, as the packer reports it or the token walk finds it
};

// The universal packer's stream of in (1..65536 bytes) under m; an empty packed when it fails.
m6502_stream m6502_pack(const pack_model& m, const std::string& name, const bytes& in);

// Edge streams of the model. Output and stream together stay within budget bytes, so that
// they fit a 64 KiB machine with the test driver.
std::vector<m6502_stream> m6502_edge_streams(const pack_model& m, long budget);

// The least in-place margin of a stream under m, from the formats' token walk: the routines
// read a token's codes before writing, each literal byte just before writing it, and a bit
// byte when its first bit is needed.
int m6502_margin(const pack_model& m, const bytes& packed);

// The offsets that decide a coding: each class's first and last, the largest one below cap.
std::vector<uint32_t> m6502_border_offsets(const pack_model& m, uint32_t cap);

std::string m6502_tag(const pack_model& m);
