// Everything the packing phases keep per input position, in one zeroed struct: a program holds
// one static instance, a test makes its own. Fields are as narrow as their values allow.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

inline constexpr int max_input = 65536;
// The longest period whose repeats the fast walk finds through period_run.
inline constexpr int max_jump_period = 16;
// Levels of the cost minima above the costs themselves: a range of up to 2^(cost_levels + 1)
// positions is read from two entries, a longer one (a best or a stretch of over 2 KiB) from one
// more per 2^cost_levels, so that filling a position reads only the 2^cost_levels before it.
inline constexpr int cost_levels = 10;
// Levels of the rarest-pair table, likewise: ranges of up to 2^pair_levels positions in two
// entries, longer ones in one more per 2^(pair_levels - 1).
inline constexpr int pair_levels = 11;
// The string lengths of the jumps' longer lists (gram_lists.h).
inline constexpr int gram_levels = 2;
// The two-symbol jump (two_symbol_lists.h): the longest exact length its tables hold, the
// longest period of a stretch they keep, and the offsets below which the usual walk stays.
inline constexpr int sym_exact_max = 16;
inline constexpr int sym_period_max = 7;
inline constexpr int sym_near = 48;
// The longest stretch the two-symbol stretch tables keep: as long as a match the long
// candidates' entries give (two_symbol_lists.h).
inline constexpr int sym_stretch_max = 47;
// The lengths of a run of one value above sym_exact_max up to which the runs settle the long
// candidates of the position that ends it.
inline constexpr int sym_run_lengths = 256;

// The searches of a pair's list for the first entry at a position that keep where they ended
// (pair_fingers): the walk's end, where it goes on after a jump, the nearest candidate from
// sym_near on, and a jump's scan range, from and to.
enum pair_finger { finger_walk_end, finger_walk_on, finger_far, finger_scan_from, finger_scan_to };
inline constexpr int pair_finger_kinds = 5;

// The memo of candidate c: where it was last compared, the match length found then and, in
// the fast walk, the cost of that sequence.
struct memo_rec {
    uint16_t memo_pos; // 0 = never
    uint16_t memo_len;
    int32_t memo_cost;
};

// Writes a memo as one 8-byte store, laid out as memo_rec on this machine.
inline void put_memo(memo_rec& m, int pos, int len, int cost) {
    const uint64_t p = uint16_t(pos), l = uint16_t(len), c = uint32_t(cost);
    const uint64_t v =
        std::endian::native == std::endian::little ? p | l << 16 | c << 32 : p << 48 | l << 32 | c;
    std::memcpy(&m, &v, sizeof v);
}

// A memo as one word whatever the byte order: memo_pos in bits 0-15, memo_len in 16-31, the
// cost in 32-63, so that one addition moves a memo one position on and one byte longer.
inline uint64_t memo_word(const memo_rec& m) {
    if constexpr (std::endian::native == std::endian::little) {
        uint64_t v;
        std::memcpy(&v, &m, sizeof v);
        return v;
    } else {
        return uint64_t(m.memo_pos) | uint64_t(m.memo_len) << 16 |
               uint64_t(uint32_t(m.memo_cost)) << 32;
    }
}

inline void put_memo_word(memo_rec& m, uint64_t v) {
    if constexpr (std::endian::native == std::endian::little)
        std::memcpy(&m, &v, sizeof v);
    else
        put_memo(m, int(v & 0xFFFF), int(v >> 16 & 0xFFFF), int(uint32_t(v >> 32)));
}

// A repeating stretch ending at a position.
struct stretch_rec {
    uint16_t period;     // 0 = none recorded
    uint16_t period_len; // more than twice period; at most 16383 + 16382
};

struct pack_tables {
    // Cheapest cost found of positions 0..p, in output bytes; reaches about 2 * 65536.
    int32_t cost[max_input];
    // Forward pass: 0 = literal, else length of the sequence ending at p. After path recovery:
    // 1 = literal, or the length at a sequence's first and last position, 0 inside it.
    uint16_t step_len[max_input];
    uint16_t step_off[max_input];
    memo_rec memo[max_input + 1]; // the last one takes memos that no one will read
    stretch_rec stretch[max_input];

    // Candidate lists of the fast walk: positions 1..N-1 grouped by pair, ascending within a
    // pair. An entry holds c with the bytes around it and its short period (forward_pass.cpp),
    // so that a visit settles most candidates from the entry alone.
    uint64_t pair_pos[max_input];
    uint16_t pair_slot[max_input];      // index of p in pair_pos
    uint32_t pair_first[max_input + 1]; // index of the first entry of each pair

    // What the walk at p examined (candidate_jump.h): every candidate up to offset walk_end
    // unless walk_skip is set; those at offsets jump_lo..jump_hi without writing a memo.
    uint16_t walk_end[max_input];
    uint16_t jump_lo[max_input];
    uint16_t jump_hi[max_input];
    uint8_t walk_skip[max_input];
    // Set where some earlier position j has a stretch of period p - j: only there can the
    // repeat shortcut pass over candidates.
    uint8_t period_end[max_input];
    // Built once a walk grows long: the least cost of the 2^k positions up to j in
    // cost_min[j][k - 1], 1 <= k <= cost_levels (filled up to cost_filled; k = 0 is cost
    // itself), and the rarest pair among the 2^k from j, as its count (how many positions end
    // it) << 16 | the position that ends it.
    int32_t cost_min[max_input][cost_levels];
    uint32_t rare_pair[pair_levels][max_input];
    // Per period q (index q - 1), how many positions up to j in a row equal the byte q before
    // them; built for q once bit q of period_ready is set.
    uint16_t period_run[max_jump_period][max_input];
    uint32_t period_ready;
    // Per string length of gram_lists.h, positions grouped by the key of the string ending
    // there, as pair_pos is by pair (pair_first and pair_slot likewise); built when first
    // needed (gram_ready).
    uint16_t gram_pos[gram_levels][max_input];
    uint16_t gram_slot[gram_levels][max_input];
    uint32_t gram_first[gram_levels][max_input + 1];
    int32_t gram_ready;
    // KtaPack's window walk (window_walk.h): the input back to front (with room for the
    // offsets before its start), per offset the length of the match ending at the position
    // walked last, and the offsets that walk examined (bit w of 256).
    uint8_t window_rev[max_input + 256];
    uint8_t window_len[256];
    uint64_t window_seen[4];
    int32_t window_drop;       // the last position whose cost is below the one before it
    int32_t window_ready;      // positions 0 up to this one in window_rev
    int32_t window_crowded_at; // the last position the window walked with a crowd of candidates
    // Per position back to front, as window_rev: the period of its stretch where a sequence of
    // up to window_cap bytes can pass it on (below 64, else 0), twice that period (or
    // window_cap where it is 0), and the stretch's length up to window_cap.
    uint8_t window_period_rev[max_input + 256];
    uint8_t window_twice_rev[max_input + 256];
    uint8_t window_period_len_rev[max_input + 256];
    int32_t cost_filled;
    int32_t jump_ready;
    int64_t jump_cost;  // bytes compared for candidates a jump left without a memo
    int64_t jump_saved; // candidates the jumps passed over
    // Where the input is made of two byte values (two_symbol_lists.h): per position the last 32
    // symbols as bits (the latest in bit 0); per string of l + 1 symbols (l = 2 to
    // sym_exact_max) at (1 << (l + 1)) | bits, the last position that ends it among those
    // entered; per 17-symbol string the one before each position; per period q, length m and
    // the last q symbols, the last position entered with a stretch of period q and at least m
    // bytes. Positions are entered up to sym_filled - 1. Built once a walk has many long
    // candidates (sym_lists_ready): the positions from sym_exact_max on grouped by their
    // 17-symbol string, ascending, each with its bits (sym_long_entry), the first index of each
    // string in sym_long_first and of each position in sym_long_slot.
    uint32_t sym_bits[max_input];
    uint16_t sym_last[2 << (sym_exact_max + 1)];
    uint16_t sym_chain[max_input];
    uint16_t sym_count[1 << (sym_exact_max + 1)]; // positions ending each 17-symbol string
    uint64_t sym_long_pos[max_input];
    uint16_t sym_long_slot[max_input];
    // Per entry of sym_long_pos, once its position is entered: its stretch as a match of under
    // 48 bytes sees it (sym_long_stretch), so that a scan reads it in order.
    uint16_t sym_long_stretch[max_input];
    uint32_t sym_long_first[(1 << (sym_exact_max + 1)) + 1];
    int32_t sym_lists_ready;
    // Built with the lists: per position the length of the run of one symbol ending there (at
    // most 65535, as both values occur) and the run's last position; per symbol and run length
    // above sym_exact_max, the last position entered whose run is that long. Per symbol and run
    // length up to sym_exact_max + sym_run_lengths, the positions whose run is that long,
    // ascending, each with the 48 symbols before its run (sym_run_pos, as sym_long_pos holds
    // its own), the first index of each in sym_run_first, of each position in sym_run_slot;
    // and beside each entry, once its position is entered, its stretch.
    uint16_t sym_run[max_input];
    uint16_t sym_run_end[max_input];
    uint16_t sym_run_last[2][max_input];
    uint64_t sym_run_pos[max_input];
    uint16_t sym_run_slot[max_input];
    stretch_rec sym_run_stretch[max_input];
    uint32_t sym_run_first[2 * sym_run_lengths + 1];
    uint16_t sym_stretch[sym_period_max + 1][sym_stretch_max + 1][1 << sym_period_max];
    int32_t sym_state; // 0 not looked at, 1 two byte values, 2 other
    int32_t sym_filled;
    // Per kind of search (pair_finger) and pair, where the jumps' last search of its list for a
    // position ended (the index less pair_first): hints, a search from them finds the same.
    uint16_t pair_fingers[pair_finger_kinds][max_input];
};
