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
// settled by way A or without candidates don't count), or takes the full visit for
// window_costly of them (below), and hands back where it examines fewer than window_leave a
// position. With its passes 32 offsets at a time it pays from about 12 candidates (periods 8 to
// 16 with noise); lower, binaries' short crowded stretches take it more often than it pays
// there. Periods 11 to 16 with one noise byte in 10 to 100 have 6 to 7 candidates a walk, but
// half of them need the full visit, which binaries' seldom do.
inline constexpr int window_enter = 12;
inline constexpr int window_leave = 2;
inline constexpr int window_decay = 4;

// Short periods with sparse noise (one byte in 30 to 100, periods 6 to 15) come as bursts of
// crowded positions after each noise byte and calm stretches between them, where the window
// would hand back only to be taken over again some costly walks into the next burst. Where the
// usual walk took the full visit for window_costly candidates a walk on average before the
// window took over (a moving sum as load's), each position of window_crowd_lo to
// window_crowd_hi candidates, in a burst that starts within window_burst_gap positions of the
// last one, is credit for as many positions, and each position costs window_calm_cost of it
// (window_empty_cost where it has no candidate); the window hands back only once the credit is
// spent. A burst starts window_burst_apart or more positions after the last crowded position.
// Binaries, whose candidates the entries' context settles, seldom take the full visit that
// often, and their walks stay as they were.
inline constexpr int window_costly = 4;
inline constexpr int window_crowd_lo = 12;
inline constexpr int window_crowd_hi = 32;
inline constexpr int window_burst_gap = 300;
inline constexpr int window_burst_apart = 32;
inline constexpr int window_calm_cost = 2;
inline constexpr int window_empty_cost = 8;
inline constexpr int window_credit_cap = 1024;

// Inputs of window_start_length and longer whose first positions are crowded (window_starts)
// start in the window walk (forward_pass.cpp), with a load of window_start_load candidates a
// walk, enough for the first periods of 10 to 16 bytes, which have few candidates yet, to keep
// it on, and the credit of the crowded positions counted (as after costly walks).
inline constexpr int window_start_length = 8192;
inline constexpr int window_start_load = 32;
// From the start it hands back only after window_start_patience positions in a row where it
// would otherwise: periods with one noise byte in 10 to 100 have such calm stretches, and were
// walked whole only up to them (chosen when handing back meant building the pair lists, which
// costs as much as some thousands of the window's positions).
inline constexpr int window_start_patience = 256;
// Crowded: at least window_start_crowd of the window_start_probe positions after
// window_start_near have a candidate at an offset up to window_start_near, and the bytes up to
// them don't repeat one period of up to window_start_near exactly.
inline constexpr int window_start_near = 16;
inline constexpr int window_start_probe = 64;
inline constexpr int window_start_crowd = 32;

// Whether the input starts in the window walk.
bool window_starts(const uint8_t* b, int n);

// Whether the window's passes may take 32 offsets at a time where the processor has AVX2 (the
// default); off, they take 16 as everywhere else, which the tests walk on the same machine.
void allow_wide_window_passes(bool on);

// The walks from p + 1 on, until the window hands back (after it writes the memos the usual
// walk reads) or the input ends; p becomes the last position walked, load the moving sum
// there. full_load is the usual walk's moving sum of its full visits (as load, over the same
// walks). The tables are filled up to p, as the usual walk leaves them; the pair lists' entries
// get their short periods where lists is set (built), else the usual walk notes them when it
// builds the lists. It hands back at the patience-th position in a row where it may (1: at the
// first). Fails only on the length guard.
template <class V>
pack_status window_run(pack_tables& t, const uint8_t* b, int n, int& p, int& run_count, int& load,
                       int full_load, bool lists, int patience);
