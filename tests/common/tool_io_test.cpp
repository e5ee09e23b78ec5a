// The shared file library in process: the base end of names and the safe output write.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "base_end.h"
#include "output_write.h"
#include "program_run.h"

namespace fs = std::filesystem;

namespace {

TEST(base_end, cuts_at_a_dot_of_the_last_five_characters_after_the_last_separator) {
    const struct {
        const char* name;
        size_t end;
    } cases[] = {
        {"song.bin", 4},        {"a.tar.gz", 5},   {"data.jpeg2", 10}, {"a.bin", 5},
        {"noext", 5},           {"screen", 6},     {"x.d/ab", 6},      {"v1.d/ls", 7},
        {"dir.v2/file.tar", 11}, {"d/e.f/g", 7},   {"ab/c.kta", 4},    {"x.d/.ab", 4},
        {"", 0},                {"......", 5},
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

} // namespace
