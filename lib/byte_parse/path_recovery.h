// Path recovery: the unreverse walk turns the forward pass's tokens (found at their last
// positions) into one path readable from both ends; the optimize passes turn sequences that
// don't pay into literals, against the run before them (pass 1) and after them (pass 2).
#pragma once

#include "pack_status.h"
#include "pack_tables.h"

pack_status unreverse(pack_tables& t, int n);
template <class V>
pack_status optimize_pass_1(pack_tables& t, int n);
template <class V>
pack_status optimize_pass_2(pack_tables& t, int n);
