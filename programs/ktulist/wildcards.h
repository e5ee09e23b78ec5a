// Wildcard arguments the shell left unexpanded. On Windows the C runtime expands them before
// the program starts; elsewhere the lister does it itself, the same way.
#pragma once

#include <string>
#include <vector>

// Appends the names arg stands for: itself, unless it is a pattern that names no existing
// file and matches some (sorted, as glob gives them).
void expand_argument(const std::string& arg, std::vector<std::string>& names);
