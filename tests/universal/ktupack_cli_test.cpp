// KtuPack end to end, in a temporary folder per case: the command, the files it starts with,
// and the exact standard output, standard error, exit status and files it leaves. Report
// times vary, so they are cut from the output before it is compared.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "program_run.h"
#include "tested_program.h"
#include "token_walk.h"

namespace {

// Report times vary, so they are cut from the output.
run_result run_ktupack_in(const scratch_folder& dir, const std::vector<std::string>& args) {
    run_result r = run_tested(KTUPACK_PATH, args, dir);
    r.out = std::regex_replace(r.out, std::regex(" +Time: [0-9]+\\.[0-9]{3} seconds"), "");
    return r;
}

const std::string usage =
    "KtuPack 1.0.0: packs files for every pack model KtuList reads, with an optimal parse\n"
    "Usage: KtuPack <options> file1 file2 ...\n"
    "  -t<T><C>[o<W1>[o<W2>]]  pack under this model, written as a name tag:\n"
    "                          -t35o4, -t56o4o12, -t17, -t22\n"
    "  -b        pack under the model of 1,596 that gives the smallest stream (default)\n"
    "  -v        also print the smallest stream of each compression type\n"
    "  -o NAME   name the output of the one file that follows\n"
    "  -f        replace output files that exist\n"
    "  -q        print nothing but errors\n"
    "  -h        print this help\n"
    "  -V        print the version\n"
    "Options act on the files after them. The output is the input name with the model\n"
    "tag at its base end: game.bin packed with -t35o4 gives game-t35o4.bin.\n";

// Twelve bytes that every model packs to a few bytes.
const std::string abab = "abababababab";

struct cli_case {
    const char* what;
    std::vector<std::string> args;
    std::map<std::string, std::string> files; // at the start
    std::string out;
    std::string err;
    int status;
    std::vector<std::string> written; // new files, each of which must depack to its input
};

// Depacks a written file under the model its name carries, through the shared walk.
std::string depack_named(const std::filesystem::path& path, const pack_model& m) {
    const std::string packed = read_file(path);
    std::vector<uint8_t> out(70000);
    const depack_outcome d = depack_stream(reinterpret_cast<const uint8_t*>(packed.data()),
                                           static_cast<int32_t>(packed.size()), m, out.data(),
                                           static_cast<uint32_t>(out.size()));
    if (d.status != walk_status::end_mark) return "(no end mark)";
    return std::string(out.begin(), out.begin() + d.out_size);
}

void run_case(const cli_case& c,
              const std::map<std::string, std::pair<std::string, pack_model>>& inputs_of) {
    scratch_folder dir;
    for (const auto& [name, bytes] : c.files) write_file(dir.path / name, bytes);
    const run_result r = run_ktupack_in(dir, c.args);
    EXPECT_EQ(r.out, c.out) << c.what;
    EXPECT_EQ(r.err, c.err) << c.what;
    EXPECT_EQ(r.status, c.status) << c.what;
    std::map<std::string, std::string> expected = c.files;
    const std::map<std::string, std::string> after = folder_files(dir.path);
    for (const std::string& w : c.written) {
        ASSERT_TRUE(after.count(w)) << c.what << ": " << w << " not written";
        const auto& [input, model] = inputs_of.at(w);
        // A routine is named with no model and the first line it starts with.
        if (model.type == 0)
            EXPECT_EQ(after.at(w).substr(0, input.size()), input) << c.what << ": " << w;
        else
            EXPECT_EQ(depack_named(dir.path / w, model), c.files.at(input)) << c.what << ": " << w;
        expected[w] = after.at(w);
    }
    EXPECT_EQ(after, expected) << c.what << ": files left";
}

TEST(ktupack_cli, usage_version_and_refusals) {
    const std::map<std::string, std::string> one = {{"a.bin", abab}};
    auto refused = [&](const char* what, std::vector<std::string> args, const char* err) {
        return cli_case{what, args, one, "", std::string("KtuPack: ") + err + "\n", 1, {}};
    };
    const std::vector<cli_case> cases = {
        {"no argument", {}, one, usage, "", 1, {}},
        {"-h", {"-h", "a.bin"}, one, usage, "", 0, {}},
        {"-V", {"-V"}, one, "KtuPack 1.0.0\n", "", 0, {}},
        refused("unknown option, even after a file", {"a.bin", "-x"}, "unknown option -x"),
        refused("a model outside the formats", {"-t73", "a.bin"},
                "-t73: compression type 7 is not one of 1 to 6"),
        refused("no files", {"-t22"}, "no input files"),
    };
    for (const cli_case& c : cases) run_case(c, {});
}

TEST(ktupack_cli, names_reports_and_files) {
    const std::map<std::string, std::pair<std::string, pack_model>> inputs_of = {
        {"game-t35o4.bin", {"game.bin", {3, 5, 4, 0}}},
        {"screen-t35o4", {"screen", {3, 5, 4, 0}}},
        {"a.bin-t35o4", {"a.bin", {3, 5, 4, 0}}},
        {"my-file-t56o4o12.dat", {"my-file.dat", {5, 6, 4, 12}}},
        {"game-t22.bin", {"game.bin", {2, 2, 0, 0}}},
        {"game-t17.bin", {"game.bin", {1, 7, 0, 0}}},
        {"game-t11.bin", {"game.bin", {1, 1, 0, 0}}},
        {"out.ktb", {"game.bin", {2, 2, 0, 0}}},
        {"dir.x/b-t22", {"dir.x/b", {2, 2, 0, 0}}},
        {"-x-t22.bin", {"-x.bin", {2, 2, 0, 0}}},
        {"lev.ASM", {"game.bin", {2, 2, 0, 0}}},
        {"lev.asm", {"; KTB depacker for the Z80,\n", {}}},
        {"lev.asm ", {"game.bin", {2, 2, 0, 0}}},
        {"out.ktb.", {"game.bin", {1, 1, 0, 0}}},
    };
    const bool windows = tested_on_windows();
    const std::vector<cli_case> cases = {
        {"one model, names of every shape",
         {"-t35o4", "game.bin", "screen", "a.bin", "-t56o4o12", "my-file.dat"},
         {{"game.bin", abab}, {"screen", abab}, {"a.bin", abab}, {"my-file.dat", abab}},
         "game.bin => game-t35o4.bin  Model: -t35o4     Packed:    12 => 6      Margin: 2\n"
         "screen => screen-t35o4  Model: -t35o4     Packed:    12 => 6      Margin: 2\n"
         "a.bin => a.bin-t35o4  Model: -t35o4     Packed:    12 => 6      Margin: 2\n"
         "my-file.dat => my-file-t56o4o12.dat  Model: -t56o4o12  Packed:    12 => 7      Margin: "
         "3\n",
         "",
         0,
         {"game-t35o4.bin", "screen-t35o4", "a.bin-t35o4", "my-file-t56o4o12.dat"}},
        {"a dot in a folder stays in the folder",
         {"-t22", "dir.x/b"},
         {{"dir.x/b", abab}},
         "dir.x/b => dir.x/b-t22  Model: -t22       Packed:    12 => 6      Margin: 1\n",
         "",
         0,
         {"dir.x/b-t22"}},
        {"-b is the default; ties go to the first model of the set",
         {"game.bin"},
         {{"game.bin", abab}},
         "game.bin => game-t11.bin  Model: -t11       Packed:    12 => 6      Margin: 1\n",
         "",
         0,
         {"game-t11.bin"}},
        {"-v: the smallest stream of each type",
         {"-v", "-t17", "game.bin"},
         {{"game.bin", abab}},
         "game.bin => game-t17.bin  Model: -t17       Packed:    12 => 6      Margin: 1\n"
         "  KTA best: -t11       Packed:     6  Margin: 1\n"
         "  KTB best: -t21       Packed:     6  Margin: 1\n"
         "  ZX7 best: -t37       Packed:     6  Margin: 2\n"
         "  BLK best: -t47       Packed:     6  Margin: 2\n"
         "  TS1 best: -t57       Packed:     6  Margin: 2\n"
         "  KTR best: -t67       Packed:     8  Margin: 4\n",
         "",
         0,
         {"game-t17.bin"}},
        {"-q prints nothing",
         {"-q", "-t22", "game.bin"},
         {{"game.bin", abab}},
         "",
         "",
         0,
         {"game-t22.bin"}},
        {"-q acts on the files after it",
         {"-t22", "game.bin", "-q", "-t17", "game.bin"},
         {{"game.bin", abab}},
         "game.bin => game-t22.bin  Model: -t22       Packed:    12 => 6      Margin: 1\n",
         "",
         0,
         {"game-t22.bin", "game-t17.bin"}},
        {"-o names the output",
         {"-t22", "-o", "out.ktb", "game.bin"},
         {{"game.bin", abab}},
         "game.bin => out.ktb  Model: -t22       Packed:    12 => 6      Margin: 1\n",
         "",
         0,
         {"out.ktb"}},
        {"-o with a name of another model",
         {"-t22", "-o", "out.kta", "game.bin"},
         {{"game.bin", abab}},
         "",
         "KtuPack: out.kta: KtuList would read another model from this name, not -t22\n",
         1,
         {}},
        {"-o with a name of another model once Windows drops the dot at its end",
         {"-t11", "-o", "out.ktb.", "game.bin"},
         {{"game.bin", abab}},
         windows ? ""
                 : "game.bin => out.ktb.  Model: -t11       Packed:    12 => 6      Margin: 1\n",
         windows ? "KtuPack: out.ktb.: KtuList would read another model from this name, not -t11\n"
                 : "",
         windows ? 1 : 0,
         windows ? std::vector<std::string>{} : std::vector<std::string>{"out.ktb."}},
        {"a name that would read back as no model",
         {"-t11", "abc."},
         {{"abc.", abab}},
         "",
         // Windows drops the dot at the end of a name, so there the input itself is not found.
         tested_on_windows()
             ? "KtuPack: abc.: No such file or directory\n"
             : "KtuPack: abc.-t11: KtuList would read no model from this name, not -t11\n",
         1,
         {}},
        {"-o naming the input",
         {"-t22", "-o", "game.bin", "game.bin"},
         {{"game.bin", abab}},
         "",
         "KtuPack: game.bin: the output would replace the input\n",
         1,
         {}},
        {"-o naming the input under a model name",
         {"-t22", "-o", "g.ktb", "g.ktb"},
         {{"g.ktb", abab}},
         "",
         "KtuPack: g.ktb: the output would replace the input\n",
         1,
         {}},
        {"an existing output is kept without -f",
         {"-t22", "game.bin"},
         {{"game.bin", abab}, {"game-t22.bin", "old"}},
         "",
         "KtuPack: game-t22.bin: exists (-f replaces it)\n",
         1,
         {}},
        {"empty, missing and long inputs fail; the next file goes on",
         {"-t22", "empty.bin", "nope.bin", "long.bin", "game.bin"},
         {{"empty.bin", ""}, {"long.bin", std::string(65537, 'x')}, {"game.bin", abab}},
         "game.bin => game-t22.bin  Model: -t22       Packed:    12 => 6      Margin: 1\n",
         "KtuPack: empty.bin: empty, nothing to pack\n"
         "KtuPack: nope.bin: No such file or directory\n"
         "KtuPack: long.bin: longer than 65536 bytes\n",
         1,
         {"game-t22.bin"}},
        {"-- ends the options",
         {"-t22", "--", "-x.bin"},
         {{"-x.bin", abab}},
         "-x.bin => -x-t22.bin  Model: -t22       Packed:    12 => 6      Margin: 1\n",
         "",
         0,
         {"-x-t22.bin"}},
        {"an input that is a folder",
         {"-t22", "dir.bin", "game.bin"},
         {{"game.bin", abab}, {"dir.bin/kept", ""}},
         "game.bin => game-t22.bin  Model: -t22       Packed:    12 => 6      Margin: 1\n",
         "KtuPack: dir.bin: " + folder_reason() + "\n",
         1,
         {"game-t22.bin"}},
        {"a folder at the routine's name, even with -f, before the stream is written",
         {"-f", "-rz80", "-t22", "lev.bin"},
         {{"lev.bin", abab}, {"lev-t22.asm/kept", ""}},
         "",
         "KtuPack: lev-t22.asm: " + folder_reason() + "\n",
         1,
         {}},
        {"-o whose name differs from its routine's in case alone, one file on Windows",
         {"-rz80", "-t22", "-o", "lev.ASM", "game.bin"},
         {{"game.bin", abab}},
         windows ? ""
                 : "game.bin => lev.ASM  Model: -t22       Packed:    12 => 6      Routine: 51   "
                   "Total: 57     Margin: 1\n",
         windows ? "KtuPack: lev.asm: the routine would replace the packed file\n" : "",
         windows ? 1 : 0,
         windows ? std::vector<std::string>{} : std::vector<std::string>{"lev.ASM", "lev.asm"}},
        {"-o whose name ends in a space that Windows drops, one file with its routine there",
         {"-rz80", "-t22", "-o", "lev.asm ", "game.bin"},
         {{"game.bin", abab}},
         windows ? ""
                 : "game.bin => lev.asm   Model: -t22       Packed:    12 => 6      Routine: 51   "
                   "Total: 57     Margin: 1\n",
         windows ? "KtuPack: lev.asm: the routine would replace the packed file\n" : "",
         windows ? 1 : 0,
         windows ? std::vector<std::string>{} : std::vector<std::string>{"lev.asm ", "lev.asm"}},
    };
    for (const cli_case& c : cases) run_case(c, inputs_of);
}

TEST(ktupack_cli, force_replaces_an_existing_output) {
    const cli_case c = {
        "-f",
        {"-f", "-t22", "game.bin"},
        {{"game.bin", abab}, {"game-t22.bin", "old"}},
        "game.bin => game-t22.bin  Model: -t22       Packed:    12 => 6      Margin: 1\n",
        "",
        0,
        {}};
    scratch_folder dir;
    for (const auto& [name, bytes] : c.files) write_file(dir.path / name, bytes);
    const run_result r = run_ktupack_in(dir, c.args);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(depack_named(dir.path / "game-t22.bin", {2, 2, 0, 0}), abab);
}

} // namespace
