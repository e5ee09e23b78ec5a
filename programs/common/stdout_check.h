// A listing or report that never reached its reader is a failure, not a success: every
// program ends through this check.
#pragma once

// Flushes standard output; when it could not be written, says so on standard error and gives
// 1 in place of a status of 0. Any other status is kept.
int finish_stdout(int status);
