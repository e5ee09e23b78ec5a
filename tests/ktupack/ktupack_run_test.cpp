// KtuPack in-process through run_ktupack, in a scratch folder per case: the option refusals, the
// end of the options, the checks of the output made before packing, and the program's prefix
// on the system's reasons. The end-to-end cases (tests/universal/ktupack_cli_test.cpp) keep
// what only the program shows: usage, statuses and files, also under Wine.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "ktu_driver.h"
#include "ktu_options.h"
#include "program_run.h"
#include "routine_size.h"
#include "routine_text.h"

namespace fs = std::filesystem;

namespace {

// What "(link to NAME)" at a name stands for: a symbolic link to NAME.
const std::string link_mark = "(link to ";

// The names in the folder with their bytes; a folder shows as "(folder)", a link as
// "(link to NAME)".
std::map<std::string, std::string> files_of(const scratch_folder& d) {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::directory_iterator(d.path))
        m[e.path().filename().string()] =
            e.is_symlink()     ? link_mark + fs::read_symlink(e.path()).string() + ")"
            : e.is_directory() ? "(folder)"
                               : read_file(e.path());
    return m;
}

// run_ktupack with args in the folder d, as the program runs there; its status.
int call_in(const scratch_folder& d, const std::vector<std::string>& args) {
    std::vector<std::string> words = {"KtuPack"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const fs::path home = fs::current_path();
    fs::current_path(d.path);
    const int status = run_ktupack(static_cast<int>(words.size()), argv.data());
    fs::current_path(home);
    return status;
}

// The same with its streams captured; report times cut out.
run_result run_in(const scratch_folder& d, const std::vector<std::string>& args) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    run_result r;
    r.status = call_in(d, args);
    r.out = testing::internal::GetCapturedStdout();
    r.err = testing::internal::GetCapturedStderr();
    r.out = std::regex_replace(r.out, std::regex(" +Time: [0-9]+\\.[0-9]{3} seconds"), "");
    return r;
}

const std::string abab = "abababababab";

struct run_case {
    const char* what;
    std::vector<std::string> args;
    std::map<std::string, std::string> files; // at the start; "(folder)" makes a folder
    std::string out;
    std::string err;
    int status;
    std::vector<std::string> made; // the names the run adds (their bytes are the packer's)
};

// The files of a case made in d; "(folder)" makes a folder, "(link to NAME)" a link.
void make_files(const scratch_folder& d, const std::map<std::string, std::string>& files) {
    for (const auto& [name, bytes] : files) {
        if (bytes == "(folder)")
            fs::create_directory(d.path / name);
        else if (bytes.rfind(link_mark, 0) == 0)
            fs::create_symlink(bytes.substr(link_mark.size(), bytes.size() - link_mark.size() - 1),
                               d.path / name);
        else
            write_file(d.path / name, bytes);
    }
}

void check(const run_case& c) {
    scratch_folder d;
    make_files(d, c.files);
    const run_result r = run_in(d, c.args);
    EXPECT_EQ(r.out, c.out) << c.what;
    EXPECT_EQ(r.err, c.err) << c.what;
    EXPECT_EQ(r.status, c.status) << c.what;
    std::map<std::string, std::string> after = files_of(d);
    for (const std::string& m : c.made) {
        EXPECT_TRUE(after.count(m)) << c.what << ": " << m << " not made";
        after.erase(m);
    }
    EXPECT_EQ(after, c.files) << c.what << ": files left";
}

TEST(ktupack_run, model_refusals) {
    const std::map<std::string, std::string> one = {{"a.bin", abab}};
    auto refused = [&](const char* what, std::vector<std::string> args, const char* err) {
        return run_case{what, args, one, "", std::string("KtuPack: ") + err + "\n", 1, {}};
    };
    const run_case cases[] = {
        refused("type 7", {"-t73", "a.bin"}, "-t73: compression type 7 is not one of 1 to 6"),
        refused("coding 3", {"-t63", "a.bin"},
                "-t63: offset coding 3 is not one of 1, 2, 4, 5, 6, 7"),
        refused("type 0", {"-t01", "a.bin"}, "-t01: compression type 0 is not one of 1 to 6"),
        refused("coding 3", {"-t13", "a.bin"},
                "-t13: offset coding 3 is not one of 1, 2, 4, 5, 6, 7"),
        refused("coding 8", {"-t28", "a.bin"},
                "-t28: offset coding 8 is not one of 1, 2, 4, 5, 6, 7"),
        refused("missing width", {"-t35", "a.bin"},
                "-t35: offset coding 5 needs a width (as in -t35o4)"),
        refused("missing second width", {"-t56o4", "a.bin"},
                "-t56o4: offset coding 6 needs two widths (as in -t56o4o12)"),
        refused("width 0", {"-t35o0", "a.bin"}, "-t35o0: a width of 0"),
        refused("second width 0", {"-t56o3o0", "a.bin"}, "-t56o3o0: a width of 0"),
        refused("coding 4 over 7", {"-t44o8", "a.bin"},
                "-t44o8: a width of 8 is over 7 for offset coding 4"),
        refused("coding 5 over 30", {"-t55o31", "a.bin"},
                "-t55o31: a width of 31 is over 30 for offset coding 5"),
        refused("coding 6 over 30", {"-t16o1o31", "a.bin"},
                "-t16o1o31: a width of 31 is over 30 for offset coding 6"),
        refused("a width the coding does not take", {"-t11o3", "a.bin"},
                "-t11o3: not a model (write it as a name tag: -t35o4, -t56o4o12, -t17)"),
        refused("letters", {"-tab", "a.bin"},
                "-tab: not a model (write it as a name tag: -t35o4, -t56o4o12, -t17)"),
        refused("no files", {"-t22"}, "no input files"),
        refused("-o with two files", {"-o", "x", "a.bin", "a.bin"},
                "-o names the output of one file, but 2 files are given"),
        refused("-o without a name", {"a.bin", "-o"}, "-o needs the name of an output file"),
        refused("-o with no file after it", {"a.bin", "-o", "x"},
                "-o x is not followed by a file to pack"),
    };
    for (const run_case& c : cases) check(c);
}

TEST(ktupack_run, double_dash_ends_the_options) {
    const run_case cases[] = {
        {"a name that starts with a dash",
         {"-t22", "--", "-x.bin"},
         {{"-x.bin", abab}},
         "-x.bin => -x-t22.bin  Model: -t22       Packed:    12 => 6      Margin: 1\n",
         "",
         0,
         {"-x-t22.bin"}},
        {"an option after it is a file",
         {"--", "-t22"},
         {},
         "",
         "KtuPack: -t22: No such file or directory\n",
         1,
         {}},
        {"a second -- is a file",
         {"-t22", "--", "--", "a.bin"},
         {{"a.bin", abab}},
         "a.bin => a.bin-t22  Model: -t22       Packed:    12 => 6      Margin: 1\n",
         "KtuPack: --: No such file or directory\n",
         1,
         {"a.bin-t22"}},
        {"options before it act on the files after it",
         {"-q", "-t17", "--", "-q"},
         {{"-q", abab}},
         "",
         "",
         0,
         {"-q-t17"}},
        {"-- alone is no file", {"-t22", "--"}, {}, "", "KtuPack: no input files\n", 1, {}},
        {"without it a dash name is an option",
         {"-x.bin"},
         {{"-x.bin", abab}},
         "",
         "KtuPack: unknown option -x.bin\n",
         1,
         {}},
    };
    for (const run_case& c : cases) check(c);
}

// The system's reasons carry the program's prefix like every other message.
TEST(ktupack_run, system_reasons_carry_the_prefix) {
    const run_case cases[] = {
        {"missing input",
         {"-t22", "nope.bin"},
         {},
         "",
         "KtuPack: nope.bin: No such file or directory\n",
         1,
         {}},
        {"input a folder",
         {"-t22", "dir.bin"},
         {{"dir.bin", "(folder)"}},
         "",
         "KtuPack: dir.bin: Is a directory\n",
         1,
         {}},
        {"output a folder's name",
         {"-t22", "-o", "new/", "a.bin"},
         {{"a.bin", abab}},
         "",
         "KtuPack: new/: Is a directory\n",
         1,
         {}},
        {"output in a missing folder",
         {"-t22", "-o", "no/x.ktb", "a.bin"},
         {{"a.bin", abab}},
         "",
         "KtuPack: no/x.ktb: No such file or directory\n",
         1,
         {}},
    };
    for (const run_case& c : cases) check(c);
}

// Whatever refuses an output is found before the packing: with a model given, the whole name;
// under -b, an output of any model of the search set, or the name -o gives.
TEST(ktupack_run, outputs_are_checked_before_packing) {
    const std::string old = "an older output";
    const run_case cases[] = {
        {"-b: the output of another model of the set",
         {"game.bin"},
         {{"game.bin", abab}, {"game-t46o5o11.bin", old}},
         "",
         "KtuPack: game-t46o5o11.bin: exists (-f replaces it)\n",
         1,
         {}},
        {"-b -f: the search runs and writes the model it finds",
         {"-f", "game.bin"},
         {{"game.bin", abab}, {"game-t46o5o11.bin", old}},
         "game.bin => game-t11.bin  Model: -t11       Packed:    12 => 6      Margin: 1\n",
         "",
         0,
         {"game-t11.bin"}},
        {"-b: a model outside the set is no output of the search",
         {"game.bin"},
         {{"game.bin", abab}, {"game-t55o20.bin", old}},
         "game.bin => game-t11.bin  Model: -t11       Packed:    12 => 6      Margin: 1\n",
         "",
         0,
         {"game-t11.bin"}},
        {"-b -o: an existing name",
         {"-o", "out.bin", "game.bin"},
         {{"game.bin", abab}, {"out.bin", old}},
         "",
         "KtuPack: out.bin: exists (-f replaces it)\n",
         1,
         {}},
        {"-b -o: the input",
         {"-o", "game.bin", "game.bin"},
         {{"game.bin", abab}},
         "",
         "KtuPack: game.bin: the output would replace the input\n",
         1,
         {}},
        {"files that share a routine: the first writes it, the second finds it written",
         {"-rz80", "-t22", "level.1", "level.2"},
         {{"level.1", abab}, {"level.2", abab}},
         "level.1 => level-t22.1  Model: -t22       Packed:    12 => 6      Routine: 51   Total: "
         "57     Margin: 1\n"
         "level.2 => level-t22.2  Model: -t22       Packed:    12 => 6      Routine: 51   Total: "
         "57     Margin: 1\n",
         "",
         0,
         {"level-t22.1", "level-t22.2", "level-t22.asm"}},
        {"-B: the same in a group",
         {"-rz80", "-B", "level.1", "level.2"},
         {{"level.1", abab}, {"level.2", abab}},
         "level.1 => level-t11.1  Model: -t11       Packed:    12 => 6      Routine: 27   Total: "
         "33     Margin: 1\n"
         "level.2 => level-t11.2  Model: -t11       Packed:    12 => 6      Routine: 27   Total: "
         "33     Margin: 1\n",
         "",
         0,
         {"level-t11.1", "level-t11.2", "level-t11.asm"}},
        {"-b: the same before the second file's search",
         {"-r6502", "level.1", "level.2"},
         {{"level.1", abab}, {"level.2", abab}},
         "level.1 => level-t11.1  Model: -t11       Packed:    12 => 6      Routine: 75   Total: "
         "81     Margin: 1\n"
         "level.2 => level-t11.2  Model: -t11       Packed:    12 => 6      Routine: 75   Total: "
         "81     Margin: 1\n",
         "",
         0,
         {"level-t11.1", "level-t11.2", "level-t11.s"}},
        {"a shared routine that was there before the run is in the way of both",
         {"-rz80", "-t22", "level.1", "level.2"},
         {{"level.1", abab}, {"level.2", abab}, {"level-t22.asm", old}},
         "",
         "KtuPack: level-t22.asm: exists (-f replaces it)\n"
         "KtuPack: level-t22.asm: exists (-f replaces it)\n",
         1,
         {}},
        {"-v with a model: the search waits for the name",
         {"-v", "-t22", "game.bin"},
         {{"game.bin", abab}, {"game-t22.bin", old}},
         "",
         "KtuPack: game-t22.bin: exists (-f replaces it)\n",
         1,
         {}},
    };
    for (const run_case& c : cases) check(c);
}

// 64 KiB under -b takes seconds of processor time to search; a refused output must cost none
// of it. The run is a child under a processor-time limit far below the search's, which the
// search would end by SIGXCPU.
TEST(ktupack_run, a_refused_search_does_not_run) {
    scratch_folder d;
    std::mt19937 rng(64);
    std::string data(65536, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = i % 7 == 0 ? static_cast<char>(rng()) : data[i > 300 ? i - 300 + rng() % 40 : 0];
    write_file(d.path / "big.bin", data);
    write_file(d.path / "big-t11.bin", "an older output");
    const int st = run_in_child([&] {
        const rlimit lim{1, 1};
        if (setrlimit(RLIMIT_CPU, &lim) != 0) return 9;
        const run_result r = run_in(d, {"big.bin"});
        return r.status == 1 && r.out.empty() &&
                       r.err == "KtuPack: big-t11.bin: exists (-f replaces it)\n"
                   ? 0
                   : 2;
    });
    EXPECT_NE(st, 128 + SIGXCPU) << "the search ran";
    EXPECT_EQ(st, 0);
}

} // namespace

namespace {

// The routine's report fields as KtuPack prints them, from the stream it wrote and the size
// table.
std::string routine_fields(int routine, size_t packed) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Routine: %-3d  Total: %-5zu", routine, packed + routine);
    return buf;
}

std::string routine_of(target_cpu cpu, const pack_model& m) {
    std::string text, error;
    EXPECT_TRUE(specialise_routine(routine_template(cpu, m.type),
                                   {m.type, m.coding, m.offset1, m.offset2}, text, error))
        << error;
    return text;
}

// Text with some repetition, so that models differ in their streams.
std::string sample_text(int n, unsigned seed) {
    static const char* const words[] = {"level ", "sprite ", "tile ", "map ", "door ", "key "};
    std::mt19937 rng(seed);
    std::string s;
    while (static_cast<int>(s.size()) < n) s += words[rng() % 6];
    s.resize(static_cast<size_t>(n));
    return s;
}

} // namespace

TEST(KtuPackRun, RoutinesAreWrittenBesideTheStream) {
    struct routine_case {
        const char* what;
        std::vector<std::string> args;
        std::map<std::string, std::string> files;
        std::string err;
        int status;
        std::string stream, routine; // the names made; empty: none
        target_cpu cpu;
        pack_model model;
    };
    const std::string old = "an older file";
    const pack_model t35o4{3, 5, 4, 0};
    const routine_case cases[] = {
        {"Z80: the extension replaced",
         {"-rz80", "-t35o4", "game.bin"},
         {{"game.bin", abab}},
         "",
         0,
         "game-t35o4.bin",
         "game-t35o4.asm",
         target_cpu::z80,
         t35o4},
        {"6502: appended to a name without extension",
         {"-r6502", "-t35o4", "screen"},
         {{"screen", abab}},
         "",
         0,
         "screen-t35o4",
         "screen-t35o4.s",
         target_cpu::m6502,
         t35o4},
        {"an existing routine refuses the file before anything is written",
         {"-rz80", "-t35o4", "game.bin"},
         {{"game.bin", abab}, {"game-t35o4.asm", old}},
         "KtuPack: game-t35o4.asm: exists (-f replaces it)\n",
         1,
         "",
         "",
         target_cpu::z80,
         t35o4},
        {"-f replaces it",
         {"-f", "-rz80", "-t35o4", "game.bin"},
         {{"game.bin", abab}, {"game-t35o4.asm", old}},
         "",
         0,
         "game-t35o4.bin",
         "game-t35o4.asm",
         target_cpu::z80,
         t35o4},
        {"-b: an existing routine of any model of the set",
         {"-r6502", "game.bin"},
         {{"game.bin", abab}, {"game-t27.s", old}},
         "KtuPack: game-t27.s: exists (-f replaces it)\n",
         1,
         "",
         "",
         target_cpu::m6502,
         t35o4},
        {"the routine may not replace the stream",
         {"-rz80", "-t35o4", "-o", "level.asm", "game.bin"},
         {{"game.bin", abab}},
         "KtuPack: level.asm: the routine would replace the packed file\n",
         1,
         "",
         "",
         target_cpu::z80,
         t35o4},
        {"nor the input",
         {"-rz80", "-t35o4", "-o", "game.bin", "game.asm"},
         {{"game.asm", abab}},
         "KtuPack: game.asm: the routine would replace the input\n",
         1,
         "",
         "",
         target_cpu::z80,
         t35o4},
        {"-f: a folder at the routine's name refuses the file before anything is written",
         {"-f", "-rz80", "-t35o4", "game.bin"},
         {{"game.bin", abab}, {"game-t35o4.asm", "(folder)"}},
         "KtuPack: game-t35o4.asm: Is a directory\n",
         1,
         "",
         "",
         target_cpu::z80,
         t35o4},
        {"-f: and one at the stream's name before the packing",
         {"-f", "-r6502", "-t35o4", "game.bin"},
         {{"game.bin", abab}, {"game-t35o4.bin", "(folder)"}},
         "KtuPack: game-t35o4.bin: Is a directory\n",
         1,
         "",
         "",
         target_cpu::m6502,
         t35o4},
        {"-f: a link at the routine's name to the stream's, which the routine would replace",
         {"-f", "-rz80", "-t35o4", "game.bin"},
         {{"game.bin", abab}, {"game-t35o4.asm", "(link to game-t35o4.bin)"}},
         "KtuPack: game-t35o4.asm: the routine would replace the packed file\n",
         1,
         "",
         "",
         target_cpu::z80,
         t35o4},
        {"-f: a link at the stream's name to the routine's",
         {"-f", "-rz80", "-t35o4", "game.bin"},
         {{"game.bin", abab}, {"game-t35o4.bin", "(link to game-t35o4.asm)"}},
         "KtuPack: game-t35o4.asm: the routine would replace the packed file\n",
         1,
         "",
         "",
         target_cpu::z80,
         t35o4},
        {"-f: links to one file at both names",
         {"-f", "-rz80", "-t35o4", "-o", "lev.bin", "game.bin"},
         {{"game.bin", abab},
          {"lev.bin", "(link to shared)"},
          {"lev.asm", "(link to shared)"},
          {"shared", old}},
         "KtuPack: lev.asm: the routine would replace the packed file\n",
         1,
         "",
         "",
         target_cpu::z80,
         t35o4},
        {"widths outside the search set have no routine",
         {"-rz80", "-t35o20", "game.bin"},
         {{"game.bin", abab}},
         "KtuPack: game.bin: no Z80 routine for -t35o20\n",
         1,
         "",
         "",
         target_cpu::z80,
         t35o4},
    };
    for (const routine_case& c : cases) {
        scratch_folder d;
        make_files(d, c.files);
        const run_result r = run_in(d, c.args);
        EXPECT_EQ(r.err, c.err) << c.what;
        EXPECT_EQ(r.status, c.status) << c.what;
        std::map<std::string, std::string> after = files_of(d);
        if (!c.stream.empty()) {
            ASSERT_TRUE(after.count(c.stream) && after.count(c.routine)) << c.what;
            const int size = routine_size(
                c.cpu, {c.model.type, c.model.coding, c.model.offset1, c.model.offset2});
            ASSERT_GT(size, 0) << c.what;
            EXPECT_EQ(after[c.routine], routine_of(c.cpu, c.model)) << c.what;
            EXPECT_NE(r.out.find(routine_fields(size, after[c.stream].size())), std::string::npos)
                << c.what << ": " << r.out;
            after.erase(c.stream);
            after.erase(c.routine);
        }
        std::map<std::string, std::string> before = c.files;
        if (c.status == 0) before.erase(c.routine);
        EXPECT_EQ(after, before) << c.what << ": files left";
    }
}

namespace {

// The model a report line names, and its Packed and Total figures.
struct reported {
    std::string model;
    long packed = -1, total = -1;
};

std::vector<reported> report_lines(const std::string& out) {
    std::vector<reported> lines;
    static const std::regex line(
        "Model: (-t[0-9o]+) +Packed: +[0-9]+ => ([0-9]+) +Routine: +[0-9]+ +Total: ([0-9]+)");
    for (std::sregex_iterator i(out.begin(), out.end(), line), end; i != end; ++i)
        lines.push_back({(*i)[1], std::stol((*i)[2]), std::stol((*i)[3])});
    return lines;
}

} // namespace

// -b with a routine takes the least stream plus routine: never more than the smallest stream
// with its own routine, and the least of every type's best total that -v lists. KTR's models
// take part on a CPU that has their routine, and only there.
TEST(KtuPackRun, TheSearchWeighsTheRoutine) {
    for (const char* cpu : {"-rz80", "-r6502"}) {
        const target_cpu t = cpu == std::string("-rz80") ? target_cpu::z80 : target_cpu::m6502;
        scratch_folder d;
        write_file(d.path / "level.bin", sample_text(1500, 7));
        const run_result plain = run_in(d, {"-q", "level.bin"});
        ASSERT_EQ(plain.status, 0);
        std::string smallest;
        for (const auto& [name, bytes] : folder_files(d.path))
            if (name != "level.bin") smallest = name;
        const run_result with = run_in(d, {"-f", "-v", cpu, "level.bin"});
        ASSERT_EQ(with.status, 0) << with.err;
        const std::vector<reported> lines = report_lines(with.out);
        ASSERT_EQ(lines.size(), 1u) << with.out; // the -v lines carry no "=>"
        std::smatch m;
        long least = -1;
        const std::regex type_line(
            "best: (-t[0-9o]+) +Packed: +([0-9]+) +Routine: +([0-9]+) +Total: ([0-9]+)");
        for (std::sregex_iterator i(with.out.begin(), with.out.end(), type_line), end; i != end;
             ++i) {
            const long total = std::stol((*i)[4]);
            EXPECT_EQ(total, std::stol((*i)[2]) + std::stol((*i)[3]));
            if (least < 0 || total < least) least = total;
        }
        EXPECT_EQ(lines[0].total, least) << with.out;
        EXPECT_EQ(with.out.find("KTR best:") != std::string::npos,
                  !routine_template(t, type_ktr).empty())
            << cpu << "\n"
            << with.out;
        const pack_model plain_model = [&] {
            pack_model pm;
            const size_t dash = smallest.find("-t");
            EXPECT_EQ(read_model_tag(smallest.substr(dash + 2, smallest.size() - dash - 6), pm),
                      "");
            return pm;
        }();
        const long plain_total = static_cast<long>(folder_files(d.path)[smallest].size()) +
                                 routine_size(t, {plain_model.type, plain_model.coding,
                                                  plain_model.offset1, plain_model.offset2});
        EXPECT_LE(lines[0].total, plain_total) << cpu;
        EXPECT_GE(lines[0].packed, static_cast<long>(folder_files(d.path)[smallest].size())) << cpu;
    }
}

// -B: one model for every file after it, of the least total over them: no model that a file
// alone would choose does better over the group.
TEST(KtuPackRun, OneModelForAGroupOfFiles) {
    scratch_folder d;
    const std::vector<std::string> names = {"a.bin", "b.bin", "c.bin"};
    for (size_t i = 0; i < names.size(); ++i)
        write_file(d.path / names[i],
                   sample_text(800 + 300 * static_cast<int>(i), 11 + unsigned(i)));
    std::vector<std::string> args = {"-rz80", "-B"};
    args.insert(args.end(), names.begin(), names.end());
    const run_result group = run_in(d, args);
    ASSERT_EQ(group.status, 0) << group.err;
    const std::vector<reported> lines = report_lines(group.out);
    ASSERT_EQ(lines.size(), names.size()) << group.out;
    const long routine = lines[0].total - lines[0].packed; // counted once for the group
    long group_total = routine;
    for (const reported& l : lines) {
        EXPECT_EQ(l.model, lines[0].model);
        group_total += l.packed;
    }
    for (const std::string& name : names) {
        scratch_folder alone;
        write_file(alone.path / name, folder_files(d.path)[name]);
        const std::vector<reported> own = report_lines(run_in(alone, {"-rz80", name}).out);
        ASSERT_EQ(own.size(), 1u);
        scratch_folder all;
        for (const std::string& n : names) write_file(all.path / n, folder_files(d.path)[n]);
        std::vector<std::string> with_model = {"-rz80", "-t" + own[0].model.substr(2)};
        with_model.insert(with_model.end(), names.begin(), names.end());
        const std::vector<reported> under = report_lines(run_in(all, with_model).out);
        ASSERT_EQ(under.size(), names.size());
        long total = under[0].total - under[0].packed;
        for (const reported& u : under) total += u.packed;
        EXPECT_LE(group_total, total) << own[0].model << " over the group";
    }
}

// -B holds every file that follows in one group, however many: 4096 files of one byte and a
// text after them all get the model of the least total over the 4097.
TEST(KtuPackRun, OneModelForAGroupOfManyFiles) {
    scratch_folder d;
    std::vector<std::string> args = {"-f", "-q", "-B"};
    for (int i = 0; i < 4096; ++i) {
        std::string name = "f";
        name += std::to_string(10000 + i);
        write_file(d.path / name, "q");
        args.push_back(name);
    }
    write_file(d.path / "text", sample_text(6000, 5));
    args.push_back("text");
    const run_result r = run_in(d, args);
    ASSERT_EQ(r.status, 0) << r.err;
    std::map<std::string, int> models; // the tag of each output, and how many carry it
    for (const auto& e : fs::directory_iterator(d.path)) {
        const std::string name = e.path().filename().string();
        if (const size_t dash = name.find("-t"); dash != std::string::npos)
            ++models[name.substr(dash)];
    }
    ASSERT_EQ(models.size(), 1u) << models.begin()->first << " and " << models.rbegin()->first;
    EXPECT_EQ(models.begin()->second, 4097);
}

// -B searches every file of the group before it packs any: a FIFO gives its bytes once, and is
// packed from what the search read. A second reading would wait for a writer that never comes,
// which the alarm ends.
TEST(KtuPackRun, AGroupReadsAFifoOnce) {
    scratch_folder d;
    write_file(d.path / "src", sample_text(2000, 3));
    ASSERT_EQ(mkfifo((d.path / "lev.bin").c_str(), 0600), 0);
    run_options writer;
    writer.folder = d.path;
    writer.stdout_path = d.path / "lev.bin";
    started_program cat = start_program({"cat", "src"}, writer);
    const int st = run_in_child([&] {
        alarm(20);
        const run_result r = run_in(d, {"-B", "lev.bin"});
        return r.status == 0 && r.err.empty() &&
                       r.out.find("Packed:  2000 => ") != std::string::npos
                   ? 0
                   : 2;
    });
    EXPECT_EQ(finish_program(cat).status, 0);
    EXPECT_NE(st, 128 + SIGALRM) << "the FIFO was opened again";
    EXPECT_EQ(st, 0);
    int streams = 0;
    for (const auto& e : fs::directory_iterator(d.path))
        if (e.path().filename().string().rfind("lev-t", 0) == 0) ++streams;
    EXPECT_EQ(streams, 1);
}

// What run_ktupack shows on a terminal at its standard error (a pseudo-terminal here), its
// standard output captured and dropped.
std::string terminal_err_of(const scratch_folder& d, const std::vector<std::string>& args) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return "(no terminal)";
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    if (slave < 0) return "(no terminal)";
    fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(slave, STDERR_FILENO);
    testing::internal::CaptureStdout();
    call_in(d, args);
    testing::internal::GetCapturedStdout();
    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    fcntl(master, F_SETFL, O_NONBLOCK);
    std::string seen;
    char buf[4096];
    for (ssize_t n; (n = read(master, buf, sizeof buf)) > 0;) seen.append(buf, size_t(n));
    close(slave);
    close(master);
    return seen;
}

// The progress a search over several files shows on a terminal counts the searched files
// that are not under -q, a failed one too, and shows nothing for the others: a file under -q
// (-b or -B) and the second search of -v under -t or -B used to show "file 3 of 2".
TEST(KtuPackRun, ProgressCountsTheSearchedFiles) {
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> shown; // the "file N of M" texts, in order
    } cases[] = {
        {{"-b", "a.bin", "b.bin"}, {"file 1 of 2", "file 2 of 2"}},
        {{"-b", "a.bin", "b.bin", "-q", "c.bin"}, {"file 1 of 2", "file 2 of 2"}},
        {{"-b", "a.bin", "b.bin", "-q", "-B", "c.bin", "d.bin"}, {"file 1 of 2", "file 2 of 2"}},
        {{"-b", "a.bin", "b.bin", "-t22", "-v", "c.bin"}, {"file 1 of 2", "file 2 of 2"}},
        {{"-B", "-v", "a.bin", "b.bin"}, {"file 1 of 2", "file 2 of 2"}},
        {{"-B", "a.bin", "nope.bin", "b.bin"}, {"file 1 of 3", "file 3 of 3"}},
    };
    for (const auto& c : cases) {
        scratch_folder d;
        for (const char* name : {"a.bin", "b.bin", "c.bin", "d.bin"})
            write_file(d.path / name, abab);
        const std::string seen = terminal_err_of(d, c.args);
        if (seen == "(no terminal)") GTEST_SKIP() << "no pseudo-terminal to run on";
        std::vector<std::string> shown;
        const std::regex counted("file [0-9]+ of [0-9]+");
        for (auto it = std::sregex_iterator(seen.begin(), seen.end(), counted);
             it != std::sregex_iterator(); ++it)
            shown.push_back(it->str());
        EXPECT_EQ(shown, c.shown) << c.args[0] << " " << c.args[1] << " ... " << c.args.back();
    }
}
