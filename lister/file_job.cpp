// File input and output around the in-memory loop: a read or write failure, or an output
// name that would overwrite the packed file itself, ends the file with a message.
#include "file_job.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "token_loop.h"

namespace {

uint8_t in_buf[kt_buf_size];

// perror after the listing printed so far, so that the two streams keep their order.
void report_errno(const std::string& name) {
    const int saved = errno;
    fflush(stdout);
    errno = saved;
    perror(name.c_str());
}

// Reads up to kt_buf_size bytes; false after reporting a failure to open or read.
bool load_file(const std::string& arg, int32_t& size, bool& cut) {
    FILE* f = fopen(arg.c_str(), "rb");
    if (f == nullptr) {
        report_errno(arg);
        return false;
    }
    const size_t got = fread(in_buf, 1, kt_buf_size, f);
    cut = got == kt_buf_size && fgetc(f) != EOF;
    if (ferror(f)) {
        report_errno(arg);
        fclose(f);
        return false;
    }
    fclose(f);
    size = static_cast<int32_t>(got);
    return true;
}

// The same file however it is spelled: same text, or same device and inode.
bool names_same_file(const std::string& a, const std::string& b) {
    if (a == b) return true;
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// A partial output is worse than none: it is removed when any byte fails to reach it.
void write_output(const std::string& out_name, int32_t size) {
    FILE* f = fopen(out_name.c_str(), "wb");
    if (f == nullptr) {
        report_errno(out_name);
        return;
    }
    const size_t want = static_cast<size_t>(size);
    bool good = fwrite(out_buf, 1, want, f) == want;
    if (fclose(f) != 0) good = false;
    if (!good) {
        printf("Can't write %s\n", out_name.c_str());
        remove(out_name.c_str());
    }
}

} // namespace

void process_file(const std::string& arg, const name_model& model, run_mode mode,
                  const std::string& out_name) {
    int32_t size = 0;
    bool cut = false;
    if (!load_file(arg, size, cut)) return;
    if (mode != run_mode::list && names_same_file(arg, out_name)) {
        printf("\nError in %s: Output file %s is the input file itself\n", arg.c_str(),
               out_name.c_str());
        return;
    }
    stream_job job;
    job.name = arg.c_str();
    job.model = model.model;
    job.first_byte = model.first_byte;
    job.mode = mode;
    job.input_cut = cut;
    const stream_result result = list_or_depack(in_buf, size, job);
    if (result.write_output) write_output(out_name, result.stats.unpacked);
}
