// system_win32.cpp - the operating system on Windows: Win32 file and
// process calls on UTF-16 paths. The Linux side is system_posix.cpp.

#include "platform/system.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <cwchar>

namespace sys {
namespace {

// A save writes the record's name + kTempInfix + its process number first.
const wchar_t* const kTempInfix = L".new.";

// Another process may hold the record open for a moment (a second copy of
// the game saving, a virus scanner reading it): a replace is tried again for
// up to kReplaceTries * kReplacePauseMs before the save gives up.
const int kReplaceTries = 20;
const DWORD kReplacePauseMs = 50;

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
    return out;
}

std::string Utf8(const wchar_t* wide, size_t length) {
    if (length == 0) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), &out[0], n, nullptr, nullptr);
    return out;
}

// The system's own words for an error code, as one line of UTF-8 (the
// message ends in ".\r\n", which the line does not want).
std::string Reason(DWORD error) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                             nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string line = n ? Utf8(text, n) : "error " + std::to_string(error);
    if (text) LocalFree(text);
    while (!line.empty() && (line.back() == ' ' || line.back() == '.' || line.back() == '\r' || line.back() == '\n')) {
        line.pop_back();
    }
    return line;
}

struct Failure {
    std::string& file;
    std::string& why;
    int Fail(int result, const std::string& target, DWORD error) {
        file = target;
        why = Reason(error);
        return result;
    }
};

bool WriteAll(HANDLE h, const std::vector<unsigned char>& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(bytes.size() - written < 1u << 20 ? bytes.size() - written : 1u << 20);
        DWORD n = 0;
        if (!WriteFile(h, bytes.data() + written, chunk, &n, nullptr)) return false;
        if (n == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        written += n;
    }
    return true;
}

// Rewrites an existing record where it is: the last resort when no new
// file can be made beside it. Not crash-safe, which is why it is the last
// resort.
int RewriteInPlace(const std::string& name, const std::vector<unsigned char>& bytes, Failure failure) {
    HANDLE h = CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return failure.Fail(-1, name, GetLastError());
    bool complete = WriteAll(h, bytes) && SetEndOfFile(h) && FlushFileBuffers(h);
    DWORD error = GetLastError();
    CloseHandle(h);
    return complete ? 0 : failure.Fail(-2, name, error);
}

bool Retryable(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

ULONGLONG Ticks(const FILETIME& t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

// True when the process that made a temporary file at `made` may still be
// saving. Process numbers come back quickly on Windows, so a process of that
// number that started after the file was made is another one.
bool MayStillBeSaving(DWORD pid, const FILETIME& made) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;  // there, but not ours to ask
    FILETIME start, end, kernel, user;
    DWORD code = 0;
    bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    if (running && GetProcessTimes(process, &start, &end, &kernel, &user)) running = Ticks(start) <= Ticks(made);
    CloseHandle(process);
    return running;
}

// The process number after the temporary prefix, or 0 when the name is not
// one of our temporary files.
DWORD TempFileOwner(const wchar_t* entry, const std::wstring& prefix) {
    if (std::wcsncmp(entry, prefix.c_str(), prefix.size()) != 0 || !entry[prefix.size()]) return 0;
    unsigned long long pid = 0;
    for (const wchar_t* p = entry + prefix.size(); *p; ++p) {
        if (*p < L'0' || *p > L'9' || pid > 1u << 30) return 0;
        pid = pid * 10 + static_cast<unsigned>(*p - L'0');
    }
    return static_cast<DWORD>(pid);
}

}  // namespace

void TuneAllocator() {}

// A console (or the NUL device, which reads as one character device) has
// nobody behind it who speaks the protocol; neither has a missing handle,
// as a program started from the desktop has.
bool InputMayAnswer() {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (in == nullptr || in == INVALID_HANDLE_VALUE) return false;
    DWORD type = GetFileType(in);
    return type == FILE_TYPE_PIPE || type == FILE_TYPE_DISK;
}

std::string ProgramName() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, n);
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0) name.erase(dot);
    return Utf8(name.data(), name.size());
}

FILE* OpenFile(const std::string& path, const char* mode) {
    return _wfopen(Wide(path).c_str(), Wide(mode).c_str());
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFailure(const std::string& path, int error) {
    return IsFolder(path) ? Reason(ERROR_DIRECTORY) : std::strerror(error);
}

std::string WorkingFolder() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return ".";
    std::wstring folder(n, L'\0');
    n = GetCurrentDirectoryW(n, &folder[0]);
    return n ? Utf8(folder.data(), n) : std::string(".");
}

// A record the player made read-only (its attribute) is left alone. The new
// file is flushed to disk before it is moved over the old one, and the move
// itself is written through, so after a crash the record is the old one or
// the new one.
int SaveFile(const std::string& name, const std::vector<unsigned char>& bytes, std::string& file, std::string& why) {
    Failure failure{file, why};
    const std::wstring target = Wide(name);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists && GetLastError() != ERROR_FILE_NOT_FOUND) return failure.Fail(-1, name, GetLastError());
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return failure.Fail(-1, name, ERROR_DIRECTORY);
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) return failure.Fail(-1, name, ERROR_ACCESS_DENIED);

    const std::wstring temp = target + kTempInfix + std::to_wstring(GetCurrentProcessId());
    DeleteFileW(temp.c_str());  // left by an earlier process that had our number
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        // No new file can be made here (a folder the player may not write
        // in); the record itself may still be writable.
        DWORD error = GetLastError();
        if (exists) return RewriteInPlace(name, bytes, failure);
        return failure.Fail(-1, name, error);
    }
    bool complete = WriteAll(h, bytes) && FlushFileBuffers(h);
    DWORD error = GetLastError();
    if (!CloseHandle(h) && complete) {
        complete = false;
        error = GetLastError();
    }
    if (!complete) {
        DeleteFileW(temp.c_str());
        return failure.Fail(-2, name, error);
    }
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
        error = GetLastError();
        if (!Retryable(error) || attempt == kReplaceTries) break;
        Sleep(kReplacePauseMs);
    }
    DeleteFileW(temp.c_str());
    return failure.Fail(-1, name, error);
}

void RemoveStaleSaves(const std::string& name) {
    const std::wstring record = Wide(name);
    const size_t slash = record.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"" : record.substr(0, slash + 1);
    const std::wstring prefix = record.substr(slash == std::wstring::npos ? 0 : slash + 1) + kTempInfix;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + prefix + L"*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        DWORD pid = TempFileOwner(entry.cFileName, prefix);
        if (pid == 0 || pid == GetCurrentProcessId()) continue;
        if (MayStillBeSaving(pid, entry.ftCreationTime)) continue;
        DeleteFileW((folder + entry.cFileName).c_str());
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

}  // namespace sys
