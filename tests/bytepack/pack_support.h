// Helpers shared by the packer tests: packing in memory on fresh tables and a small depacker
// built on decode_token.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pack_tables.h"
#include "write_path.h"

using bytes = std::vector<uint8_t>;

bytes to_bytes(const std::string& s);

// Zeroed tables, as a program starts with them.
std::unique_ptr<pack_tables> fresh_tables();

struct packed {
    int status = 0; // the program's exit status for the phases' result
    bytes stream;
    emit_figures fig;
    std::string printed; // the message the program prints for it
};

// All phases of the KTB (ktb = true) or KTA packer over in, with the fast or the plain walk.
packed pack_bytes(const bytes& in, bool ktb, bool plain = false);

// Depacks a KTA or KTB stream; false when it is malformed or a copy reaches before the start.
bool depack(const bytes& stream, bool ktb, bytes& out);
