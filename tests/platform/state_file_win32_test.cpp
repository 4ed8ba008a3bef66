// The state file's failures on Windows: a record another process holds
// open, a read-only record, a folder in its place, the temporary files of
// saves that ended.

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "platform/data.h"
#include "tests/support/testing.h"

using nubrix_test::FolderEntries;
using nubrix_test::ReadFile;
using nubrix_test::ScopedWorkingFolder;
using nubrix_test::TempDir;
using nubrix_test::WriteFile;

namespace {

// The system's own words for an error, as the game reports them.
std::string Reason(DWORD error) {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                   nullptr);
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.')) s.pop_back();
    return s;
}

// Opens the record as a second instance or a virus scanner would: no one
// may read, write or replace it while the handle is open. Sharing is
// checked handle by handle, so a handle of this process stands in for
// another process's.
HANDLE HoldOpen(const std::string& path) {
    return CreateFileW(std::filesystem::u8path(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Saves "new|record|" in `folder`: what the save printed, then its result.
std::string SaveIn(const TempDir& folder) {
    ScopedWorkingFolder cwd(folder.Path());
    nubrix_test::CapturedOutput output;
    std::printf("%d\n", SaveStateFile(String("new|record|")));
    return output.Text();
}

DWORD Attributes(const std::string& path) { return GetFileAttributesW(std::filesystem::u8path(path).c_str()); }

TEST(StateFileOnWindows, ARecordThatCannotBeReplacedIsKeptAndSaidWhy) {
    enum Kind { kFolder, kReadOnly, kHeldOpen };
    struct Case {
        Kind kind;
        DWORD error;
    } cases[] = {
        {kFolder, ERROR_DIRECTORY},
        {kReadOnly, ERROR_ACCESS_DENIED},
        // Replacing a file that is open without delete sharing is refused
        // as access denied.
        {kHeldOpen, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        TempDir dir;
        const std::string record = dir.File(".varnokstate");
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.kind == kFolder) {
            ASSERT_TRUE(std::filesystem::create_directory(record));
        } else {
            WriteFile(record, "old|record|");
        }
        if (c.kind == kReadOnly) SetFileAttributesW(std::filesystem::u8path(record).c_str(), FILE_ATTRIBUTE_READONLY);
        if (c.kind == kHeldOpen) ASSERT_NE(held = HoldOpen(record), INVALID_HANDLE_VALUE);

        auto started = std::chrono::steady_clock::now();
        std::string said = SaveIn(dir);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);

        EXPECT_EQ(said, "Cannot save .varnokstate: " + Reason(c.error) + "\n-1\n");
        if (c.kind != kFolder) EXPECT_EQ(ReadFile(record), "old|record|");
        EXPECT_EQ(FolderEntries(dir.Path()).size(), 1u) << "no temporary file is left";
        EXPECT_LT(seconds, 5.0) << "the retries are bounded";
        if (c.kind == kReadOnly) {
            EXPECT_TRUE(Attributes(record) & FILE_ATTRIBUTE_READONLY);
            SetFileAttributesW(std::filesystem::u8path(record).c_str(), FILE_ATTRIBUTE_NORMAL);
        }
    }
}

TEST(StateFileOnWindows, ARecordReleasedWhileTheSaveWaitsIsReplaced) {
    TempDir dir;
    WriteFile(dir.File(".varnokstate"), "old|record|");
    HANDLE held = HoldOpen(dir.File(".varnokstate"));
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    // Released well inside the save's retries, long after its first try.
    std::thread release([held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        CloseHandle(held);
    });
    std::string said = SaveIn(dir);
    release.join();
    EXPECT_EQ(said, "0\n");
    EXPECT_EQ(ReadFile(dir.File(".varnokstate")), "new|record|");
}

TEST(StateFileOnWindows, StartUpRemovesTheTemporaryFilesOfEndedSavesOnly) {
    TempDir dir;
    ScopedWorkingFolder cwd(dir.Path());
    DWORD ended = 0;
    {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        nubrix_test::Process quick({std::filesystem::path(self).u8string(), "--gtest_list_tests"});
        ASSERT_EQ(quick.WaitForExit(), 0);
        ended = static_cast<DWORD>(quick.Pid());
    }
    // This process is a live one: its save may be under way.
    const std::string dead = ".varnokstate.new." + std::to_string(ended);
    const std::string live = ".varnokstate.new." + std::to_string(GetCurrentProcessId());
    for (const std::string& name : {dead, live, std::string(".varnokstate.new.12x")}) WriteFile(dir.File(name), "half");
    RemoveStaleStateFiles();
    EXPECT_FALSE(nubrix_test::FileExists(dir.File(dead)));
    EXPECT_TRUE(nubrix_test::FileExists(dir.File(live)));
    EXPECT_TRUE(nubrix_test::FileExists(dir.File(".varnokstate.new.12x")));
}

}  // namespace
