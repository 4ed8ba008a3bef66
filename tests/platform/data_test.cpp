// Data paths, file opening and the state file.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/data.h"
#include "tests/support/testing.h"

using nubrix_test::FolderEntries;
using nubrix_test::Narrow;
using nubrix_test::ReadFile;
using nubrix_test::RunInChild;
using nubrix_test::ScopedWorkingFolder;
using nubrix_test::TempDir;
using nubrix_test::WriteFile;

namespace {

String S(const char* z) { return String(z); }

TEST(DataPaths, RelativeAssetNamesGoToTheDataArea) {
    EXPECT_EQ(Narrow(bb_data_FixDataPath(S("common/dpad.png"))), "varnok://data/common/dpad.png");
    EXPECT_EQ(Narrow(bb_data_FixDataPath(S("C:\\x.png"))), "varnok://data/C:\\x.png");
    EXPECT_EQ(Narrow(bb_data_FixDataPath(S("a/b:/c.png"))), "varnok://data/a/b:/c.png")
        << "a :/ after the first slash is not a scheme or drive";
}

TEST(DataPaths, SchemesDrivesAndRootedPathsStayAsTheyAre) {
    for (const char* path : {"C:/x.png", "./x.png", "/usr/x.png", "varnok://data/a.png", "varnok://cache/x"}) {
        EXPECT_EQ(Narrow(bb_data_FixDataPath(S(path))), path);
    }
}

TEST(FileOpening, MapsTheThreeAreasBelowTheWorkingFolder) {
    TempDir dir;
    ScopedWorkingFolder cwd(dir.Path());
    for (const char* area : {"data", "internal", "external"}) {
        ASSERT_TRUE(std::filesystem::create_directory(dir.File(area)));
        WriteFile(dir.File(std::string(area) + "/f.txt"), area);
    }
    std::filesystem::create_directory(dir.File("data/common"));
    WriteFile(dir.File("data/common/dpad.png"), "png");

    FILE* f = fopenFile(bb_data_FixDataPath(S("common/dpad.png")), S("rb"));
    ASSERT_NE(f, nullptr);
    char buf[8] = {};
    EXPECT_EQ(std::fread(buf, 1, sizeof buf, f), 3u);
    std::fclose(f);
    EXPECT_STREQ(buf, "png");

    for (const char* area : {"data", "internal", "external"}) {
        EXPECT_EQ(Narrow(LoadTextFile(S("varnok://") + S(area) + S("/f.txt"))), area);
    }
    EXPECT_EQ(Narrow(LoadTextFile(S("./data/f.txt"))), "data");
}

TEST(FileOpening, UnknownAreasAndMissingFilesGiveNull) {
    TempDir dir;
    ScopedWorkingFolder cwd(dir.Path());
    std::filesystem::create_directory(dir.File("cache"));
    WriteFile(dir.File("cache/x"), "x");
    EXPECT_EQ(fopenFile(S("varnok://cache/x"), S("rb")), nullptr) << "no such area, even though ./cache/x exists";
    EXPECT_EQ(fopenFile(S("varnok://data/missing.png"), S("rb")), nullptr);
    EXPECT_EQ(LoadTextFile(S("missing.txt")).Length(), 0);
}

TEST(FileOpening, PathsAreUtf8OnDiskAndNulUnitsAreRefused) {
    TempDir dir;
    ScopedWorkingFolder cwd(dir.Path());
    WriteFile(dir.File("\xC3\xA9t\xC3\xA9.txt"), "summer");
    const Char name[] = {0xE9, 't', 0xE9, '.', 't', 'x', 't', 0};
    EXPECT_EQ(Narrow(LoadTextFile(String(name))), "summer");
    // U+1F332, a surrogate pair in the path, is one 4-byte character on disk.
    WriteFile(dir.File("\xF0\x9F\x8C\xB2.txt"), "tree");
    const Char tree[] = {0xD83C, 0xDF32, '.', 't', 'x', 't', 0};
    EXPECT_EQ(Narrow(LoadTextFile(String(tree))), "tree");

    WriteFile(dir.File("a"), "a");
    const Char cut[] = {'a', 0, '.', 'p', 'n', 'g'};
    EXPECT_EQ(fopenFile(String(cut, 6), S("rb")), nullptr) << "a NUL must not cut the path short";
}

TEST(StateFile, NonAsciiTextRoundTripsAndALeadingMarkIsDropped) {
    TempDir dir;
    ScopedWorkingFolder cwd(dir.Path());
    const Char units[] = {0xFEFF, 'N', 0xFC, 'b', 0x20AC, '|', '1', '|', 0};
    ASSERT_EQ(SaveStateFile(String(units)), 0);
    EXPECT_EQ(ReadFile(dir.File(".varnokstate")), "\xEF\xBB\xBFN\xC3\xBC" "b\xE2\x82\xAC|1|");
    String back = LoadStateFile();
    EXPECT_TRUE(back == String(units + 1)) << "the byte-order mark is read back as a mark";
}

TEST(StateFile, EmptyTextGivesAnEmptyFileAndNoFileReadsEmpty) {
    TempDir dir;
    ScopedWorkingFolder cwd(dir.Path());
    EXPECT_EQ(LoadStateFile().Length(), 0);
    ASSERT_EQ(SaveStateFile(String()), 0);
    EXPECT_TRUE(nubrix_test::FileExists(dir.File(".varnokstate")));
    EXPECT_EQ(ReadFile(dir.File(".varnokstate")), "");
    EXPECT_EQ(LoadStateFile().Length(), 0);
}

TEST(StateFile, ASaveReplacesTheRecordAndLeavesNothingElseBehind) {
    TempDir dir;
    ScopedWorkingFolder cwd(dir.Path());
    ASSERT_EQ(SaveStateFile(S("a long first record|1|2|3|")), 0);
    ASSERT_EQ(SaveStateFile(S("short|")), 0);
    EXPECT_EQ(Narrow(LoadStateFile()), "short|");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{".varnokstate"});
}

TEST(StateFile, InvalidUtf8IsReadByteForByte) {
    TempDir dir;
    ScopedWorkingFolder cwd(dir.Path());
    WriteFile(dir.File(".varnokstate"), "1|\xE9|");
    auto child = RunInChild([] {
        String s = LoadStateFile();
        std::printf("%d %d\n", s.Length(), s[2]);
    });
    EXPECT_EQ(child.out, "Invalid UTF-8!\n4 233\n");
}

TEST(StartUp, NoDataFolderIsSaidOnceWithTheFolderLookedIn) {
    TempDir dir;
    auto child = RunInChild([&] {
        ScopedWorkingFolder cwd(dir.Path());
        std::printf("%d\n", CheckDataFolder() ? 1 : 0);
        ReportLoadFailure("image", bb_data_FixDataPath(S("common/icons.png")));  // said already
        if (!std::filesystem::create_directory("data")) std::_Exit(4);
        std::printf("%d\n", CheckDataFolder() ? 1 : 0);
    });
    EXPECT_EQ(child.out, "No data folder in " + nubrix_test::NativePath(dir.Path()) + ": start the game from the folder that holds data/\n0\n1\n");
}

TEST(StartUp, AFileThatDoesNotLoadIsNamedOnceWithTheReason) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("data"));  // there already in a Windows child
    WriteFile(dir.File("data/damaged.png"), "not a picture");
    auto child = RunInChild([&] {
        ScopedWorkingFolder cwd(dir.Path());
        ReportLoadFailure("image", bb_data_FixDataPath(S("missing.png")));
        ReportLoadFailure("sound", bb_data_FixDataPath(S("damaged.png")));
        ReportLoadFailure("image", bb_data_FixDataPath(S("missing.png")));  // once is enough
        ReportLoadFailure("sound", S("/nowhere/x.wav"));
    });
    EXPECT_EQ(child.out,
              "Cannot load image data/missing.png: No such file or directory\n"
              "Cannot load sound data/damaged.png: damaged, or not a format the game reads\n"
              "Cannot load sound /nowhere/x.wav: No such file or directory\n");
}

}  // namespace
