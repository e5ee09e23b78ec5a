// The safe output write on Windows: there are no links or permission bits to keep, so the
// new file is created exclusively beside the target and moved over it in one step.
#include "output_write.h"
#include "output_write_direct.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>

namespace {

// A folder, a device (NUL, CON) or a pipe: something other than a file on a disk.
bool is_special(const std::string& name) {
    const DWORD attrs = GetFileAttributesA(name.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
    HANDLE h = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const DWORD type = GetFileType(h);
    CloseHandle(h);
    return type != FILE_TYPE_DISK;
}

// The errno whose text the C runtime would give for a failed Windows call.
int errno_of(DWORD code) {
    switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    default: return EIO;
    }
}

// A file of a new name beside target, created exclusively (never one another writer holds),
// open for binary writing; -1 with errno when none could be made.
int create_temp(const std::string& target, std::string& temp) {
    const size_t sep = target.find_last_of("/\\:");
    const std::string folder = sep == std::string::npos ? "" : target.substr(0, sep + 1);
    const std::string base = sep == std::string::npos ? target : target.substr(sep + 1);
    static unsigned serial = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char tag[48];
        const unsigned long process = GetCurrentProcessId();
        const unsigned long ticks = GetTickCount();
        snprintf(tag, sizeof tag, ".%lu.%lu.%u.tmp", process, ticks, serial++);
        // Cut so that the temporary name stays within a name's limit wherever the target's does.
        temp = folder + "." + base.substr(0, 200) + tag;
        const int flags = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY;
        const int fd = _open(temp.c_str(), flags, _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool write_all(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const unsigned chunk = size > INT_MAX ? unsigned(INT_MAX) : unsigned(size);
        const int n = _write(fd, data, chunk);
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Moves temp over target in one step. Windows refuses while another process has the target
// open (another writer checking it, a virus scanner), so a refusal is retried for a second.
int replace_target(const std::string& temp, const std::string& target) {
    const DWORD how = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    for (int tries = 0;; ++tries) {
        if (MoveFileExA(temp.c_str(), target.c_str(), how)) return 0;
        const DWORD code = GetLastError();
        const bool busy = code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
        if (!busy || tries == 100) return errno_of(code);
        Sleep(10);
    }
}

} // namespace

int folder_at(const std::string& name) {
    const DWORD attrs = GetFileAttributesA(name.c_str());
    const bool folder = attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return folder ? EACCES : 0;
}

write_result write_output_file(const std::string& name, const uint8_t* data, size_t size) {
    // A name ending in a separator names a folder: no temporary file can stand for it, and the
    // direct creation fails with the runtime's own reason.
    const bool folder_name = !name.empty() && (name.back() == '/' || name.back() == '\\');
    if (folder_name || is_special(name)) return write_directly(name, data, size);
    std::string temp;
    const int fd = create_temp(name, temp);
    if (fd < 0) return failed(write_failure::create, errno);

    int err = 0;
    if (!write_all(fd, data, size)) err = errno;
    if (_close(fd) != 0 && err == 0) err = errno;
    if (err == 0) err = replace_target(temp, name);
    if (err == 0) return {};
    _unlink(temp.c_str());
    return failed(write_failure::write, err);
}
