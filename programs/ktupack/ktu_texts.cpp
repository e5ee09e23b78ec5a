#include "ktu_texts.h"

#include <cstdio>

#include "format_table.h"
#include "ktu_names.h"

#ifndef KT_VERSION
#define KT_VERSION "0"
#endif

namespace {
const char* type_name(int type) {
    const compression_type_row* row = find_type(type);
    return row == nullptr ? "???" : row->label;
}
} // namespace

void print_ktu_usage() {
    fputs("KtuPack " KT_VERSION
          ": packs files for every pack model KtuList reads, with an optimal parse\n"
          "Usage: KtuPack <options> file1 file2 ...\n"
          "  -t<T><C>[o<W1>[o<W2>]]  pack under this model, written as a name tag:\n"
          "                          -t35o4, -t56o4o12, -t17, -t22\n",
          stdout);
    // The size of the search set, with the thousands apart as the usage has always shown it.
    const int n = search_model_count;
    if (n >= 1000)
        printf("  -b        pack under the model of %d,%03d", n / 1000, n % 1000);
    else
        printf("  -b        pack under the model of %d", n);
    fputs(" that gives the smallest stream (default)\n"
          "  -v        also print the smallest stream of each compression type\n"
          "  -o NAME   name the output of the one file that follows\n"
          "  -f        replace output files that exist\n"
          "  -q        print nothing but errors\n"
          "  -h        print this help\n"
          "  -V        print the version\n"
          "Options act on the files after them. The output is the input name with the model\n"
          "tag at its base end: game.bin packed with -t35o4 gives game-t35o4.bin.\n",
          stdout);
}

void print_ktu_version() { puts("KtuPack " KT_VERSION); }

void print_ktu_error(const std::string& message) {
    fflush(stdout);
    fprintf(stderr, "KtuPack: %s\n", message.c_str());
}

void print_ktu_report(const ktu_report& r) {
    printf("%s => %s  Model: %-10s Packed: %5u => %-5u  ", r.input, r.output,
           model_tag(r.model).c_str(), r.in_size, r.packed);
    if (r.routine >= 0)
        printf("Routine: %-3d  Total: %-5u  ", r.routine,
               r.packed + static_cast<uint32_t>(r.routine));
    fputs("Margin: ", stdout);
    if (r.ms > 0)
        printf("%-3u  Time: %u.%03u seconds\n", r.margin, r.ms / 1000, r.ms % 1000);
    else
        printf("%u\n", r.margin);
}

void print_ktu_type_best(const pack_model& model, uint32_t packed, uint32_t margin, int routine) {
    printf("  %s best: %-10s Packed: %5u  ", type_name(model.type), model_tag(model).c_str(),
           packed);
    if (routine >= 0)
        printf("Routine: %-3d  Total: %-5u  ", routine, packed + static_cast<uint32_t>(routine));
    printf("Margin: %u\n", margin);
}

void print_ktu_progress(int file, int files, int models) {
    fprintf(stderr, "\rKtuPack: file %d of %d, %d models ", file, files, models);
    fflush(stderr);
}

void clear_ktu_progress() {
    fprintf(stderr, "\r%40s\r", "");
    fflush(stderr);
}
