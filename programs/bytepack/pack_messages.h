// The words of the packers' failure messages, for the driver (and the tests that check them).
#pragma once

#include "pack_status.h"

// Prints the message of a failed status on standard output; nothing for none.
void print_pack_failure(const pack_status& s);
