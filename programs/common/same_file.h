// Whether two names reach one file, so that no program writes its output over its input.
#pragma once

#include <string>

// The same text, or the same file by its identity (device and inode; on Windows volume and
// file index, as case and short names make many spellings of one file), which covers links
// and other spellings of one path.
bool names_same_file(const std::string& a, const std::string& b);

// The name a write to name reaches once the symbolic links at its last part are followed, up to
// 40 as the system does; where the last leads nowhere, the file the write would create. On
// Windows, which has no such links, name itself.
std::string links_followed(const std::string& name);

// The name a file written as name gets: on Windows without the dots and spaces at its end,
// which Windows drops; elsewhere name itself.
std::string name_as_stored(const std::string& name);

// The file a write to name reaches, as a text that names of one such file share: on Windows
// the name in lower case without the dots and spaces Windows drops at its end; on other
// systems the path once the links at its last part are followed (even to a file that does not
// exist yet, as the write follows them), its folder made absolute.
std::string output_key(const std::string& name);

// Whether writing b after a writes over a: the same text or the same output_key. Names of two
// links to one file are one output.
bool names_one_output(const std::string& a, const std::string& b);
