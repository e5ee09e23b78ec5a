// KtaPack's walk where its short window is crowded (short periods with noise): the match
// length at every offset of the window, kept in one array that each position moves on with one
// comparison per offset, so that a position's candidates and their lengths are read from it
// instead of being compared one by one. It makes the reference walk's choices, way for way.
#pragma once

#include <cstdint>

#include "pack_status.h"
#include "pack_tables.h"

// The window's offsets, 1 to window_offsets - 1 (index 0 unused); the lengths are kept up to
// window_cap, which a variant's longest sequence must not pass.
inline constexpr int window_offsets = 256;
inline constexpr int window_cap = 127;

// Fills t.window_rev with the input back to front (once per input), so that the bytes at
// offsets 1 .. 255 before any position lie in ascending order.
void prepare_window(pack_tables& t, const uint8_t* b, int n);

// Starts the window at p: the lengths of the matches ending at p - 1, and the offsets the walk
// at p - 1 examined, read from its memos.
void enter_window(pack_tables& t, const uint8_t* b, int n, int p);

// The walk at p from the window (after enter_window at some position up to p and a
// window_step at each one since); the literal of p is already in place. Gives how many
// candidates its walk examined.
template <class V>
int window_step(pack_tables& t, const uint8_t* b, int n, int p, int lit_cost, int& run_count,
                pack_status& status);

// Leaves the window after p: the memos of the candidates the walk at p examined, as the usual
// walk at p + 1 reads them.
template <class V>
void leave_window(pack_tables& t, int p);
