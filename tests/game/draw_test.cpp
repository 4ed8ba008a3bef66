// The drawing helpers: the display list and its limit, the draw state, text
// layout, button and rectangle hit tests, padded numbers, sound effects on
// their rotating channels, and the render pass that replays the list.

#include <AL/al.h>

#include <cmath>

#include "tests/game/game_env.h"
#include "tests/support/testing.h"

namespace game_test {
namespace {

using DisplayList = GameTest;

TEST_F(DisplayList, The2500thCommandIsDroppedAndThe2499thDrawn) {
    game->m_CLS2D(0, 0, 0, 1);
    // 2,500 white one-pixel squares in rows of 100, on black.
    for (int i = 0; i < 2500; ++i) game->m_Rect(static_cast<float>(i % 100), static_cast<float>(i / 100), 1, 1);
    EXPECT_EQ(game->m_DrawCount, 2499 * 15);
    Render();
    EXPECT_EQ(Pixel(98, 24), 0xffffffu) << "command 2,499";
    EXPECT_EQ(Pixel(99, 24), 0x000000u) << "command 2,500";
    EXPECT_EQ(Pixel(0, 0), 0xffffffu);
}

TEST_F(DisplayList, CommandsKeepTheColourOfTheirMoment) {
    game->m_CLS2D(0, 0, 0, 1);
    game->m_SetCol(255, 0, 0);
    game->m_Rect(10, 10, 20, 20);
    game->m_SetCol(0, 0, 255);
    game->m_Oval(100, 100, 10, 5);
    game->m_SetSize(2, 3);
    game->m_DrawImg(97, 50, 60, 4);
    std::vector<Command> c = Commands();
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].kind, NUBRIX_NONE);
    EXPECT_EQ(c[0].r, 255);
    EXPECT_EQ(c[0].b, 0);
    EXPECT_EQ(c[1].kind, NUBRIX_OVAL);
    EXPECT_EQ(c[1].w, 10);
    EXPECT_EQ(c[1].h, 5);
    EXPECT_EQ(c[1].b, 255);
    EXPECT_EQ(c[2].kind, 97);
    EXPECT_EQ(c[2].w, 2);
    EXPECT_EQ(c[2].h, 3);
    EXPECT_EQ(c[2].frame, 4);
}

TEST_F(DisplayList, TheRenderScalesShapesByTheFit) {
    window.width = 320;
    window.height = 240;
    Render();  // fit 0.5
    FinishLoading();
    game->m_CLS2D(0, 0, 0, 1);
    game->m_SetCol(0, 255, 0);
    game->m_Rect(10, 10, 10, 10);
    Render();
    EXPECT_EQ(Pixel(5, 5), 0x00ff00u);
    EXPECT_EQ(Pixel(9, 9), 0x00ff00u);
    EXPECT_EQ(Pixel(11, 7), 0x000000u) << "a 10-unit square at scale 0.5 ends at device pixel 10";
    EXPECT_EQ(Pixel(4, 7), 0x000000u);
}

TEST_F(DisplayList, TheBackColourClearsTheWindow) {
    game->m_CLS2D(40, 80, 120, 1);
    Render();
    EXPECT_EQ(Pixel(320, 240), 0x285078u);
    EXPECT_EQ(Pixel(639, 479), 0x285078u);
}

using DrawState = GameTest;

TEST_F(DrawState, ResetAndDefaults) {
    game->m_SetSize(3);
    game->m_SetCol(1, 2, 3, 0.25f);
    game->m_ResetDraw();
    EXPECT_EQ(game->m_DrawSX, 1);
    EXPECT_EQ(game->m_DrawSY, 1);
    EXPECT_EQ(game->m_DrawRot, 0);
    EXPECT_EQ(game->m_DrawR, 255);
    EXPECT_EQ(game->m_DrawG, 255);
    EXPECT_EQ(game->m_DrawB, 255);
    EXPECT_EQ(game->m_DrawA, 1);
}

TEST_F(DrawState, SetSizeWithOneOrTwoScales) {
    game->m_SetSize(2);
    EXPECT_EQ(game->m_DrawSX, 2);
    EXPECT_EQ(game->m_DrawSY, 2);
    game->m_SetSize(2, 3);
    EXPECT_EQ(game->m_DrawSX, 2);
    EXPECT_EQ(game->m_DrawSY, 3);
}

TEST_F(DrawState, SetColKeepsAlphaUnlessGiven) {
    game->m_Alpha(0.3f);
    game->m_SetCol(10, 20, 30);
    EXPECT_EQ(game->m_DrawR, 10);
    EXPECT_EQ(game->m_DrawG, 20);
    EXPECT_EQ(game->m_DrawB, 30);
    EXPECT_FLOAT_EQ(game->m_DrawA, 0.3f);
    game->m_SetCol(10, 20, 30, 0.5f);
    EXPECT_FLOAT_EQ(game->m_DrawA, 0.5f);
}

TEST_F(DrawState, InkIsThePlayersColourTimesTheStrength) {
    const struct {
        int player;
        float strength, r, g, b;
    } inks[] = {{1, 1, 255, 0, 0},   {2, 1, 255, 255, 0},  {3, 0.5f, 0, 127.5f, 0},
                {4, 1, 0, 128, 255}, {4, 0.5f, 0, 64, 127.5f}, {0, 0.5f, 90, 90, 90}};
    for (const auto& k : inks) {
        game->m_Ink(k.player, k.strength);
        EXPECT_EQ(game->m_DrawR, k.r) << k.player << " at " << k.strength;
        EXPECT_EQ(game->m_DrawG, k.g) << k.player << " at " << k.strength;
        EXPECT_EQ(game->m_DrawB, k.b) << k.player << " at " << k.strength;
    }
}

TEST_F(DrawState, ClearWithoutAColourKeepsTheBackColour) {
    game->m_CLS2D(1, 2, 3, 0.5f);
    game->m_Rect(0, 0, 1, 1);
    game->m_SetSize(4);
    game->m_CLS2D(NUBRIX_NONE, 0, 0, 0);
    EXPECT_EQ(game->m_DrawCount, 0);
    EXPECT_EQ(game->m_DrawSX, 1);
    EXPECT_EQ(game->m_BackR, 1);
    EXPECT_EQ(game->m_BackG, 2);
    EXPECT_EQ(game->m_BackB, 3);
    EXPECT_FLOAT_EQ(game->m_BackA, 0.5f);
}

using Text = GameTest;

TEST_F(Text, LineBreaksStartTheNextLineUnderTheFirstCharacter) {
    game->m_CLS2D(0, 0, 0, 1);
    game->m_Text(100, 50, String("XY\\nZ"), 0, 0);
    std::vector<Glyph> g = Glyphs();
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(g[0].c, 'X');
    EXPECT_EQ(g[1].c, 'Y');
    EXPECT_EQ(g[2].c, 'Z');
    EXPECT_NEAR(g[0].x, 100, 1e-3);
    EXPECT_NEAR(g[0].y, 55, 1e-3) << "alignment 0 puts the first line's centre half a line below y";
    EXPECT_NEAR(g[1].x, 107, 1e-3);
    EXPECT_NEAR(g[1].y, 55, 1e-3);
    EXPECT_NEAR(g[2].x, 100, 1e-3);
    EXPECT_NEAR(g[2].y, 65, 1e-3);
}

TEST_F(Text, ATrailingBackslashDrawsABackslash) {
    game->m_CLS2D(0, 0, 0, 1);
    game->m_Text(0, 0, String("A\\"), 0, 0);
    std::vector<Glyph> g = Glyphs();
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(g[1].c, '\\');
    EXPECT_EQ(Commands()[1].frame, 60);
}

TEST_F(Text, AlignmentCentresOnTheRunOfCharacterCentres) {
    game->m_CLS2D(0, 0, 0, 1);
    game->m_SetSize(2);
    game->m_Text(200, 100, String("ABC"), 1, 1);
    std::vector<Glyph> g = Glyphs();
    ASSERT_EQ(g.size(), 3u);
    EXPECT_NEAR(g[0].x, 200 - 14, 1e-3);
    EXPECT_NEAR(g[1].x, 200, 1e-3);
    EXPECT_NEAR(g[2].x, 200 + 14, 1e-3);
    EXPECT_NEAR(g[1].y, 100, 1e-3);
    game->m_CLS2D(0, 0, 0, 1);
    game->m_SetSize(2);
    game->m_Text(200, 100, String("ABC"), 2, 2);
    g = Glyphs();
    EXPECT_NEAR(g[2].x, 200, 1e-3) << "alignment 2 puts the last character's centre on x";
    EXPECT_NEAR(g[2].y, 90, 1e-3) << "and the line half a line height above y";
}

TEST_F(Text, SpacesAndControlCodesAdvanceWithoutAGlyphAndNulDoesNotAdvance) {
    game->m_CLS2D(0, 0, 0, 1);
    const Char text[] = {'A', ' ', 0, 'B', 7, 'C', 0};
    game->m_Text(0, 0, String(text, 6), 0, 0);
    std::vector<Glyph> g = Glyphs();
    ASSERT_EQ(g.size(), 3u);
    EXPECT_NEAR(g[1].x, 14, 1e-3) << "the space advances, the NUL does not";
    EXPECT_NEAR(g[2].x, 28, 1e-3) << "code 7 advances without a glyph";
}

TEST_F(Text, RotatedTextRunsAlongItsAngle) {
    game->m_CLS2D(0, 0, 0, 1);
    game->m_DrawRot = 90;  // counter-clockwise: the text runs up the screen
    game->m_Text(100, 100, String("AB"), 0, 1);
    std::vector<Glyph> g = Glyphs();
    ASSERT_EQ(g.size(), 2u);
    EXPECT_NEAR(g[1].x, 100, 1e-3);
    EXPECT_NEAR(g[1].y, 93, 1e-3);
}

using Buttons = GameTest;

// Touch point 0 down at (x, y) in virtual pixels.
void Touch(bb_Nubrix_MyApp* game, int x, int y) {
    game->m_TouchDown[0] = 1;
    game->m_TouchX[0] = x;
    game->m_TouchY[0] = y;
    game->m_MouseDown = 1;
}

TEST_F(Buttons, EdgesAreNotHits) {
    // Icons are 32 units: at size 1 the box is 84..116 around (100, 100).
    Touch(game, 116, 100);
    EXPECT_EQ(game->m_Button(97, 100, 100, 0), 0);
    Touch(game, 115, 100);
    EXPECT_EQ(game->m_Button(97, 100, 100, 0), 1);
    Touch(game, 100, 84);
    EXPECT_EQ(game->m_Button(97, 100, 100, 0), 0);
    Touch(game, 100, 85);
    EXPECT_EQ(game->m_Button(97, 100, 100, 0), 1);
    game->m_MouseDown = 0;
    EXPECT_EQ(game->m_Button(97, 100, 100, 0), 0) << "only while the pointer is down";
}

TEST_F(Buttons, TheBoxFollowsTheDrawScale) {
    game->m_SetSize(2);
    Touch(game, 131, 100);
    EXPECT_EQ(game->m_Button(97, 100, 100, 0), 1);
    Touch(game, 132, 100);
    EXPECT_EQ(game->m_Button(97, 100, 100, 0), 0);
}

TEST_F(Buttons, AnEmptySlotStillHitsInsideItsRecordedSize) {
    game->m_Images[50] = nullptr;
    // Recorded sizes are file pixels: at level 2 a 40 x 20 unit box.
    ASSERT_EQ(game->m_HDLevel, 2);
    game->m_ImageInfo[150] = 80;
    game->m_ImageInfo[151] = 40;
    Touch(game, 119, 109);
    EXPECT_EQ(game->m_Button(50, 100, 100, 0), 1);
    Touch(game, 120, 100);
    EXPECT_EQ(game->m_Button(50, 100, 100, 0), 0);
    Touch(game, 100, 110);
    EXPECT_EQ(game->m_Button(50, 100, 100, 0), 0);
    game->m_CLS2D(0, 0, 0, 1);
    game->m_Button(50, 100, 100, 0);
    Render();  // an empty slot draws nothing and does not fail
}

TEST_F(Buttons, ButtonZeroTestsOnlyTheFirstTouch) {
    game->m_TouchDown[3] = 1;
    game->m_TouchX[3] = 100;
    game->m_TouchY[3] = 100;
    game->m_MouseDown = 1;
    EXPECT_EQ(game->m_Button(97, 100, 100, 0), 1);
    EXPECT_EQ(game->m_Button0(97, 100, 100, 0), 0);
}

TEST_F(Buttons, RectangleEdgesAreNotHits) {
    Touch(game, 10, 20);
    EXPECT_EQ(game->m_MouseIn(10, 10, 30, 30), 0);
    EXPECT_EQ(game->m_MouseIn(9, 10, 30, 30), 1);
    EXPECT_EQ(game->m_MouseIn(-20, 10, 30, 30), 0) << "right edge";
    EXPECT_EQ(game->m_MouseIn_Centered(20, 20, 20, 20), 0) << "left edge of a centred box";
    EXPECT_EQ(game->m_MouseIn_Centered(19, 20, 20, 20), 1);
    game->m_TouchDown[0] = 0;
    EXPECT_EQ(game->m_MouseIn(9, 10, 30, 30), 0) << "a touch that is up never hits";
}

TEST_F(Buttons, ThePointerReachesTheTouchArraysInVirtualPixels) {
    window.width = 1280;
    window.height = 960;
    Render();
    FinishLoading();
    window.mouseX = 201;
    window.mouseY = 101;
    PressMouse();
    Update();
    EXPECT_EQ(game->m_MouseX, 100);
    EXPECT_EQ(game->m_MouseY, 50);
    EXPECT_EQ(game->m_TouchDown[0], 1);
    EXPECT_EQ(game->m_TouchX[0], 100);
    EXPECT_EQ(game->m_TouchY[0], 50);
    EXPECT_EQ(game->m_TouchDown[1], 0);
    EXPECT_EQ(game->m_TouchX[1], NUBRIX_NONE);
    ReleaseMouse();
    Update();
    EXPECT_EQ(game->m_MouseDown, 0);
    EXPECT_EQ(game->m_TouchX[0], NUBRIX_NONE);
}

using PaddedNumbers = GameTest;

TEST_F(PaddedNumbers, RightAlignedInTheWidth) {
    EXPECT_EQ(nubrix_test::Narrow(game->m_rstr(7, 3, String("0"))), "007");
    EXPECT_EQ(nubrix_test::Narrow(game->m_rstr(1234, 3, String("0"))), "234");
    EXPECT_EQ(nubrix_test::Narrow(game->m_rstr(5, 2, String(" "))), " 5");
    EXPECT_EQ(nubrix_test::Narrow(game->m_rstr(5, 0, String("x"))), "x5") << "width 0 keeps pad and digits";
    EXPECT_EQ(nubrix_test::Narrow(game->m_rstr(-42, 5, String("."))), "..-42");
    EXPECT_EQ(nubrix_test::Narrow(game->m_rstr(9, 3, String("ab"))), "ab9");
}

TEST_F(PaddedNumbers, AnAbsurdWidthIsHarmless) {
    String s = game->m_rstr(1, 2000000000, String("0"));
    EXPECT_GT(s.Length(), 1000);
    EXPECT_EQ(s[s.Length() - 1], '1');
}

class SoundEffects : public GameTest {
protected:
    ALint SourceState(int channel) {
        ALuint source = bb_audio_device->channels[channel].alSource;
        ALint state = 0;
        if (source) alGetSourcei(source, AL_SOURCE_STATE, &state);
        return state;
    }
};

TEST_F(SoundEffects, RotateOverChannelsZeroTo23) {
    game->m_Option[5] = 1;
    ASSERT_NE(game->m_Sounds[99], nullptr) << "sfx/099.wav should have loaded";
    int cursor = game->m_SfxCursor;
    for (int i = 1; i <= 30; ++i) {
        game->m_PlaySFX(99, 1.25f, 0.5f, 0);
        int expected = (cursor + i) % 24;
        ASSERT_EQ(game->m_SfxCursor, expected);
        EXPECT_EQ(bb_audio_device->channels[expected].channelState, 1);
        EXPECT_EQ(SourceState(expected), AL_PLAYING) << "channel " << expected;
    }
    for (int c = 24; c < 33; ++c) {
        EXPECT_EQ(bb_audio_device->channels[c].channelState, 0) << c;
        EXPECT_EQ(bb_audio_device->channels[c].alSource, 0u) << "channel " << c << " is never touched";
    }
    ALfloat pitch = 0, gain = 0;
    alGetSourcef(bb_audio_device->channels[game->m_SfxCursor].alSource, AL_PITCH, &pitch);
    alGetSourcef(bb_audio_device->channels[game->m_SfxCursor].alSource, AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(pitch, 1.25f);
    EXPECT_FLOAT_EQ(gain, 0.5f);
}

TEST_F(SoundEffects, SilentUnlessEffectsAreOn) {
    for (int setting : {0, 3}) {
        game->m_Option[5] = setting;
        int cursor = game->m_SfxCursor;
        game->m_PlaySFX(99, 1, 1, 0);
        EXPECT_EQ(game->m_SfxCursor, cursor) << "setting " << setting;
        for (int c = 0; c < 33; ++c) EXPECT_EQ(bb_audio_device->channels[c].channelState, 0) << setting;
    }
    game->m_Option[5] = 2;
    game->m_PlaySFX(99, 1, 1, 0);
    EXPECT_EQ(bb_audio_device->channels[game->m_SfxCursor].channelState, 1) << "effects only";
}

TEST_F(SoundEffects, AnEmptySlotStopsTheChannelAndStillSetsIt) {
    game->m_Option[5] = 1;
    game->m_SfxCursor = 0;
    game->m_PlaySFX(99, 1, 1, 0);
    ASSERT_EQ(bb_audio_device->channels[1].channelState, 1);
    game->m_SfxCursor = 0;
    game->m_PlaySFX(42, 0.75f, 0.25f, 0);
    EXPECT_EQ(bb_audio_device->channels[1].channelState, 0);
    ALfloat pitch = 0;
    alGetSourcef(bb_audio_device->channels[1].alSource, AL_PITCH, &pitch);
    EXPECT_FLOAT_EQ(pitch, 0.75f);
}

TEST_F(SoundEffects, TheTwentyFifthEffectCutsOffTheFirst) {
    game->m_Option[5] = 1;
    game->m_SfxCursor = 23;
    game->m_PlaySFX(2, 1, 1, 0);  // channel 0
    for (int i = 0; i < 23; ++i) game->m_PlaySFX(99, 1, 1, 0);
    EXPECT_EQ(bb_audio_device->channels[0].playingSample, game->m_Sounds[2]->sample);
    game->m_PlaySFX(99, 1, 1, 0);
    EXPECT_EQ(game->m_SfxCursor, 0);
    EXPECT_EQ(bb_audio_device->channels[0].playingSample, game->m_Sounds[99]->sample);
    ALint buffer = 0;
    alGetSourcei(bb_audio_device->channels[0].alSource, AL_BUFFER, &buffer);
    EXPECT_EQ(static_cast<ALuint>(buffer), game->m_Sounds[99]->sample->buffer);
}

}  // namespace
}  // namespace game_test
