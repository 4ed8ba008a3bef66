// input.cpp - the input device: key table, typed characters, mouse, joystick.
//
// Everything here runs on the main thread: GLFW delivers key, character and
// mouse-button callbacks from inside glfwPollEvents/glfwWaitEvents, between
// updates, and the host brackets every update with BeginUpdate/EndUpdate.
// The device holds no object references, so it needs no mark().
//
// Depends on: devices/input.h, platform/glfw2.h, runtime/gc.h.

#include "devices/input.h"

#include "platform/glfw2.h"

using namespace glfw2;

gxtkInput* bb_input_device = nullptr;

namespace {
const bool rootsAdded = (gc_add_roots([] { gc_enqueue(bb_input_device); }), true);
}  // namespace

namespace {

const int kHitMask = 0xff;  // bits 0-7 of a key state: presses since EndUpdate
const int kTouch0 = 384;    // first touch point, which is the left mouse button
const int kJoyButton0 = 256;
const int kJoyButtons = 32;  // button states read per update; more are ignored
const int kJoyAxes = 6;

// Shift and control have a left and a right key; the combined code is down
// while either is.
const int kShift = 16, kLShift = 160, kRShift = 161;
const int kControl = 17, kLControl = 162, kRControl = 163;

// GLFW 2.7 key numbers 32..301 -> key codes; 0 drops the key. Digits and
// capital letters bypass the table (their GLFW numbers are the key codes).
const int kTableFirst = 32;
const int kTableSize = 270;

struct KeyTable {
    unsigned char code[kTableSize] = {};

    KeyTable() {
        set(32, 32);    // space
        set(34, 222);   // double quote (same key as quote)
        set(39, 222);   // quote
        set(44, 188);   // comma
        set(45, 189);   // minus
        set(46, 190);   // full stop
        set(47, 191);   // slash
        set(59, 186);   // semicolon
        set(61, 187);   // equals
        set(91, 219);   // left bracket
        set(92, 220);   // backslash
        set(93, 221);   // right bracket
        set(96, 192);   // back-quote
        set(126, 192);  // tilde (same key as back-quote)
        set(GLFW_KEY_ESC, 27);
        for (int i = 0; i < 12; ++i) set(GLFW_KEY_F1 + i, 112 + i);  // F13..F25 stay dropped
        set(GLFW_KEY_UP, 38);
        set(GLFW_KEY_DOWN, 40);
        set(GLFW_KEY_LEFT, 37);
        set(GLFW_KEY_RIGHT, 39);
        set(GLFW_KEY_LSHIFT, kLShift);
        set(GLFW_KEY_RSHIFT, kRShift);
        set(GLFW_KEY_LCTRL, kLControl);
        set(GLFW_KEY_RCTRL, kRControl);
        set(GLFW_KEY_TAB, 9);
        set(GLFW_KEY_ENTER, 13);
        set(GLFW_KEY_BACKSPACE, 8);
        set(GLFW_KEY_INSERT, 45);
        set(GLFW_KEY_DEL, 46);
        set(GLFW_KEY_PAGEUP, 33);
        set(GLFW_KEY_PAGEDOWN, 34);
        set(GLFW_KEY_HOME, 36);
        set(GLFW_KEY_END, 35);
    }

    void set(int glfwKey, int keyCode) { code[glfwKey - kTableFirst] = static_cast<unsigned char>(keyCode); }
};

const KeyTable keyTable;

bool validKey(int key) { return key > 0 && key < gxtkInput::kKeyCount; }

bool isDown(const int* state, int key) { return (state[key] & gxtkInput::kDownBit) != 0; }

}  // namespace

int TransKey(int glfwKey) {
    if ((glfwKey >= '0' && glfwKey <= '9') || (glfwKey >= 'A' && glfwKey <= 'Z')) return glfwKey;
    if (glfwKey >= kTableFirst && glfwKey < kTableFirst + kTableSize) return keyTable.code[glfwKey - kTableFirst];
    return 0;
}

int KeyToChar(int key) {
    switch (key) {
    case 8: case 9: case 13: case 27:
        return key;
    case 33: case 34: case 35: case 36: case 37: case 38: case 39: case 40: case 45:
        return key | 0x10000;  // navigation keys live above the character range
    case 46:
        return 127;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------
// gxtkInput
// ---------------------------------------------------------------------------

gxtkInput::gxtkInput() : charCount(0), charRead(0), pointerX(0), pointerY(0) {
    for (int& s : keyState) s = 0;
    for (int& c : charBuffer) c = 0;
    for (float& a : joyAxes) a = 0;
}

int gxtkInput::SetKeyboardEnabled(int) { return 0; }

int gxtkInput::KeyDown(int key) {
    if (key == kTouch0) key = 1;
    if (!validKey(key)) return 0;
    return isDown(keyState, key) ? 1 : 0;
}

int gxtkInput::KeyHit(int key) {
    if (key == kTouch0) key = 1;
    if (!validKey(key)) return 0;
    return keyState[key] & kHitMask;
}

int gxtkInput::GetChar() {
    if (charRead >= charCount) return 0;
    return charBuffer[charRead++];
}

float gxtkInput::MouseX() { return pointerX; }
float gxtkInput::MouseY() { return pointerY; }

float gxtkInput::JoyX(int index) {
    if (index == 0) return joyAxes[0];
    if (index == 1) return joyAxes[3];
    return 0;
}

// Stick 1's y reads inverted, stick 0's does not.
float gxtkInput::JoyY(int index) {
    if (index == 0) return joyAxes[1];
    if (index == 1) return -joyAxes[4];
    return 0;
}

float gxtkInput::JoyZ(int index) {
    if (index == 0) return joyAxes[2];
    if (index == 1) return joyAxes[5];
    return 0;
}

float gxtkInput::TouchX(int) { return pointerX; }
float gxtkInput::TouchY(int) { return pointerY; }
float gxtkInput::AccelX() { return 0; }
float gxtkInput::AccelY() { return 0; }
float gxtkInput::AccelZ() { return 0; }

void gxtkInput::BeginUpdate() {
    int x = 0, y = 0;
    glfwGetMousePos(&x, &y);
    pointerX = static_cast<float>(x);
    pointerY = static_cast<float>(y);

    int axes = glfwGetJoystickParam(GLFW_JOYSTICK_1, GLFW_AXES);
    int buttons = glfwGetJoystickParam(GLFW_JOYSTICK_1, GLFW_BUTTONS);

    for (float& a : joyAxes) a = 0;
    if (axes > 0) glfwGetJoystickPos(GLFW_JOYSTICK_1, joyAxes, axes < kJoyAxes ? axes : kJoyAxes);
    if (axes == 4) {
        // Four axes: two sticks without a z, the second stick's y on axis 2.
        joyAxes[4] = joyAxes[2];
        joyAxes[2] = 0;
    } else if (axes == 5) {
        float t = joyAxes[3];
        joyAxes[3] = joyAxes[4];
        joyAxes[4] = t;
    }

    // Every one of the 32 codes is refreshed, not only the buttons the stick
    // reports now: a stick unplugged with a button held must not leave that
    // code down forever.
    unsigned char state[kJoyButtons] = {};
    int read = 0;
    if (buttons > 0) {
        read = glfwGetJoystickButtons(GLFW_JOYSTICK_1, state, buttons < kJoyButtons ? buttons : kJoyButtons);
        if (read < 0) read = 0;
    }
    for (int b = 0; b < kJoyButtons; ++b) {
        if (b < read && state[b] == GLFW_PRESS) {
            OnKeyDown(kJoyButton0 + b);
        } else {
            OnKeyUp(kJoyButton0 + b);
        }
    }
}

void gxtkInput::EndUpdate() {
    for (int& s : keyState) s &= kDownBit;
    charCount = 0;
    charRead = 0;
}

void gxtkInput::OnKeyDown(int key) {
    if (!validKey(key)) return;
    if (!isDown(keyState, key)) {
        // The count saturates at 255 rather than carrying into the down bit.
        int hits = keyState[key] & kHitMask;
        keyState[key] = kDownBit | (hits < kHitMask ? hits + 1 : hits);
    }
    if (key == kLShift || key == kRShift) OnKeyDown(kShift);
    if (key == kLControl || key == kRControl) OnKeyDown(kControl);
}

void gxtkInput::OnKeyUp(int key) {
    if (!validKey(key)) return;
    keyState[key] &= ~kDownBit;
    if ((key == kLShift || key == kRShift) && !isDown(keyState, kLShift) && !isDown(keyState, kRShift)) {
        OnKeyUp(kShift);
    }
    if ((key == kLControl || key == kRControl) && !isDown(keyState, kLControl) && !isDown(keyState, kRControl)) {
        OnKeyUp(kControl);
    }
}

void gxtkInput::OnKeyEvent(int glfwKey, int action) {
    int code = TransKey(glfwKey);
    if (!code) return;
    if (action == GLFW_PRESS) {
        OnKeyDown(code);
        if (int ch = KeyToChar(code)) PutChar(ch);
    } else if (action == GLFW_RELEASE) {
        OnKeyUp(code);
    }
}

void gxtkInput::PutChar(int ch) {
    if (charCount < kCharQueue) charBuffer[charCount++] = ch;
}

// ---------------------------------------------------------------------------
// The input module: game code's view of the device in bb_input_device.
// ---------------------------------------------------------------------------

int bb_input_SetInputDevice(gxtkInput* device) {
    gc_assign(bb_input_device, device);
    return 0;
}

int bb_input_EnableKeyboard() { return bb_input_device->SetKeyboardEnabled(1); }
int bb_input_DisableKeyboard() { return bb_input_device->SetKeyboardEnabled(0); }
int bb_input_GetChar() { return bb_input_device->GetChar(); }
float bb_input_MouseX() { return bb_input_device->MouseX(); }
float bb_input_MouseY() { return bb_input_device->MouseY(); }
int bb_input_MouseDown(int button) { return bb_input_device->KeyDown(1 + button); }
int bb_input_MouseHit(int button) { return bb_input_device->KeyHit(1 + button); }
int bb_input_TouchDown(int index) { return bb_input_device->KeyDown(kTouch0 + index); }
float bb_input_TouchX(int index) { return bb_input_device->TouchX(index); }
float bb_input_TouchY(int index) { return bb_input_device->TouchY(index); }
int bb_input_KeyDown(int key) { return bb_input_device->KeyDown(key); }
int bb_input_KeyHit(int key) { return bb_input_device->KeyHit(key); }
float bb_input_JoyX(int index, int unit) { return bb_input_device->JoyX(index | unit << 4); }
float bb_input_JoyY(int index, int unit) { return bb_input_device->JoyY(index | unit << 4); }
int bb_input_JoyDown(int button, int unit) { return bb_input_device->KeyDown(kJoyButton0 | button | unit << 4); }
float bb_input_AccelX() { return bb_input_device->AccelX(); }
float bb_input_AccelY() { return bb_input_device->AccelY(); }
