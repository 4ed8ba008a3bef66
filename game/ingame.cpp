// ingame.cpp - what surrounds the board while a game runs, and how the
// player's devices reach the game.
//
// The pause button and the sliding pause panel (resume, quit, sound), the
// game-over overlay and its return to the menu, the loading screen, and the
// play keys: abstract codes (0 up, 3 left, 5 right, 8 down, 10..13 buttons,
// 99 back) that keyboard, joystick 0, an iCade controller and the on-screen
// pad all map to. The iCade decoder, the on-screen pad, tilt input and the
// debug line sit behind module switches that nothing in the program turns
// on; they are kept working for builds that do.
//
// Every press acts once: m_KeyUsed and m_ClickUsed stay set until the keys
// or the pointer are released (m_OnUpdate clears them).
//
// Depends on: game/nubrix.h, devices/input.h, music/zkplayer.h.

#include <cmath>
#include <cstdlib>

#include "game/nubrix.h"

namespace {

const double kDegToRad = 3.14159265358979323846 / 180.0;

// Key codes of the input device.
const int kKeyBackspace = 8, kKeyEnter = 13, kKeyShift = 16, kKeyControl = 17, kKeyEscape = 27;
const int kKeySpace = 32, kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40, kKeyDelete = 46;
const int kJoyA = 256, kJoyB = 257, kJoyX = 258, kJoyY = 259, kJoyStart = 263;
const int kJoyLeft = 264, kJoyUp = 265, kJoyRight = 266, kJoyDown = 267;

// iCade letters: a press letter holds its pad slot, the release letter
// frees it.
struct ICadeKey {
    char press, release;
    int slot;
};
const ICadeKey kICade[] = {
    {'W', 'E', 0},  {'X', 'Z', 8},  {'A', 'Q', 3},  {'D', 'C', 5},  {'H', 'R', 10}, {'J', 'N', 11},
    {'K', 'P', 12}, {'Y', 'T', 13}, {'U', 'F', 14}, {'I', 'M', 15}, {'O', 'G', 16}, {'L', 'V', 17},
};

}  // namespace

int bb_Nubrix_MyApp::m_PlayKey(int code) {
    const bool letters = bb_Nubrix_iCadeControls != 1;  // the iCade types letters
    auto key = [](int k) { return bb_input_KeyDown(k) != 0; };
    auto letter = [&](char a, char b) { return letters && (key(a) || (b != 0 && key(b))); };
    switch (code) {
        case 0:
            return key(kKeyUp) || letter('W', 0) || key(kJoyUp) || bb_input_JoyY(0, 0) < -0.4f || m_Pad[0];
        case 3:
            return key(kKeyLeft) || letter('A', 0) || key(kJoyLeft) || bb_input_JoyX(0, 0) < -0.4f || m_Pad[3];
        case 5:
            return key(kKeyRight) || letter('D', 0) || key(kJoyRight) || bb_input_JoyX(0, 0) > 0.4f || m_Pad[5];
        case 8:
            return key(kKeyDown) || letter('S', 0) || key(kJoyDown) || bb_input_JoyY(0, 0) > 0.4f || m_Pad[8];
        case 10:
            return key(kKeySpace) || key(kKeyEnter) || letter('Z', 'J') || key(kJoyA) || m_Pad[10];
        case 11:
            return key(kKeyControl) || letter('X', 'K') || key(kJoyB) || m_Pad[11];
        case 12:
            return key(kKeyShift) || letter('C', 'L') || key(kJoyX) || m_Pad[12];
        case 13:
            return letter('V', 'I') || key(kJoyY) || m_Pad[13];
        case 99:
            return key(kKeyEscape) || key(kKeyDelete) || key(kKeyBackspace) || key(kJoyStart) || m_Pad[16] ||
                   m_Pad[17];
        default:
            return 0;
    }
}

int bb_Nubrix_MyApp::m_iCade(int on) {
    if (on == 1) {
        bb_input_EnableKeyboard();
        bb_Nubrix_iCadeControls = 1;
        for (int c = bb_input_GetChar(); c != 0; c = bb_input_GetChar()) m_Tmp = c;
    } else {
        bb_input_DisableKeyboard();
        bb_Nubrix_iCadeControls = 0;
        for (int i = 0; i < 20; ++i) m_Pad[i] = 0;  // nothing stays held across the switch
    }
    return 0;
}

void bb_Nubrix_MyApp::UpdateICade() {
    if (bb_Nubrix_iCadeControls == 1) {
        for (int c = bb_input_GetChar(); c != 0; c = bb_input_GetChar()) {
            m_Tmp = c;
            int upper = (c >= 'a' && c <= 'z') ? c - 32 : c;
            for (const ICadeKey& k : kICade) {
                if (upper == k.press) m_Pad[k.slot] = 2;
                if (upper == k.release) m_Pad[k.slot] = 0;
            }
        }
    }
    // One-update presses of the on-screen pad end here.
    for (int i = 0; i < 20; ++i) {
        if (m_Pad[i] == 1) m_Pad[i] = 0;
    }
}

void bb_Nubrix_MyApp::UpdateOnScreenPad() {
    if (m_Mode < 6 || bb_Nubrix_iCadeControls != 0) return;
    const float vw = bb_Nubrix_vscrw, vh = bb_Nubrix_vscrh;
    auto clamp = [](int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); };
    m_Option[10] = clamp(m_Option[10], 32, nubrix_int(vw - 32));
    m_Option[11] = clamp(m_Option[11], 32, nubrix_int(vh - 32));
    m_Option[12] = clamp(m_Option[12], 8, 25);
    m_DPadX = m_Option[10];
    m_DPadY = nubrix_int(vh - m_Option[11]);
    m_DPadScale = m_Option[12] / 10.0f;
    const float x = static_cast<float>(m_DPadX), y = static_cast<float>(m_DPadY), s = m_DPadScale;

    m_ResetDraw();
    m_SetCol(255, 255, 255, 0.6f);
    m_SetSize(s);
    if (m_Button(94, x - 32 * s, y, 4) && m_Paused == 0) m_Pad[3] = 1;
    if (m_Button(94, x, y - 32 * s, 1) && m_Paused == 0) m_Pad[0] = 1;
    if (m_Button(94, x, y + 32 * s, 9) && m_Paused == 0) m_Pad[8] = 1;
    if (m_Button(94, x + 32 * s, y, 6) && m_Paused == 0) m_Pad[5] = 1;
    m_DrawImg(94, x, y, 5);

    // While paused the pad can be moved (one touch on its centre) and
    // resized (two touches apart).
    if (m_Paused == 1) {
        m_SetSize(3.0f);
        if (m_Button0(94, x, y, 0) && m_TouchDown[1] == 0) {
            m_Option[10] = m_TouchX[0];
            m_Option[11] = nubrix_int(vh - m_TouchY[0]);
        }
        if (m_TouchDown[1] != 0) {
            float d = static_cast<float>(m_TouchX[1]) - static_cast<float>(m_TouchX[0]);
            int g = -nubrix_int(std::fabs(d) / 16);
            if (m_Pinching == 1) m_Option[12] += m_PinchLast - g;
            m_Pinching = 1;
            m_PinchLast = g;
        } else {
            m_Pinching = 0;
        }
    }

    m_SetSize(s * 1.5f);
    float e = 24 * s;
    if (m_Button(94, vw - (x - e), y - e, 0)) m_Pad[10] = 1;
    if (m_Button(94, vw - (x + e), y + e, 0)) m_Pad[11] = 1;
}

void bb_Nubrix_MyApp::UpdateTilt() {
    if (bb_Nubrix_iCadeControls != 0) return;
    const float vh = bb_Nubrix_vscrh;
    m_TiltX = bb_input_AccelX() - m_AccelCalX;
    m_TiltY = bb_input_AccelY() - m_AccelCalY;
    auto smooth = [](float& value, float target) {
        value += (target - value) / 4;
        if (std::fabs(target - value) < 0.005f) value = target;
    };
    smooth(m_TiltSmoothX, m_TiltX);
    smooth(m_TiltSmoothY, m_TiltY);

    m_ResetDraw();
    m_SetSize(1.5f);
    m_Alpha(0.8f);
    if (m_Button(97, 24, vh - 24, 7)) {
        m_AccelCalX = bb_input_AccelX();
        m_AccelCalY = bb_input_AccelY();
    }
    m_SetCol(100, 255, 100, 0.6f);
    m_SetSize(1.0f);
    m_Oval(24 + 20 * m_TiltSmoothX, vh - 24 + 20 * m_TiltSmoothY, 4, 4);
}

void bb_Nubrix_MyApp::DrawDebugLine() {
    m_ResetDraw();
    String text = String(m_RenderFps) + String(":") + String(m_ScaleX) + String(",") + String(m_ScaleY);
    const float y = (bb_Nubrix_AccelerometerControls == 1 && bb_Nubrix_iCadeControls == 0) ? bb_Nubrix_vscrh / 2
                                                                                            : bb_Nubrix_vscrh - 16;
    m_Text(16, y, text, 0, 0);
}

int bb_Nubrix_MyApp::m_InGame() {
    m_ResetDraw();
    m_MenuY = -32;
    // A game that has ended has nothing to pause: its overlay is already
    // on the way back to the menu.
    const bool canPause = m_Paused == 0 && m_GameEnded == 0;
    if (m_PlayKey(99) && canPause && m_KeyUsed == 0) {
        m_KeyUsed = 1;
        m_Paused = 1;
        m_PauseDir = 1;
        m_PauseCursor = 0;
        m_PlaySFX(98, 1.0f, 0.5f, 0);
    }
    if (m_Button(97, 16, 16, 0) && m_ClickUsed == 0 && canPause) {
        m_Paused = 1;
        m_PauseDir = 1;
        m_PauseCursor = 0;
        m_ClickUsed = 1;
        m_PlaySFX(98, 1.0f, 0.5f, 0);
    }
    if (m_Paused == 1) m_PauseMenu();
    return 0;
}

int bb_Nubrix_MyApp::m_PauseMenu() {
    const float vw = bb_Nubrix_vscrw, vh = bb_Nubrix_vscrh;
    const bool landscape = m_Landscape != 0;

    m_ResetDraw();
    m_SetCol(0, 0, 0, std::abs(m_PauseY) / (vh * 0.8f));
    m_Rect(0, 0, vw, vh);

    // Slide in to the middle, or out above the top.
    if (m_PauseDir == 1 && m_PauseY < vh * 0.5f) m_PauseY += 24;
    if (m_PauseDir == -1) {
        if (m_PauseY < -63) {
            m_Paused = 0;
        } else {
            m_PauseY -= 24;
            if (m_PauseY < -32) m_Paused = 0;
        }
    }
    const float y = static_cast<float>(m_PauseY);

    m_ResetDraw();
    if (landscape) {
        m_SetCol(255, 255, 10, 0.6f);
        m_Rect(vw / 2 - 128, y - 64, 256, 8);
        m_SetCol(255, 150, 10, 0.7f);
        m_Rect(vw / 2 - 140, y - 52, 280, 104);
        m_SetCol(10, 150, 255, 0.6f);
        m_Rect(vw / 2 - 128, y + 56, 256, 8);
    } else {
        m_SetCol(255, 255, 10, 0.6f);
        m_Rect(vw / 2 - 96, y - 92, 192, 8);
        m_SetCol(255, 150, 10, 0.7f);
        m_Rect(vw / 2 - 128, y - 80, 256, 160);
        m_SetCol(10, 150, 255, 0.6f);
        m_Rect(vw / 2 - 96, y + 84, 192, 8);
    }

    const float resumeX = vw / 2, resumeY = y;
    const float quitX = static_cast<float>(nubrix_int(landscape ? vw / 2 - 140 : vw / 2 - 96));
    const float soundX = static_cast<float>(nubrix_int(landscape ? vw / 2 + 140 : vw / 2 + 96));
    const float sideY = landscape ? y - 64 : y - 96;

    auto ring = [&](int cursor, float bx, float by) {
        if (m_PauseCursor != cursor) return;
        m_SetSize(2.5f);
        m_SetCol(255, 255, 100, 1.0f);
        m_DrawImg(97, bx, by, 6);
    };
    auto slideOut = [&](float rate) {
        m_Paused = 1;
        m_PauseDir = -1;
        m_PlaySFX(98, rate, 0.5f, 0);
    };
    auto quit = [&] {
        m_Paused = 0;
        m_PauseDir = -1;
        m_PauseY = -64;
        m_GameEnded = 1;
        m_PlaySFX(98, 0.5f, 0.5f, 0);
    };
    auto toggleSound = [&] {
        if (bb_Nubrix_HasMusic == 1) {
            m_Option[5] = (m_Option[5] + 1) % 4;
            if (m_Option[5] < 0) m_Option[5] = 0;
        } else {
            m_Option[5] = 1 - m_Option[5];
            if (m_Option[5] < 0 || m_Option[5] > 1) m_Option[5] = 0;
        }
        m_PlaySFX(98, 1.0f, 0.5f, 0);
        m_Save();  // as the menu's toggles: closing the window tells the game nothing
    };
    auto keyFor = [&](int cursor, int code) {
        if (m_PauseCursor != cursor || m_KeyUsed != 0 || !m_PlayKey(code)) return false;
        m_KeyUsed = 1;
        return true;
    };
    auto moveCursor = [&](int to, float rate) {
        m_PauseCursor = to;
        m_PlaySFX(98, rate, 0.5f, 0);
    };

    // Resume.
    ring(0, resumeX, resumeY);
    m_SetSize(2.0f);
    m_SetCol(50, 50, 250, 1.0f);
    if (m_Button(97, resumeX, resumeY, 3) && m_ClickUsed == 0) {
        m_ClickUsed = 1;
        slideOut(1.0f);
    }
    if (keyFor(0, 10)) {
        slideOut(1.0f);
    } else if (keyFor(0, 3) || keyFor(0, 0)) {
        moveCursor(-1, 0.8f);
    } else if (keyFor(0, 5)) {
        moveCursor(1, 1.2f);
    }

    // Quit.
    ring(-1, quitX, sideY);
    m_SetSize(2.0f);
    m_SetCol(255, 50, 50, 1.0f);
    if (m_Button(97, quitX, sideY, 1) && m_ClickUsed == 0) {
        m_ClickUsed = 1;
        quit();
    }
    if (keyFor(-1, 10)) {
        quit();
    } else if (keyFor(-1, 5) || keyFor(-1, 8)) {
        moveCursor(0, 0.8f);
    }

    // Sound.
    ring(1, soundX, sideY);
    m_SetSize(2.0f);
    m_SetCol(50, 250, 50, 1.0f);
    if (m_Button(97, soundX, sideY, m_Option[5] == 0 ? 5 : 4) && m_ClickUsed == 0) {
        m_ClickUsed = 1;
        toggleSound();
    }
    if (keyFor(1, 10)) {
        toggleSound();
    } else if (keyFor(1, 3) || keyFor(1, 8)) {
        moveCursor(0, 0.8f);
    }
    if (bb_Nubrix_HasMusic == 1 && m_Option[5] >= 1 && m_Option[5] <= 3) {
        m_SetSize(1.5f);
        m_SetCol(180, 255, 255);
        m_DrawImg(97, soundX + 20, sideY, static_cast<float>(m_Option[5] + 7));
    }

    if (m_PlayKey(99) && m_KeyUsed == 0) {
        m_KeyUsed = 1;
        slideOut(1.0f);
    }
    return 0;
}

int bb_Nubrix_MyApp::m_GameOver() {
    const float vw = bb_Nubrix_vscrw, vh = bb_Nubrix_vscrh;
    int t = m_GameOverTime;
    if (t > 0) {
        float shade = t / 40.0f;
        m_SetCol(0, 0, 0, shade < 0.7f ? shade : 0.7f);
        m_Rect(-1, -1, vw + 2, vh + 2);
        int bar = t * 12;
        int barMax = nubrix_int(vh * 0.45f);
        if (bar > barMax) bar = barMax;
        m_ResetDraw();
        m_SetCol(255, 255, 0, 0.5f);
        m_Rect(-1, vh * 0.45f - 8, static_cast<float>(bar * 2), 16);
        m_SetCol(255, 128, 0, 0.5f);
        m_Rect(vw - bar * 2, vh * 0.55f - 8, static_cast<float>(bar * 2 + 1), 16);
        m_ResetDraw();
        m_SetSize(4.0f);
        m_SetCol(255, 180, 180, 1.0f);
        m_Text(vw * 0.35f, static_cast<float>(bar), String("GAME"), 1, 1);
        m_Text(vw * 0.65f, vh - bar, String("OVER"), 1, 1);
    }
    if (m_Mode == 10) {
        ++t;
        if (t >= 90) {
            m_Mode = 2;
            t = 75;
            m_Music->m_ZK_Stop(1);
        }
    }
    if (m_Mode < 10) {
        t -= 2;
        if (t < 0) t = 0;
    }
    m_GameOverTime = t;
    return 0;
}

int bb_Nubrix_MyApp::m_WaitStart(int) {
    const float vw = bb_Nubrix_vscrw, vh = bb_Nubrix_vscrh;
    m_CLS2D(40, 40, 80, 1);
    m_MinSide = nubrix_int(vw < vh ? vw : vh);
    m_SpinAngle = (m_SpinAngle + 16) % 360;  // the angle is periodic: keep it from overflowing
    const float radius = m_MinSide / 4.0f;

    auto spinner = [&](float r, float g, float b, int offset) {
        for (int i = 0; i <= 10; ++i) {
            m_SetCol(r, g, b, i / 10.0f);
            double a = (m_SpinAngle + offset + 16 * i) * kDegToRad;
            m_Oval(static_cast<float>(vw / 2 + std::sin(a) * radius), static_cast<float>(vh / 2 - std::cos(a) * radius),
                   8, 8);
        }
    };

    spinner(250, 250, 250, 180);
    m_SetCol(255, 255, 0, 0.8f);
    m_Oval(vw / 2, vh / 2, m_MinSide * 0.3f, m_MinSide * 0.3f);
    m_SetCol(250, 160, 60, 0.7f);
    m_Rect(0, vh * 0.4f, vw, vh * 0.2f);
    m_ResetDraw();
    m_DrawImg(93, vw / 2, vh * 0.48f, 0);
    spinner(50, 50, 50, 0);
    return 0;
}
