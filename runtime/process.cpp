// process.cpp - the process-wide values the entry point and the host share.
// Kept apart from bb_std_main so that linking the host does not pull in the
// program's bbInit and bbMain.

#include "runtime/start.h"

int argc = 0;
const char** argv = nullptr;
int (*runner)() = nullptr;
