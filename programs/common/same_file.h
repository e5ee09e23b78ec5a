// Whether two names reach one file, so that no program writes its output over its input.
#pragma once

#include <string>

// The same text, or the same file by its identity (device and inode; on Windows volume and
// file index, as case and short names make many spellings of one file), which covers links
// and other spellings of one path.
bool names_same_file(const std::string& a, const std::string& b);
