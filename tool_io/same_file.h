// Whether two names reach one file, so that no program writes its output over its input.
#pragma once

#include <string>

// The same text, or (where the platform tells) the same device and inode, which covers
// links and other spellings of one path.
bool names_same_file(const std::string& a, const std::string& b);
