// The driver holds the program's fixed buffers. Nothing is written for a file unless its
// stream depacked to the input; the output replaces an existing file only with -f, and then
// only once every byte is written (output_write.h).
#include "ktu_driver.h"

#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "clock_ms.h"
#include "file_read.h"
#include "ktu_names.h"
#include "ktu_routine.h"
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

// The progress line of a search over several files; shown only on a terminal.
struct ktu_progress {
    bool on = false;
    int file = 1;
    int files = 0;
    int models = 0;
    void show() const {
        if (on) print_ktu_progress(file, files, models);
    }
    void clear() const {
        if (on) clear_ktu_progress();
    }
};

bool stderr_is_terminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
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

// The model of least total (stream plus the CPU's routine; the stream alone without -r) among
// the set's models of the given type (0: any) whose sizes are in size; ties go to the smaller
// stream, then to the set's order. -1 when the CPU has a routine for none of them.
int least_total(const int64_t* size, ktu_cpu cpu, int type) {
    int best = -1;
    int64_t best_total = 0;
    for (int i = 0; i < search_model_count; ++i) {
        const pack_model m = search_model(i);
        if (type != 0 && m.type != type) continue;
        const int routine = routine_bytes(cpu, m);
        if (routine < 0) continue;
        const int64_t total = size[i] + routine;
        if (best < 0 || total < best_total || (total == best_total && size[i] < size[best])) {
            best = i;
            best_total = total;
        }
    }
    return best;
}

int64_t sizes[search_model_count];

void take_sizes(const search_result& r) {
    for (int i = 0; i < search_model_count; ++i) sizes[i] = r.size[i];
}

// The -v lines: the least model of each type by stream (or by total with -r), packed for its
// margin.
int print_type_bests(const file_matches& fm, parse_space& space, const ktu_file_job& job) {
    take_sizes(found);
    for (const compression_type_row& row : compression_types) {
        const int best = least_total(sizes, job.cpu, row.type);
        if (best < 0) continue;
        packed_file p;
        if (const int s = pack_checked(fm, search_model(best), space, job.name, p); s != ktu_ok)
            return s;
        print_ktu_type_best(p.model, static_cast<uint32_t>(p.outcome.size),
                            static_cast<uint32_t>(p.outcome.margin),
                            job.cpu == ktu_cpu::none ? -1 : routine_bytes(job.cpu, p.model));
    }
    return ktu_ok;
}

// Whether a name may be written: it exists only with -f, and not as a folder, whose write
// would fail after the other file of the pair was written.
bool free_to_write(const ktu_file_job& job, const std::string& out) {
    if (!job.force && exists(out)) {
        print_ktu_error(out + ": exists (-f replaces it)");
        return false;
    }
    if (const int err = folder_at(out); err != 0) {
        errno = err;
        report_errno(out, ktu_prefix);
        return false;
    }
    return true;
}

// The routines this run has written, by output_key. Files whose outputs share a base (level.1
// and level.2 give level-t22.1, level-t22.2 and one level-t22.asm) share the routine, whose name
// carries the model and the CPU and so stands for one text: a later file finds it written, not
// in its way.
std::vector<std::string> routines_written;

bool routine_written(const std::string& name) {
    if (routines_written.empty()) return false;
    const std::string key = output_key(name);
    return std::find(routines_written.begin(), routines_written.end(), key) !=
           routines_written.end();
}

// Whether a routine name may be written, or was by this run.
bool routine_free(const ktu_file_job& job, const std::string& name) {
    return routine_written(name) || free_to_write(job, name);
}

// The output name, checked: not the input, read back as the model, not replacing a file
// without -f. Empty after the message when the file must be skipped.
std::string output_for(const ktu_file_job& job, const pack_model& model) {
    const std::string out = job.output.empty() ? tagged_name(job.name, model) : job.output;
    // Read back as the file will be named, which on Windows may lose dots at its end.
    const name_check check = check_name_model(name_as_stored(out), model);
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
    return free_to_write(job, out) ? out : "";
}

// The routine's name beside the output, checked likewise; empty after the message.
std::string routine_for(const ktu_file_job& job, const std::string& out) {
    const std::string name = routine_name(out, job.cpu);
    if (names_same_file(job.name, name)) {
        print_ktu_error(name + ": the routine would replace the input");
        return "";
    }
    if (names_one_output(out, name)) {
        print_ktu_error(name + ": the routine would replace the packed file");
        return "";
    }
    return routine_free(job, name) ? name : "";
}

bool write_named(const std::string& name, const uint8_t* data, size_t size) {
    const write_result w = write_output_file(name, data, size);
    if (w.failure == write_failure::none) return true;
    errno = w.err;
    report_errno(name, ktu_prefix);
    return false;
}

// Whether the output, and with -r its routine, may be written; false after the message.
bool outputs_free(const ktu_file_job& job, const std::string& out) {
    if (!free_to_write(job, out)) return false;
    return job.cpu == ktu_cpu::none || routine_free(job, routine_name(out, job.cpu));
}

// Under -b the model, and so the tagged name, is known only after the search, which is the
// long part of the work: an existing output of the file under any model of the search set
// (or its routine, with -r) refuses it before (the same input finds the same model). A name
// given with -o is checked whole but for the model it reads back, which waits for the search.
// False after the message.
bool search_output_free(const ktu_file_job& job) {
    if (!job.output.empty()) {
        if (names_same_file(job.name, job.output)) {
            print_ktu_error(job.output + ": the output would replace the input");
            return false;
        }
        return outputs_free(job, job.output);
    }
    if (job.force) return true;
    for (int i = 0; i < search_model_count; ++i)
        if (!outputs_free(job, tagged_name(job.name, search_model(i)))) return false;
    return true;
}

// Reads the job's file into in_buf; its size, or 0 after the message.
int32_t read_input(const ktu_file_job& job) {
    const file_read in = read_whole_file(job.name, in_buf, sizeof in_buf, ktu_prefix);
    if (!in.ok) return 0;
    if (in.size == 0) {
        print_ktu_error(job.name + ": empty, nothing to pack");
        return 0;
    }
    if (in.size > static_cast<size_t>(max_input)) {
        print_ktu_error(job.name + ": longer than 65536 bytes");
        return 0;
    }
    return static_cast<int32_t>(in.size);
}

// The bytes of a -B group's input in in_buf[0..n) when a second reading would not give them
// again (a FIFO, a pipe, a device); empty for a regular file, which is read again when packed.
std::string kept_input(const ktu_file_job& job, int32_t n) {
    struct stat st;
    if (stat(job.name.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return "";
    return std::string(reinterpret_cast<const char*>(in_buf), static_cast<size_t>(n));
}

// Packs one file: under the group's model when chosen is given, else by the job's own -t or -b.
// The input is read, or taken from kept when the group's search kept it.
int pack_file(const ktu_file_job& job, const pack_model* chosen, const ktu_progress& progress,
              const std::string& kept = "") {
    int32_t n = static_cast<int32_t>(kept.size());
    if (n > 0)
        memcpy(in_buf, kept.data(), kept.size());
    else
        n = read_input(job);
    if (n == 0) return ktu_failed;
    const pack_model given = chosen ? *chosen : job.model;
    if (job.cpu != ktu_cpu::none && (chosen || !job.search) && routine_bytes(job.cpu, given) < 0) {
        print_ktu_error(job.name + ": no " + cpu_label(job.cpu) + " routine for " +
                        model_tag(given));
        return ktu_failed;
    }
    // Every check of the outputs that needs no packing comes first.
    const bool search = job.search && !chosen;
    std::string out, routine_file;
    if (!search) {
        out = output_for(job, given);
        if (out.empty()) return ktu_failed;
        if (job.cpu != ktu_cpu::none && (routine_file = routine_for(job, out)).empty())
            return ktu_failed;
    } else if (!search_output_free(job)) {
        return ktu_failed;
    }

    const unsigned start = now_ms();
    file_matches fm;
    prepare_file(in_buf, n, fm);
    parse_space space;
    size_parse_space(fm.size, space);
    if (search || job.verbose) {
        // Only a file the count holds shows it: -v under -t or -B searches once more, uncounted.
        const bool shown = search && !job.quiet;
        if (shown) progress.show();
        search_models(fm, search_threads(), found);
        if (shown) progress.clear();
    }
    pack_model model = given;
    if (search) {
        take_sizes(found);
        const int best = least_total(sizes, job.cpu, 0);
        if (best < 0) {
            print_ktu_error(job.name + ": no model of the search set has a " + cpu_label(job.cpu) +
                            " routine");
            return ktu_failed;
        }
        model = search_model(best);
    }
    packed_file p;
    if (const int s = pack_checked(fm, model, space, job.name, p); s != ktu_ok) return s;
    const unsigned elapsed = now_ms() - start;

    if (search) {
        out = output_for(job, model);
        if (out.empty()) return ktu_failed;
        if (job.cpu != ktu_cpu::none && (routine_file = routine_for(job, out)).empty())
            return ktu_failed;
    }
    std::string routine_text;
    if (job.cpu != ktu_cpu::none && !routine_source(job.cpu, model, routine_text)) {
        print_ktu_error(out + ": internal error: no routine text for " + model_tag(model));
        return ktu_internal_error;
    }
    if (!write_named(out, stream_buf, static_cast<size_t>(p.outcome.size))) return ktu_failed;
    if (!routine_file.empty() && !routine_written(routine_file)) {
        if (!write_named(routine_file, reinterpret_cast<const uint8_t*>(routine_text.data()),
                         routine_text.size()))
            return ktu_failed;
        routines_written.push_back(output_key(routine_file));
    }
    if (!job.quiet) {
        print_ktu_report({job.name.c_str(), out.c_str(), model, static_cast<uint32_t>(n),
                          static_cast<uint32_t>(p.outcome.size),
                          static_cast<uint32_t>(p.outcome.margin), elapsed,
                          job.cpu == ktu_cpu::none ? -1 : routine_bytes(job.cpu, model)});
        if (job.verbose) return print_type_bests(fm, space, job);
    }
    return ktu_ok;
}

// The -B group's model: every file searched, the sizes summed, the routine counted once.
// Files that cannot be read get their message and status here and are left out of the group;
// kept takes the bytes of those that could not be read again.
int choose_group_model(const ktu_run& run, size_t first, size_t end, std::vector<bool>& usable,
                       std::vector<std::string>& kept, ktu_progress& progress, pack_model& model) {
    int status = ktu_ok;
    static int64_t total[search_model_count];
    std::fill(total, total + search_model_count, 0);
    bool any = false;
    for (size_t f = first; f < end; ++f) {
        // As outside a group: a file under -q is neither shown nor counted, a failed one counted.
        const bool counted = !run.files[f].quiet;
        const int32_t n = read_input(run.files[f]);
        usable[f - first] = n > 0 && search_output_free(run.files[f]);
        if (!usable[f - first]) {
            status = ktu_failed;
            if (counted) ++progress.file;
            continue;
        }
        kept[f - first] = kept_input(run.files[f], n);
        file_matches fm;
        prepare_file(in_buf, n, fm);
        if (counted) progress.show();
        search_models(fm, search_threads(), found);
        if (counted) {
            progress.clear();
            ++progress.file;
        }
        for (int i = 0; i < search_model_count; ++i) total[i] += found.size[i];
        any = true;
    }
    if (!any) return status;
    const ktu_file_job& job = run.files[first];
    const int best = least_total(total, job.cpu, 0);
    if (best < 0) {
        print_ktu_error(std::string("no model of the search set has a ") + cpu_label(job.cpu) +
                        " routine");
        std::fill(usable.begin(), usable.end(), false);
        return ktu_failed;
    }
    model = search_model(best);
    return status;
}

} // namespace

int run_ktu_files(const ktu_run& run) {
    routines_written.clear();
    int status = ktu_ok;
    ktu_progress progress;
    for (const ktu_file_job& job : run.files)
        if (job.search && !job.quiet) ++progress.files;
    progress.on = progress.files > 1 && stderr_is_terminal();
    progress.models = search_model_count;
    for (size_t f = 0; f < run.files.size();) {
        const ktu_file_job& job = run.files[f];
        if (job.group == 0) {
            status = std::max(status, pack_file(job, nullptr, progress));
            if (job.search && !job.quiet) ++progress.file;
            ++f;
            continue;
        }
        size_t end = f;
        while (end < run.files.size() && run.files[end].group == job.group) ++end;
        // The whole group, however many files it has: a cut would give the rest another model.
        std::vector<bool> usable(end - f);
        std::vector<std::string> kept(end - f);
        pack_model model;
        status = std::max(status, choose_group_model(run, f, end, usable, kept, progress, model));
        for (size_t g = f; g < end; ++g)
            if (usable[g - f])
                status = std::max(status, pack_file(run.files[g], &model, progress, kept[g - f]));
        f = end;
    }
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
