// Why a name carries no usable model, in the lister's words.
#pragma once

#include <string>

#include "name_model.h"

// Prints the line for a refused name; nothing for a name that was read.
void print_name_error(const std::string& arg, const name_status& s);
