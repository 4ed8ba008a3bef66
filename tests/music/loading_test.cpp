// Loading a song during renders: the demo picture decoded through the real
// renderer and read back, matched field by field against the generator;
// the samples; the pace of loading; and pictures that are missing, damaged
// or too small, which must leave silence and never end the program.

#include <AL/al.h>
#include <gtest/gtest.h>


#include <cstdio>
#include <sstream>
#include <string>

#include "graphics/graphics.h"
#include "tests/music/music_env.h"
#include "tests/support/testing.h"
#include "tools/assetgen/output.h"
#include "tools/assetgen/song.h"

namespace music_test {
namespace {

using nubrix_test::CapturedOutput;

class Loading : public PlayerTest {
protected:
    void StartSong(const std::string& file) {
        player->m_ZK_Start(String(file.c_str()), songgen::kDemoKitA, songgen::kDemoKitB, songgen::kDemoLead,
                           songgen::kDemoAccompany, songgen::kDemoBass, 7, String("q"));
    }
    // Renders until loading is done; the number of renders it took.
    int LoadAll() {
        int renders = 0;
        while (player->loadStep > 0 && renders < 100) {
            int before = player->loadStep;
            Render();
            ++renders;
            int done = player->loadStep == 0 ? 71 - before : player->loadStep - before;
            EXPECT_GE(done, 1);
            EXPECT_LE(done, 3) << "at most three steps a render";
        }
        return renders;
    }
    int NonZeroCells() {
        int n = 0;
        for (int i = 0; i < player->cells.Length(); ++i) n += player->cells[i] != 0;
        return n;
    }
    uint32_t Pixel(int x, int y) {
        Array<int> one(1);
        bb_graphics_device->ReadPixels(one, x, y, 1, 1, 0, 1);
        return static_cast<uint32_t>(one[0]);
    }
};

TEST_F(Loading, TheDemoSongDecodesExactlyThroughTheRenderer) {
    std::vector<int> song = GeneratorCells();
    Clock(1000);
    StartSong(songgen::kDemoSongFile);
    CapturedOutput output;
    EXPECT_EQ(LoadAll(), 24) << "70 steps, three a render";
    std::string text = output.Text();

    int wrong = 0;
    for (int i = 0; i < songgen::kCellCount && wrong < 5; ++i) {
        if (player->cells[i] != song[i]) {
            ++wrong;
            ADD_FAILURE() << "cell " << i << " (pattern " << i / 4096 << " track " << i / 512 % 8 << " row "
                          << i / 8 % 64 << " field " << i % 8 << ") is " << player->cells[i] << ", not " << song[i];
        }
    }
    EXPECT_EQ(player->cells[262144], 0);
    int nonZero = 0;
    for (int t = 0; t < 8; ++t) {
        int last = 0;
        for (int p = 0; p < songgen::kPatterns; ++p) {
            for (int f = 0; f < 512; ++f) {
                if (song[songgen::CellIndex(p, t, 0, 0) + f]) {
                    last = p;
                    ++nonZero;
                }
            }
        }
        EXPECT_EQ(player->lastPattern[t], last) << "track " << t;
    }
    EXPECT_EQ(player->lastPattern[2], 62);
    EXPECT_EQ(player->lastPattern[7], 0);

    // Each kit sample is its own file, "inst/d" kit "-" k ".wav": the demo's
    // drums differ in length from any a wrong kit or order would load.
    auto bytes = [](bb_audio_Sound* s) {
        ALint size = -1;
        if (s && s->sample) alGetBufferi(s->sample->buffer, AL_SIZE, &size);
        return size;
    };
    auto file = [](int kit, int k) {
        return bb_audio_LoadSound(String("inst/d") + String(kit) + String("-") + String(k) + String(".wav"));
    };
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(bytes(player->kitA[k]), bytes(file(songgen::kDemoKitA, k))) << "kit A sample " << k;
        EXPECT_EQ(bytes(player->kitB[k]), bytes(file(songgen::kDemoKitB, k))) << "kit B sample " << k;
    }
    for (int m = 2; m <= 4; ++m) EXPECT_NE(player->melodic[m], nullptr) << "melodic " << m;
    EXPECT_EQ(player->nextTime, 1100) << "play starts 100 ms after the last step";
    EXPECT_EQ(Pixel(32, 32), 0xff000000u) << "the loading work is cleared away";

    // The report: the file, then one line per non-zero field.
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "Music File : music/demo.png");
    int diagnostics = 0;
    std::string first;
    while (std::getline(lines, line)) {
        if (!diagnostics) first = line;
        ++diagnostics;
    }
    EXPECT_EQ(diagnostics, nonZero);
    EXPECT_EQ(first, "5:0:0") << "step 5 decodes pattern 0, whose first field is kit A's crash at row 0";

    // And it plays: the first row starts the crash and the bass.
    Clock(1101);
    Update();
    auto crash = audio->Of("play", ChannelOf(0));
    ASSERT_EQ(crash.size(), 1u);
    EXPECT_EQ(crash[0].sample, player->kitA[8]->sample);
    EXPECT_EQ(audio->Pitch(ChannelOf(4)), player->m_GetPitch(song[songgen::CellIndex(0, 4, 0, 0)]));
    EXPECT_TRUE(audio->Playing(ChannelOf(4)));
}

TEST_F(Loading, AStripOfSixtyFourFramesLoadsToo) {
    std::vector<int> song(songgen::kCellCount, 0);
    for (int p = 0; p < songgen::kPatterns; ++p) {
        song[songgen::CellIndex(p, 2, 63, 7)] = p % 31 + 1;
        song[songgen::CellIndex(p, 6, p, p % 8)] = 31;
    }
    std::vector<uint8_t> grid = songgen::SongPicture(song);
    // The same frames side by side: 4096 x 64.
    std::vector<uint8_t> strip(4096 * 64 * 4);
    for (int p = 0; p < 64; ++p) {
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64 * 4; ++x) {
                strip[(y * 4096 + p * 64) * 4 + x] = grid[(((p / 8) * 64 + y) * 512 + (p % 8) * 64) * 4 + x];
            }
        }
    }
    nubrix_test::TempDir dir;
    assetgen::writePng(dir.File("strip.png"), 4096, 64, strip);
    StartSong(dir.File("strip.png"));
    LoadAll();
    ASSERT_NE(player->songImage, nullptr);
    for (int i = 0; i < songgen::kCellCount; ++i) ASSERT_EQ(player->cells[i], song[i]) << "cell " << i;
    EXPECT_EQ(player->lastPattern[6], 62);
}

TEST_F(Loading, BadPicturesLeaveSilenceAndANewSongForgetsTheOldOne) {
    StartSong(songgen::kDemoSongFile);
    LoadAll();
    ASSERT_GT(NonZeroCells(), 0);

    nubrix_test::TempDir dir;
    // Room for 56 frames only: the grab of 64 would be fatal.
    assetgen::writePng(dir.File("small.png"), 512, 448, std::vector<uint8_t>(512 * 448 * 4, 255));
    nubrix_test::WriteFile(dir.File("damaged.png"), std::string("\x89PNG\r\n\x1a\n", 8) + std::string(300, 'x'));
    for (const std::string& file : {dir.File("small.png"), dir.File("damaged.png"), dir.File("missing.png")}) {
        CapturedOutput quiet;
        StartSong(file);
        LoadAll();
        EXPECT_EQ(player->loadStep, 0) << file;
        EXPECT_EQ(player->songImage, nullptr) << file;
        EXPECT_EQ(NonZeroCells(), 0) << file;
        for (int t = 0; t < 8; ++t) EXPECT_EQ(player->lastPattern[t], 0) << file;
        EXPECT_NE(player->kitA[1], nullptr) << "the samples still load";
    }
    // Nothing to play, but the voices still step.
    Step();
    EXPECT_EQ(player->row, 1);
    EXPECT_EQ(audio->Count("play", ChannelOf(0)), 0);
}

TEST_F(Loading, DecodingWaitsForARender) {
    StartSong(songgen::kDemoSongFile);
    {
        CapturedOutput quiet;
        for (int i = 0; i < 10; ++i) player->m_ZK_Alive_R();  // outside any render
    }
    EXPECT_EQ(player->loadStep, 5) << "samples and picture load, patterns wait";
    EXPECT_NE(player->songImage, nullptr);
    EXPECT_NE(player->kitA[3], nullptr);
    EXPECT_EQ(NonZeroCells(), 0);
    CapturedOutput quiet;
    LoadAll();
    std::vector<int> song = GeneratorCells();
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(player->cells[i], song[i]) << "pattern 0 was not skipped";
}

}  // namespace
}  // namespace music_test
