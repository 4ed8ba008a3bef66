// The record kept between runs: its text byte for byte, its three kinds of
// checksum, loading whole, damaged, truncated and hostile records, and the
// score tables' update after a game.

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ctime>
#include <string>
#include <vector>

#include "tests/shell/shell_env.h"

namespace shell_test {
namespace {

using nubrix_test::Widen;

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// The settings section of the first-start example: its checksum is
// 5 + 6 + 18 + 640 + 704 + 120.
const std::string kExampleSettings = "0|0|0|0|0|1|1|0|0|2|64|64|10|" + Repeat("0|", 12) + "1493|";

using RecordFormat = ShellTest;

TEST_F(RecordFormat, TheFirstMenuFrameLeavesTheExampleRecord) {
    Start();
    Update();
    game->m_Save();
    const std::string record = State();
    EXPECT_EQ(record, kExampleSettings + Repeat("0|", 9) + Repeat("0|", 63));
    EXPECT_EQ(Fields(record).size(), 99u);  // 98 fields, each closed by a bar
    EXPECT_EQ(nubrix_test::Narrow(game->RecordText()), record);
}

TEST_F(RecordFormat, BadgeFlagsPackThirtyTwoToASignedWord) {
    Start();
    game->m_BadgeGot[31] = true;
    std::vector<std::string> f = Fields(nubrix_test::Narrow(game->RecordText()));
    EXPECT_EQ(f[26], "-2147483648");
    for (int w = 27; w <= 33; ++w) EXPECT_EQ(f[w], "0");
    EXPECT_EQ(f[34], "-2147483648");
    // It loads back as flag 31 alone; with word 0 changed, the checksum no
    // longer holds and every flag is cleared.
    const std::string record = nubrix_test::Narrow(game->RecordText());
    game->m_BadgeGot[31] = false;
    game->m_BadgeGot[7] = true;
    testing::internal::CaptureStdout();
    game->LoadRecord(Widen(record));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Badges Loaded"), std::string::npos);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(game->m_BadgeGot[i], i == 31) << i;
    std::string damaged;
    for (size_t k = 0; k + 1 < f.size(); ++k) damaged += (k == 26 ? std::string("-2147483647") : f[k]) + "|";
    testing::internal::CaptureStdout();
    game->LoadRecord(Widen(damaged));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Badge Checksum Invalid"), std::string::npos);
    for (int i = 0; i < 256; ++i) EXPECT_FALSE(game->m_BadgeGot[i]) << i;

    game->m_BadgeGot[31] = false;
    game->m_BadgeGot[32] = true;    // word 1, bit 0
    game->m_BadgeGot[255] = true;   // word 7, bit 31
    game->m_BadgeGot[200] = true;   // word 6, bit 8
    f = Fields(nubrix_test::Narrow(game->RecordText()));
    EXPECT_EQ(f[26], "0");
    EXPECT_EQ(f[27], "1");
    EXPECT_EQ(f[32], "256");
    EXPECT_EQ(f[33], "-2147483648");
    EXPECT_EQ(f[34], std::to_string(1 + 256 - 2147483648LL));
}

TEST_F(RecordFormat, ScoreSectionsInterleaveTheListsAndWeighThemBySize) {
    Start();
    // Size 2: top-ten entry 3 is 100, last-ten entry 0 is 7.
    game->m_Stats[13] = 100;
    game->m_Stats[40] = 7;
    // Size 3: last-ten entry 9 is -1.
    game->m_Stats[59] = -1;
    std::vector<std::string> f = Fields(nubrix_test::Narrow(game->RecordText()));
    ASSERT_EQ(f.size(), 99u);
    EXPECT_EQ(f[56 + 2 * 3], "100");
    EXPECT_EQ(f[56 + 1], "7");
    EXPECT_EQ(f[76], std::to_string((3 + 4) * 100 + (1 + 0 + 3) * 7));
    EXPECT_EQ(f[77 + 19], "-1");
    EXPECT_EQ(f[97], std::to_string((2 + 9 + 3) * -1));
    EXPECT_EQ(f[55], "0");
}

TEST_F(RecordFormat, ChecksumsWrapAt32Bits) {
    Start();
    for (int k = 0; k < 25; ++k) game->m_Option[k] = INT_MAX;
    for (int i = 0; i < 60; ++i) game->m_Stats[i] = INT_MIN + i;
    const std::string record = nubrix_test::Narrow(game->RecordText());
    std::vector<std::string> f = Fields(record);
    uint32_t settings = 0;
    for (uint32_t k = 0; k < 25; ++k) settings += k * static_cast<uint32_t>(INT_MAX);
    EXPECT_EQ(f[25], std::to_string(static_cast<int32_t>(settings)));

    // What was written loads back as it was.
    testing::internal::CaptureStdout();
    game->LoadRecord(game->RecordText());
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\nHighscore 2 Loaded\n");
    for (int k = 0; k < 25; ++k) EXPECT_EQ(game->m_Option[k], INT_MAX);
    for (int i = 0; i < 60; ++i) EXPECT_EQ(game->m_Stats[i], INT_MIN + i);
}

using RecordLoading = ShellTest;

TEST_F(RecordLoading, NoStateFileLoadsNothingAndPrintsNothing) {
    EXPECT_EQ(Start(), "");
    EXPECT_EQ(game->m_Option[5], 1);
    EXPECT_EQ(game->m_Option[10], 64);
    EXPECT_EQ(game->m_Option[11], 64);
    EXPECT_EQ(game->m_Option[12], 10);
    for (int k : {0, 1, 2, 3, 4, 6, 7, 8, 9, 13, 24}) EXPECT_EQ(game->m_Option[k], 0) << k;
}

TEST_F(RecordLoading, AStateFileOfTwoGibibytesIsNoRecordUntilTheNextSave) {
    nubrix_test::WriteFile(StatePath(), MakeRecord(FirstStartSettings(), {5}, {{4}}, {{4}}));
    std::filesystem::resize_file(StatePath(), uintmax_t(2) << 30);  // sparse: costs the disk nothing
    EXPECT_EQ(Start(), ".varnokstate is larger than 1 MiB, so it is no record: the game starts with its defaults\n");
    EXPECT_EQ(game->m_Option[5], 1);
    EXPECT_EQ(game->m_Option[10], 64);
    EXPECT_EQ(game->m_Option[12], 10);
    for (int k : {6, 7, 8, 9}) EXPECT_EQ(game->m_Option[k], 0) << k;
    EXPECT_FALSE(game->m_BadgeGot[0]);
    EXPECT_EQ(game->m_Stats[0], 0);
    Update(40);
    EXPECT_EQ(std::filesystem::file_size(StatePath()), uintmax_t(2) << 30) << "left as it is by starting";

    ClickAt(SlotX(), SlotY(3));  // a change is saved, over the file
    EXPECT_EQ(Fields(State()).size(), 99u);
}

TEST_F(RecordLoading, AWholeRecordLoadsEverySection) {
    std::vector<int> settings = FirstStartSettings();
    settings[5] = 0;
    settings[7] = 2;
    settings[20] = -5;
    const std::string record =
        MakeRecord(settings, {1, 0, 0, 0, 0, 0, 0, 1 << 30}, {{9, 8, 7}, {5}, {3, 3}}, {{1, 2}, {}, {4}});
    EXPECT_EQ(Start(record),
              "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\nHighscore 2 Loaded\n");
    for (int k = 0; k < 25; ++k) EXPECT_EQ(game->m_Option[k], settings[k]) << k;
    for (int i = 0; i < 256; ++i) EXPECT_EQ(game->m_BadgeGot[i], i == 0 || i == 254) << i;
    EXPECT_EQ(game->m_Stats[0], 9);
    EXPECT_EQ(game->m_Stats[2], 7);
    EXPECT_EQ(game->m_Stats[10], 5);
    EXPECT_EQ(game->m_Stats[21], 3);
    EXPECT_EQ(game->m_Stats[30], 1);
    EXPECT_EQ(game->m_Stats[31], 2);
    EXPECT_EQ(game->m_Stats[50], 4);
    // Saving it again gives the same text.
    EXPECT_EQ(nubrix_test::Narrow(game->RecordText()), record);
}

TEST_F(RecordLoading, ASettingsChecksumOffByOneResetsOnlyTheSettings) {
    std::vector<int> settings = FirstStartSettings();
    settings[5] = 0;
    settings[8] = 2;
    settings[10] = 300;
    const std::string record = MakeRecord(settings, {0, 4}, {{7}, {}, {6}}, {{}, {2}, {}}, 0);
    EXPECT_EQ(Start(record), "Settings Checksum Invalid\nBadges Loaded\nHighscore 0 Loaded\n"
                             "Highscore 1 Loaded\nHighscore 2 Loaded\n");
    EXPECT_EQ(game->m_Option[5], 1);
    EXPECT_EQ(game->m_Option[8], 0);
    EXPECT_EQ(game->m_Option[10], 64);
    EXPECT_EQ(game->m_Option[11], 64);
    EXPECT_EQ(game->m_Option[12], 10);
    EXPECT_TRUE(game->m_BadgeGot[34]);
    EXPECT_EQ(game->m_Stats[0], 7);
    EXPECT_EQ(game->m_Stats[40], 2);
    EXPECT_EQ(game->m_Stats[20], 6);
}

TEST_F(RecordLoading, EachDamagedSectionFallsBackAloneAndSaysSo) {
    const std::vector<int> settings = FirstStartSettings();
    {
        Start(MakeRecord(settings, {-1, 0, 0, 0, 0, 0, 0, 0}, {{1}, {1}, {1}}, {}, 1));
        for (int i = 0; i < 256; ++i) ASSERT_FALSE(game->m_BadgeGot[i]) << i;
        EXPECT_EQ(game->m_Option[9], 2);
        EXPECT_EQ(game->m_Stats[0], 1);
    }
    for (int bad = 2; bad <= 4; ++bad) {
        std::string printed = Start(MakeRecord(settings, {}, {{1, 2}, {3, 4}, {5, 6}}, {{7}, {8}, {9}}, bad));
        const int m = bad - 2;
        for (int s = 0; s < 3; ++s) {
            std::string line = "Highscore " + std::to_string(s) + (s == m ? " Checksum Invalid\n" : " Loaded\n");
            EXPECT_NE(printed.find(line), std::string::npos) << printed;
            EXPECT_EQ(game->m_Stats[s * 10], s == m ? 0 : 2 * s + 1);
            EXPECT_EQ(game->m_Stats[s * 10 + 1], s == m ? 0 : 2 * s + 2);
            EXPECT_EQ(game->m_Stats[30 + s * 10], s == m ? 0 : 7 + s);
        }
        EXPECT_NE(printed.find("Settings Loaded\nBadges Loaded\n"), std::string::npos);
    }
}

TEST_F(RecordLoading, ADamagedRecordIsRewrittenSoundOnTheNextSave) {
    std::string record = MakeRecord(FirstStartSettings(), {5}, {{4}}, {{4}});
    record[record.find("|64|") + 1] = 'x';  // settings field 10 no longer a number
    EXPECT_EQ(Start(record).substr(0, 26), "Settings Checksum Invalid\n");
    game->m_Save();
    testing::internal::CaptureStdout();
    game->m_Load();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\nHighscore 2 Loaded\n");
    EXPECT_TRUE(game->m_BadgeGot[0] && game->m_BadgeGot[2]);
    EXPECT_EQ(game->m_Stats[0], 4);
}

TEST_F(RecordLoading, TooFewFieldsLeaveTheDefaults) {
    EXPECT_EQ(Start(std::string("5|7|")), "");
    EXPECT_EQ(game->m_Option[0], 0);
    EXPECT_EQ(game->m_Option[1], 0);
    EXPECT_EQ(game->m_Option[5], 1);
    EXPECT_EQ(game->m_Option[10], 64);
    EXPECT_EQ(game->m_Option[12], 10);
}

TEST_F(RecordLoading, ASkippedSectionDoesNotMoveTheReadPosition) {
    // Nine fields and a trailing bar: too few for settings, so the badge
    // section is read from the first field.
    EXPECT_EQ(Start(std::string("0|0|0|0|0|0|0|5|5|")), "Badges Loaded\n");
    for (int i = 0; i < 256; ++i) EXPECT_EQ(game->m_BadgeGot[i], i == 224 || i == 226) << i;
    EXPECT_EQ(game->m_Option[5], 1);

    // Settings, then 21 fields: read as the badge section, whose checksum
    // (field 34) is the score list's seventh number; the score section then
    // lacks fields and is skipped.
    std::string record = kExampleSettings;
    for (int i = 0; i < 20; ++i) record += "1|";
    record += "70|";
    EXPECT_EQ(Start(record), "Settings Loaded\nBadge Checksum Invalid\n");
    EXPECT_EQ(game->m_Stats[0], 0);
}

TEST_F(RecordLoading, ATruncatedRecordLoadsTheSectionsItStillHolds) {
    std::string record = MakeRecord(FirstStartSettings(), {3}, {{8}, {9}, {10}}, {});
    std::vector<std::string> f = Fields(record);
    // Cut inside size 2's section: 56 fields kept and a last partial one.
    std::string cut;
    for (int i = 0; i < 60; ++i) cut += f[i] + "|";
    EXPECT_EQ(Start(cut), "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\n");
    EXPECT_EQ(game->m_Stats[0], 8);
    EXPECT_EQ(game->m_Stats[10], 0);
}

TEST_F(RecordLoading, AStateFileThatIsNotUtf8StillLoadsItsNumbers) {
    // A stray byte inside a field: the file decodes one byte per character
    // and the field reads as far as its digits go.
    std::string record = MakeRecord(FirstStartSettings(), {}, {}, {});
    record.insert(record.find("1493"), "1493\xff");
    record.erase(record.find("\xff") + 1, 4);
    std::string printed = Start(record);
    EXPECT_NE(printed.find("Settings Loaded"), std::string::npos) << printed;
    EXPECT_EQ(game->m_Option[9], 2);
}

// The loader reads a field as 64-bit glibc's atoi reads its bytes, on every
// system: strtol's 64 bits, of which the low 32 are kept. (A 32-bit C
// library's atoi saturates instead; records must read alike everywhere.)
using HostileNumbers = ShellTest;

int Atoi(const std::string& s) { return static_cast<int>(std::strtoll(s.c_str(), nullptr, 10)); }

int Field(const std::string& s) {
    String text = Widen(s);
    return bb_Nubrix_MyApp::RecordField(text.Data(), text.Length());
}

TEST_F(HostileNumbers, FieldsReadAsAtoiReadsThem) {
    const char* cases[] = {
        "",       "0",         "-0",         "+0",           "42",          "  42",        "\t\n\v\f\r 7",
        "+7",     "-7",        "--7",        "+-7",          "- 7",         "7 8",         "12abc",
        "abc",    "0x1f",      "1e5",        "3.9",          "-3.9",        "2147483647",  "2147483648",
        "-2147483648", "-2147483649", "4294967295", "4294967296", "4294967297", "-4294967297",
        "9223372036854775807",  "9223372036854775808",  "-9223372036854775808", "-9223372036854775809",
        "99999999999999999999999999999999999999", "-99999999999999999999999999999999999999",
        "000000000000000000000000000000000000012", "   -000000000000000000000000009223372036854775808",
        "18446744073709551615", "18446744073709551616", "+", "-", " ", "\x01" "5",
    };
    for (const char* c : cases) EXPECT_EQ(Field(c), Atoi(c)) << "'" << c << "'";
}

TEST_F(HostileNumbers, UnitsAboveAByteReadAsTheirLowByte) {
    const Char one[] = {0x131, 0x132};           // low bytes "12"
    EXPECT_EQ(bb_Nubrix_MyApp::RecordField(one, 2), 12);
    const Char spaced[] = {0x120, 0x12d, 0x35};  // low bytes " -5"
    EXPECT_EQ(bb_Nubrix_MyApp::RecordField(spaced, 3), -5);
    const Char stop[] = {0x31, 0x100, 0x32};     // a unit whose low byte ends a C string
    EXPECT_EQ(bb_Nubrix_MyApp::RecordField(stop, 3), 1);
    const Char wide[] = {0xff11};                // a full-width digit is no digit
    EXPECT_EQ(bb_Nubrix_MyApp::RecordField(wide, 1), 0);
}

TEST_F(HostileNumbers, RandomFieldsAgreeWithAtoi) {
    const char alphabet[] = " \t+-0123456789x9";
    unsigned seed = 12345;
    for (int n = 0; n < 20000; ++n) {
        seed = seed * 1103515245u + 12345u;
        int length = static_cast<int>((seed >> 16) % 30);
        std::string s;
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            s += alphabet[(seed >> 16) % (sizeof alphabet - 1)];
        }
        ASSERT_EQ(Field(s), Atoi(s)) << "'" << s << "'";
    }
}

TEST_F(HostileNumbers, AHostileButConsistentRecordLoadsAndTheMenuSurvivesIt) {
    // Every number out of range, signed and padded, with checksums that
    // match the values atoi makes of them.
    std::vector<std::string> fields = {"  -9999999999999", "+2147483647", "2147483648", "-2147483648",
                                       "\t12abc",          "-2147483648", "2147483647", "-2147483648",
                                       "99999999999999999999", "7"};
    std::vector<int> settings(25, 0);
    std::string record;
    uint32_t sum = 0;
    for (int k = 0; k < 25; ++k) {
        std::string f = k < static_cast<int>(fields.size()) ? fields[k] : "0";
        settings[k] = Atoi(f);
        sum += static_cast<uint32_t>(k) * static_cast<uint32_t>(settings[k]);
        record += f + "|";
    }
    record += " " + std::to_string(static_cast<int32_t>(sum)) + "|";
    EXPECT_EQ(Start(record), "Settings Loaded\n");
    EXPECT_EQ(game->m_Option[5], INT_MIN);
    EXPECT_EQ(game->m_Option[6], INT_MAX);
    EXPECT_EQ(game->m_Option[7], INT_MIN);
    EXPECT_EQ(game->m_Option[8], -1);
    EXPECT_EQ(game->m_Option[9], 7);

    // Slots holding no type play as off; with none playing the first-start
    // pair is restored.
    Update(40);
    EXPECT_EQ(game->m_Option[6], 1);
    EXPECT_EQ(game->m_Option[9], 2);
    for (int i = 1; i <= 4; ++i) EXPECT_GE(game->m_PlayerType[i], 0);

    // Cycling a slot that holds INT_MAX, and toggling a sound of INT_MIN,
    // stay defined (the sanitizer build checks) and land in range.
    game->m_Option[7] = INT_MAX;
    game->m_Option[5] = INT_MIN;
    Render();
    ClickAt(SlotX(), SlotY(2));
    EXPECT_EQ(game->m_Option[7], static_cast<int>((static_cast<int64_t>(INT_MAX) + 1) % 3));
    float sx, sy;
    SoundButton(&sx, &sy);
    ClickAt(sx, sy);
    EXPECT_EQ(game->m_Option[5], 0);
}

TEST_F(HostileNumbers, AHugeRecordLoadsQuicklyAndHarmlesslyAndAHugeFileIsNoRecord) {
    // Twenty million bars and then digits: only the first 99 fields matter.
    std::string record = MakeRecord(FirstStartSettings(), {}, {}, {});
    record += std::string(20000000, '|');
    record += std::string(1000000, '9');
    const std::string tooLarge =
        ".varnokstate is larger than 1 MiB, so it is no record: the game starts with its defaults\n";
    // As a state file it is far larger than any record: not read at all.
    EXPECT_EQ(Start(record), tooLarge);
    EXPECT_EQ(game->m_Option[6], 0);
    // As text handed to the loader, it loads quickly all the same: the 21 MB
    // take about half a second of CPU (two and a half under the sanitizers).
    testing::internal::CaptureStdout();
    std::clock_t begin = std::clock();
    game->LoadRecord(Widen(record));
    const double seconds = static_cast<double>(std::clock() - begin) / CLOCKS_PER_SEC;
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\nHighscore 2 Loaded\n");
    RecordProperty("load_ms", static_cast<int>(seconds * 1000));
    EXPECT_LT(seconds, 5.0) << "seconds of CPU to read the record";
    EXPECT_EQ(game->m_Option[6], 1);
    Update(40);
    EXPECT_EQ(TextNear(SlotY(1) + 34, SlotX() - 40, SlotX() + 40), "On") << "the record's players";
    EXPECT_EQ(TextNear(SlotY(4) + 34, SlotX() - 40, SlotX() + 40), "CPU");

    // One field of ten million digits.
    std::string digits(10000000, '7');
    EXPECT_EQ(Start(digits), tooLarge);
    game->LoadRecord(Widen(digits));
    EXPECT_EQ(game->m_Option[5], 1);
}

using ScoreTables = ShellTest;

void SetTop(bb_Nubrix_MyApp* game, int size, const std::vector<int>& values) {
    for (int i = 0; i < 10; ++i) game->m_Stats[(size - 1) * 10 + i] = values[i];
}

std::vector<int> Top(bb_Nubrix_MyApp* game, int size) {
    std::vector<int> out;
    for (int i = 0; i < 10; ++i) out.push_back(game->m_Stats[(size - 1) * 10 + i]);
    return out;
}

std::vector<int> Last(bb_Nubrix_MyApp* game, int size) {
    std::vector<int> out;
    for (int i = 0; i < 10; ++i) out.push_back(game->m_Stats[(size - 1) * 10 + 30 + i]);
    return out;
}

TEST_F(ScoreTables, AScoreEqualToEntriesGoesBelowThem) {
    Start();
    game->m_BoardSize = 3;
    SetTop(game, 3, {5, 4, 3, 3, 2, 2, 1, 1, 0, 0});
    game->m_Score = 3;
    game->m_LoadMenu();
    EXPECT_EQ(Top(game, 3), (std::vector<int>{5, 4, 3, 3, 3, 2, 2, 1, 1, 0}));
    EXPECT_EQ(Last(game, 3), (std::vector<int>{3, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // The other sizes are untouched.
    EXPECT_EQ(Top(game, 1), std::vector<int>(10, 0));
    EXPECT_EQ(Last(game, 2), std::vector<int>(10, 0));
}

TEST_F(ScoreTables, TheLastTenAlwaysTakeTheNewScore) {
    Start();
    game->m_BoardSize = 1;
    SetTop(game, 1, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    for (int i = 0; i < 10; ++i) game->m_Stats[30 + i] = 100 + i;
    game->m_Score = 9;  // not greater than the tenth entry
    game->m_LoadMenu();
    EXPECT_EQ(Top(game, 1), std::vector<int>(10, 9));
    EXPECT_EQ(Last(game, 1), (std::vector<int>{9, 100, 101, 102, 103, 104, 105, 106, 107, 108}));

    game->m_Score = 50;  // the new best
    game->m_LoadMenu();
    EXPECT_EQ(Top(game, 1), (std::vector<int>{50, 9, 9, 9, 9, 9, 9, 9, 9, 9}));
    EXPECT_EQ(Last(game, 1)[0], 50);
    EXPECT_EQ(Last(game, 1)[1], 9);
}

TEST_F(ScoreTables, AFinishedGameIsRecordedAndSavedOnTheWayBackToTheMenu) {
    Start();
    Update(40);
    ASSERT_FALSE(StateSaved());
    game->m_BoardSize = 2;
    for (int i = 0; i < 10; ++i) game->m_Stats[40 + i] = 1;
    game->m_Score = 0;
    game->m_Mode = 2;
    Update();
    EXPECT_EQ(game->m_Mode, 1);
    ASSERT_TRUE(StateSaved());
    std::vector<std::string> f = Fields(State());
    ASSERT_EQ(f.size(), 99u);
    // Size 2's last ten: the new 0 in front, the oldest 1 dropped.
    EXPECT_EQ(f[56 + 1], "0");
    for (int i = 1; i < 10; ++i) EXPECT_EQ(f[56 + 2 * i + 1], "1") << i;
    EXPECT_EQ(f[76], std::to_string(5 + 6 + 7 + 8 + 9 + 10 + 11 + 12 + 13));
}

}  // namespace
}  // namespace shell_test
