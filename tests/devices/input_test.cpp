// The input device: GLFW 2.7 key translation, the key table with its down
// flags and hit counts, shift/control pairing, the character queue, touch
// emulation, and mouse and joystick sampling through the scripted GLFW
// backend.

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "devices/input.h"
#include "platform/glfw2_scripted.h"
#include "runtime/gc.h"

using namespace glfw2;

namespace {

void HostKey(gxtkInput* in, int glfwKey, int action) { in->OnKeyEvent(glfwKey, action); }

std::vector<int> DrainChars(gxtkInput* in) {
    std::vector<int> out;
    while (int ch = in->GetChar()) out.push_back(ch);
    return out;
}

// ---------------------------------------------------------------------------

// Letters, digits and F1..F12 by rule; a few of the other rows as spots; and
// no more keys mapped than the table has (80). Everything else is dropped:
// F13..F25, the Alt keys, GLFW_KEY_SPECIAL, the keypad, lower-case letters.
TEST(KeyTranslation, EveryGlfwKeyMapsToItsCodeOrIsDropped) {
    for (int k = '0'; k <= '9'; ++k) EXPECT_EQ(TransKey(k), k);
    for (int k = 'A'; k <= 'Z'; ++k) EXPECT_EQ(TransKey(k), k);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(TransKey(GLFW_KEY_F1 + i), 112 + i);
    const std::map<int, int> spots = {{32, 32},   {39, 222},  {126, 192}, {257, 27}, {283, 38},
                                      {287, 160}, {294, 13},  {297, 46},  {301, 35}};
    for (const auto& [key, code] : spots) EXPECT_EQ(TransKey(key), code) << "GLFW key " << key;
    for (int key : {int('a'), int('z'), 256, 270, 282, 291, 292, 302, 318}) EXPECT_EQ(TransKey(key), 0) << "GLFW key " << key;
    int mapped = 0;
    for (int key = -2; key < 700; ++key) mapped += TransKey(key) != 0;
    EXPECT_EQ(mapped, 80);
}

TEST(KeyTranslation, KeyToCharTypesControlAndNavigationKeys) {
    std::map<int, int> expected = {{8, 8},          {9, 9},          {13, 13},        {27, 27},
                                   {33, 0x10021},   {34, 0x10022},   {35, 0x10023},   {36, 0x10024},
                                   {37, 65573},     {38, 0x10026},   {39, 0x10027},   {40, 0x10028},
                                   {45, 0x1002D},   {46, 127}};
    for (int code = -1; code < 600; ++code) {
        auto it = expected.find(code);
        EXPECT_EQ(KeyToChar(code), it == expected.end() ? 0 : it->second) << "code " << code;
    }
}

// ---------------------------------------------------------------------------

TEST(ShiftAndControl, CombinedCodeStaysDownWhileEitherSideIs) {
    gxtkInput* in = new gxtkInput();
    HostKey(in, GLFW_KEY_LSHIFT, GLFW_PRESS);
    EXPECT_EQ(in->KeyDown(16), 1);
    EXPECT_EQ(in->KeyDown(160), 1);
    HostKey(in, GLFW_KEY_RSHIFT, GLFW_PRESS);
    HostKey(in, GLFW_KEY_LSHIFT, GLFW_RELEASE);
    EXPECT_EQ(in->KeyDown(160), 0);
    EXPECT_EQ(in->KeyDown(161), 1);
    EXPECT_EQ(in->KeyDown(16), 1) << "right shift still holds shift";
    HostKey(in, GLFW_KEY_RSHIFT, GLFW_RELEASE);
    EXPECT_EQ(in->KeyDown(16), 0);
    EXPECT_EQ(in->KeyHit(16), 1) << "the second side's press is not a second shift press";
    EXPECT_EQ(in->KeyHit(160), 1);
    EXPECT_EQ(in->KeyHit(161), 1);

    // Releasing a side that was never pressed leaves the other holding.
    HostKey(in, GLFW_KEY_RSHIFT, GLFW_PRESS);
    HostKey(in, GLFW_KEY_LSHIFT, GLFW_RELEASE);
    EXPECT_EQ(in->KeyDown(16), 1);
}

TEST(ShiftAndControl, ControlPairsTheSameWay) {
    gxtkInput* in = new gxtkInput();
    HostKey(in, GLFW_KEY_RCTRL, GLFW_PRESS);
    HostKey(in, GLFW_KEY_LCTRL, GLFW_PRESS);
    HostKey(in, GLFW_KEY_RCTRL, GLFW_RELEASE);
    EXPECT_EQ(in->KeyDown(17), 1);
    HostKey(in, GLFW_KEY_LCTRL, GLFW_RELEASE);
    EXPECT_EQ(in->KeyDown(17), 0);
    EXPECT_EQ(in->KeyDown(16), 0) << "control never touches shift";
    // A second press after a full release counts again.
    HostKey(in, GLFW_KEY_LCTRL, GLFW_PRESS);
    EXPECT_EQ(in->KeyHit(17), 2);
}

// ---------------------------------------------------------------------------

TEST(CharacterQueue, HoldsThirtyTwoCharactersPerUpdate) {
    gxtkInput* in = new gxtkInput();
    for (int i = 0; i < 33; ++i) in->PutChar('a' + i);
    std::vector<int> got = DrainChars(in);
    ASSERT_EQ(got.size(), 32u) << "the 33rd character is dropped";
    for (int i = 0; i < 32; ++i) EXPECT_EQ(got[i], 'a' + i);
    EXPECT_EQ(in->GetChar(), 0);

    in->EndUpdate();
    EXPECT_EQ(in->GetChar(), 0) << "EndUpdate empties the queue";
    in->PutChar('x');
    in->PutChar('y');
    EXPECT_EQ(in->GetChar(), 'x') << "room again after EndUpdate";
    in->EndUpdate();
    EXPECT_EQ(in->GetChar(), 0) << "unread characters do not outlive their update";
}

TEST(CharacterQueue, KeysTypeOnlyTheirOwnCharacters) {
    gxtkInput* in = new gxtkInput();
    HostKey(in, GLFW_KEY_DEL, GLFW_PRESS);
    HostKey(in, GLFW_KEY_LEFT, GLFW_PRESS);
    HostKey(in, 'A', GLFW_PRESS);  // letters type through the character callback only
    in->PutChar('a');
    HostKey(in, GLFW_KEY_ENTER, GLFW_PRESS);
    HostKey(in, GLFW_KEY_ESC, GLFW_PRESS);
    HostKey(in, GLFW_KEY_F1, GLFW_PRESS);
    EXPECT_EQ(DrainChars(in), (std::vector<int>{127, 65573, 'a', 13, 27}));
    EXPECT_EQ(in->KeyDown('A'), 1);
    EXPECT_EQ(in->KeyDown(112), 1);
}

// ---------------------------------------------------------------------------

TEST(HitCounts, PressAndReleaseBetweenUpdatesReportsOneHitAndUp) {
    gxtkInput* in = new gxtkInput();
    HostKey(in, GLFW_KEY_SPACE, GLFW_PRESS);
    HostKey(in, GLFW_KEY_SPACE, GLFW_RELEASE);
    EXPECT_EQ(in->KeyHit(32), 1);
    EXPECT_EQ(in->KeyDown(32), 0);
    in->EndUpdate();
    EXPECT_EQ(in->KeyHit(32), 0);
}

TEST(HitCounts, EndUpdateClearsHitsAndKeepsHeldKeysDown) {
    gxtkInput* in = new gxtkInput();
    HostKey(in, 'Q', GLFW_PRESS);
    HostKey(in, 'Q', GLFW_PRESS);  // a repeat while held is no new press
    EXPECT_EQ(in->KeyHit('Q'), 1);
    in->EndUpdate();
    EXPECT_EQ(in->KeyHit('Q'), 0);
    EXPECT_EQ(in->KeyDown('Q'), 1);
    HostKey(in, 'Q', GLFW_RELEASE);
    EXPECT_EQ(in->KeyDown('Q'), 0);
    EXPECT_EQ(in->KeyHit('Q'), 0) << "a release is not a hit";
}

TEST(HitCounts, CountSaturatesAtEightBitsWithoutTouchingTheDownFlag) {
    gxtkInput* in = new gxtkInput();
    for (int i = 0; i < 254; ++i) {
        in->OnKeyDown('K');
        in->OnKeyUp('K');
    }
    EXPECT_EQ(in->KeyHit('K'), 254);
    for (int i = 0; i < 46; ++i) {
        in->OnKeyDown('K');
        in->OnKeyUp('K');
    }
    EXPECT_EQ(in->KeyHit('K'), 255) << "at most 255 presses are counted";
    EXPECT_EQ(in->KeyDown('K'), 0) << "counting past 255 must not set the down flag";
    EXPECT_EQ(in->KeyHit('L'), 0) << "nor spill into a neighbouring key";
    in->OnKeyDown('K');
    EXPECT_EQ(in->KeyDown('K'), 1);
    EXPECT_EQ(in->KeyHit('K'), 255);
    in->EndUpdate();
    EXPECT_EQ(in->KeyHit('K'), 0);
    EXPECT_EQ(in->KeyDown('K'), 1);
}

// ---------------------------------------------------------------------------

TEST(KeyRange, TouchZeroIsTheLeftMouseButton) {
    gxtkInput* in = new gxtkInput();
    in->OnKeyDown(1);
    EXPECT_EQ(in->KeyDown(384), 1);
    EXPECT_EQ(in->KeyHit(384), 1);
    EXPECT_EQ(in->KeyDown(385), 0);
    EXPECT_EQ(in->KeyHit(385), 0);
    in->OnKeyUp(1);
    EXPECT_EQ(in->KeyDown(384), 0);
    EXPECT_EQ(in->KeyHit(384), 1);
}

TEST(KeyRange, CodesOutsideTheTableReadZeroAndAreIgnored) {
    gxtkInput* in = new gxtkInput();
    for (int code : {0, -1, 512, 513, 100000, -100000}) {
        in->OnKeyDown(code);
        in->OnKeyUp(code);
        in->OnKeyDown(code);
        EXPECT_EQ(in->KeyDown(code), 0) << code;
        EXPECT_EQ(in->KeyHit(code), 0) << code;
    }
    EXPECT_EQ(in->KeyDown(1), 0) << "code 0 is not an alias of anything";
    EXPECT_EQ(in->KeyDown(511), 0);
    in->OnKeyDown(511);
    EXPECT_EQ(in->KeyDown(511), 1) << "511 is the last code in the table";
}

// ---------------------------------------------------------------------------

class Sampling : public ::testing::Test {
protected:
    ScriptedBackend glfw;
    ScopedBackend use{&glfw};
    gxtkInput* in = new gxtkInput();

    void Stick(std::vector<float> axes, std::vector<unsigned char> buttons = {}) {
        glfw.joystickPresent = true;
        glfw.joystickAxes = std::move(axes);
        glfw.joystickButtons = std::move(buttons);
    }
};

TEST_F(Sampling, MouseAndTouchPositionsComeFromBeginUpdate) {
    glfw.mouseX = 123;
    glfw.mouseY = 45;
    EXPECT_EQ(in->MouseX(), 0);
    in->BeginUpdate();
    EXPECT_EQ(in->MouseX(), 123);
    EXPECT_EQ(in->MouseY(), 45);
    EXPECT_EQ(in->TouchX(0), 123);
    EXPECT_EQ(in->TouchY(7), 45);
    glfw.mouseX = 9;
    EXPECT_EQ(in->MouseX(), 123) << "sampled once per update, not live";
    EXPECT_EQ(in->AccelX(), 0);
    EXPECT_EQ(in->AccelY(), 0);
    EXPECT_EQ(in->AccelZ(), 0);
}

TEST_F(Sampling, SixAxesAreTwoSticksWithStickOneYInverted) {
    Stick({0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f});
    in->BeginUpdate();
    EXPECT_FLOAT_EQ(in->JoyX(0), 0.1f);
    EXPECT_FLOAT_EQ(in->JoyY(0), 0.2f);
    EXPECT_FLOAT_EQ(in->JoyZ(0), 0.3f);
    EXPECT_FLOAT_EQ(in->JoyX(1), 0.4f);
    EXPECT_FLOAT_EQ(in->JoyY(1), -0.5f);
    EXPECT_FLOAT_EQ(in->JoyZ(1), 0.6f);
    EXPECT_EQ(in->JoyX(2), 0);
    EXPECT_EQ(in->JoyY(-1), 0);
    EXPECT_EQ(in->JoyZ(16), 0);
}

TEST_F(Sampling, FourAxesPutAxisTwoOnStickOneY) {
    Stick({0.1f, 0.2f, 0.3f, 0.4f});
    in->BeginUpdate();
    EXPECT_FLOAT_EQ(in->JoyX(0), 0.1f);
    EXPECT_FLOAT_EQ(in->JoyY(0), 0.2f);
    EXPECT_EQ(in->JoyZ(0), 0);
    EXPECT_FLOAT_EQ(in->JoyX(1), 0.4f);
    EXPECT_FLOAT_EQ(in->JoyY(1), -0.3f);
    EXPECT_EQ(in->JoyZ(1), 0);
}

TEST_F(Sampling, FiveAxesSwapStickOneXAndY) {
    Stick({0.1f, 0.2f, 0.3f, 0.4f, 0.5f});
    in->BeginUpdate();
    EXPECT_FLOAT_EQ(in->JoyZ(0), 0.3f);
    EXPECT_FLOAT_EQ(in->JoyX(1), 0.5f);
    EXPECT_FLOAT_EQ(in->JoyY(1), -0.4f);
    EXPECT_EQ(in->JoyZ(1), 0);
}

TEST_F(Sampling, AxesBeyondSixAreIgnoredAndAMissingStickReadsZero) {
    Stick({0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f});
    in->BeginUpdate();
    EXPECT_FLOAT_EQ(in->JoyZ(1), 0.6f);
    glfw.joystickPresent = false;
    in->BeginUpdate();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(in->JoyX(i), 0);
        EXPECT_EQ(in->JoyY(i), 0);
        EXPECT_EQ(in->JoyZ(i), 0);
    }
}

TEST_F(Sampling, ButtonsAreKeyCodesWithHitCounts) {
    Stick({}, {GLFW_PRESS, GLFW_RELEASE, GLFW_PRESS});
    in->BeginUpdate();
    EXPECT_EQ(in->KeyDown(256), 1);
    EXPECT_EQ(in->KeyHit(256), 1);
    EXPECT_EQ(in->KeyDown(257), 0);
    EXPECT_EQ(in->KeyDown(258), 1);
    in->EndUpdate();

    in->BeginUpdate();  // still held: down, no new hit
    EXPECT_EQ(in->KeyDown(256), 1);
    EXPECT_EQ(in->KeyHit(256), 0);
    in->EndUpdate();

    glfw.joystickButtons[0] = GLFW_RELEASE;
    in->BeginUpdate();
    EXPECT_EQ(in->KeyDown(256), 0);
    EXPECT_EQ(in->KeyDown(258), 1);
}

TEST_F(Sampling, OnlyThirtyTwoButtonsAreRead) {
    Stick({}, std::vector<unsigned char>(40, GLFW_PRESS));
    in->BeginUpdate();
    EXPECT_EQ(in->KeyDown(256 + 31), 1);
    for (int b = 32; b < 40; ++b) EXPECT_EQ(in->KeyDown(256 + b), 0) << "button " << b;
}

TEST_F(Sampling, UnpluggingAStickReleasesItsButtons) {
    Stick({}, {GLFW_RELEASE, GLFW_PRESS});
    in->BeginUpdate();
    EXPECT_EQ(in->KeyDown(257), 1);
    glfw.joystickPresent = false;
    in->BeginUpdate();
    EXPECT_EQ(in->KeyDown(257), 0);
}

TEST_F(Sampling, ButtonsDoNotDisturbKeyboardKeys) {
    in->OnKeyDown('W');
    Stick({}, {GLFW_RELEASE});
    in->BeginUpdate();
    EXPECT_EQ(in->KeyDown('W'), 1);
    EXPECT_EQ(in->KeyHit('W'), 1);
}

// ---------------------------------------------------------------------------

class InputModule : public Sampling {
protected:
    void SetUp() override { bb_input_SetInputDevice(in); }
    void TearDown() override { bb_input_SetInputDevice(nullptr); }
};

TEST_F(InputModule, TheDeviceStoredSurvivesCollection) {
    gc_force_sweep = true;
    gc_collect();
    gc_force_sweep = true;
    gc_collect();
    EXPECT_TRUE(gc_is_live(in));
    EXPECT_EQ(bb_input_device, in);
}

TEST_F(InputModule, FunctionsReadTheStoredDevice) {
    Stick({0.25f, 0.5f, 0.0f, -0.75f, 1.0f, 0.0f}, {GLFW_RELEASE, GLFW_RELEASE, GLFW_RELEASE, GLFW_PRESS});
    glfw.mouseX = 7;
    glfw.mouseY = 8;
    in->OnKeyDown(2);  // right mouse button
    in->PutChar('z');
    in->BeginUpdate();

    EXPECT_EQ(bb_input_MouseX(), 7);
    EXPECT_EQ(bb_input_MouseY(), 8);
    EXPECT_EQ(bb_input_TouchX(0), 7);
    EXPECT_EQ(bb_input_TouchY(0), 8);
    EXPECT_EQ(bb_input_MouseDown(1), 1);
    EXPECT_EQ(bb_input_MouseHit(1), 1);
    EXPECT_EQ(bb_input_MouseDown(0), 0);
    EXPECT_EQ(bb_input_KeyDown(2), 1);
    EXPECT_EQ(bb_input_KeyHit(2), 1);
    EXPECT_EQ(bb_input_TouchDown(0), 0);
    in->OnKeyDown(1);
    EXPECT_EQ(bb_input_TouchDown(0), 1);
    EXPECT_EQ(bb_input_TouchDown(1), 0);
    EXPECT_EQ(bb_input_GetChar(), 'z');
    EXPECT_EQ(bb_input_GetChar(), 0);
    EXPECT_EQ(bb_input_AccelX(), 0);
    EXPECT_EQ(bb_input_AccelY(), 0);
    EXPECT_EQ(bb_input_EnableKeyboard(), 0);
    EXPECT_EQ(bb_input_DisableKeyboard(), 0);
}

TEST_F(InputModule, JoystickUnitsSelectByTheHighBits) {
    std::vector<unsigned char> buttons(32, GLFW_RELEASE);
    buttons[3] = GLFW_PRESS;
    buttons[16] = GLFW_PRESS;
    Stick({0.25f, 0.5f, 0.0f, -0.75f, 1.0f, 0.0f}, buttons);
    in->BeginUpdate();

    EXPECT_FLOAT_EQ(bb_input_JoyX(0, 0), 0.25f);
    EXPECT_FLOAT_EQ(bb_input_JoyY(0, 0), 0.5f);
    EXPECT_FLOAT_EQ(bb_input_JoyX(1, 0), -0.75f);
    EXPECT_FLOAT_EQ(bb_input_JoyY(1, 0), -1.0f);
    EXPECT_EQ(bb_input_JoyX(0, 1), 0) << "only unit 0 has a stick";
    EXPECT_EQ(bb_input_JoyY(1, 1), 0);
    EXPECT_EQ(bb_input_JoyDown(3, 0), 1);
    EXPECT_EQ(bb_input_JoyDown(2, 0), 0);
    // Unit 1's button 0 is code 256 | 16: the same code as unit 0's button 16.
    EXPECT_EQ(bb_input_JoyDown(0, 1), in->KeyDown(272));
    EXPECT_EQ(bb_input_JoyDown(0, 1), 1);
}

}  // namespace
