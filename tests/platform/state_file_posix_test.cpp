// The state file's failures on POSIX: permissions, links, modes, limits,
// a full disk, process numbers.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <ios>

#include "platform/data.h"
#include "tests/support/testing.h"

using nubrix_test::FolderEntries;
using nubrix_test::Narrow;
using nubrix_test::ReadFile;
using nubrix_test::RunInChild;
using nubrix_test::RunInReadOnlyFolder;
using nubrix_test::ScopedWorkingFolder;
using nubrix_test::TempDir;
using nubrix_test::WriteFile;

namespace {

String S(const char* z) { return String(z); }


// The failure tests run in a child, which captures the line a failure
// prints; some drop root's privileges so that permissions apply, or work in
// a mount namespace of their own.

struct stat Stat(const std::string& path) {
    struct stat st = {};
    stat(path.c_str(), &st);
    return st;
}

TEST(StateFile, AReadOnlyFolderGivesMinusOneAndKeepsTheOldRecord) {
    TempDir dir;
    WriteFile(dir.File(".varnokstate"), "old|record|");  // root's: not writable by the child either
    auto child = RunInReadOnlyFolder(dir.Path(), [] { std::printf("%d\n", SaveStateFile(S("new|record|"))); });
    EXPECT_EQ(child.out, "Cannot save .varnokstate: Permission denied\n-1\n");
    EXPECT_EQ(ReadFile(dir.File(".varnokstate")), "old|record|");
    EXPECT_EQ(FolderEntries(dir.Path()).size(), 1u);

    // With no record yet, nothing can be made at all.
    TempDir empty;
    child = RunInReadOnlyFolder(empty.Path(), [] { std::printf("%d\n", SaveStateFile(S("new|record|"))); });
    EXPECT_EQ(child.out, "Cannot save .varnokstate: Permission denied\n-1\n");
    EXPECT_TRUE(FolderEntries(empty.Path()).empty());
}

TEST(StateFile, AReadOnlyFolderWithAWritableRecordIsSavedInPlace) {
    TempDir dir;
    WriteFile(dir.File(".varnokstate"), "a longer old record|1|2|");
    ASSERT_EQ(chown(dir.File(".varnokstate").c_str(), 65534, 65534), 0);  // the child's, once it is nobody
    const ino_t before = Stat(dir.File(".varnokstate")).st_ino;
    auto child = RunInReadOnlyFolder(dir.Path(), [] { std::printf("%d\n", SaveStateFile(S("new|record|"))); });
    EXPECT_EQ(child.out, "0\n");
    EXPECT_EQ(ReadFile(dir.File(".varnokstate")), "new|record|");
    EXPECT_EQ(Stat(dir.File(".varnokstate")).st_ino, before);
    EXPECT_EQ(FolderEntries(dir.Path()).size(), 1u);
}

TEST(StateFile, AShortWriteGivesMinusTwoAndKeepsTheOldRecord) {
    TempDir dir;
    WriteFile(dir.File(".varnokstate"), "old|record|");
    auto child = RunInChild([&] {
        if (chdir(dir.Path().c_str()) != 0) _exit(3);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = {8, 8};  // the new record is longer than 8 bytes
        setrlimit(RLIMIT_FSIZE, &limit);
        std::printf("%d\n", SaveStateFile(S("a much longer new record|1|2|3|")));
    });
    EXPECT_EQ(child.out, "Cannot save .varnokstate: File too large\n-2\n");
    EXPECT_EQ(ReadFile(dir.File(".varnokstate")), "old|record|");
    EXPECT_EQ(FolderEntries(dir.Path()).size(), 1u) << "the unfinished file is removed";
}

// Sets and clears a file's immutable flag; false when the file system (or
// the process) cannot.
bool SetImmutable(const std::string& path, bool on) {
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return ok;
}

TEST(StateFile, EveryOtherFailedSaveSaysWhyAndKeepsTheOldRecord) {
    {
        SCOPED_TRACE("a folder where the record should be");
        TempDir dir;
        ASSERT_EQ(mkdir(dir.File(".varnokstate").c_str(), 0755), 0);
        auto child = RunInChild([&] {
            if (chdir(dir.Path().c_str()) != 0) _exit(3);
            std::printf("%d\n", SaveStateFile(S("new|record|")));
        });
        EXPECT_EQ(child.out, "Cannot save .varnokstate: Is a directory\n-1\n");
        EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{".varnokstate"});
    }
    {
        SCOPED_TRACE("an immutable record");
        TempDir dir;
        WriteFile(dir.File(".varnokstate"), "old|record|");
        if (!SetImmutable(dir.File(".varnokstate"), true)) {
            std::printf("(skipped: %s cannot hold immutable files)\n", dir.Path().c_str());
        } else {
            auto child = RunInChild([&] {
                if (chdir(dir.Path().c_str()) != 0) _exit(3);
                std::printf("%d\n", SaveStateFile(S("new|record|")));
            });
            SetImmutable(dir.File(".varnokstate"), false);
            EXPECT_EQ(child.out, "Cannot save .varnokstate: Operation not permitted\n-1\n");
            EXPECT_EQ(ReadFile(dir.File(".varnokstate")), "old|record|");
            EXPECT_EQ(FolderEntries(dir.Path()).size(), 1u);
        }
    }
    {
        SCOPED_TRACE("a full disk");
        // A 16 KiB file system of the child's own, filled up after the old
        // record is on it.
        TempDir dir;
        auto child = RunInChild([&] {
            if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                mount("tmpfs", dir.Path().c_str(), "tmpfs", 0, "size=16k") != 0) {
                std::printf("skipped\n");
                return;
            }
            if (chdir(dir.Path().c_str()) != 0) _exit(3);
            WriteFile(".varnokstate", "old|record|");
            WriteFile("filler", std::string(64 * 1024, 'x'));  // as much as fits
            std::printf("%d\n", SaveStateFile(S("new|record|")));
            std::printf("%s %zu\n", ReadFile(".varnokstate").c_str(), FolderEntries(".").size());
        });
        if (child.out == "skipped\n") {
            std::printf("(skipped: no mount namespace for a small file system)\n");
        } else {
            EXPECT_EQ(child.out, "Cannot save .varnokstate: No space left on device\n-2\nold|record| 2\n");
        }
    }
}

TEST(StateFile, AWriteProtectedRecordIsLeftAsItIs) {
    // Even for root, who could write it: the player protected it.
    TempDir dir;
    WriteFile(dir.File(".varnokstate"), "old|record|");
    ASSERT_EQ(chmod(dir.File(".varnokstate").c_str(), 0444), 0);
    auto child = RunInChild([&] {
        if (chdir(dir.Path().c_str()) != 0) _exit(3);
        std::printf("%d\n", SaveStateFile(S("new|record|")));
    });
    EXPECT_EQ(child.out, "Cannot save .varnokstate: Permission denied\n-1\n");
    EXPECT_EQ(ReadFile(dir.File(".varnokstate")), "old|record|");
    EXPECT_EQ(Stat(dir.File(".varnokstate")).st_mode & 07777, 0444u);
    EXPECT_EQ(FolderEntries(dir.Path()).size(), 1u);
}

TEST(StateFile, TheRecordKeepsItsMode) {
    TempDir dir;
    ScopedWorkingFolder cwd(dir.Path());
    const mode_t umaskBefore = umask(022);
    for (mode_t mode : {0600, 0664, 0640}) {
        WriteFile(dir.File(".varnokstate"), "old|record|");
        ASSERT_EQ(chmod(dir.File(".varnokstate").c_str(), mode), 0);
        ASSERT_EQ(SaveStateFile(S("new|record|")), 0);
        EXPECT_EQ(Stat(dir.File(".varnokstate")).st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(ReadFile(dir.File(".varnokstate")), "new|record|");
    }
    umask(umaskBefore);
}

TEST(StateFile, ALinkedRecordIsSavedThroughItsTargetAndStaysALink) {
    TempDir dir;
    ScopedWorkingFolder cwd(dir.Path());
    ASSERT_EQ(mkdir(dir.File("saves").c_str(), 0755), 0);
    struct Case {
        const char* link;    // what .varnokstate names
        const char* target;  // the file that gets the record, below the folder
        bool exists;
    } cases[] = {
        {"saves/record", "saves/record", true},
        {"saves/new-record", "saves/new-record", false},  // a link to nothing yet
        {"hop", "saves/chained", true},                   // .varnokstate -> hop -> saves/chained
        {"", "saves/absolute", true},                     // an absolute link
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        unlink(dir.File(".varnokstate").c_str());
        unlink(dir.File("hop").c_str());
        std::string link = *c.link ? c.link : dir.File(c.target);
        if (std::string(c.link) == "hop") {
            ASSERT_EQ(symlink("saves/chained", dir.File("hop").c_str()), 0);
        }
        ASSERT_EQ(symlink(link.c_str(), dir.File(".varnokstate").c_str()), 0);
        if (c.exists) {
            WriteFile(dir.File(c.target), "old|record|");
            EXPECT_EQ(Narrow(LoadStateFile()), "old|record|");
        }

        ASSERT_EQ(SaveStateFile(S("new|record|")), 0);
        EXPECT_EQ(ReadFile(dir.File(c.target)), "new|record|");
        struct stat st;
        ASSERT_EQ(lstat(dir.File(".varnokstate").c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode));
        char buf[4096] = {};
        ASSERT_GT(readlink(dir.File(".varnokstate").c_str(), buf, sizeof buf - 1), 0);
        EXPECT_EQ(std::string(buf), link);
        EXPECT_EQ(Narrow(LoadStateFile()), "new|record|");
    }
    for (const std::string& folder : {dir.Path(), dir.File("saves")}) {
        for (const std::string& name : FolderEntries(folder)) {
            EXPECT_EQ(name.find(".varnokstate.new."), std::string::npos) << name;
        }
    }
}

TEST(StateFile, StartUpRemovesTheTemporaryFilesOfEndedSavesOnly) {
    TempDir dir;
    ScopedWorkingFolder cwd(dir.Path());
    pid_t ended = fork();
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    const std::string dead = ".varnokstate.new." + std::to_string(ended);
    const std::string live = ".varnokstate.new." + std::to_string(getppid());  // whoever started the tests
    ASSERT_EQ(mkdir(dir.File("saves").c_str(), 0755), 0);
    ASSERT_EQ(symlink("saves/record", dir.File(".varnokstate").c_str()), 0);
    for (const std::string& name : {dead, live, std::string(".varnokstate.new.12x"), std::string(".varnokstate.newer"),
                                    "saves/" + dead, "saves/" + live}) {
        WriteFile(dir.File(name), "half a record");
    }

    RemoveStaleStateFiles();
    EXPECT_FALSE(nubrix_test::FileExists(dir.File(dead)));
    EXPECT_FALSE(nubrix_test::FileExists(dir.File("saves/" + dead))) << "beside the linked record too";
    for (const std::string& name : {live, std::string(".varnokstate.new.12x"), std::string(".varnokstate.newer"),
                                    "saves/" + live}) {
        EXPECT_TRUE(nubrix_test::FileExists(dir.File(name))) << name;
    }
}

TEST(StateFile, AFileLargerThanAnyRecordIsNoRecordAndStaysAsItIs) {
    TempDir dir;
    const std::string path = dir.File(".varnokstate");
    const std::string said =
        ".varnokstate is larger than 1 MiB, so it is no record: the game starts with its defaults\n";
    auto load = [&] {
        return RunInChild([&] {
            if (chdir(dir.Path().c_str()) != 0) _exit(3);
            String s = LoadStateFile();
            std::printf("%d\n", s.Length());
        });
    };

    std::string mib;
    for (int i = 0; i < (1 << 19); ++i) mib += "1|";
    WriteFile(path, mib);
    EXPECT_EQ(load().out, "1048576\n") << "1 MiB is still read";
    WriteFile(path, mib + "1");
    EXPECT_EQ(load().out, said + "0\n");

    // 2 GiB, sparse: the read stops after the first MiB.
    WriteFile(path, "1|");
    ASSERT_EQ(truncate(path.c_str(), off_t(2) << 30), 0);
    auto child = load();
    EXPECT_EQ(child.out, said + "0\n");
    EXPECT_EQ(child.signal, 0);
    EXPECT_EQ(Stat(path).st_size, off_t(2) << 30) << "left on disk until the next save";

    // A device that never ends.
    unlink(path.c_str());
    ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
    EXPECT_EQ(load().out, said + "0\n");

    // Not a file at all.
    unlink(path.c_str());
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    EXPECT_EQ(load().out, "Cannot read .varnokstate: Is a directory\n0\n");
}

}  // namespace
