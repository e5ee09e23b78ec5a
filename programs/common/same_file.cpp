#include "same_file.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cctype>
#else
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#endif

namespace {

#ifdef _WIN32
// Volume serial number and file index: what Windows has in place of device and inode.
struct file_id {
    DWORD volume, high, low;
};

bool identify(const std::string& name, file_id& id) {
    HANDLE h = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!ok) return false;
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

bool same_id(const file_id& a, const file_id& b) {
    return a.volume == b.volume && a.high == b.high && a.low == b.low;
}
#else
struct file_id {
    dev_t dev;
    ino_t ino;
};

bool identify(const std::string& name, file_id& id) {
    struct stat st;
    if (stat(name.c_str(), &st) != 0) return false;
    id = {st.st_dev, st.st_ino};
    return true;
}

bool same_id(const file_id& a, const file_id& b) { return a.dev == b.dev && a.ino == b.ino; }

// The path a write to name reaches: the links at its last part followed, the folder made
// absolute.
std::string written_path(const std::string& written) {
    const std::string name = links_followed(written);
    const size_t slash = name.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : name.substr(0, slash + 1);
    char* real = realpath(folder.c_str(), nullptr);
    if (real == nullptr) return name;
    const std::string path = std::string(real) + "/" + name.substr(slash + 1);
    free(real);
    return path;
}
#endif

} // namespace

std::string links_followed(const std::string& name) {
#ifdef _WIN32
    return name;
#else
    std::string path = name;
    for (int hops = 0; hops < 40; ++hops) {
        char link[PATH_MAX];
        const ssize_t n = readlink(path.c_str(), link, sizeof link);
        if (n <= 0) break;
        const std::string to(link, static_cast<size_t>(n));
        const size_t slash = path.find_last_of('/');
        path = to[0] == '/' || slash == std::string::npos ? to : path.substr(0, slash + 1) + to;
    }
    return path;
#endif
}

bool names_same_file(const std::string& a, const std::string& b) {
    if (a == b) return true;
    file_id ia, ib;
    return identify(a, ia) && identify(b, ib) && same_id(ia, ib);
}

std::string name_as_stored(const std::string& name) {
#ifdef _WIN32
    return name.substr(0, name.find_last_not_of(". ") + 1);
#else
    return name;
#endif
}

std::string output_key(const std::string& name) {
#ifdef _WIN32
    std::string key = name_as_stored(name);
    for (char& c : key) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return key;
#else
    return written_path(name);
#endif
}

bool names_one_output(const std::string& a, const std::string& b) {
    return a == b || output_key(a) == output_key(b);
}
