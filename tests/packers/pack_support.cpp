// Implementation of the test helpers. The depacker follows the lister's rules for KTA and KTB:
// literal bytes come from the stream, a sequence copies byte by byte from the output.
#include "pack_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "decode_token.h"
#include "pack_input.h"
#include "variant.h"

bytes to_bytes(const std::string& s) { return bytes(s.begin(), s.end()); }

std::unique_ptr<pack_tables> fresh_tables() { return std::make_unique<pack_tables>(); }

packed pack_bytes(const bytes& in, bool ktb, bool plain) {
    auto t = fresh_tables();
    std::vector<uint8_t> out(max_output);
    packed r;
    const int n = int(in.size());
    testing::internal::CaptureStdout();
    if (ktb)
        r.status = plain ? pack_input_plain<ktb_variant>(*t, in.data(), n, out.data(), r.fig)
                         : pack_input<ktb_variant>(*t, in.data(), n, out.data(), r.fig);
    else
        r.status = plain ? pack_input_plain<kta_variant>(*t, in.data(), n, out.data(), r.fig)
                         : pack_input<kta_variant>(*t, in.data(), n, out.data(), r.fig);
    r.printed = testing::internal::GetCapturedStdout();
    if (r.status == 0) r.stream.assign(out.begin(), out.begin() + r.fig.packed_len);
    return r;
}

bool depack(const bytes& stream, bool ktb, bytes& out) {
    out.clear();
    stream_cursor cur;
    reset_cursor(cur, stream.data(), int32_t(stream.size()));
    const pack_model model{ktb ? type_ktb : type_kta, ktb ? 2 : 1, 0, 0};
    testing::internal::CaptureStdout();
    bool ok = false;
    while (cur.pos < cur.size) {
        token t;
        if (decode_token(cur, model, "test", t) != decode_ok) break;
        if (t.length == 0) {
            ok = cur.pos == cur.size; // the end mark is the last byte
            break;
        }
        if (t.offset == 0) {
            if (size_t(cur.pos) + t.length > stream.size()) break;
            out.insert(out.end(), stream.begin() + cur.pos, stream.begin() + cur.pos + t.length);
            cur.pos += int32_t(t.length);
            continue;
        }
        if (t.offset > out.size()) break;
        for (uint32_t k = 0; k < t.length; ++k) out.push_back(out[out.size() - t.offset]);
    }
    testing::internal::GetCapturedStdout();
    return ok;
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

run_result run_program(const std::string& program, const std::vector<std::string>& args,
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
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
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
