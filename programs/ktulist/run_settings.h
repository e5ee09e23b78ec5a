// What the options of the command line select, and the fixed buffer size that bounds both
// the packed data read from one file and the data unpacked from it.
#pragma once

#include <cstdint>

enum class run_mode { list, depack, strip };

// Input and output buffers hold this many bytes; a longer file is read only this far.
inline constexpr int32_t kt_buf_size = 80000;
