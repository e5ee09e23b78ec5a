// The name of the file that depack and strip mode write.
#pragma once

#include <cstddef>
#include <string>

// The first cut characters of the argument, a dot, and the extension exactly as given.
std::string output_name(const std::string& arg, size_t cut, const std::string& ext);
