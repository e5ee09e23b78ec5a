#include "same_file.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/stat.h>
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
#endif

} // namespace

bool names_same_file(const std::string& a, const std::string& b) {
    if (a == b) return true;
    file_id ia, ib;
    return identify(a, ia) && identify(b, ib) && same_id(ia, ib);
}
