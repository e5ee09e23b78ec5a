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

// The window walk takes over where the usual walk goes through window_enter candidates a walk
// on average (a moving sum over about 16 walks, decaying by a sixteenth a walk; positions
// settled by way A or without candidates don't count), and hands back where it examines fewer
// than window_leave a position. With its passes 32 offsets at a time it pays from about 12
// (periods 8 to 16 with noise); lower, binaries' short crowded stretches take it more often
// than it pays there.
inline constexpr int window_enter = 12;
inline constexpr int window_leave = 2;
inline constexpr int window_decay = 4;

// Whether the window's passes may take 32 offsets at a time where the processor has AVX2 (the
// default); off, they take 16 as everywhere else, which the tests walk on the same machine.
void allow_wide_window_passes(bool on);

// The walks from p + 1 on, until the window hands back (after it writes the memos the usual
// walk reads) or the input ends; p becomes the last position walked, load the moving sum
// there. The tables are filled up to p, as the usual walk leaves them. Fails only on the
// length guard.
template <class V>
pack_status window_run(pack_tables& t, const uint8_t* b, int n, int& p, int& run_count, int& load);
