// testing.h - helpers shared by the test suites: child processes with
// captured output, temporary folders (with the repository's data/ linked
// in), small file and record utilities.
//
// testing.cpp holds what every system shares; testing_posix.cpp (fork,
// exec) and testing_win32.cpp (CreateProcessW) the rest.
//
// Depends on: the C++ library, GoogleTest, POSIX or Win32.

#ifndef NUBRIX_TESTS_SUPPORT_TESTING_H
#define NUBRIX_TESTS_SUPPORT_TESTING_H

#include <functional>
#include <string>
#include <vector>

#include "runtime/string.h"

namespace nubrix_test {

struct ChildResult {
    int exitCode = -1;   // the child's exit status (0..255), or -1 if it was killed
    int signal = 0;      // the signal that killed it, 0 if it exited
    bool timedOut = false;
    std::string out;     // everything it wrote to standard output
    std::string err;     // everything it wrote to standard error
                         // (both with a Windows program's \r\n read as \n)
};

// Runs `body` in a child process whose standard input holds `input` and is
// then closed. The child ends with exit code 0 when `body` returns. On POSIX
// the child is forked; on Windows it is this program again, running the
// current test up to this call (so what the test did before the call, the
// child does again, in its own process).
ChildResult RunInChild(const std::function<void()>& body, const std::string& input = "",
                       double timeoutSeconds = 60);

// Runs a program with extra environment entries ("NAME=value"; "NAME=" with
// nothing after it removes NAME) and the given standard input.
ChildResult RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                       const std::string& input = "", double timeoutSeconds = 60,
                       const std::string& workingFolder = "");

// Runs `body` in a forked child (RunInChild) working in `folder`, which is
// made read-only first; root drops its privileges to nobody's, so that the
// folder's permissions apply. The folder is writable again afterwards. The
// child exits 3 when it cannot enter the folder, 4 when it cannot drop root.
ChildResult RunInReadOnlyFolder(const std::string& folder, const std::function<void()>& body);

// A program running alongside the test: its standard output is collected
// as it arrives, so a test can wait for a line, act, and wait for the next.
class Process {
public:
    Process(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
            const std::string& workingFolder = "");
    ~Process();  // kills the program if it still runs
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    int Pid() const { return pid; }
    // Everything written to standard output so far, each line ending in \n
    // (a Windows program's \r\n included).
    const std::string& Output();
    // Waits until standard output contains `text` (true) or the time runs out.
    bool WaitForOutput(const std::string& text, double timeoutSeconds = 20);
    // Waits for the program to end; its exit code, or -1 on timeout or signal.
    int WaitForExit(double timeoutSeconds = 20);
    bool Running();

private:
    void Drain(int timeoutMs);
    int pid = -1;
    int outFd = -1;            // POSIX: the read end of the program's output
    void* handle = nullptr;    // Windows: the process and its output pipe
    void* outPipe = nullptr;
    int status = -1;
    bool exited = false;
    std::string out;
};

// A fresh folder under $TMPDIR, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "/" + name; }

private:
    std::string path;
    bool owned = true;  // false in a Windows RunInChild child: the folder is its parent's
};

// Makes `folder` the working folder until the end of the scope.
class ScopedWorkingFolder {
public:
    explicit ScopedWorkingFolder(const std::string& folder);
    ~ScopedWorkingFolder();
    ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
    ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;

private:
    std::string previous;
};

// Links `folder`/data to the repository's data/, so a game started in the
// folder loads the real assets and whatever it writes stays in the folder;
// reports the error (perror) and returns false when the link fails.
bool LinkData(const TempDir& folder);

// A fresh folder whose data/ is the repository's (LinkData), and the working
// folder while the object lives.
class DataWorkingFolder {
public:
    DataWorkingFolder();
    bool Linked() const { return linked; }
    const TempDir& Folder() const { return folder; }

private:
    TempDir folder;
    bool linked;
    ScopedWorkingFolder working;
};

// Sets (or, with an empty value, removes) a variable of this process's
// environment, seen by getenv and by programs it starts.
void SetEnvironment(const std::string& name, const std::string& value);

// Makes standard input read the file at `path`. Exits 3 on failure.
void InputFromFile(const std::string& path);

// Makes standard input a device that nobody types into and that is not a
// pipe or a file: a terminal (POSIX), NUL (Windows). Exits 3 on failure.
void InputFromNobody();

// Standard output goes to a file until Text() is read.
class CapturedOutput {
public:
    CapturedOutput();
    ~CapturedOutput() { Restore(); }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;
    std::string Text();

private:
    void Restore();
    TempDir dir;
    int saved = -1;
};

// The path with the system's own separators (\ on Windows), as the system
// names a folder (the working folder, for one).
std::string NativePath(const std::string& path);

// The system's words for a folder found where a file should be: "Is a
// directory" on POSIX, FormatMessage's ERROR_DIRECTORY on Windows.
std::string FolderReason();

// The text with every \r\n (the C runtime's line end on Windows) as \n.
std::string UnixLines(const std::string& text);

// Paths are UTF-8 on every system.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// The names in a folder, in no particular order.
std::vector<std::string> FolderEntries(const std::string& folder);

// The fields of a saved record: splits at every "|" as the game's loader
// does (n bars give n + 1 fields).
std::vector<std::string> Fields(const std::string& record);

// The units of a String as bytes (low 8 bits), and back.
std::string Narrow(const String& s);
String Widen(const std::string& s);

}  // namespace nubrix_test

#endif
