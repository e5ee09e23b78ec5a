#include "test_corpus.h"

#include <stdexcept>

#include "program_run.h"
#include "scratch_folder.h"

namespace {

std::vector<corpus_file> make_corpus() {
    const scratch_folder dir;
    const run_result r =
        run_program({"/bin/sh", MAKE_CORPUS_SCRIPT, dir.path.string(), MAKE_SYNTHETIC_PATH});
    if (r.status != 0)
        throw std::runtime_error("make_corpus.sh failed with status " + std::to_string(r.status) +
                                 ": " + r.err);
    std::vector<corpus_file> files;
    for (const std::string& name : dir.names())
        files.push_back({name, read_bytes(dir.path / name)});
    return files;
}

} // namespace

const std::vector<corpus_file>& corpus_files() {
    static const std::vector<corpus_file> files = make_corpus();
    return files;
}
