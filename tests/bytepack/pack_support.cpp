// Implementation of the test helpers. Streams are depacked by the readers' own token walk.
#include "pack_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "forward_pass_plain.h"
#include "tested_program.h"
#include "pack_input.h"
#include "pack_messages.h"
#include "token_walk.h"
#include "variant.h"

bytes to_bytes(const std::string& s) { return bytes(s.begin(), s.end()); }

std::unique_ptr<pack_tables> fresh_tables() { return std::make_unique<pack_tables>(); }

packed pack_bytes(const bytes& in, bool ktb, bool plain) {
    auto t = fresh_tables();
    std::vector<uint8_t> out(max_output);
    packed r;
    const int n = int(in.size());
    pack_status s;
    if (ktb)
        s = plain ? pack_input_plain<ktb_variant>(*t, in.data(), n, out.data(), r.fig)
                  : pack_input<ktb_variant>(*t, in.data(), n, out.data(), r.fig);
    else
        s = plain ? pack_input_plain<kta_variant>(*t, in.data(), n, out.data(), r.fig)
                  : pack_input<kta_variant>(*t, in.data(), n, out.data(), r.fig);
    r.status = exit_status(s);
    testing::internal::CaptureStdout();
    print_pack_failure(s);
    r.printed = testing::internal::GetCapturedStdout();
    if (r.status == 0) r.stream.assign(out.begin(), out.begin() + r.fig.packed_len);
    return r;
}

bool depack(const bytes& stream, bool ktb, bytes& out) {
    const pack_model model{ktb ? type_ktb : type_kta, ktb ? 2 : 1, 0, 0};
    out.assign(max_input + 16, 0);
    const depack_outcome d =
        depack_stream(stream.data(), int32_t(stream.size()), model, out.data(), uint32_t(out.size()));
    out.resize(size_t(d.out_size));
    // The end mark is the last byte.
    return d.status == walk_status::end_mark && size_t(d.packed_pos) == stream.size();
}

bytes read_file(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void write_file(const std::filesystem::path& p, const bytes& b) {
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

scratch_dir::scratch_dir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "ktpack.XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path = tmpl;
}

scratch_dir::~scratch_dir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

namespace {

std::string slurp_fd(int fd) {
    std::string s;
    char buf[4096];
    ssize_t k;
    while ((k = read(fd, buf, sizeof buf)) > 0) s.append(buf, size_t(k));
    return s;
}

} // namespace

namespace {

run_result run_command(std::vector<std::string> command, std::vector<std::string> args,
                       const std::filesystem::path& dir) {
    // Output goes to files, so that neither pipe can fill up while the other is read.
    const auto out_path = dir / ".stdout";
    const auto err_path = dir / ".stderr";
    run_result r;
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        int o = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int e = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(o, 1);
        dup2(e, 2);
        const std::vector<char*> argv = exec_argv(command, args);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int st = 0;
    waitpid(pid, &st, 0);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    int o = open(out_path.c_str(), O_RDONLY);
    int e = open(err_path.c_str(), O_RDONLY);
    r.out = slurp_fd(o);
    r.err = slurp_fd(e);
    close(o);
    close(e);
    std::filesystem::remove(out_path);
    std::filesystem::remove(err_path);
    return r;
}

} // namespace

run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::filesystem::path& dir) {
    return run_command({program}, args, dir);
}

run_result run_tested(const std::string& built_path, const std::vector<std::string>& args,
                      const std::filesystem::path& dir) {
    run_result r = run_command(tested_command(built_path), args, dir);
    r.out = console_text(r.out);
    r.err = console_text(r.err);
    return r;
}
