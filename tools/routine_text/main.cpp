// kt_routine_text: the specialiser from the command line, for the size-table script and for
// reading a model's routine. "CPU TYPE CODING OFFSET1 OFFSET2" prints the routine;
// "--models" prints the search set, one "TYPE CODING OFFSET1 OFFSET2" line per model.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "routine_text.h"

namespace {

void print_models() {
    const int codings[] = {1, 2, 7, 4, 5, 6};
    for (int coding : codings) {
        const int w1_max = coding == 4 ? 7 : coding == 5 ? 16 : coding == 6 ? 15 : 0;
        const int w2_max = coding == 6 ? 16 : 0;
        for (int w1 = w1_max ? 1 : 0; w1 <= w1_max; ++w1)
            for (int w2 = w2_max ? 1 : 0; w2 <= w2_max; ++w2)
                for (int type = 1; type <= 5; ++type)
                    std::printf("%d %d %d %d\n", type, coding, w1, w2);
    }
}

int usage() {
    std::fprintf(stderr, "usage: kt_routine_text z80|6502 TYPE CODING OFFSET1 OFFSET2\n"
                         "       kt_routine_text --models\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--models") == 0) {
        print_models();
        return 0;
    }
    if (argc != 6) return usage();
    target_cpu cpu;
    if (std::strcmp(argv[1], "z80") == 0) cpu = target_cpu::z80;
    else if (std::strcmp(argv[1], "6502") == 0) cpu = target_cpu::m6502;
    else return usage();
    const pack_model_desc m{std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                            std::atoi(argv[5])};
    std::string text, error;
    if (!specialise_routine(routine_template(cpu), m, text, error)) {
        std::fprintf(stderr, "kt_routine_text: %s\n", error.c_str());
        return 1;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
