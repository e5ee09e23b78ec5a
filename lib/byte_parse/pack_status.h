// How a packing phase ends: the one status type of the packers. The phases are silent; the
// driver words a failure and exits with its status. Every failure here is a consistency check
// between phases that the previous phase's data never trips.
#pragma once

enum class pack_fault {
    none,
    length_guard,       // forward pass: a best length above the variant's longest (len)
    unreverse,          // a sequence reaching before the input (index, len, start)
    optimize_1,         // a position that is no token's start (index, len = literal count)
    optimize_2,         // likewise, walking back
    no_token,           // emission: a position without a token (index, off)
    ktb_range,          // emission: a KTB token over the format's limits (index, off, len)
    kta_literal_range,  // emission: a KTA literal run over 127 (len)
    kta_sequence_range, // emission: a KTA sequence over its limits (off, len)
};

struct pack_status {
    pack_fault fault = pack_fault::none;
    int index = 0;
    int len = 0;
    int off = 0;
    int start = 0;
};

inline bool failed(const pack_status& s) { return s.fault != pack_fault::none; }

// The program's exit status for it: 0 for none, else 3, 4 or 5 by phase.
inline int exit_status(const pack_status& s) {
    switch (s.fault) {
    case pack_fault::none: return 0;
    case pack_fault::unreverse: return 3;
    case pack_fault::optimize_1:
    case pack_fault::optimize_2:
    case pack_fault::no_token:
    case pack_fault::ktb_range: return 4;
    case pack_fault::length_guard:
    case pack_fault::kta_literal_range:
    case pack_fault::kta_sequence_range: return 5;
    }
    return 5;
}
