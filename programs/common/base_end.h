// Where a file name's extension begins: the one rule by which the packers replace an
// extension, the lister cuts a name for its output and finds the tag before the extension.
#pragma once

#include <cstddef>
#include <string>

// The last "." among the last five characters of a name of six or more characters, counted
// only after the last path separator ("/", and on Windows also "\" and ":"); else the
// name's length. A dot in a folder name never moves an output into another folder.
size_t base_end(const std::string& name);
