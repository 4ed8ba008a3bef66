// start.h - the runtime start and the program's hooks into it.
//
// main() (host/main.cpp) opens the window and the sound device, then calls
// bb_std_main, which prepares the runtime and calls the program's bbInit
// (module globals) and bbMain (creates the game object). The host publishes
// its loop in `runner`, which main() calls last.
//
// Depends on: runtime/gc.h, runtime/report.h.

#ifndef NUBRIX_RUNTIME_START_H
#define NUBRIX_RUNTIME_START_H

extern int argc;
extern const char** argv;

// The main loop, set by the host when it is created; null until then.
extern int (*runner)();

// Stores the arguments, installs the fault-signal handler, empties the
// collector's lists, runs bbInit, marks the roots and runs bbMain.
int bb_std_main(int argc, const char** argv);

// Provided by the program: its module initialiser and its main function.
int bbInit();
int bbMain();

#endif
