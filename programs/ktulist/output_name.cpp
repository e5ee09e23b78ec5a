// Kept apart from the model reading: the cut points come from there, the extension from
// the options, and neither knows of the other.
#include "output_name.h"

std::string output_name(const std::string& arg, size_t cut, const std::string& ext) {
    return arg.substr(0, cut) + "." + ext;
}
