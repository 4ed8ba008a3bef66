// start.cpp - the runtime start.

#include "runtime/start.h"

#include <csignal>

#include "runtime/gc.h"
#include "runtime/report.h"

int bb_std_main(int count, const char** args) {
    argc = count;
    argv = args;

    std::signal(SIGSEGV, sighandler);
    std::signal(SIGILL, sighandler);
    std::signal(SIGFPE, sighandler);

    gc_init1();
    bbInit();
    gc_init2();
    bbMain();
    return 0;
}
