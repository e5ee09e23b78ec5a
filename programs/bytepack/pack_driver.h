// The program around the packing phases, shared by KtbPack and KtaPack: command line, output
// name, reading, timing, writing and the report. The programs differ only in their texts.
#pragma once

#include <cstdint>
#include <string>

#include "pack_status.h"
#include "pack_tables.h"
#include "write_path.h"

struct packer_texts {
    const char* banner;    // printed with puts, so it ends in a newline
    const char* usage;     // likewise, after the banner, when the argument count is wrong
    const char* extension; // of the output file, with its dot
};

using pack_function = pack_status (*)(pack_tables&, const uint8_t*, int, uint8_t*, emit_figures&);

// The input name with the extension replaced: cut at its base end (base_end.h), then the
// extension follows.
std::string output_name(const std::string& input, const char* extension);

// Runs the whole program; gives its exit status.
int run_packer(int argc, char** argv, const packer_texts& texts, pack_function pack);
