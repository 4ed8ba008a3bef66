// report.h - text output, runtime errors and the debugger hand-shake.
//
// Print and DebugLog write a line on standard output. A runtime error (Error
// with a message, a fault signal) prints "Varnok Runtime Error : " and the
// message, then hands over to a debugger through a line protocol on standard
// error and standard input; with nobody answering the process ends with exit
// code -1.
//
// Depends on: runtime/string.h, runtime/gc.h.

#ifndef NUBRIX_RUNTIME_REPORT_H
#define NUBRIX_RUNTIME_REPORT_H

#include "runtime/gc.h"
#include "runtime/string.h"

// Base of the exceptions game code may throw; the entry point catches them.
class ThrowableObject : public Object {};

extern const char* dbg_info;  // debug information text; nothing sets it
extern String dbg_exstack;    // stack trace captured by dbg_throw
extern int dbg_suspend;       // debugger step state set by dbg_stop
extern int dbg_stepmode;

int Print(String s);
int DebugLog(String s);
[[noreturn]] void Error(String message);
int DebugStop();

[[noreturn]] void dbg_error(const char* message);
[[noreturn]] void dbg_throw(const char* message);
String dbg_stacktrace();
void dbg_stop();
void dbg_print(String s);
void dbg_callstack();

String dbg_type(bool*);
String dbg_type(int*);
String dbg_type(float*);
String dbg_type(String*);
String dbg_value(bool* p);
String dbg_value(int* p);
String dbg_value(float* p);
String dbg_value(String* p);

void warn(const char* text);
[[noreturn]] void fail(const char* text);

void sighandler(int sig);

#endif
