#include "scratch_folder.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

scratch_folder::scratch_folder() {
    std::string pattern = (fs::temp_directory_path() / "ktu_tools_test.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path = pattern;
    fs::permissions(path, fs::perms(0755));
}

scratch_folder::~scratch_folder() {
    // A folder without the owner's rights can be neither listed nor emptied.
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(path, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path, ec);
}

std::set<std::string> scratch_folder::names() const {
    std::set<std::string> s;
    for (const auto& e : fs::directory_iterator(path)) s.insert(e.path().filename().string());
    return s;
}

std::string read_file(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> read_bytes(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f),
                                std::istreambuf_iterator<char>());
}

void write_file(const fs::path& p, std::string_view bytes) {
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + p.string());
}

void write_file(const fs::path& p, const std::vector<uint8_t>& bytes) {
    write_file(p, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::map<std::string, std::string> folder_files(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(dir); it != fs::end(it); ++it) {
        const std::string rel = it->path().lexically_relative(dir).string();
        if (it->is_symlink())
            files[rel] = "-> " + fs::read_symlink(it->path()).string();
        else if (it->is_regular_file())
            files[rel] = read_file(it->path());
    }
    return files;
}
