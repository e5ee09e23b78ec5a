// Wildcard arguments the shell left unexpanded, expanded by the lister itself (on Windows, where
// no shell expands them, every one).
#pragma once

#include <string>
#include <vector>

// Appends the names arg stands for: itself, unless it is a pattern that names no existing
// file and matches some (sorted, as glob gives them; on Windows in the folder's order).
void expand_argument(const std::string& arg, std::vector<std::string>& names);
