// input.h - the input device: key table, typed characters, mouse, joystick.
//
// GLFW key, character and mouse-button events (forwarded by the host after
// TransKey) land in one table of 512 key codes, each with a down flag (bit 8)
// and a count of presses since the last update (bits 0-7). BeginUpdate
// samples the mouse and joystick 0 before each update; EndUpdate clears the
// hit counts and the character queue after it. Touch 0 is the mouse.
//
// Key codes: 1-3 mouse buttons, 8-222 keyboard (Windows virtual-key style),
// 256 + b joystick button b, 384 + i touch i (384 reads code 1).
//
// Depends on: runtime, platform/glfw2.h.

#ifndef NUBRIX_DEVICES_INPUT_H
#define NUBRIX_DEVICES_INPUT_H

#include "runtime/gc.h"

class gxtkInput : public gxtkObject {
public:
    static const int kKeyCount = 512;
    static const int kCharQueue = 32;
    static const int kDownBit = 256;

    int keyState[kKeyCount];
    int charBuffer[kCharQueue];
    int charCount;
    int charRead;
    float pointerX, pointerY;
    float joyAxes[6];  // x, y, z of stick 0, then of stick 1

    gxtkInput();

    virtual int SetKeyboardEnabled(int enabled);
    virtual int KeyDown(int key);
    virtual int KeyHit(int key);
    virtual int GetChar();
    virtual float MouseX();
    virtual float MouseY();
    virtual float JoyX(int index);
    virtual float JoyY(int index);
    virtual float JoyZ(int index);
    virtual float TouchX(int index);
    virtual float TouchY(int index);
    virtual float AccelX();
    virtual float AccelY();
    virtual float AccelZ();

    void BeginUpdate();
    void EndUpdate();
    void OnKeyDown(int key);
    void OnKeyUp(int key);
    void PutChar(int ch);
    // A GLFW 2.7 key event as the window delivers it: translated, then a
    // press or a release; a press also types the key's character, if any.
    void OnKeyEvent(int glfwKey, int action);
};

// GLFW 2.7 key number -> key code, 0 when the key is dropped.
int TransKey(int glfwKey);
// Character a translated key press types, 0 for none.
int KeyToChar(int key);

extern gxtkInput* bb_input_device;

int bb_input_SetInputDevice(gxtkInput* device);
int bb_input_EnableKeyboard();
int bb_input_DisableKeyboard();
int bb_input_GetChar();
float bb_input_MouseX();
float bb_input_MouseY();
int bb_input_MouseDown(int button);
int bb_input_MouseHit(int button);
int bb_input_TouchDown(int index);
float bb_input_TouchX(int index);
float bb_input_TouchY(int index);
int bb_input_KeyDown(int key);
int bb_input_KeyHit(int key);
float bb_input_JoyX(int index, int unit);
float bb_input_JoyY(int index, int unit);
int bb_input_JoyDown(int button, int unit);
float bb_input_AccelX();
float bb_input_AccelY();

#endif
