// Writing an output file so that a failure never costs the user what was there: the bytes go
// to a new file beside the target, which replaces the target only once every byte and the
// close succeeded. Two programs racing for one name leave one whole output, never a mix.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class write_failure {
    none,
    create, // the output (or its temporary file) could not be created
    write,  // a byte, the close or the replacement failed
};

struct write_result {
    write_failure failure = write_failure::none;
    int err = 0; // errno of the failing call
};

// Writes data[0..size) as name. A symbolic link to a regular file keeps pointing to the new
// data (the file it points to is replaced), and a link to no file gets the new file where it
// leads, through a temporary file there too; an existing output that is not a regular file (a
// device, a FIFO) is written directly, and nothing is removed when that fails.
write_result write_output_file(const std::string& name, const uint8_t* data, size_t size);

// The reason write_output_file gives when a folder stands at name, which no write can replace
// (EISDIR; EACCES on Windows, whose runtime refuses a folder so); 0 when none does. A program
// that writes two files asks it of both before it writes the first.
int folder_at(const std::string& name);
