#include "program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "tested_program.h"

extern char** environ;

namespace {

// The environment of the child: the test's own, with the entries of env added or replaced.
std::vector<std::string> child_environment(const std::vector<std::string>& env) {
    std::vector<std::string> all;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string& n : env)
            replaced = replaced || n.compare(0, name.size(), name) == 0;
        if (!replaced) all.push_back(entry);
    }
    all.insert(all.end(), env.begin(), env.end());
    return all;
}

std::vector<char*> pointers(std::vector<std::string>& words) {
    std::vector<char*> p;
    for (std::string& w : words) p.push_back(w.data());
    p.push_back(nullptr);
    return p;
}

std::FILE* capture_file() {
    std::FILE* f = std::tmpfile();
    if (f == nullptr) throw std::runtime_error("tmpfile failed");
    // Another child started meanwhile must not hold it.
    fcntl(fileno(f), F_SETFD, FD_CLOEXEC);
    return f;
}

std::string captured(std::FILE* f) {
    std::string s;
    if (f == nullptr) return s;
    std::rewind(f);
    char buf[4096];
    for (size_t k; (k = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, k);
    std::fclose(f);
    return s;
}

// In the child, after fork: only calls that are safe there. Returns on success.
void set_up_child(const run_options& o, int out, int err) {
    const int in = open(o.stdin_path.c_str(), O_RDONLY);
    const int to = o.stdout_path.empty()
                       ? out
                       : open(o.stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (in < 0 || to < 0) _exit(127);
    if (!o.folder.empty() && chdir(o.folder.c_str()) != 0) _exit(127);
    dup2(in, 0);
    dup2(to, 1);
    dup2(o.err_to_out ? to : err, 2);
    if (o.file_size_limit >= 0) {
        signal(SIGXFSZ, o.xfsz_ignored ? SIG_IGN : SIG_DFL);
        const rlimit lim{rlim_t(o.file_size_limit), rlim_t(o.file_size_limit)};
        if (setrlimit(RLIMIT_FSIZE, &lim) != 0) _exit(126);
    }
    if (o.unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(125);
}

int exit_status(int wstatus) {
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
}

} // namespace

started_program start_program(const std::vector<std::string>& argv, const run_options& o) {
    if (argv.empty()) throw std::invalid_argument("no program to start");
    // Everything the child needs is made before the fork.
    std::vector<std::string> args = argv;
    std::vector<std::string> env = child_environment(o.env);
    const std::vector<char*> arg_p = pointers(args);
    std::vector<char*> env_p = pointers(env);
    started_program p;
    p.console = o.console;
    p.out = capture_file();
    p.err = capture_file();
    p.pid = fork();
    if (p.pid < 0) throw std::runtime_error("fork failed");
    if (p.pid == 0) {
        set_up_child(o, fileno(p.out), fileno(p.err));
        environ = env_p.data();
        execvp(arg_p[0], arg_p.data());
        _exit(127);
    }
    return p;
}

run_result finish_program(started_program& p) {
    int wstatus = 0;
    while (waitpid(p.pid, &wstatus, 0) < 0)
        if (errno != EINTR) throw std::runtime_error("waitpid failed");
    run_result r;
    r.status = exit_status(wstatus);
    r.out = captured(p.out);
    r.err = captured(p.err);
    p.out = p.err = nullptr;
    if (p.console) {
        r.out = console_text(r.out);
        r.err = console_text(r.err);
    }
    return r;
}

run_result run_program(const std::vector<std::string>& argv, const run_options& o) {
    started_program p = start_program(argv, o);
    return finish_program(p);
}

started_program start_tested(const std::string& built_path, const std::vector<std::string>& args,
                             const scratch_folder& dir, run_options o) {
    // A program missing from the runner's folder is the test's error, raised before the fork.
    std::vector<std::string> argv = tested_command(built_path);
    argv.insert(argv.end(), args.begin(), args.end());
    o.folder = dir.path;
    o.console = true;
    return start_program(argv, o);
}

run_result run_tested(const std::string& built_path, const std::vector<std::string>& args,
                      const scratch_folder& dir, run_options o) {
    started_program p = start_tested(built_path, args, dir, std::move(o));
    return finish_program(p);
}

int run_in_child(const std::function<int()>& fn, const run_options& o) {
    std::FILE* out = capture_file();
    std::FILE* err = capture_file();
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        set_up_child(o, fileno(out), fileno(err));
        // An exception must not climb into a second copy of the test program.
        int status = 124;
        try {
            status = fn();
        } catch (...) {
        }
        _exit(status);
    }
    started_program p{pid, out, err, false};
    return finish_program(p).status;
}
