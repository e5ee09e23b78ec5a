// File input and output around the in-memory loop: a read or write failure, or an output
// name that would overwrite the packed file itself, ends the file with a message.
#include "file_job.h"

#include <cerrno>
#include <cstdio>

#include "file_read.h"
#include "output_write.h"
#include "same_file.h"
#include "token_loop.h"

namespace {

uint8_t in_buf[kt_buf_size];

// A failed output leaves whatever was at the name before untouched.
void write_output(const std::string& out_name, int32_t size) {
    const write_result w = write_output_file(out_name, out_buf, static_cast<size_t>(size));
    if (w.failure == write_failure::create) {
        errno = w.err;
        report_errno(out_name);
    } else if (w.failure == write_failure::write) {
        printf("Can't write %s\n", out_name.c_str());
    }
}

} // namespace

void process_file(const std::string& arg, const name_model& model, run_mode mode,
                  const std::string& out_name) {
    const file_read in = read_whole_file(arg, in_buf, kt_buf_size);
    if (!in.ok) return;
    if (mode != run_mode::list && names_same_file(arg, out_name)) {
        printf("\nError in %s: Output file %s is the input file itself\n", arg.c_str(),
               out_name.c_str());
        return;
    }
    stream_job job;
    job.name = arg.c_str();
    job.model = model.model;
    job.mode = mode;
    job.input_cut = in.longer;
    const stream_result result = list_or_depack(in_buf, static_cast<int32_t>(in.size), job);
    if (result.write_output) write_output(out_name, result.stats.unpacked);
}
