// fork and exec rather than system(): arguments reach the program exactly as given,
// with no shell to expand or split them.
#include "cli_runner.h"

#include "tested_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

temp_dir::temp_dir() {
    std::string pattern = (fs::temp_directory_path() / "ktulist-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root = pattern;
    path = root + "/work";
    fs::create_directory(path);
}

temp_dir::~temp_dir() {
    std::error_code ec;
    fs::remove_all(root, ec);
}

void write_file(const std::string& path, const std::string& bytes) {
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty()) fs::create_directories(parent);
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::map<std::string, std::string> dir_files(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string rel = it->path().lexically_relative(dir).string();
        if (it->is_symlink()) files[rel] = "-> " + fs::read_symlink(it->path()).string();
        else if (it->is_regular_file()) files[rel] = read_file(it->path().string());
    }
    return files;
}

cli_result run_program_in(const temp_dir& dir, const std::string& program,
                          const std::vector<std::string>& args) {
    const std::string out_path = dir.root + "/stdout";
    const std::string err_path = dir.root + "/stderr";
    std::vector<std::string> command = tested_command(program);
    std::vector<std::string> copies = args;
    const std::vector<char*> argv = exec_argv(command, copies);

    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || chdir(dir.path.c_str()) != 0) _exit(127);
        dup2(out, 1);
        dup2(err, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    cli_result r;
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    r.out = console_text(read_file(out_path));
    r.err = console_text(read_file(err_path));
    return r;
}

cli_result run_ktulist_in(const temp_dir& dir, const std::vector<std::string>& args) {
    return run_program_in(dir, KTULIST_PATH, args);
}
