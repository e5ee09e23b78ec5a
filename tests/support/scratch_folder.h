// The folder a test works in, and the file helpers the tests share. Each test takes a fresh
// folder under the system's temporary folder and leaves nothing behind, whatever it did to the
// folder's permissions.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct scratch_folder {
    std::filesystem::path path;

    // Made readable and traversable by everyone: some cases run a program as user nobody.
    scratch_folder();
    // Removes the folder with all it holds, giving back the owner's rights a test took away.
    ~scratch_folder();
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;

    // The names directly in the folder, so that a left-over temporary file shows.
    std::set<std::string> names() const;
};

std::string read_file(const std::filesystem::path& p);
std::vector<uint8_t> read_bytes(const std::filesystem::path& p);
// Creates the folders the path names as needed; a failed write throws.
void write_file(const std::filesystem::path& p, std::string_view bytes);
void write_file(const std::filesystem::path& p, const std::vector<uint8_t>& bytes);

// Regular files under dir by their path relative to it, with their contents; a symbolic link
// is listed as "-> target", so that a test sees links too.
std::map<std::string, std::string> folder_files(const std::filesystem::path& dir);
