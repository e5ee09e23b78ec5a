// KtaPack's window walk built for AVX2 as a whole (the build gives this file -mavx2 -mpopcnt),
// its passes 32 offsets at a time; window_run takes it where the processor has AVX2.
#define KT_WINDOW_WIDE 1
#include "window_walk.cpp"
