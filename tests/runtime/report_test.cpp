// Runtime errors and the debugger hand-shake, on real child processes: the
// exact lines on standard output and standard error, and the exit codes.

#include <gtest/gtest.h>


#include <cstdio>
#include <cstring>

#include "runtime/report.h"
#include "tests/support/testing.h"

using nubrix_test::ChildResult;
using nubrix_test::RunInChild;
using nubrix_test::RunProgram;

namespace {

const std::string kReport = "Varnok Runtime Error : boom\n\n";
const std::string kHandshake = "{{~~(null)~~}}\n\n";

ChildResult ErrorWithDebugger(const std::string& debuggerLines) {
    return RunInChild([] { Error(String("boom")); }, debuggerLines);
}

TEST(ErrorReport, AnEmptyMessageEndsQuietlyWithCodeZero) {
    ChildResult r = RunInChild([] {
        Error(String());
        std::puts("not reached");
    });
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
}

TEST(ErrorReport, WithNoDebuggerTheReportIsTwoLinesAndTheCodeIsMinusOne) {
    ChildResult r = ErrorWithDebugger("");
    EXPECT_EQ(r.out, kReport);
    EXPECT_EQ(r.err, kHandshake);
    EXPECT_EQ(r.exitCode, 255);
}

TEST(ErrorReport, UnitsAboveLatin1PrintAsTheirLowByte) {
    ChildResult r = RunInChild([] {
        const Char units[] = {'o', 0x14B, 'k', 0};
        Print(String(units));
        DebugLog(String("log"));
    });
    EXPECT_EQ(r.out, "oKk\nlog\n");
}

TEST(DebuggerHandshake, QuitEndsWithCodeZero) {
    ChildResult r = ErrorWithDebugger("q\n");
    EXPECT_EQ(r.out, kReport);
    EXPECT_EQ(r.err, kHandshake);
    EXPECT_EQ(r.exitCode, 0);
}

TEST(DebuggerHandshake, RunRepeatsTheReport) {
    ChildResult r = ErrorWithDebugger("r\nr\nq\n");
    EXPECT_EQ(r.out, kReport + kReport + kReport);
    EXPECT_EQ(r.err, kHandshake + kHandshake + kHandshake);
    EXPECT_EQ(r.exitCode, 0);
}

TEST(DebuggerHandshake, StepModesAreStoredBeforeReturning) {
    ChildResult r = RunInChild(
        [] {
            for (int i = 0; i < 3; ++i) {
                DebugStop();
                std::printf("%d %c\n", dbg_suspend, dbg_stepmode ? dbg_stepmode : '0');
            }
            DebugStop();
            std::printf("%d %d\n", dbg_suspend, dbg_stepmode);
        },
        "e\nl\ns\nr\n");
    EXPECT_EQ(r.out, "1 e\n0 l\n1 s\n0 0\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(DebuggerHandshake, AnswersFromATerminalAreNotAwaited) {
    // Started from a terminal, nobody answers: end at once, as with closed input.
    ChildResult r = RunInChild(
        [] {
            nubrix_test::InputFromNobody();
            Error(String("boom"));
        },
        "", 10);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.out, kReport);
    EXPECT_EQ(r.err, kHandshake);
    EXPECT_EQ(r.exitCode, 255);
}

TEST(DebuggerHandshake, QuestionMarksAreIgnored) {
    ChildResult r = ErrorWithDebugger("?\n??\r\nq\n");
    EXPECT_EQ(r.out, kReport);
    EXPECT_EQ(r.exitCode, 0);
}

TEST(DebuggerHandshake, AnUnknownLineIsEchoedAndEndsWithMinusOne) {
    ChildResult r = ErrorWithDebugger("xyz 1\n");
    EXPECT_EQ(r.out, kReport + "????? xyz 1 ?????");
    EXPECT_EQ(r.exitCode, 255);
}

TEST(DebuggerHandshake, ALineWithoutALineEndEndsWithMinusOne) {
    ChildResult r = ErrorWithDebugger("q");
    EXPECT_EQ(r.out, kReport);
    EXPECT_EQ(r.exitCode, 255);
}

TEST(DebuggerHandshake, ObjectsAreShownByAddressAndUnknownAddressesReadAsNull) {
    nubrix_test::TempDir dir;
    ChildResult r = RunInChild([&] {
        Object* obj = new Object();
        char lines[128];
        std::snprintf(lines, sizeof lines, "@%p\n@0x10\n@\nq\n", static_cast<void*>(obj));
        nubrix_test::WriteFile(dir.File("answers"), lines);
        nubrix_test::InputFromFile(dir.File("answers"));
        DebugStop();
    });
    EXPECT_EQ(r.err, kHandshake + "+Object\n\n\n\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(DebuggerValues, FormattingOfTheFourBasicTypes) {
    bool yes = true;
    int n = -7;
    float f = 2.0f;
    String quoted("say \"hi\"\tnow\r\n");
    EXPECT_EQ(nubrix_test::Narrow(dbg_type(&yes)), "Bool");
    EXPECT_EQ(nubrix_test::Narrow(dbg_type(&n)), "Int");
    EXPECT_EQ(nubrix_test::Narrow(dbg_type(&f)), "Float");
    EXPECT_EQ(nubrix_test::Narrow(dbg_type(&quoted)), "String");
    EXPECT_EQ(nubrix_test::Narrow(dbg_value(&yes)), "True");
    EXPECT_EQ(nubrix_test::Narrow(dbg_value(&n)), "-7");
    EXPECT_EQ(nubrix_test::Narrow(dbg_value(&f)), "2.0");
    EXPECT_EQ(nubrix_test::Narrow(dbg_value(&quoted)), "\"say ~qhi~q~tnow~r~n\"");

    String longText(std::string(120, 'a').c_str());
    EXPECT_EQ(nubrix_test::Narrow(dbg_value(&longText)), "\"" + std::string(100, 'a') + "...\"");
}

TEST(DebuggerValues, StackTraceIsEmptyWithoutDebugInfo) {
    EXPECT_EQ(dbg_stacktrace().Length(), 0);
}

TEST(FaultSignals, UnknownSignalsHaveTheirOwnMessage) {
    ChildResult r = RunInChild([] { sighandler(42); });
    EXPECT_EQ(r.out, "Varnok Runtime Error : Unknown signal\n\n");
    EXPECT_EQ(r.exitCode, 255);
}

TEST(WarnAndFail, FailPrintsAndEndsWithMinusOne) {
    ChildResult r = RunInChild([] {
        warn("careful");
        fail("broken");
    });
    EXPECT_EQ(r.out, "careful\nbroken\n");
    EXPECT_EQ(r.exitCode, 255);
}

// --- the real entry point ---------------------------------------------------

std::string Probe() { return std::string(NUBRIX_BINARY_DIR) + "/tests/runtime/runtime_probe"; }

ChildResult RunProbe(std::vector<std::string> args, std::vector<std::string> env = {}, const std::string& input = "") {
    args.insert(args.begin(), Probe());
    env.insert(env.begin(), "ALSOFT_DRIVERS=null");  // a test's own setting comes later and wins
    env.push_back("NUBRIX_PROBE_BACKEND=scripted");
    return RunProgram(args, env, input);
}

TEST(EntryPoint, OpensACentredResizableWindowTitledNubrix) {
    ChildResult r = RunProbe({"startup", "extra"});
    EXPECT_EQ(r.out, "window 640x480 at 640,300 title Nubrix resizable 1 args 3\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(EntryPoint, WithoutOpenALTheProgramReportsItAndCarriesOn) {
    ChildResult r = RunProbe({"startup"}, {"ALSOFT_DRIVERS=no-such-driver"});
    EXPECT_EQ(r.out, "alcOpenDevice failed\nwindow 640x480 at 640,300 title Nubrix resizable 1 args 2\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(EntryPoint, GlfwAndWindowFailuresSayWhyAndEndWithMinusOne) {
    ChildResult r = RunProbe({"startup"}, {"NUBRIX_PROBE_FAIL=init"});
    EXPECT_EQ(r.out, "glfwInit failed\nScripted: refused as the test asked\n");
    EXPECT_EQ(r.exitCode, 255);
    r = RunProbe({"startup"}, {"NUBRIX_PROBE_FAIL=window"});
    EXPECT_EQ(r.out, "glfwOpenWindow failed\nScripted: refused as the test asked\n");
    EXPECT_EQ(r.exitCode, 255);
}

TEST(EntryPoint, WithoutADisplayTheRealGlfwSaysWhy) {
    ChildResult r = RunProgram({Probe(), "startup"}, {"DISPLAY=", "WAYLAND_DISPLAY=", "ALSOFT_DRIVERS=null"});
    EXPECT_EQ(r.out, "glfwInit failed\nX11: The DISPLAY environment variable is missing\n");
    EXPECT_EQ(r.exitCode, 255);
}

TEST(EntryPoint, RuntimeErrorsEndTheProcessFromInside) {
    ChildResult r = RunProbe({"error", "boom"});
    EXPECT_EQ(r.out, kReport);
    EXPECT_EQ(r.err, kHandshake);
    EXPECT_EQ(r.exitCode, 255);
    r = RunProbe({"error", ""});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(EntryPoint, UncaughtExceptionsEndNormally) {
    ChildResult r = RunProbe({"throw-object"});
    EXPECT_EQ(r.out, "Varnok Runtime Error : Uncaught Varnok Exception\n");
    EXPECT_EQ(r.exitCode, 0);
    r = RunProbe({"throw-string"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.exitCode, 0);
}

TEST(EntryPoint, FaultSignalsAreReportedAsRuntimeErrors) {
    struct Case {
        const char* mode;
        const char* message;
    } cases[] = {
        {"segv", "Memory access violation"},
        {"fpe", "Floating point exception"},
        {"ill", "Illegal instruction"},
    };
    for (const Case& c : cases) {
        ChildResult r = RunProbe({c.mode});
        EXPECT_EQ(r.out, std::string("Varnok Runtime Error : ") + c.message + "\n\n") << c.mode;
        EXPECT_EQ(r.err, kHandshake) << c.mode;
        EXPECT_EQ(r.exitCode, 255) << c.mode;
        r = RunProbe({c.mode}, {}, "q\n");
        EXPECT_EQ(r.exitCode, 0) << c.mode << " with a debugger that quits";
    }
}

}  // namespace
