// The game object: creation, the fit of the design to the window, the
// shared random draw, asset loading at three resolution levels and the
// reload after a resize, suspend and resume.

#include <AL/al.h>
#include "platform/gl.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "graphics/frame.h"

#include "tests/game/game_env.h"
#include "tests/support/testing.h"

namespace game_test {
namespace {

using Creation = GameTest;

TEST_F(Creation, TheFirstUpdateBeforeAnyRenderDividesByARealScale) {
    // A fresh object, created and updated without a render in between.
    window.width = 1280;
    window.height = 960;
    bbInit();
    bbMain();
    game = static_cast<bb_Nubrix_MyApp*>(bb_app_device->m_App);
    bb_app_device->InvokeOnCreate();
    EXPECT_FLOAT_EQ(game->m_ScaleX, 2.0f);
    window.mouseX = 300;
    window.mouseY = 200;
    PressMouse();
    Update();
    EXPECT_EQ(game->m_MouseX, 150);
    EXPECT_EQ(game->m_TouchY[0], 100);
}

TEST_F(Creation, APointerFarOutsideTheWindowStaysDefined) {
    game->m_ScaleX = 1e-30f;
    window.mouseX = 2000000000;
    Update();
    EXPECT_EQ(game->m_MouseX, 2147483647);
}

using WindowFit = GameTest;

TEST_F(WindowFit, DesignSize) {
    Render();
    EXPECT_FLOAT_EQ(game->m_ScaleX, 1.0f);
    EXPECT_FLOAT_EQ(bb_Nubrix_vscrw, 640);
    EXPECT_FLOAT_EQ(bb_Nubrix_vscrh, 480);
    EXPECT_EQ(game->m_FitMode, 1);
    EXPECT_EQ(game->m_Landscape, 1);
}

TEST_F(WindowFit, Portrait) {
    window.width = 480;
    window.height = 640;
    Render();
    EXPECT_NEAR(game->m_ScaleX, 1.3333f, 1e-4);
    EXPECT_FLOAT_EQ(game->m_ScaleY, game->m_ScaleX);
    EXPECT_NEAR(bb_Nubrix_vscrw, 360, 1e-3);
    EXPECT_NEAR(bb_Nubrix_vscrh, 480, 1e-3);
    EXPECT_EQ(game->m_FitMode, 2);
    EXPECT_EQ(game->m_Landscape, 0);
}

TEST_F(WindowFit, Wide) {
    window.width = 1280;
    window.height = 720;
    Render();
    EXPECT_FLOAT_EQ(game->m_ScaleX, 2.0f);
    EXPECT_FLOAT_EQ(bb_Nubrix_vscrw, 640);
    EXPECT_FLOAT_EQ(bb_Nubrix_vscrh, 360);
    EXPECT_EQ(game->m_FitMode, 1);
    EXPECT_EQ(game->m_Landscape, 1);
}

TEST_F(WindowFit, AZeroSizedDeviceKeepsThePreviousFit) {
    game->m_DevW = 0;
    game->m_DevH = 0;
    game->FitToDevice(0, 0);
    EXPECT_FLOAT_EQ(game->m_ScaleX, 1.0f);
    EXPECT_FLOAT_EQ(bb_Nubrix_vscrw, 640);
}

TEST_F(WindowFit, ARenderWithoutAnUpdateShowsTheSamePicture) {
    StartGame(2, {1, 1});
    Update();
    Render();
    uint32_t a = Pixel(320, 300);
    int count = game->m_DrawCount;
    Render();
    EXPECT_EQ(Pixel(320, 300), a);
    EXPECT_EQ(game->m_DrawCount, count) << "a render never modifies the list";
}

using Random = GameTest;

TEST_F(Random, IntegersFromMinToMaxInclusive) {
    int seen[6] = {0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 4000; ++i) {
        int v = game->m_Rand(1, 4);
        ASSERT_GE(v, 1);
        ASSERT_LE(v, 4);
        ++seen[v];
    }
    for (int v = 1; v <= 4; ++v) EXPECT_GT(seen[v], 800) << v;
    for (int i = 0; i < 4000; ++i) {
        int v = game->m_Rand(0, 5);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 5);
    }
}

TEST_F(Random, SharesTheFrameworkGenerator) {
    bb_random_Seed = 1234;
    // r = 0.71431...: floor(0.71431 * ((4 + 0.99) - 1) + 1) = floor(3.85) = 3.
    EXPECT_EQ(game->m_Rand(1, 4), 3);
    EXPECT_EQ(static_cast<unsigned>(bb_random_Seed), 3067928073u);
}

using Assets = GameTest;

int SurfaceWidth(bb_Nubrix_MyApp* game, int id) {
    bb_graphics_Image* image = game->m_Images[id];
    return image && image->surface ? image->surface->Width() : -1;
}

TEST_F(Assets, EverySlotLoadedAtTheDesignWindow) {
    // 640 is above 630: the "-hd" level.
    EXPECT_EQ(game->m_HDLevel, 2);
    EXPECT_FLOAT_EQ(game->m_HDScale, 0.5f);
    for (int id : {1, 90, 93, 95, 97, 98}) EXPECT_NE(game->m_Images[id], nullptr) << id;
    // Sheets only switched-off features draw are read when first drawn, with
    // the sizes their loader step recorded.
    const struct {
        int id, width;
    } onFirstUse[] = {{80, 1024}, {92, 256}, {94, 256}, {96, 64}, {99, 1024}};
    for (auto sheet : onFirstUse) {
        EXPECT_EQ(game->m_Images[sheet.id], nullptr) << sheet.id;
        game->m_DrawImg(sheet.id, 0, 0, 0);
        EXPECT_EQ(SurfaceWidth(game, sheet.id), sheet.width) << sheet.id;
        EXPECT_EQ(game->m_Images[sheet.id]->frames.Length(), game->m_ImageInfo[3 * sheet.id + 2]) << sheet.id;
    }
    for (int id : {1, 2, 3, 95, 98, 99}) EXPECT_NE(game->m_Sounds[id], nullptr) << id;
    EXPECT_EQ(game->m_ImageInfo[3 * 1], 128);
    EXPECT_EQ(game->m_ImageInfo[3 * 1 + 2], 64);
    EXPECT_EQ(game->m_ImageInfo[3 * 90], 7) << "a font's advance is in virtual units";
    EXPECT_EQ(game->m_ImageInfo[3 * 90 + 1], 10);
    EXPECT_EQ(game->m_Font, 90);
    EXPECT_EQ(SurfaceWidth(game, 1), 1024);
}

TEST_F(Assets, AResizeReloadsEveryAssetAtTheNewLevelAndTheGameGoesOn) {
    window.width = 620;
    window.height = 400;
    Render();
    FinishLoading();
    ASSERT_EQ(game->m_HDLevel, 1);
    ASSERT_EQ(SurfaceWidth(game, 1), 512);
    StartGame(2, {1, 1});
    game->m_Turn = 1;
    ClickCell(2, 2);
    Settle();
    std::string board = Board();
    ASSERT_EQ(Owner(2, 2), 1) << board;

    window.width = 631;
    Render();
    EXPECT_EQ(game->m_Loading, 1);
    int turn = game->m_Turn;
    for (int step = 1; step <= 16; ++step) {
        Update();
        EXPECT_EQ(game->m_BackR, 40) << "the loading screen, step " << step;
        EXPECT_EQ(game->m_Mode, 10);
    }
    EXPECT_EQ(game->m_Loading, 0);
    EXPECT_EQ(game->m_HDLevel, 2);
    EXPECT_FLOAT_EQ(game->m_HDScale, 0.5f);
    for (int id : {1, 97, 95, 94, 92, 93, 99, 98, 96, 80}) {
        game->m_DrawImg(id, 0, 0, 0);  // sheets read on first use come at the new level too
        int w = game->m_ImageInfo[3 * id];
        EXPECT_EQ(SurfaceWidth(game, id) % w, 0) << id;
    }
    EXPECT_EQ(SurfaceWidth(game, 1), 1024) << "atoms-hd.png";
    EXPECT_EQ(SurfaceWidth(game, 97), 256) << "common/icons-hd.png";
    EXPECT_EQ(SurfaceWidth(game, 90), 512) << "fonts/editundo-hd.png";
    EXPECT_EQ(game->m_ImageInfo[3 * 97], 64);
    Update();
    EXPECT_EQ(game->m_BackR, 0) << "the game screen is back";
    EXPECT_EQ(Board(), board);
    EXPECT_EQ(game->m_Turn, turn);

    window.width = 1231;
    window.height = 700;
    Render();
    FinishLoading();
    EXPECT_EQ(game->m_HDLevel, 4);
    EXPECT_EQ(SurfaceWidth(game, 1), 2048) << "atoms-hd2.png";
    EXPECT_EQ(game->m_ImageInfo[3 * 1], 256);
    EXPECT_EQ(Board(), board);
}

// What a reload leaves alive: collected surfaces and samples, and the GL
// textures and OpenAL buffers behind them (names may be reused, so count).
struct Resources {
    int surfaces = 0, samples = 0, textures = 0, buffers = 0;
    static Resources Count() {
        Resources r;
        for (gc_object* head : {&gc_unmarked_list, &gc_queued_list, &gc_marked_list}) {
            for (gc_object* p = head->succ; p != head; p = p->succ) {
                r.surfaces += dynamic_cast<gxtkSurface*>(p) ? 1 : 0;
                r.samples += dynamic_cast<gxtkSample*>(p) ? 1 : 0;
            }
        }
        for (unsigned name = 1; name < 4096; ++name) {
            r.textures += glIsTexture(name) ? 1 : 0;
            r.buffers += alIsBuffer(name) ? 1 : 0;
        }
        return r;
    }
};

TEST_F(Assets, AReloadReleasesEveryPictureAndSoundItReplaces) {
    gc_force_sweep = true;
    gc_collect();
    Resources before = Resources::Count();
    ASSERT_GE(before.surfaces, 6);
    ASSERT_GE(before.samples, 6);
    for (int width : {700, 720, 700}) {  // three reloads at the same level
        window.width = width;
        Render();
        FinishLoading();
    }
    game->m_Option[5] = 1;
    game->m_PlaySFX(98, 1, 0, 0);  // a play deletes the buffers of destroyed samples
    gc_force_sweep = true;
    gc_collect();
    Resources after = Resources::Count();
    EXPECT_EQ(after.surfaces, before.surfaces);
    EXPECT_EQ(after.textures, before.textures);
    EXPECT_EQ(after.samples, before.samples);
    EXPECT_EQ(after.buffers, before.buffers);
}

TEST_F(Assets, TheLevelFollowsTheLargerSideOfTheWindow) {
    const struct {
        int width, height, level;
    } windows[] = {{620, 400, 1}, {630, 630, 1}, {631, 400, 2}, {480, 640, 2}, {360, 1240, 4}, {1231, 700, 4}};
    for (const auto& w : windows) {
        window.width = w.width;
        window.height = w.height;
        Render();
        FinishLoading();
        EXPECT_EQ(game->m_HDLevel, w.level) << w.width << "x" << w.height;
        EXPECT_EQ(SurfaceWidth(game, 1), 512 * w.level) << w.width << "x" << w.height;
    }
}

TEST_F(Assets, SoundEffectNamesHaveThreeDigits) {
    nubrix_test::TempDir folder;
    std::string wav = nubrix_test::ReadFile(NUBRIX_SOURCE_DIR "/data/sfx/001.wav");
    ASSERT_FALSE(wav.empty());
    ASSERT_TRUE(std::filesystem::create_directories(folder.File("data/sfx")));
    nubrix_test::WriteFile(folder.File("data/sfx/005.wav"), wav);
    nubrix_test::WriteFile(folder.File("data/sfx/042.wav"), wav);
    nubrix_test::ScopedWorkingFolder here(folder.Path());
    game->m_LoadSFX(5);
    game->m_LoadSFX(42);
    game->m_LoadSFX(6);
    EXPECT_NE(game->m_Sounds[5], nullptr);
    EXPECT_NE(game->m_Sounds[42], nullptr);
    EXPECT_EQ(game->m_Sounds[6], nullptr);
    game->m_LoadSFX(500);  // no such slot: ignored
}

TEST_F(Assets, MissingFilesLeaveEmptySlotsAndTheGameRuns) {
    nubrix_test::TempDir folder;
    ASSERT_TRUE(std::filesystem::create_directory(folder.File("data")));
    nubrix_test::ScopedWorkingFolder here(folder.Path());
    game->m_Loading = 1;
    FinishLoading();
    EXPECT_EQ(game->m_Images[1], nullptr);
    EXPECT_EQ(game->m_Sounds[99], nullptr);
    EXPECT_EQ(game->m_ImageInfo[3 * 97], 64) << "sizes are recorded all the same";
    game->m_Option[5] = 1;
    StartGame(1, {1, 1});
    game->m_Turn = 1;
    ClickCell(0, 0);
    EXPECT_EQ(Owner(0, 0), 1);
    Render();
}

using Focus = GameTest;

ALint SourceState(int channel) {
    ALint state = 0;
    alGetSourcei(bb_audio_device->channels[channel].alSource, AL_SOURCE_STATE, &state);
    return state;
}

TEST_F(Focus, SuspendDuringAGameOpensThePauseAtOnceAndSilencesIt) {
    StartGame(2, {1, 2});
    game->m_PauseCursor = -1;  // where an earlier quit left the cursor
    bb_audio_device->PlaySample(game->m_Sounds[2]->sample, 5, 1);
    bb_app_device->InvokeOnSuspend();
    EXPECT_EQ(game->m_Paused, 1);
    EXPECT_EQ(game->m_PauseDir, 1);
    EXPECT_EQ(game->m_PauseY, 240);
    EXPECT_EQ(game->m_PauseCursor, 0) << "on Resume";
    EXPECT_EQ(bb_app_device->updateRate, 5);
    EXPECT_EQ(SourceState(5), AL_PAUSED) << "no sound while iconified";
    bb_app_device->InvokeOnResume();
    EXPECT_EQ(game->m_Paused, 1);
    EXPECT_EQ(bb_app_device->updateRate, 60);
    EXPECT_EQ(SourceState(5), AL_PLAYING);
    Update();
    EXPECT_EQ(game->m_PauseY, 240) << "already in place: no slide";
    PressKey(glfw2::GLFW_KEY_SPACE);
    Update();
    ReleaseKey(glfw2::GLFW_KEY_SPACE);
    EXPECT_EQ(game->m_PauseDir, -1) << "space resumes";
    EXPECT_EQ(game->m_GameEnded, 0);
}

TEST_F(Focus, SuspendInTheMenuOrAfterTheEndLeavesThePauseFieldsZero) {
    for (bool ended : {false, true}) {
        if (ended) {
            StartGame(2, {1, 2});
            game->m_GameEnded = 1;
            Update();
        }
        bb_app_device->InvokeOnSuspend();
        EXPECT_EQ(game->m_Paused, 0) << ended;
        EXPECT_EQ(game->m_PauseDir, 0) << ended;
        EXPECT_EQ(game->m_PauseY, 0) << ended;
        bb_app_device->InvokeOnResume();
        EXPECT_EQ(game->m_Paused, 0) << ended;
    }
}

TEST_F(Focus, SuspendSwitchesTheICadeOffAndClearsThePad) {
    game->m_iCade(1);
    game->m_Pad[3] = 2;
    bb_app_device->InvokeOnSuspend();
    EXPECT_EQ(bb_Nubrix_iCadeControls, 0);
    EXPECT_EQ(game->m_Pad[3], 0);
}

using Frames = GameTest;

// The first pixel two frames disagree on, for the failure message.
std::string FirstDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width) {
    if (a.size() != b.size()) return "sizes differ";
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            char text[96];
            std::snprintf(text, sizeof text, "(%d, %d): %06x against %06x", static_cast<int>(i % width),
                          static_cast<int>(i / width), a[i], b[i]);
            return text;
        }
    }
    return "none";
}

TEST_F(Frames, AFrameThatDidNotChangeIsNeitherDrawnNorPresentedAgain) {
    StartGame(2, {1, 1});  // two people: the board waits for a move
    Update();
    Render();
    Render();
    const std::vector<uint32_t> before = Screen();
    const FrameStats was = bb_graphics_device->Stats();
    const int swaps = window.swaps;
    const size_t presented = window.presented.size();
    for (int i = 0; i < 30; ++i) {
        Update();
        Render();
    }
    const FrameStats& now = bb_graphics_device->Stats();
    EXPECT_EQ(now.skipped - was.skipped, 30);
    EXPECT_EQ(now.drawCalls, was.drawCalls);
    EXPECT_EQ(window.swaps, swaps);
    EXPECT_EQ(window.presented.size(), presented);
    EXPECT_EQ(Screen(), before);
}

// Every frame of a scene as the game presents it (drawn again only where it
// changed) must be the pixels of the same frame drawn whole, and of it drawn
// the plain way, batch by batch as recorded, straight to GL.
TEST_F(Frames, DrawingOnlyWhatChangedGivesExactlyTheWholeFrame) {
    struct Scene {
        const char* name;
        std::function<void()> setUp;
    } scenes[] = {
        {"the menu's title and slide-in", [this] { game->m_MenuY = -32; }},
        {"a chain of explosions",
         [this] {
             StartGame(1, {1, 1});
             SetBoard("11 22 12 21/22 13 23 12/11 22 12 21");
             game->m_Turn = 1;
             ClickCell(0, 0);
         }},
    };
    gxtkGraphics* device = bb_graphics_device;
    const int width = device->Width();
    for (const Scene& scene : scenes) {
        SCOPED_TRACE(scene.name);
        scene.setUp();
        Update();
        Render();
        long partial = device->Stats().partial;
        for (int frame = 1; frame <= 90; ++frame) {
            Update();
            Render();
            const std::vector<uint32_t> shown = Screen();
            device->Invalidate();
            Render();
            ASSERT_EQ(shown, Screen()) << "frame " << frame << ", first difference "
                                       << FirstDifference(shown, Screen(), width);
            if (frame % 15 == 0) {
                device->RetainFrames(false);
                Render();
                ASSERT_EQ(shown, Screen()) << "plain drawing, frame " << frame << ", first difference "
                                           << FirstDifference(shown, Screen(), width);
                device->RetainFrames(true);
            }
        }
        EXPECT_GT(device->Stats().partial - partial, 45) << "most frames were drawn only where they changed";
    }
}

}  // namespace
}  // namespace game_test
