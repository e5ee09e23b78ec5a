// The packers' corpus as every test reaches it: the files tools/corpus/make_corpus.sh builds
// with kt_make_synthetic, made once per test program in a scratch folder and held in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct corpus_file {
    std::string name;
    std::vector<uint8_t> data;
};

// The files in the order of their names; a failing script throws with what it printed.
const std::vector<corpus_file>& corpus_files();
