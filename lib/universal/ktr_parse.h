// The parse of KTR with its repeat sequences. A repeat's cost depends on the offset of the last
// sequence, so the state of a position is the offset it carries and whether a literal run just
// ended there; the parse goes forward and keeps, per position and kind, the ktr_keep cheapest
// states with distinct offsets. With every offset kept it would be exact; the tests measure it
// against an exhaustive search on small inputs.
#pragma once

#include <cstdint>
#include <vector>

#include "cost_tables.h"
#include "optimal_parse.h"
#include "token.h"

inline constexpr int ktr_keep = 16;

// One state: the cheapest way found to reach a position with this offset to repeat, and the
// token that reached it.
struct ktr_state {
    uint32_t cost = UINT32_MAX; // bits from the stream's start
    uint16_t offset = 0;        // the offset a repeat would take (1 before any sequence)
    uint8_t from_slot = 0;      // the state the token left from, length bytes back: its slot,
                                // + ktr_keep for a run state
    bool repeat = false;        // the token was a repeat
    uint32_t length = 0;        // the token's length; a run state: the run's
};

struct ktr_space {
    int32_t size = 0;
    // Per position, ktr_keep states after a sequence or at the start (literal runs may follow)
    // then ktr_keep states right after a literal run (a repeat may follow).
    std::vector<ktr_state> states;
    std::vector<uint32_t> offset_bits; // each offset's cost under the model, UINT32_MAX: no form
    std::vector<uint32_t> literal_bits;
    std::vector<uint32_t> length_bits;
    std::vector<int32_t> pair_last; // the last earlier position with the same two bytes, or -1
    int32_t end_slot = -1;          // the cheapest state at the end
};

// The stream's size in bits by the least parse found. tc is KTR's (repeats cost as literal
// heads), cc the model's; the window matches of parse_cost are not used.
uint32_t ktr_parse(const parse_input& in, const type_costs& tc, const coding_costs& cc,
                   ktr_space& sp);

// After ktr_parse: the tokens of that parse, first raw byte excluded; gives the count.
int32_t ktr_recover(const ktr_space& sp, token* tokens);
