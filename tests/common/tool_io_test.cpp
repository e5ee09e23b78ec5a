// The shared file library in process: the base end of names and the safe output write.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "base_end.h"
#include "output_write.h"
#include "program_run.h"
#include "temp_guard.h"

namespace fs = std::filesystem;

// A seam at link time: this program's write() stands before the C library's for the code under
// test, so that a case can end the writer by a signal while its temporary file exists.
namespace {
volatile sig_atomic_t signal_at_write = 0;
}

extern "C" ssize_t write(int fd, const void* buf, size_t n) {
    if (const int sig = signal_at_write; sig != 0) {
        signal_at_write = 0;
        raise(sig);
    }
    return syscall(SYS_write, fd, buf, n);
}

namespace {

TEST(base_end, cuts_at_a_dot_of_the_last_five_characters_after_the_last_separator) {
    const struct {
        const char* name;
        size_t end;
    } cases[] = {
        {"song.bin", 4}, {"a.tar.gz", 5}, {"data.jpeg2", 10},
        {"a.bin", 5},    {"noext", 5},    {"screen", 6},
        {"x.d/ab", 6},   {"v1.d/ls", 7},  {"dir.v2/file.tar", 11},
        {"d/e.f/g", 7},  {"ab/c.kta", 4}, {"x.d/.ab", 4},
        {"", 0},         {"......", 5},
    };
    for (const auto& c : cases) EXPECT_EQ(base_end(c.name), c.end) << c.name;
}

write_result write_text(const fs::path& p, const std::string& s) {
    return write_output_file(p.string(), reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

TEST(output_write, replaces_an_existing_file_and_keeps_its_mode) {
    scratch_folder d;
    write_file(d.path / "x.ktb", "old contents");
    fs::permissions(d.path / "x.ktb", fs::perms(0640));
    EXPECT_EQ(write_text(d.path / "x.ktb", "new").failure, write_failure::none);
    EXPECT_EQ(read_file(d.path / "x.ktb"), "new");
    EXPECT_EQ(fs::status(d.path / "x.ktb").permissions() & fs::perms::all, fs::perms(0640));
    EXPECT_EQ(d.names(), (std::set<std::string>{"x.ktb"}));
}

TEST(output_write, a_new_file_gets_the_mode_the_umask_gives) {
    scratch_folder d;
    const mode_t old = umask(022);
    EXPECT_EQ(write_text(d.path / "n.out", "data").failure, write_failure::none);
    umask(old);
    EXPECT_EQ(fs::status(d.path / "n.out").permissions() & fs::perms::all, fs::perms(0644));
    EXPECT_EQ(d.names(), (std::set<std::string>{"n.out"}));
}

TEST(output_write, a_link_to_a_regular_file_keeps_pointing_to_the_new_data) {
    scratch_folder d;
    fs::create_directory(d.path / "real");
    write_file(d.path / "real" / "data.bin", "old");
    fs::create_symlink("real/data.bin", d.path / "link.bin");
    EXPECT_EQ(write_text(d.path / "link.bin", "new data").failure, write_failure::none);
    EXPECT_TRUE(fs::is_symlink(d.path / "link.bin"));
    EXPECT_EQ(read_file(d.path / "real" / "data.bin"), "new data");
    EXPECT_EQ(d.names(), (std::set<std::string>{"link.bin", "real"}));
    EXPECT_EQ(fs::directory_iterator(d.path / "real")->path().filename(), "data.bin");
}

// A dangling link gets the new file at the name it leads to, whole or not at all: under a
// file-size limit the write fails with EFBIG and leaves no part of it there.
TEST(output_write, a_dangling_link_gets_a_whole_file_where_it_leads) {
    const struct {
        const char* what;
        std::string link_to; // from d/link.out
        long limit;          // bytes; -1: none
        int err;
        std::set<std::string> left; // in the folder real/ after the write
    } cases[] = {
        {"beside it", "real/data.bin", -1, 0, {"data.bin"}},
        {"by a path from the root", "(root)/real/data.bin", -1, 0, {"data.bin"}},
        {"through a second link", "real/next", -1, 0, {"data.bin", "next"}},
        {"under a file-size limit", "real/data.bin", 4096, EFBIG, {}},
        {"in a missing folder", "nowhere/data.bin", -1, ENOENT, {}},
    };
    for (const auto& c : cases) {
        scratch_folder d;
        fs::create_directory(d.path / "real");
        std::string to = c.link_to;
        if (to.rfind("(root)", 0) == 0) to = d.path.string() + to.substr(6);
        fs::create_symlink(to, d.path / "link.out");
        if (c.left.count("next")) fs::create_symlink("data.bin", d.path / "real" / "next");
        const std::string data(10000, 'x');
        const int st = run_in_child([&] {
            signal(SIGXFSZ, SIG_DFL);
            const rlimit lim{rlim_t(c.limit), rlim_t(c.limit)};
            if (c.limit >= 0 && setrlimit(RLIMIT_FSIZE, &lim) != 0) return 9;
            const write_result w = write_text(d.path / "link.out", data);
            return w.err == c.err && (w.failure == write_failure::none) == (c.err == 0) ? 0 : 1;
        });
        EXPECT_EQ(st, 0) << c.what;
        EXPECT_TRUE(fs::is_symlink(d.path / "link.out")) << c.what;
        std::set<std::string> left;
        for (const auto& e : fs::directory_iterator(d.path / "real"))
            left.insert(e.path().filename().string());
        EXPECT_EQ(left, c.left) << c.what;
        if (c.err == 0) {
            EXPECT_EQ(read_file(d.path / "real" / "data.bin"), data) << c.what;
        }
    }
}

// The folder is read-only for the writer: its mode says so, and root, whom no mode stops, is
// replaced by user nobody in the child that writes.
TEST(output_write, a_read_only_folder_fails_at_creation_and_keeps_the_old_file) {
    scratch_folder d;
    write_file(d.path / "x.out", "precious");
    fs::permissions(d.path, fs::perms(0555));
    run_options as_nobody;
    as_nobody.unprivileged = true;
    const int status = run_in_child(
        [&] {
            const write_result w = write_text(d.path / "x.out", "new");
            return w.failure == write_failure::create && w.err == EACCES ? 0 : 1;
        },
        as_nobody);
    fs::permissions(d.path, fs::perms(0755));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read_file(d.path / "x.out"), "precious");
    EXPECT_EQ(d.names(), (std::set<std::string>{"x.out"}));
}

TEST(output_write, a_device_is_written_directly_and_nothing_is_removed) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    scratch_folder d;
    fs::create_symlink("/dev/full", d.path / "full.out");
    const write_result w = write_text(d.path / "full.out", std::string(5000, 'x'));
    EXPECT_EQ(w.failure, write_failure::write);
    EXPECT_EQ(w.err, ENOSPC);
    EXPECT_TRUE(fs::is_symlink(d.path / "full.out"));
    EXPECT_EQ(d.names(), (std::set<std::string>{"full.out"}));
}

TEST(output_write, a_missing_folder_fails_at_creation) {
    scratch_folder d;
    const write_result w = write_text(d.path / "no" / "x.out", "data");
    EXPECT_EQ(w.failure, write_failure::create);
    EXPECT_EQ(w.err, ENOENT);
}

// A name ending in a slash names a folder: the reason is the one a direct creation gives, and
// nothing is made. A name near the length limit gets a temporary name within it.
TEST(output_write, names_at_the_edges) {
    const struct {
        const char* what;
        std::string name;
        write_failure failure;
        int err;
        std::set<std::string> left; // the folder's names after the write
    } cases[] = {
        {"slash at the end", "demo.x/", write_failure::create, EISDIR, {}},
        {"slash at the end of a folder", "sub/", write_failure::create, EISDIR, {"sub"}},
        {"a name of 253 bytes",
         std::string(253, 'n'),
         write_failure::none,
         0,
         {std::string(253, 'n')}},
    };
    for (const auto& c : cases) {
        scratch_folder d;
        if (c.left.count("sub")) fs::create_directory(d.path / "sub");
        const write_result w = write_output_file((d.path.string() + "/") + c.name,
                                                 reinterpret_cast<const uint8_t*>("data"), 4);
        EXPECT_EQ(w.failure, c.failure) << c.what;
        EXPECT_EQ(w.err, c.err) << c.what;
        EXPECT_EQ(d.names(), c.left) << c.what;
    }
}

// Under a file-size limit with SIGXFSZ at its default action the write fails with EFBIG and
// leaves no temporary file; the signal's action is the default again afterwards.
TEST(output_write, the_file_size_limit_is_a_write_error) {
    scratch_folder d;
    write_file(d.path / "x.out", "precious");
    const int st = run_in_child([&] {
        signal(SIGXFSZ, SIG_DFL);
        const rlimit lim{4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &lim) != 0) return 9;
        const write_result w = write_text(d.path / "x.out", std::string(10000, 'x'));
        if (w.failure != write_failure::write || w.err != EFBIG) return 1;
        struct sigaction now;
        sigaction(SIGXFSZ, nullptr, &now);
        return now.sa_handler == SIG_DFL ? 0 : 2;
    });
    EXPECT_EQ(st, 0);
    EXPECT_EQ(read_file(d.path / "x.out"), "precious");
    EXPECT_EQ(d.names(), std::set<std::string>{"x.out"});
}

// The window of a write in which the temporary file exists: an ending signal removes the file
// and still ends the program by that signal; one the program ignores stays ignored; after the
// window the signal is the program's own again and removes nothing.
TEST(temp_guard, an_ending_signal_removes_the_temporary_file) {
    const struct {
        const char* what;
        int sig;
        bool ignored;     // the program was started ignoring the signal
        bool after_close; // raised after the window closed
        bool removed;
    } cases[] = {
        {"SIGTERM", SIGTERM, false, false, true},
        {"SIGINT", SIGINT, false, false, true},
        {"SIGHUP", SIGHUP, false, false, true},
        {"SIGINT ignored", SIGINT, true, false, false},
        {"SIGTERM after the window", SIGTERM, false, true, false},
    };
    for (const auto& c : cases) {
        scratch_folder d;
        const fs::path temp = d.path / ".x.out.abcdef";
        const int st = run_in_child([&] {
            signal(c.sig, c.ignored ? SIG_IGN : SIG_DFL);
            temp_guard g;
            open_temp_guard(g);
            write_file(temp, "part of an output");
            arm_temp_guard(g, temp.c_str());
            if (c.after_close) close_temp_guard(g);
            raise(c.sig);
            return 0;
        });
        const bool ended = !c.ignored;
        EXPECT_EQ(st == 128 + c.sig, ended) << c.what << " " << st;
        EXPECT_EQ(st == 0, !ended) << c.what << " " << st;
        EXPECT_EQ(fs::exists(temp), !c.removed) << c.what;
    }
}

// The same through the output write itself: a signal in the middle of the write ends the
// program by that signal, and neither the temporary file nor a new output is left.
TEST(output_write, an_ending_signal_while_writing_leaves_the_old_output_alone) {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        scratch_folder d;
        write_file(d.path / "x.out", "precious");
        const int st = run_in_child([&] {
            signal(sig, SIG_DFL);
            signal_at_write = sig;
            write_text(d.path / "x.out", "new data");
            return 0;
        });
        EXPECT_EQ(st, 128 + sig) << st;
        EXPECT_EQ(read_file(d.path / "x.out"), "precious") << sig;
        EXPECT_EQ(d.names(), std::set<std::string>{"x.out"}) << sig;
    }
}

} // namespace
