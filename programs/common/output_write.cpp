#include "output_write.h"
#include "output_write_direct.h"
#include "same_file.h"
#include "temp_guard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

// The most of the target's name the temporary name keeps: with the dot before it and the
// six-letter suffix it stays under the 255 bytes a name may have.
constexpr size_t temp_base_max = 200;

bool write_all(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// The file the output really is: the name, or the regular file a link at the name points to,
// or the file a dangling link names, which the write creates.
std::string target_of(const std::string& name) {
    struct stat lst;
    if (lstat(name.c_str(), &lst) != 0 || !S_ISLNK(lst.st_mode)) return name;
    if (char* real = realpath(name.c_str(), nullptr); real != nullptr) {
        std::string target = real;
        free(real);
        return target;
    }
    return links_followed(name);
}

// The mode the output gets: the replaced file's, or what a new file gets under the umask.
mode_t new_file_mode(bool exists, const struct stat& st) {
    if (exists) return st.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

int folder_at(const std::string& name) {
    struct stat st;
    return stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? EISDIR : 0;
}

write_result write_output_file(const std::string& name, const uint8_t* data, size_t size) {
    struct stat st;
    const bool exists = stat(name.c_str(), &st) == 0;
    // A link that leads to no file (ENOENT) is written as a new file at the name it leads to,
    // through a temporary file as any other; one that cannot be followed (a loop) is written
    // directly, which fails with the reason.
    const int stat_err = exists ? 0 : errno;
    struct stat lst;
    const bool broken_link = !exists && stat_err != ENOENT && lstat(name.c_str(), &lst) == 0;
    // A name ending in a slash names a folder: no temporary file can stand for it, and the
    // direct creation fails with the reason the user can act on (EISDIR).
    const bool folder_name = !name.empty() && name.back() == '/';
    if ((exists && !S_ISREG(st.st_mode)) || broken_link || folder_name)
        return write_directly(name, data, size);

    const std::string target = target_of(name);
    const size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    // Cut so that the temporary name stays within a name's limit wherever the target's does.
    std::string temp = folder + "." + base.substr(0, temp_base_max) + ".XXXXXX";
    temp_guard guard;
    open_temp_guard(guard);
    const int fd = mkstemp(temp.data());
    const int create_err = errno;
    arm_temp_guard(guard, fd < 0 ? nullptr : temp.c_str());
    if (fd < 0) {
        close_temp_guard(guard);
        return failed(write_failure::create, create_err);
    }

    int err = 0;
    if (fchmod(fd, new_file_mode(exists, st)) != 0 || !write_all(fd, data, size)) err = errno;
    if (close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && rename(temp.c_str(), target.c_str()) != 0) err = errno;
    if (err != 0) unlink(temp.c_str());
    close_temp_guard(guard);
    if (err == 0) return {};
    return failed(write_failure::write, err);
}
