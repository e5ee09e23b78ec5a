// Linked into every program on Windows only: the C runtime expands wildcards in the arguments
// before main, as the shell does elsewhere.
extern "C" {
int _dowildcard = -1;
}
