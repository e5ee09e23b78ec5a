// The part of the output write that both platforms share: writing straight into a name that
// is a device, a pipe or a folder, which takes its bytes as they come and has nothing to keep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "output_write.h"

inline write_result failed(write_failure f, int err) { return {f, err}; }

// Through the C library into whatever the name is; nothing is removed when it fails.
write_result write_directly(const std::string& name, const uint8_t* data, size_t size);
