// The whole program as a person meets it: the real executable in a window
// under a window manager, driven with the real mouse and keyboard, watched
// through its pixels, its standard output and its state file.
//
// With NUBRIX_E2E_WINDOWS_EXE naming nubrix.exe, the program is the Windows
// build under Wine instead (in the Wine prefix the suite is run with), and
// the cases are the same.
//
// Every run starts in a fresh working folder whose data/ is the
// repository's. Screenshots of the menu (landscape and portrait), of the
// credits box and of a game played with the keyboard are kept in
// $NUBRIX_SCREENSHOTS, or the build's screenshots/.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "game/record_format.h"
#include "tests/support/desktop.h"
#include "tests/support/testing.h"

namespace e2e {
namespace {

using nubrix_test::Desktop;
using nubrix_test::Fields;
using nubrix_test::Pause;
using nubrix_test::Picture;
using nubrix_test::Rgb;

const char* const kTitle = "Nubrix";

// The menu at 640 x 480 (one virtual unit a pixel) once it has slid in.
const int kSlotX = 576;
int SlotY(int player) { return 40 + 80 * player; }
const int kSoundX = 32, kSoundY = 240;
const int kSizeY = 336;
int SizeX(int k) { return 128 * k; }
const int kCreditsX = 70, kCreditsY = 440;

// The smallest board, 4 x 3 cells: pitch min(640 / 5, 416 / 4) = 104, the
// grid centred below the 64-pixel player panel.
const int kPitch = 104;
int CellX(int x) { return 320 - kPitch * 3 / 2 + kPitch * x; }
int CellY(int y) { return 272 - kPitch + kPitch * y; }

// The program under test and how to start it.
std::vector<std::string> GameCommand() {
    const char* exe = std::getenv("NUBRIX_E2E_WINDOWS_EXE");
    if (exe && *exe) return {"/usr/bin/wine", exe};
    return {NUBRIX_BINARY_DIR "/nubrix"};
}

std::string ScreenshotFolder() {
    const char* env = std::getenv("NUBRIX_SCREENSHOTS");
    std::string folder = env && *env ? env : NUBRIX_BINARY_DIR "/screenshots";
    mkdir(folder.c_str(), 0755);
    return folder;
}

bool Near(Rgb c, int r, int g, int b, int tolerance = 24) {
    return std::abs(c.r - r) <= tolerance && std::abs(c.g - g) <= tolerance && std::abs(c.b - b) <= tolerance;
}

// Owner of a cell as its inner square shows it: the owner's colour at half
// brightness, grey when empty; -1 when something covers the sample. A
// corner of the square, then a point further in, clear of the keyboard
// cursor's frame.
int CellOwner(const Picture& p, int x, int y) {
    for (int in : {43, 37}) {
        Rgb c = p.At(CellX(x) - in, CellY(y) - in);
        if (Near(c, 90, 90, 90)) return 0;
        if (Near(c, 127, 0, 0)) return 1;
        if (Near(c, 127, 127, 0)) return 2;
        if (Near(c, 0, 127, 0)) return 3;
        if (Near(c, 0, 64, 127)) return 4;
    }
    return -1;
}

// The colour to move, from the grid lines (the player's colour at half
// brightness) in the outer corner of the first cell, or of the last when
// the keyboard cursor covers the first.
int Turn(const Picture& p) {
    for (Rgb c : {p.At(CellX(0) - 49, CellY(0) - 49), p.At(CellX(3) + 49, CellY(2) + 49)}) {
        if (Near(c, 127, 0, 0)) return 1;
        if (Near(c, 127, 127, 0)) return 2;
        if (Near(c, 0, 127, 0)) return 3;
        if (Near(c, 0, 64, 127)) return 4;
    }
    return 0;
}

bool BoardShown(const Picture& p) {
    int cells = 0;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) cells += CellOwner(p, x, y) >= 0 ? 1 : 0;
    }
    return cells >= 10 && Turn(p) != 0;
}

// The menu: its dark blue ground and the green sound toggle in place.
bool MenuShown(const Picture& p, int soundX = kSoundX, int soundY = kSoundY) {
    auto green = [](Rgb c) { return c.g > 150 && c.r < 120 && c.b < 120; };
    return Near(p.At(p.width - 4, p.height - 4), 0, 0, 80, 4) && p.Count(soundX - 32, soundY - 32, 64, 64, green) > 60;
}

// The pause panel at rest: its orange ground, the blue play triangle in
// its middle and the blue rule under it. Orange alone is not enough: yellow
// atoms' shaded sides on the board's middle row read as orange too.
bool PausePanelShown(const Picture& p) {
    auto orange = [](Rgb c) { return c.r > 150 && c.g > 70 && c.g < 170 && c.b < 70; };
    auto play = [](Rgb c) { return c.b > 200 && c.r < 100 && c.g < 100; };
    auto rule = [](Rgb c) { return c.r < 80 && c.g > 70 && c.g < 140 && c.b > 130; };
    return p.Count(190, 250, 260, 40, orange) > 2000 && p.Count(290, 220, 60, 60, play) > 300 &&
           p.Count(190, 296, 260, 20, rule) > 1000;
}

double SlotBrightness(const Picture& p, int player) { return p.Brightness(kSlotX - 20, SlotY(player) - 20, 40, 40); }

// A record of 98 fields, each closed by a bar, whose three kinds of
// checksum hold.
::testing::AssertionResult ValidRecord(const std::string& record) {
    using namespace record;
    std::vector<std::string> f = Fields(record);
    if (f.size() != 99 || !f[98].empty()) return ::testing::AssertionFailure() << "fields: " << f.size();
    for (int i = 0; i < 98; ++i) {
        if (f[i].empty() || f[i].find_first_not_of("-0123456789") != std::string::npos) {
            return ::testing::AssertionFailure() << "field " << i << " '" << f[i] << "'";
        }
    }
    // The values, written again by the game's writer: the same record, its
    // checksums included.
    auto value = [&](int k) { return static_cast<int>(std::stoll(f[k])); };
    int settings[kSettings], tops[kSizes * kPlaces], lasts[kSizes * kPlaces];
    uint32_t words[kBadgeWords];
    for (int k = 0; k < kSettings; ++k) settings[k] = value(k);
    for (int w = 0; w < kBadgeWords; ++w) words[w] = static_cast<uint32_t>(value(kSettings + 1 + w));
    for (int m = 0; m < kSizes; ++m) {
        for (int i = 0; i < kPlaces; ++i) {
            tops[m * kPlaces + i] = value(35 + 21 * m + 2 * i);
            lasts[m * kPlaces + i] = value(35 + 21 * m + 2 * i + 1);
        }
    }
    if (Format(settings, words, tops, lasts) != record) return ::testing::AssertionFailure() << "checksums";
    return ::testing::AssertionSuccess();
}

// Resident memory of a running process in kB; 0 when it cannot be read.
long ResidentKb(int pid) {
    std::string status = nubrix_test::ReadFile("/proc/" + std::to_string(pid) + "/status");
    size_t at = status.find("VmRSS:");
    return at == std::string::npos ? 0 : std::atol(status.c_str() + at + 6);
}

class EndToEnd : public ::testing::Test {
protected:
    nubrix_test::TempDir folder;
    Desktop desktop;
    std::unique_ptr<nubrix_test::Process> game;
    unsigned long window = 0;

    void SetUp() override {
        ASSERT_TRUE(desktop.Ok()) << "no X display";
        ASSERT_TRUE(nubrix_test::LinkData(folder));
    }

    std::string StatePath() const { return folder.File(".varnokstate"); }

    // Starts the program in `where` (the test's folder when empty) and
    // waits for its window and its menu.
    void Launch(const std::string& where = "") {
        // Under the sanitizers the program's exit unloads Mesa's driver
        // (glfwTerminate), whose start-up allocations then read as leaks and
        // would turn the exit code; leaks are the unit suites' business.
        game.reset(new nubrix_test::Process(GameCommand(), {"ASAN_OPTIONS=detect_leaks=0", "WINEDEBUG=-all"},
                                            where.empty() ? folder.Path() : where));
        window = desktop.FindWindow(kTitle, 60);  // Wine may take its time
        ASSERT_NE(window, 0u) << "no window; output:\n" << game->Output();
        Picture menu;
        ASSERT_TRUE(desktop.WaitFor(window, [](const Picture& p) { return MenuShown(p); }, 30, &menu))
            << "no menu; output:\n"
            << game->Output();
    }

    // Closes the window as its close button would; the program ends with 0.
    void CloseWindow() {
        desktop.Close(kTitle);
        EXPECT_EQ(game->WaitForExit(20), 0) << game->Output();
    }

    int64_t StateTime() {
        struct stat st;
        if (stat(StatePath().c_str(), &st) != 0) return -1;
        return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }

    // Plays red's turns until the game has ended and the menu is back: on
    // each of red's turns `move` gets the window's picture and says whether
    // it played. A pause panel that opens meanwhile (the window manager may
    // take the focus away, which pauses the game) is closed with Escape.
    // The moves played, or 0 when the game did not end; the record must
    // have been saved by then.
    int PlayRedToTheEnd(const std::function<bool(const Picture&)>& move) {
        const int64_t before = StateTime();
        int moves = 0;
        for (int tries = 0; tries < 4000; ++tries) {
            Picture p = desktop.Capture(window);
            if (MenuShown(p)) {
                EXPECT_NE(StateTime(), before) << "the finished game was not saved";
                return moves;
            }
            if (PausePanelShown(p)) {
                desktop.Key(window, "Escape");
                desktop.WaitFor(window, [](const Picture& q) { return !PausePanelShown(q); }, 5);
            } else if (Turn(p) == 1 && move(p)) {
                ++moves;
            } else {
                Pause(0.05);
            }
        }
        ADD_FAILURE() << "the game did not end after " << moves << " moves";
        return 0;
    }

    // The record holds the finished game: a valid record, sound on, and
    // the four player slots as given.
    void ExpectBackWithTheGameRecorded(const std::vector<std::string>& slots) {
        const std::string record = nubrix_test::ReadFile(StatePath());
        EXPECT_TRUE(ValidRecord(record)) << record;
        std::vector<std::string> f = Fields(record);
        ASSERT_EQ(f.size(), 99u);
        EXPECT_EQ(f[5], "1");
        EXPECT_EQ(std::vector<std::string>(f.begin() + 6, f.begin() + 10), slots);
    }

    // Two people on a 4 x 3 board: a game that waits for a move, whose
    // frames are not redrawn.
    void StartAWaitingGame() {
        const int settings[record::kSettings] = {0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 64, 64, 10};
        const int none[record::kSizes * record::kPlaces] = {};
        const uint32_t badges[record::kBadgeWords] = {};
        nubrix_test::WriteFile(StatePath(), record::Format(settings, badges, none, none));
        Launch();
        Pause(0.6);
        desktop.Key(window, "Up");  // size 2 -> 1
        desktop.Key(window, "space");
        ASSERT_TRUE(desktop.WaitFor(window, BoardShown, 10)) << "no 4 x 3 board";
    }

    // Waits until the window's client area is at (x, y) and w x h.
    bool WaitForGeometry(int x, int y, int w, int h, double seconds = 10) {
        int gx = 0, gy = 0, gw = 0, gh = 0;
        for (double waited = 0; waited < seconds; waited += 0.1) {
            if (desktop.Geometry(window, &gx, &gy, &gw, &gh) && gx == x && gy == y && gw == w && gh == h) return true;
            Pause(0.1);
        }
        ADD_FAILURE() << "the window is " << gw << "x" << gh << " at " << gx << "," << gy << ", not " << w << "x" << h
                      << " at " << x << "," << y;
        return false;
    }

    void Screenshot(const std::string& name) {
        Picture p = desktop.Capture(window);
        EXPECT_TRUE(p.SavePng(ScreenshotFolder() + "/" + name));
    }
};

TEST_F(EndToEnd, FirstStartPlayAGameToItsEndAndComeBack) {
    // First start: no record, so nothing is loaded or said.
    Launch();
    Pause(0.6);  // the slide-in has ended
    EXPECT_EQ(game->Output().find("Loaded"), std::string::npos) << game->Output();
    EXPECT_EQ(game->Output().find("Invalid"), std::string::npos) << game->Output();
    Picture first = desktop.Capture(window);
    ASSERT_TRUE(MenuShown(first));
    Screenshot("menu.png");

    // Player 2 to the computer (off, human, computer), player 4 off: a
    // person in red against the computer in yellow.
    desktop.Click(window, kSlotX, SlotY(2));
    desktop.Click(window, kSlotX, SlotY(2));
    desktop.Click(window, kSlotX, SlotY(4));
    Pause(0.2);
    Picture set = desktop.Capture(window);
    EXPECT_GT(SlotBrightness(set, 2), SlotBrightness(first, 2) * 1.3);
    EXPECT_LT(SlotBrightness(set, 4), SlotBrightness(first, 4) * 0.8);

    // The smallest board.
    desktop.Click(window, SizeX(1), kSizeY);
    Picture board;
    ASSERT_TRUE(desktop.WaitFor(window, BoardShown, 10, &board)) << "no 4 x 3 board";

    // Play: on red's turn, press a cell that is empty or red.
    std::mt19937 random(7);
    const int moves = PlayRedToTheEnd([&](const Picture& p) {
        std::vector<std::pair<int, int>> mine;
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x) {
                int owner = CellOwner(p, x, y);
                if (owner == 0 || owner == 1) mine.push_back({x, y});
            }
        }
        if (mine.empty()) return false;
        auto cell = mine[random() % mine.size()];
        desktop.Click(window, CellX(cell.first), CellY(cell.second));
        Pause(0.2);
        return true;
    });
    ASSERT_GT(moves, 0) << "the game did not end";

    // Back in the menu, with the finished game recorded.
    ExpectBackWithTheGameRecorded({"1", "2", "0", "0"});
    CloseWindow();

    // Second start: everything loads, and the slots are as they were left.
    Launch();
    EXPECT_TRUE(game->WaitForOutput("Highscore 2 Loaded"));
    EXPECT_NE(game->Output().find("Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\nHighscore 1 Loaded\n"
                                  "Highscore 2 Loaded\n"),
              std::string::npos)
        << game->Output();
    Pause(0.6);
    Picture second = desktop.Capture(window);
    EXPECT_NEAR(SlotBrightness(second, 2), SlotBrightness(set, 2), 20);
    EXPECT_NEAR(SlotBrightness(second, 4), SlotBrightness(set, 4), 20);
    EXPECT_GT(SlotBrightness(second, 2), SlotBrightness(first, 2) * 1.3);

    // The credits box, over the menu.
    desktop.Click(window, kCreditsX, kCreditsY);
    Picture credits;
    EXPECT_TRUE(desktop.WaitFor(
        window, [](const Picture& p) { return Near(p.At(66, 240), 204, 100, 16, 6); }, 5, &credits));
    Screenshot("credits.png");
    desktop.Click(window, 320, 400);
    EXPECT_TRUE(desktop.WaitFor(window, [](const Picture& p) { return !Near(p.At(66, 240), 204, 100, 16, 6); }, 5));

    // Portrait: the sound toggle moves to the top centre.
    desktop.Resize(window, 480, 640);
    Picture portrait;
    EXPECT_TRUE(desktop.WaitFor(
        window,
        [](const Picture& p) { return p.width == 480 && p.height == 640 && MenuShown(p, 240, 43); }, 30,
        &portrait));
    Pause(0.8);
    Screenshot("menu-portrait.png");
    CloseWindow();
}

TEST_F(EndToEnd, ResizingAgainAndAgainKeepsMemoryFlat) {
    Launch();
    // Every resize reloads every picture and sound; sizes cross all three
    // resolution levels (up to 630 pixels a side, up to 1230, beyond).
    const int sizes[][2] = {{500, 400}, {1000, 700}, {1250, 700}, {640, 480}};
    long halfway = 0;
    for (int i = 1; i <= 16; ++i) {
        const int w = sizes[i % 4][0], h = sizes[i % 4][1];
        desktop.Resize(window, w, h);
        auto menuAtSize = [w, h](const Picture& p) {
            return p.width == w && p.height == h && Near(p.At(w - 4, h - 4), 0, 0, 80, 4);
        };
        for (int pass = 0; pass < 2; ++pass) {  // past the one menu frame drawn before loading starts
            Pause(0.4);
            ASSERT_TRUE(desktop.WaitFor(window, menuAtSize, 20)) << "resize " << i;
        }
        if (i == 8) halfway = ResidentKb(game->Pid());
    }
    const long end = ResidentKb(game->Pid());
    ASSERT_GT(halfway, 0);
    std::printf("resident memory after 8 resizes %ld kB, after 16 %ld kB\n", halfway, end);
#ifndef NUBRIX_GC_STRESS  // AddressSanitizer's allocator keeps freed memory in quarantine
    EXPECT_LE(end - halfway, 8 * 1024) << "grew over the last 8 resizes";
#endif
    CloseWindow();
}

TEST_F(EndToEnd, F11AndAltEnterPlayFullscreenAndComeBackToTheWindow) {
    ASSERT_NO_FATAL_FAILURE(StartAWaitingGame());
    int x, y, w, h, screenW, screenH;
    ASSERT_TRUE(desktop.Geometry(window, &x, &y, &w, &h));
    desktop.ScreenSize(&screenW, &screenH);
    const std::string record = nubrix_test::ReadFile(StatePath());

    desktop.Key(window, "F11");
    ASSERT_TRUE(WaitForGeometry(0, 0, screenW, screenH)) << "not fullscreen";
    auto drawn = [](const Picture& p) { return p.width > 640 && p.Brightness(0, 0, p.width, p.height) > 30; };
    EXPECT_TRUE(desktop.WaitFor(window, drawn, 5)) << "the game does not fill the screen";
    Pause(2);  // the sharper art loads
    Screenshot("fullscreen.png");

    desktop.Key(window, "alt+Return");
    ASSERT_TRUE(WaitForGeometry(x, y, w, h)) << "not back to the window's size and place";
    EXPECT_TRUE(desktop.WaitFor(window, BoardShown, 5)) << "the game did not go on";
    EXPECT_EQ(nubrix_test::ReadFile(StatePath()), record) << "fullscreen is no setting";
    CloseWindow();
}

TEST_F(EndToEnd, OnAScreenTwiceAsDenseTheWindowOpensTwiceAsLargeAndSharp) {
    // The density programs read as they start: X's Xft.dpi, and under Wine
    // Windows' own setting, in the prefix.
    const bool wine = GameCommand()[0] == "/usr/bin/wine";
    const std::string key = "HKCU\\Control Panel\\Desktop";
    struct Dense {
        Desktop& desktop;
        std::string key;
        ~Dense() {
            desktop.SetResources("");
            if (!key.empty()) nubrix_test::RunProgram({"/usr/bin/wine", "reg", "delete", key, "/v", "LogPixels", "/f"});
        }
    } dense{desktop, wine ? key : ""};
    desktop.SetResources("Xft.dpi: 192\n");
    if (wine) {
        ASSERT_EQ(nubrix_test::RunProgram({"/usr/bin/wine", "reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD",
                                           "/d", "192", "/f"})
                      .exitCode,
                  0);
    }
    game.reset(new nubrix_test::Process(GameCommand(), {"ASAN_OPTIONS=detect_leaks=0", "WINEDEBUG=-all"}, folder.Path()));
    window = desktop.FindWindow(kTitle, 60);
    ASSERT_NE(window, 0u) << game->Output();
    int x, y, w, h, screenW, screenH;
    ASSERT_TRUE(desktop.Geometry(window, &x, &y, &w, &h));
    desktop.ScreenSize(&screenW, &screenH);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 960);
    EXPECT_EQ(x, (screenW - w) / 2) << "centred at the size it opened at";
    Picture menu;
    EXPECT_TRUE(desktop.WaitFor(window, [](const Picture& p) { return MenuShown(p, 2 * kSoundX, 2 * kSoundY); }, 30,
                                &menu))
        << "no menu at twice the size";
    Pause(2);  // the menu's opening slides end
    Screenshot("menu-dpi192.png");
    CloseWindow();
}

TEST_F(EndToEnd, AWindowUncoveredWhileTheGameWaitsIsPaintedAgain) {
    ASSERT_NO_FATAL_FAILURE(StartAWaitingGame());
    Pause(1);

    desktop.Cover(window, 150, 150, 300, 200, 0xff00ff, 0.5);
    auto magenta = [](Rgb c) { return c.r > 200 && c.g < 60 && c.b > 200; };
    Picture after;
    EXPECT_TRUE(desktop.WaitFor(
        window, [&](const Picture& p) { return p.Count(150, 150, 300, 200, magenta) == 0 && BoardShown(p); }, 5,
        &after))
        << after.Count(150, 150, 300, 200, magenta) << " pixels still show the window that covered it";
    CloseWindow();
}

TEST_F(EndToEnd, ADamagedRecordIsReportedAndTheGameRuns) {
    // A record as the game writes it, with size 2's score checksum one off.
    std::string record = "0|0|0|0|0|1|1|0|0|2|64|64|10|";
    for (int i = 0; i < 12; ++i) record += "0|";
    record += "1493|";
    for (int i = 0; i < 9; ++i) record += "0|";
    for (int m = 0; m < 3; ++m) {
        record += "3|";  // top-ten entry 0
        for (int i = 1; i < 20; ++i) record += "0|";
        record += m == 1 ? "13|" : "12|";
    }
    nubrix_test::WriteFile(StatePath(), record);
    Launch();
    EXPECT_TRUE(game->WaitForOutput("Highscore 2 Loaded"));
    EXPECT_NE(game->Output().find("Settings Loaded\nBadges Loaded\nHighscore 0 Loaded\n"
                                  "Highscore 1 Checksum Invalid\nHighscore 2 Loaded\n"),
              std::string::npos)
        << game->Output();
    Pause(1);
    EXPECT_TRUE(game->Running());
    EXPECT_TRUE(MenuShown(desktop.Capture(window)));
    // Starting is not saving: the damaged record stays as it was.
    EXPECT_EQ(nubrix_test::ReadFile(StatePath()), record);
    CloseWindow();
}

TEST_F(EndToEnd, AWordWhereSomethingIsWrongAndTheGameStillRuns) {
    // A state file of 2 GiB (sparse), and what two saves killed half-way
    // left: one by a process that has ended, one by a process still running
    // (this test).
    nubrix_test::WriteFile(StatePath(), "1|");
    ASSERT_EQ(truncate(StatePath().c_str(), off_t(2) << 30), 0);
    pid_t ended = fork();
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    const std::string dead = folder.File(".varnokstate.new." + std::to_string(ended));
    const std::string live = folder.File(".varnokstate.new." + std::to_string(getpid()));
    nubrix_test::WriteFile(dead, "half a record");
    nubrix_test::WriteFile(live, "half a record");

    Launch();
    EXPECT_EQ(game->Output(),
              ".varnokstate is larger than 1 MiB, so it is no record: the game starts with its defaults\n");
    EXPECT_FALSE(nubrix_test::FileExists(dead));
    EXPECT_TRUE(nubrix_test::FileExists(live));
    CloseWindow();
    struct stat st;
    ASSERT_EQ(stat(StatePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_size, off_t(2) << 30) << "nothing was saved, so the file is as it was";

    // Started away from its data: one line names the folder it looked in,
    // and the window still opens and closes normally.
    nubrix_test::TempDir bare;
    game.reset(new nubrix_test::Process({NUBRIX_BINARY_DIR "/nubrix"}, {"ASAN_OPTIONS=detect_leaks=0"}, bare.Path()));
    const std::string said = "No data folder in " + bare.Path() + ": start the game from the folder that holds data/\n";
    EXPECT_TRUE(game->WaitForOutput(said)) << game->Output();
    window = desktop.FindWindow(kTitle);
    ASSERT_NE(window, 0u);
    Pause(1);  // the loader has tried every file by now
    EXPECT_EQ(game->Output(), said) << "and nothing per file";
    CloseWindow();
}

TEST_F(EndToEnd, AFolderNamedInAnyScriptLoadsEverythingAndKeepsTheRecord) {
    // Letters of no ANSI code page, and one above U+FFFF.
    const std::string named = folder.File("Nubrix \u00FCn \u65E5\u672C \u0434\u0430 \U0001F332");
    ASSERT_EQ(mkdir(named.c_str(), 0755), 0);
    ASSERT_EQ(symlink(NUBRIX_SOURCE_DIR "/data", (named + "/data").c_str()), 0);
    // Left by a save whose process has ended: a number no process has.
    const std::string stale = named + "/.varnokstate.new.4194303";
    nubrix_test::WriteFile(stale, "half a record");

    Launch(named);
    EXPECT_FALSE(nubrix_test::FileExists(stale));
    desktop.Click(window, kSlotX, SlotY(3));  // off -> human, which saves
    desktop.Iconify(window);                  // and so does a suspend
    Pause(1);
    EXPECT_EQ(game->Output(), "") << "every picture and sound loaded";
    EXPECT_TRUE(ValidRecord(nubrix_test::ReadFile(named + "/.varnokstate")));
    CloseWindow();
}

TEST_F(EndToEnd, AWriteProtectedRecordIsLeftAloneAndTheGameSaysSo) {
    Launch();
    Pause(0.6);
    desktop.Click(window, kSlotX, SlotY(3));  // saves a record
    CloseWindow();
    const std::string record = nubrix_test::ReadFile(StatePath());
    ASSERT_TRUE(ValidRecord(record));
    ASSERT_EQ(chmod(StatePath().c_str(), 0444), 0);  // read-only, to Windows too

    Launch();
    Pause(0.6);
    desktop.Click(window, kSlotX, SlotY(3));
    EXPECT_TRUE(game->WaitForOutput("Cannot save .varnokstate: ")) << game->Output();
    EXPECT_EQ(nubrix_test::ReadFile(StatePath()), record);
    CloseWindow();
    chmod(StatePath().c_str(), 0644);
}

TEST_F(EndToEnd, ASlotChangedJustBeforeClosingTheWindowIsKept) {
    Launch();
    Pause(0.6);
    Picture before = desktop.Capture(window);
    desktop.Click(window, kSlotX, SlotY(3));  // off -> human
    CloseWindow();
    ASSERT_TRUE(nubrix_test::FileExists(StatePath()));
    EXPECT_TRUE(ValidRecord(nubrix_test::ReadFile(StatePath())));

    Launch();
    EXPECT_TRUE(game->WaitForOutput("Settings Loaded"));
    Pause(0.6);
    EXPECT_GT(SlotBrightness(desktop.Capture(window), 3), SlotBrightness(before, 3) * 1.3);
    CloseWindow();
}

TEST_F(EndToEnd, TheKeyboardAloneStartsPausesAndQuitsAGame) {
    Launch();
    Pause(0.6);
    desktop.Key(window, "Up");     // size 2 -> 1
    desktop.Key(window, "space");  // start
    ASSERT_TRUE(desktop.WaitFor(window, BoardShown, 10)) << "no 4 x 3 board";

    desktop.Key(window, "Escape");
    EXPECT_TRUE(desktop.WaitFor(window, PausePanelShown, 5)) << "the pause panel did not open";
    desktop.Key(window, "Escape");
    EXPECT_TRUE(desktop.WaitFor(window, [](const Picture& p) { return !PausePanelShown(p) && BoardShown(p); }, 5))
        << "the pause panel did not close";

    // Quit through the pause menu: Escape, Left to the quit button, select.
    EXPECT_FALSE(nubrix_test::FileExists(StatePath()));
    desktop.Key(window, "Escape");
    ASSERT_TRUE(desktop.WaitFor(window, PausePanelShown, 5));
    Pause(0.3);
    desktop.Key(window, "Left");
    desktop.Key(window, "space");
    EXPECT_TRUE(desktop.WaitFor(window, [](const Picture& p) { return MenuShown(p); }, 10));
    EXPECT_TRUE(nubrix_test::FileExists(StatePath()));  // the finished game was recorded
    CloseWindow();
}

// The cell the keyboard cursor frames, from its band on the left and right
// of the cell, over the grid line, in the full colour of the player to move
// (the grid itself has it at half brightness); {-1, -1} when none shows.
// Any player's: the turn may pass to the computer while the test steers.
std::pair<int, int> CursorCell(const Picture& p) {
    auto full = [](Rgb c) {
        return Near(c, 255, 0, 0, 40) || Near(c, 255, 255, 0, 40) || Near(c, 0, 255, 0, 40) ||
               Near(c, 0, 128, 255, 40);
    };
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            if (full(p.At(CellX(x) - kPitch / 2 + 4, CellY(y))) && full(p.At(CellX(x) + kPitch / 2 - 4, CellY(y)))) {
                return {x, y};
            }
        }
    }
    return {-1, -1};
}

TEST_F(EndToEnd, TheKeyboardAlonePlaysAGameAgainstTheComputerToItsEnd) {
    // First start: red is a person, blue the computer.
    Launch();
    Pause(0.6);
    // Size 2 -> 1, and start; again if a tap was lost on a loaded machine
    // (the size stays at 1).
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        desktop.Key(window, "Up");
        desktop.Key(window, "Return");
        started = desktop.WaitFor(window, BoardShown, 5);
    }
    ASSERT_TRUE(started) << "no 4 x 3 board";
    EXPECT_EQ(CursorCell(desktop.Capture(window)).first, -1) << "no cursor before a play key";

    // On red's turn: show the cursor, steer it to a red cell (chains end
    // games sooner) or an empty one, and select. Arrows and W A S D take
    // turns, and so do the select keys.
    const char* const kSteer[2][4] = {{"Left", "Right", "Up", "Down"}, {"a", "d", "w", "s"}};
    const char* const kSelect[4] = {"space", "Return", "z", "j"};
    int shown = 0, unseen = 0;
    bool seen = false;
    const int moves = PlayRedToTheEnd([&](const Picture& p) {
        std::pair<int, int> target{-1, -1};
        for (int pass = 0; pass < 2 && target.first < 0; ++pass) {
            for (int i = 0; i < 12 && target.first < 0; ++i) {
                if (CellOwner(p, i % 4, i / 4) == (pass == 0 ? 1 : 0)) target = {i % 4, i / 4};
            }
        }
        if (target.first < 0) return false;
        std::pair<int, int> at = CursorCell(p);
        const char* const* steer = kSteer[shown % 2];
        if (at.first < 0) {
            desktop.Key(window, steer[1]);  // shows it
            if (++unseen > 4) ADD_FAILURE() << "no key shows the cursor";
            return false;
        }
        unseen = 0;
        if (shown == 0 && !seen) {
            EXPECT_EQ(at, std::make_pair(2, 1)) << "the first key shows it at the centre";
        }
        seen = true;
        // Steer, look, and steer again from where it is: on a loaded machine
        // a tap can be too short for any update to see it held.
        Picture steered;
        bool reached = false;
        for (int attempt = 0; attempt < 3 && !reached; ++attempt) {
            if (attempt > 0) at = CursorCell(steered);
            if (at.first < 0) break;
            for (; at.first > target.first; --at.first) desktop.Key(window, steer[0]);
            for (; at.first < target.first; ++at.first) desktop.Key(window, steer[1]);
            for (; at.second > target.second; --at.second) desktop.Key(window, steer[2]);
            for (; at.second < target.second; ++at.second) desktop.Key(window, steer[3]);
            reached = desktop.WaitFor(window, [&](const Picture& q) { return CursorCell(q) == target; }, 3, &steered);
        }
        if (!reached) {
            // Unless the game has ended meanwhile (red's last move won it).
            if (BoardShown(steered)) {
                ADD_FAILURE() << "the cursor did not reach " << target.first << ", " << target.second;
            }
            return false;
        }
        if (shown == 4) {
            EXPECT_TRUE(steered.SavePng(ScreenshotFolder() + "/game-keyboard.png"));
        }
        // The game pauses when the window manager takes the focus away for
        // a moment; select would then act in the pause panel.
        if (PausePanelShown(desktop.Capture(window))) return false;
        desktop.Key(window, kSelect[shown++ % 4]);
        Pause(0.3);
        return true;
    });
    // One move can be all red gets: the first colour to move is drawn at
    // random, and a blue corner next to red's first atom takes it.
    ASSERT_GT(moves, 0) << "the game did not end";
    ASSERT_FALSE(HasFailure());

    // Back in the menu, the record written as after a game played with the
    // mouse.
    ExpectBackWithTheGameRecorded({"1", "0", "0", "2"});
    CloseWindow();
}

// A Windows path as this machine sees it, through Wine's own mapping; "" on
// failure. `wine cmd /c echo` expands the variables in it first.
std::string UnixPathUnderWine(const std::string& windowsPath) {
    auto line = [](std::string s) {
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
        return s;
    };
    std::string expanded = line(nubrix_test::RunProgram({"/usr/bin/wine", "cmd", "/c", "echo " + windowsPath}).out);
    return line(nubrix_test::RunProgram({"/usr/bin/winepath", "-u", expanded}).out);
}

TEST_F(EndToEnd, TheInstallerInstallsForThePlayerAndTheUninstallerKeepsOnlyTheRecord) {
    const char* setup = std::getenv("NUBRIX_E2E_WINDOWS_SETUP");
    if (!setup || !*setup) GTEST_SKIP() << "the Windows installer is tried under Wine only";
    nubrix_test::ChildResult installed = nubrix_test::RunProgram({"/usr/bin/wine", setup, "/S"}, {}, "", 120);
    ASSERT_EQ(installed.exitCode, 0) << installed.out << installed.err;

    // Per user, without administrator rights: below the user's own folder.
    const std::string home = UnixPathUnderWine("%LOCALAPPDATA%\\Programs\\Nubrix");
    const std::string shortcut = UnixPathUnderWine("%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs\\Nubrix.lnk");
    for (const char* file : {"nubrix.exe", "uninstall.exe", "README.txt", "data/atoms.png"}) {
        EXPECT_TRUE(nubrix_test::FileExists(home + "/" + file)) << home << "/" << file;
    }
    EXPECT_TRUE(nubrix_test::FileExists(shortcut)) << shortcut;
    const std::string key = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nubrix";
    EXPECT_NE(nubrix_test::RunProgram({"/usr/bin/wine", "reg", "query", key}).out.find("uninstall.exe"),
              std::string::npos);

    // The installed game runs in its folder, as the shortcut starts it, and
    // keeps its record there.
    Launch(home);
    desktop.Click(window, kSlotX, SlotY(3));
    CloseWindow();
    const std::string record = nubrix_test::ReadFile(home + "/.varnokstate");
    EXPECT_TRUE(ValidRecord(record));

    // The uninstaller runs from a copy of itself, so it is done when the
    // files are gone; only the player's record stays.
    ASSERT_EQ(nubrix_test::RunProgram({"/usr/bin/wine", home + "/uninstall.exe", "/S"}, {}, "", 120).exitCode, 0);
    for (int i = 0; i < 300 && nubrix_test::FileExists(home + "/uninstall.exe"); ++i) Pause(0.1);
    Pause(1);
    EXPECT_EQ(nubrix_test::RunProgram({"/bin/ls", "-A", home}).out, ".varnokstate\n");
    EXPECT_EQ(nubrix_test::ReadFile(home + "/.varnokstate"), record);
    EXPECT_FALSE(nubrix_test::FileExists(shortcut));
    EXPECT_NE(nubrix_test::RunProgram({"/usr/bin/wine", "reg", "query", key}).exitCode, 0);
}

}  // namespace
}  // namespace e2e
