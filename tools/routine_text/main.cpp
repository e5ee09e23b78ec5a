// kt_routine_text: the specialiser from the command line, for the size-table script and for
// reading a model's routine. "CPU TYPE CODING OFFSET1 OFFSET2" prints the routine;
// "--models CPU" prints the models of the search set that have routines on the CPU, one "TYPE
// CODING OFFSET1 OFFSET2" line per model.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "format_table.h"
#include "routine_text.h"

namespace {

void print_models(target_cpu cpu) {
    for (int i = 0; i < search_model_count; ++i) {
        const pack_model m = search_model(i);
        if (!routine_model_known(cpu, {m.type, m.coding, m.offset1, m.offset2})) continue;
        std::printf("%d %d %d %d\n", m.type, m.coding, m.offset1, m.offset2);
    }
}

int usage() {
    std::fprintf(stderr, "usage: kt_routine_text z80|6502 TYPE CODING OFFSET1 OFFSET2\n"
                         "       kt_routine_text --models z80|6502\n");
    return 2;
}

} // namespace

// The CPU named by arg; false for another word.
bool read_cpu(const char* arg, target_cpu& cpu) {
    if (std::strcmp(arg, "z80") == 0)
        cpu = target_cpu::z80;
    else if (std::strcmp(arg, "6502") == 0)
        cpu = target_cpu::m6502;
    else
        return false;
    return true;
}

int main(int argc, char** argv) {
    target_cpu cpu;
    if (argc == 3 && std::strcmp(argv[1], "--models") == 0) {
        if (!read_cpu(argv[2], cpu)) return usage();
        print_models(cpu);
        return 0;
    }
    if (argc != 6 || !read_cpu(argv[1], cpu)) return usage();
    const pack_model_desc m{std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                            std::atoi(argv[5])};
    std::string text, error;
    if (!specialise_routine(routine_template(cpu, m.type), m, text, error)) {
        std::fprintf(stderr, "kt_routine_text: %s\n", error.c_str());
        return 1;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
