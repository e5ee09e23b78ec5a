// The command line of KtuList: options, file arguments and the usage text.
#pragma once

// Runs the whole program on its arguments and gives its exit status.
int run_ktulist(int argc, char** argv);
