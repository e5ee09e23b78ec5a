// KtuList: lists the token streams of packed files, or depacks them.
#include "args_scan.h"

#ifdef __MINGW32__
// The C runtime expands wildcards in the arguments before main, as the shell does elsewhere.
extern "C" {
int _dowildcard = -1;
}
#endif

int main(int argc, char** argv) { return run_ktulist(argc, argv); }
