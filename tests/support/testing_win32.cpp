// testing_win32.cpp - the Windows half of testing.h: child processes with
// CreateProcessW, folders, environment and standard streams.
//
// Windows has no fork, so RunInChild starts this test program again with
// only the current test selected (--gtest_filter) and NUBRIX_TEST_CHILD
// naming the test and which of its RunInChild calls to become. The child
// runs the test from its start to that call, runs the body and exits; the
// calls before it run as children of their own, so the test takes the same
// path it takes in the parent. Whatever GoogleTest prints before the body is
// cut off at a marker the child writes to both outputs.

#include "tests/support/testing.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace nubrix_test {

namespace {

const char kChildVariable[] = "NUBRIX_TEST_CHILD";
const char kRootVariable[] = "NUBRIX_TEST_ROOT";  // the process number of the first parent
const char kMarker[] = "\x02nubrix-test-child\x03";

std::wstring Wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string Narrow8(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

// One argument as the C runtime's command-line parser reads it back.
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
    if (!line.empty()) line += L' ';
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

// This process's environment with the changes applied ("NAME=value"; "NAME="
// removes NAME), as the block CreateProcessW takes.
std::wstring EnvironmentBlock(const std::vector<std::string>& changes) {
    std::vector<std::wstring> entries;
    wchar_t* all = GetEnvironmentStringsW();
    for (const wchar_t* p = all; *p; p += wcslen(p) + 1) entries.emplace_back(p);
    FreeEnvironmentStringsW(all);
    for (const std::string& change : changes) {
        std::wstring c = Wide(change);
        size_t eq = c.find(L'=');
        std::wstring name = c.substr(0, eq) + L'=';
        for (size_t i = 0; i < entries.size();) {
            if (CompareStringOrdinal(entries[i].c_str(), static_cast<int>(name.size()), name.c_str(),
                                     static_cast<int>(name.size()), TRUE) == CSTR_EQUAL) {
                entries.erase(entries.begin() + static_cast<long>(i));
            } else {
                ++i;
            }
        }
        if (eq != std::wstring::npos && eq + 1 < c.size()) entries.push_back(c);
    }
    std::wstring block;
    for (const std::wstring& e : entries) block += e + L'\0';
    block += L'\0';
    return block;
}

struct Pipe {
    HANDLE read = nullptr, write = nullptr;
    Pipe() {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        if (!CreatePipe(&read, &write, &inherit, 0)) std::abort();
    }
    void Close(HANDLE& h) {
        if (h) CloseHandle(h);
        h = nullptr;
    }
    ~Pipe() {
        Close(read);
        Close(write);
    }
};

// Starts a program with the given standard handles (inheritable ones); the
// process handle, or null when it cannot start.
HANDLE Start(const std::vector<std::string>& args, const std::vector<std::string>& env,
             const std::string& workingFolder, HANDLE in, HANDLE out, HANDLE err, DWORD& id) {
    std::wstring line;
    for (const std::string& a : args) AppendQuoted(line, Wide(a));
    std::wstring block = EnvironmentBlock(env);
    std::wstring folder = Wide(workingFolder);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi = {};
    std::fflush(nullptr);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT, block.data(),
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
        return nullptr;
    }
    CloseHandle(pi.hThread);
    id = pi.dwProcessId;
    return pi.hProcess;
}

// Exit codes as on POSIX: the low eight bits, so that exit(-1) reads 255;
// an exception that ended the process (an NTSTATUS error) reads as killed.
void SetExit(ChildResult& result, DWORD code) {
    if ((code & 0xF0000000u) == 0xC0000000u) {
        result.exitCode = -1;
        result.signal = static_cast<int>(code & 0xFFFF);
    } else {
        result.exitCode = static_cast<int>(code & 0xFF);
    }
}

ChildResult Run(const std::vector<std::string>& args, const std::vector<std::string>& env,
                const std::string& input, double timeout, const std::string& workingFolder) {
    ChildResult result;
    Pipe in, out, err;
    SetHandleInformation(in.write, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(out.read, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(err.read, HANDLE_FLAG_INHERIT, 0);
    DWORD id = 0;
    HANDLE process = Start(args, env, workingFolder, in.read, out.write, err.write, id);
    in.Close(in.read);
    out.Close(out.write);
    err.Close(err.write);
    if (!process) {
        result.exitCode = 127;
        return result;
    }
    auto drain = [](HANDLE h, std::string& into) {
        char buf[4096];
        DWORD n = 0;
        while (::ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) into.append(buf, n);
    };
    std::thread feeder([&] {
        DWORD n = 0;
        if (!input.empty()) ::WriteFile(in.write, input.data(), static_cast<DWORD>(input.size()), &n, nullptr);
        in.Close(in.write);
    });
    std::thread outReader(drain, out.read, std::ref(result.out));
    std::thread errReader(drain, err.read, std::ref(result.err));
    if (WaitForSingleObject(process, static_cast<DWORD>(timeout * 1000)) == WAIT_TIMEOUT) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, INFINITE);
        result.timedOut = true;
    }
    feeder.join();
    outReader.join();
    errReader.join();
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    if (!result.timedOut) SetExit(result, code);
    result.out = UnixLines(result.out);
    result.err = UnixLines(result.err);
    return result;
}

std::string CurrentTestName() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return test ? std::string(test->test_suite_name()) + "." + test->name() : std::string();
}

std::string ThisProgram() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return Narrow8(path);
}

// Counts something within the running test: 0, 1, 2 ... afresh for each.
struct PerTestCounter {
    std::string test;
    int count = 0;
    int Next() {
        std::string now = CurrentTestName();
        if (now != test) {
            test = now;
            count = 0;
        }
        return count++;
    }
};

// The number of this RunInChild call within the running test.
int NextCallOfThisTest() {
    static PerTestCounter calls;
    return calls.Next();
}

std::string RootTag() {
    const char* root = std::getenv(kRootVariable);
    return root && *root ? root : std::to_string(GetCurrentProcessId());
}

// The n-th temporary folder of the running test has the same name in the
// parent and in each child, so that a child running the test again finds
// the folders the parent made, with what the parent put in them.
std::string NextFolderName() {
    static PerTestCounter folders;
    const int n = folders.Next();
    return "nubrix-test-" + RootTag() + "-" + std::to_string(std::hash<std::string>()(CurrentTestName()) % 100000) +
           "-" + std::to_string(n);
}

std::string AfterMarker(const std::string& text) {
    size_t at = text.find(kMarker);
    return at == std::string::npos ? text : text.substr(at + sizeof kMarker - 1);
}

}  // namespace

ChildResult RunInChild(const std::function<void()>& body, const std::string& input, double timeoutSeconds) {
    std::string me = CurrentTestName() + "#" + std::to_string(NextCallOfThisTest());
    const char* wanted = std::getenv(kChildVariable);
    if (wanted && me == wanted) {
        std::fflush(nullptr);
        std::fputs(kMarker, stdout);
        std::fputs(kMarker, stderr);
        std::fflush(nullptr);
        body();
        std::fflush(nullptr);
        _exit(0);
    }
    ChildResult r = Run({ThisProgram(), "--gtest_filter=" + CurrentTestName(), "--gtest_color=no"},
                        {std::string(kChildVariable) + "=" + me, std::string(kRootVariable) + "=" + RootTag()},
                        input, timeoutSeconds, "");
    bool reached = r.out.find(kMarker) != std::string::npos;
    r.out = AfterMarker(r.out);
    r.err = AfterMarker(r.err);
    if (!reached) r.err = "the child never reached its body:\n" + r.err;
    return r;
}

ChildResult RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env,
                       const std::string& input, double timeoutSeconds, const std::string& workingFolder) {
    return Run(args, env, input, timeoutSeconds, workingFolder);
}

// A folder's read-only attribute binds nobody on Windows (it marks system
// folders), and Wine here runs as root, whom no permission binds: there is
// no folder in which the process itself cannot create files.
ChildResult RunInReadOnlyFolder(const std::string&, const std::function<void()>&) {
    ADD_FAILURE() << "no read-only folders on Windows: skip this test there";
    return ChildResult();
}

Process::Process(const std::vector<std::string>& args, const std::vector<std::string>& env,
                 const std::string& workingFolder) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) std::abort();
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
    DWORD id = 0;
    HANDLE process = Start(args, env, workingFolder, nul, write, GetStdHandle(STD_ERROR_HANDLE), id);
    CloseHandle(nul);
    CloseHandle(write);
    pid = process ? static_cast<int>(id) : -1;
    handle = process;
    outPipe = read;
}

Process::~Process() {
    if (Running()) {
        TerminateProcess(handle, 1);
        WaitForSingleObject(handle, INFINITE);
    }
    if (handle) CloseHandle(handle);
    if (outPipe) CloseHandle(outPipe);
}

void Process::Drain(int timeoutMs) {
    if (!outPipe) return;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        DWORD ready = 0;
        if (!PeekNamedPipe(outPipe, nullptr, 0, nullptr, &ready, nullptr)) {
            CloseHandle(outPipe);
            outPipe = nullptr;
            return;
        }
        if (ready > 0) break;
        if (std::chrono::steady_clock::now() >= end) return;
        Sleep(5);
    }
    char buf[4096];
    DWORD n = 0;
    while (PeekNamedPipe(outPipe, nullptr, 0, nullptr, &n, nullptr) && n > 0 &&
           ::ReadFile(outPipe, buf, n < sizeof buf ? n : sizeof buf, &n, nullptr) && n > 0) {
        for (DWORD i = 0; i < n; ++i) {
            if (buf[i] == '\n' && !out.empty() && out.back() == '\r') out.pop_back();
            out += buf[i];
        }
    }
}

bool Process::Running() {
    if (exited || !handle) return false;
    if (WaitForSingleObject(handle, 0) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(handle, &code);
        status = static_cast<int>(code);
        exited = true;
        return false;
    }
    return true;
}

int Process::WaitForExit(double timeoutSeconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (Running()) {
        Drain(50);
        if (std::chrono::steady_clock::now() > end) return -1;
    }
    Drain(0);
    ChildResult r;
    SetExit(r, static_cast<DWORD>(status));
    return r.exitCode;
}

TempDir::TempDir() {
    const fs::path folder = fs::temp_directory_path() / NextFolderName();
    path = folder.generic_u8string();  // C:/..., a drive path as the game reads one
    std::error_code ec;
    if (std::getenv(kChildVariable) && fs::is_directory(folder, ec)) {
        owned = false;
        return;
    }
    fs::remove_all(folder, ec);  // left by an earlier run whose process had our number
    if (!CreateDirectoryW(folder.c_str(), nullptr)) std::abort();
}

TempDir::~TempDir() {
    if (!owned) return;
    std::error_code ec;
    for (auto& entry : fs::recursive_directory_iterator(fs::u8path(path), ec)) {
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    fs::remove_all(fs::u8path(path), ec);
    if (ec) std::fprintf(stderr, "could not remove %s: %s\n", path.c_str(), ec.message().c_str());
}

ScopedWorkingFolder::ScopedWorkingFolder(const std::string& folder) {
    previous = fs::current_path().u8string();
    fs::current_path(fs::u8path(folder));
}

ScopedWorkingFolder::~ScopedWorkingFolder() { fs::current_path(fs::u8path(previous)); }

// This Wine makes no symbolic links, so data/ is the repository's files
// hard-linked one by one (copied where a link cannot be made).
bool LinkData(const TempDir& folder) {
    std::error_code ec;
    const fs::path from = fs::u8path(NUBRIX_SOURCE_DIR "/data"), to = fs::u8path(folder.File("data"));
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::create_hard_links, ec);
    if (ec) {
        ec.clear();
        fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    }
    if (!ec) return true;
    std::fprintf(stderr, "linking data/: %s\n", ec.message().c_str());
    return false;
}

void SetEnvironment(const std::string& name, const std::string& value) {
    SetEnvironmentVariableW(Wide(name).c_str(), value.empty() ? nullptr : Wide(value).c_str());
    _putenv_s(name.c_str(), value.c_str());
}

// The C runtime's stdin and the process's standard input handle both.
std::string FolderReason() {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_DIRECTORY, 0, text,
                   sizeof text, nullptr);
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.')) s.pop_back();
    return s;
}

void InputFromFile(const std::string& path) {
    if (!_wfreopen(Wide(path).c_str(), L"r", stdin)) std::exit(3);
    SetStdHandle(STD_INPUT_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdin))));
}

void InputFromNobody() { InputFromFile("NUL"); }

CapturedOutput::CapturedOutput() {
    std::fflush(stdout);
    saved = _dup(1);
    FILE* f = _wfopen(fs::u8path(dir.File("out.txt")).c_str(), L"w");
    _dup2(_fileno(f), 1);
    std::fclose(f);
}

void CapturedOutput::Restore() {
    if (saved < 0) return;
    std::fflush(stdout);
    _dup2(saved, 1);
    _close(saved);
    saved = -1;
}

}  // namespace nubrix_test
