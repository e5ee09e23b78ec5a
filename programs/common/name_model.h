// Reading the pack model of a file from its name: a "-tXX" tag with "o" parameters, or
// else the extension .kta or .ktb. Also gives the two cut points for the output name. The
// lister reads every name so, and the universal packer checks the names it writes with it.
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

enum class name_error {
    none,
    unknown_type,   // value: the type digit's number
    unknown_coding, // value: the coding digit's number
    no_offset1,
    no_offset2,
    no_type, // neither a tag nor a known extension
};

struct name_status {
    name_error error = name_error::none;
    int value = 0;
};

// Fills out, or gives why the name carries no usable model.
name_status model_from_name(const std::string& arg, name_model& out);
