// KtuList: lists the token streams of packed files, or depacks them.
#include "args_scan.h"

int main(int argc, char** argv) { return run_ktulist(argc, argv); }
