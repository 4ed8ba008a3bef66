// report.cpp - text output, runtime errors and the debugger hand-shake.

#include "runtime/report.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/system.h"

const char* dbg_info = nullptr;
String dbg_exstack;
int dbg_suspend = 0;
int dbg_stepmode = 0;

namespace {

// Keeps the low byte of each unit. The buffer grows to the longest text seen
// (plus some slack) and is kept, so printing in a loop does not allocate.
const char* toBytes(const String& s, std::vector<char>& buffer) {
    size_t needed = static_cast<size_t>(s.Length()) + 1;
    if (buffer.size() < needed) buffer.resize(needed + 100);
    for (int i = 0; i < s.Length(); ++i) buffer[i] = static_cast<char>(s[i]);
    buffer[s.Length()] = 0;
    return buffer.data();
}

// The glibc spelling of a null %s argument, written out so the format never
// receives a null pointer.
const char* orNullPlaceholder(const char* s) { return s ? s : "(null)"; }

}  // namespace

int Print(String s) {
    static std::vector<char> buffer;
    std::puts(toBytes(s, buffer));
    std::fflush(stdout);
    return 0;
}

int DebugLog(String s) { return Print(s); }

void Error(String message) {
    if (message.Length() == 0) std::exit(0);
    dbg_error(message.ToCString<char>());
}

int DebugStop() {
    dbg_stop();
    return 0;
}

void dbg_print(String s) {
    static std::vector<char> buffer;
    std::fputs(toBytes(s, buffer), stderr);
    std::fputs("\n", stderr);
    std::fflush(stderr);
}

void dbg_error(const char* message) {
    for (;;) {
        std::printf("Varnok Runtime Error : %s\n", message);
        std::fflush(stdout);
        std::puts(dbg_stacktrace().ToCString<char>());
        std::fflush(stdout);
        dbg_stop();
    }
}

void dbg_throw(const char* message) {
    dbg_exstack = dbg_stacktrace();
    throw message;
}

String dbg_stacktrace() {
    if (!dbg_info || !*dbg_info) return String();
    return String(dbg_info) + String("\n");
}

void dbg_callstack() {}

void dbg_stop() {
    std::fprintf(stderr, "{{~~%s~~}}\n", orNullPlaceholder(dbg_info));
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
    // A terminal or console is a person, not a debugger: nobody will answer,
    // and waiting would leave the window frozen. End as if the input were
    // closed.
    if (!sys::InputMayAnswer()) std::exit(-1);

    for (;;) {
        char line[256];
        if (!std::fgets(line, sizeof line, stdin)) std::exit(-1);
        char* end = std::strchr(line, '\n');
        if (!end) std::exit(-1);
        *end = 0;
        if (end > line && end[-1] == '\r') end[-1] = 0;

        switch (line[0]) {
        case '?':
            continue;
        case '@': {
            // The debugger names an object by its address. Only addresses of
            // live collected objects are followed; anything else reads as null.
            void* p = nullptr;
            if (std::sscanf(line + 1, "%p", &p) != 1) p = nullptr;
            Object* obj = gc_is_live(p) ? dynamic_cast<Object*>(static_cast<gc_object*>(p)) : nullptr;
            if (obj) {
                dbg_print(obj->debug());
            } else {
                dbg_print(String());
            }
            continue;
        }
        case 'e':
            dbg_suspend = 1;
            dbg_stepmode = 'e';
            return;
        case 'l':
            dbg_suspend = 0;
            dbg_stepmode = 'l';
            return;
        case 'r':
            dbg_suspend = 0;
            dbg_stepmode = 0;
            return;
        case 's':
            dbg_suspend = 1;
            dbg_stepmode = 's';
            return;
        case 'q':
            std::exit(0);
        default:
            std::printf("????? %s ?????", line);
            std::fflush(stdout);
            std::exit(-1);
        }
    }
}

String dbg_type(bool*) { return String("Bool"); }
String dbg_type(int*) { return String("Int"); }
String dbg_type(float*) { return String("Float"); }
String dbg_type(String*) { return String("String"); }

String dbg_value(bool* p) { return String(*p ? "True" : "False"); }
String dbg_value(int* p) { return String(*p); }
String dbg_value(float* p) { return String(*p); }

String dbg_value(String* p) {
    String t = *p;
    if (t.Length() > 100) t = t.Slice(0, 100) + String("...");
    t = t.Replace(String("\""), String("~q"));
    t = t.Replace(String("\t"), String("~t"));
    t = t.Replace(String("\n"), String("~n"));
    t = t.Replace(String("\r"), String("~r"));
    return String("\"") + t + String("\"");
}

void warn(const char* text) { std::puts(text); }

void fail(const char* text) {
    std::puts(text);
    std::exit(-1);
}

void sighandler(int sig) {
    switch (sig) {
    case 4:
        dbg_error("Illegal instruction");
    case 8:
        dbg_error("Floating point exception");
    case 11:
        dbg_error("Memory access violation");
    default:
        dbg_error("Unknown signal");
    }
}
