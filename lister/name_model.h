// Reading the pack model of a file from its name: a "-tXX" tag with "o" parameters, or
// else the extension .kta or .ktb. Also gives the two cut points for the output name.
#pragma once

#include <cstddef>
#include <string>

#include "pack_model.h"

struct name_model {
    pack_model model;
    bool first_byte = false; // the stream starts with a first raw byte
    size_t base_end = 0;     // where the extension begins (depack-mode cut)
    size_t strip_cut = 0;    // where the tag begins, or base_end without a tag (strip-mode cut)
};

// Fills out and gives true, or prints why the name carries no usable model and gives false.
bool model_from_name(const std::string& arg, name_model& out);
