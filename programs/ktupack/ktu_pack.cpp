// KtuPack: packs files of up to 65536 bytes for any pack model KtuList reads, or for the
// smallest of the search set, with an optimal parse.
#include "ktu_driver.h"

int main(int argc, char** argv) { return run_ktupack(argc, argv); }
