// Path recovery: the unreverse walk turns the forward pass's tokens (found at their last
// positions) into one path readable from both ends; the optimize passes turn sequences that
// don't pay into literals, against the run before them (pass 1) and after them (pass 2).
#pragma once

#include "pack_tables.h"

inline constexpr int status_unreverse = 3;
inline constexpr int status_optimize = 4;

// Each gives 0, or its status after printing its message.
int unreverse(pack_tables& t, int n);
template <class V>
int optimize_pass_1(pack_tables& t, int n);
template <class V>
int optimize_pass_2(pack_tables& t, int n);
