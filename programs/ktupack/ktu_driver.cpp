// The driver holds the program's fixed buffers. Nothing is written for a file unless its
// stream depacked to the input; the output replaces an existing file only with -f, and then
// only once every byte is written (output_write.h).
#include "ktu_driver.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "clock_ms.h"
#include "file_read.h"
#include "ktu_names.h"
#include "ktu_texts.h"
#include "model_search.h"
#include "output_write.h"
#include "same_file.h"
#include "stdout_check.h"
#include "token_walk.h"

namespace {

// Before the system's reasons, which the shared reading and writing print with perror.
constexpr const char* ktu_prefix = "KtuPack: ";

constexpr int32_t max_input = 65536;
constexpr int32_t max_stream = 2 * max_input + 64;

uint8_t in_buf[max_input + 1];
uint8_t stream_buf[max_stream];
uint8_t check_buf[max_input + 1];
token tokens[max_input];
search_result found;

// Two: each worker has its own parse tables (9 MB), and two keep the peak memory near 35 MB.
int search_threads() {
    const unsigned hw = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(hw, 1u, 2u));
}

// Whether anything has the name, a dangling link included (Windows has no links to dangle).
bool exists(const std::string& name) {
    struct stat st;
#ifdef _WIN32
    return stat(name.c_str(), &st) == 0;
#else
    return lstat(name.c_str(), &st) == 0;
#endif
}

struct packed_file {
    pack_model model;
    pack_outcome outcome;
};

// Packs in_buf[0..n) under model into stream_buf and depacks it again; ktu_ok, or
// ktu_internal_error after the message.
int pack_checked(const file_matches& fm, const pack_model& model, parse_space& space,
                 const std::string& name, packed_file& out) {
    out.model = model;
    if (pack_stream(fm, model, space, tokens, stream_buf, max_stream, out.outcome) !=
        universal_status::ok) {
        print_ktu_error(name + ": internal error: the parse and its stream disagree");
        return ktu_internal_error;
    }
    const depack_outcome d =
        depack_stream(stream_buf, out.outcome.size, model, check_buf, sizeof check_buf);
    if (d.status != walk_status::end_mark || d.out_size != fm.size ||
        memcmp(check_buf, in_buf, static_cast<size_t>(fm.size)) != 0) {
        print_ktu_error(name + ": internal error: the stream does not depack to the input");
        return ktu_internal_error;
    }
    return ktu_ok;
}

// The -v lines: the least model of each type, packed for its margin.
int print_type_bests(const file_matches& fm, parse_space& space, const std::string& name) {
    for (const compression_type_row& row : compression_types) {
        const int best = least_of_type(found, row.type);
        packed_file p;
        if (const int s = pack_checked(fm, search_model(best), space, name, p); s != ktu_ok)
            return s;
        print_ktu_type_best(p.model, static_cast<uint32_t>(p.outcome.size),
                            static_cast<uint32_t>(p.outcome.margin));
    }
    return ktu_ok;
}

// The output name, checked: not the input, read back as the model, not replacing a file
// without -f. Empty after the message when the file must be skipped.
std::string output_for(const ktu_file_job& job, const pack_model& model) {
    const std::string out = job.output.empty() ? tagged_name(job.name, model) : job.output;
    const name_check check = check_name_model(out, model);
    if (check == name_check::other_model || (check == name_check::no_model && job.output.empty())) {
        print_ktu_error(out + ": KtuList would read " +
                        (check == name_check::other_model ? "another model" : "no model") +
                        " from this name, not " + model_tag(model));
        return "";
    }
    if (names_same_file(job.name, out)) {
        print_ktu_error(out + ": the output would replace the input");
        return "";
    }
    if (!job.force && exists(out)) {
        print_ktu_error(out + ": exists (-f replaces it)");
        return "";
    }
    return out;
}

// Under -b the model, and so the tagged name, is known only after the search, which is the
// long part of the work: an existing output of the file under any model of the search set
// refuses it before (the same input finds the same model). A name given with -o is checked
// whole but for the model it reads back, which waits for the search. False after the message.
bool search_output_free(const ktu_file_job& job) {
    if (!job.output.empty()) {
        if (names_same_file(job.name, job.output)) {
            print_ktu_error(job.output + ": the output would replace the input");
            return false;
        }
        if (!job.force && exists(job.output)) {
            print_ktu_error(job.output + ": exists (-f replaces it)");
            return false;
        }
        return true;
    }
    if (job.force) return true;
    for (int i = 0; i < search_model_count; ++i) {
        const std::string out = tagged_name(job.name, search_model(i));
        if (exists(out)) {
            print_ktu_error(out + ": exists (-f replaces it)");
            return false;
        }
    }
    return true;
}

int pack_file(const ktu_file_job& job) {
    const file_read in = read_whole_file(job.name, in_buf, sizeof in_buf, ktu_prefix);
    if (!in.ok) return ktu_failed;
    if (in.size == 0) {
        print_ktu_error(job.name + ": empty, nothing to pack");
        return ktu_failed;
    }
    if (in.size > static_cast<size_t>(max_input)) {
        print_ktu_error(job.name + ": longer than 65536 bytes");
        return ktu_failed;
    }
    // Every check of the output that needs no packing comes first.
    std::string out;
    if (!job.search) {
        out = output_for(job, job.model);
        if (out.empty()) return ktu_failed;
    } else if (!search_output_free(job)) {
        return ktu_failed;
    }

    const unsigned start = now_ms();
    file_matches fm;
    prepare_file(in_buf, static_cast<int32_t>(in.size), fm);
    parse_space space;
    size_parse_space(fm.size, space);
    if (job.search || job.verbose) search_models(fm, search_threads(), found);
    packed_file p;
    const pack_model model = job.search ? search_model(found.best) : job.model;
    if (const int s = pack_checked(fm, model, space, job.name, p); s != ktu_ok) return s;
    const unsigned elapsed = now_ms() - start;

    if (job.search) {
        out = output_for(job, model);
        if (out.empty()) return ktu_failed;
    }
    const write_result w = write_output_file(out, stream_buf, static_cast<size_t>(p.outcome.size));
    if (w.failure != write_failure::none) {
        errno = w.err;
        report_errno(out, ktu_prefix);
        return ktu_failed;
    }
    if (!job.quiet) {
        print_ktu_report({job.name.c_str(), out.c_str(), model, static_cast<uint32_t>(in.size),
                          static_cast<uint32_t>(p.outcome.size),
                          static_cast<uint32_t>(p.outcome.margin), elapsed});
        if (job.verbose) return print_type_bests(fm, space, job.name);
    }
    return ktu_ok;
}

} // namespace

int run_ktu_files(const ktu_run& run) {
    int status = ktu_ok;
    for (const ktu_file_job& job : run.files)
        status = std::max(status, pack_file(job));
    return status;
}

int run_ktupack(int argc, char** argv) {
    ktu_run run;
    const ktu_args args = read_ktu_args(argc, argv, run);
    int status = ktu_ok;
    switch (args.outcome) {
    case ktu_args_outcome::usage_ok: print_ktu_usage(); break;
    case ktu_args_outcome::usage_fail:
        print_ktu_usage();
        status = ktu_failed;
        break;
    case ktu_args_outcome::version: print_ktu_version(); break;
    case ktu_args_outcome::refused:
        print_ktu_error(args.message);
        status = ktu_failed;
        break;
    case ktu_args_outcome::run: status = run_ktu_files(run); break;
    }
    return finish_stdout(status);
}
