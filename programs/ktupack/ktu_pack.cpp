// KtuPack: packs files of up to 65536 bytes for any pack model KtuList reads, or for the
// smallest of the search set, with an optimal parse.
#include "ktu_driver.h"
#include "ktu_texts.h"
#include "stdout_check.h"

int main(int argc, char** argv) {
    ktu_run run;
    const ktu_args args = read_ktu_args(argc, argv, run);
    int status = ktu_ok;
    switch (args.outcome) {
    case ktu_args_outcome::usage_ok:
        print_ktu_usage();
        break;
    case ktu_args_outcome::usage_fail:
        print_ktu_usage();
        status = ktu_failed;
        break;
    case ktu_args_outcome::version:
        print_ktu_version();
        break;
    case ktu_args_outcome::refused:
        print_ktu_error(args.message);
        status = ktu_failed;
        break;
    case ktu_args_outcome::run:
        status = run_ktu_files(run);
        break;
    }
    return finish_stdout(status);
}
