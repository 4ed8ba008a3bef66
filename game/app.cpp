// app.cpp - the game object: creation, the per-update order of work, the
// screen dispatch, the render pass, suspend and resume.
//
// An update samples the pointer into virtual pixels, then either runs one
// loader step or the current screen; screens only record drawing commands.
// A render clears the window, fits the 640x480 design to it (one visible
// side equals its design value, the other is no larger) and replays the
// recorded commands through the framework's drawing functions.
//
// Depends on: game/nubrix.h (framework, graphics, input, audio, music).

#include <cmath>

#include "game/nubrix.h"
#include "runtime/report.h"

bb_Nubrix_MyApp::bb_Nubrix_MyApp() {
    gc_assign(m_Music, (new bb_ZKTrackr_ZKPlayer())->g_new());
    gc_assign(m_Images, Array<bb_graphics_Image*>(100));
    gc_assign(m_ImageInfo, Array<int>(300));
    gc_assign(m_BadgeQueue, Array<int>(15));
    gc_assign(m_BadgeQueueTime, Array<int>(15));
    gc_assign(m_BadgeGot, Array<bool>(256));
    gc_assign(m_Pad, Array<int>(20));
    gc_assign(m_Option, Array<int>(25));
    gc_assign(m_Stats, Array<int>(150));
    gc_assign(m_Channels, Array<int>(33));
    gc_assign(m_DrawList, Array<float>(37500));
    gc_assign(m_TouchDown, Array<int>(10));
    gc_assign(m_TouchX, Array<int>(10));
    gc_assign(m_TouchY, Array<int>(10));
    gc_assign(m_OrbitAngle, Array<float>(5));
    gc_assign(m_Sounds, Array<bb_audio_Sound*>(100));
    gc_assign(m_PlayerType, Array<int>(5));
    gc_assign(m_PlayerState, Array<int>(5));
    gc_assign(m_Owned, Array<int>(5));
    gc_assign(m_Board, Array<int>(25000));
    gc_assign(m_Particles, Array<float>(1024));
    gc_assign(m_DeferredPath, Array<String>(100));
    gc_assign(m_DeferredFlags, Array<int>(100));
}

bb_Nubrix_MyApp* bb_Nubrix_MyApp::g_new() {
    bb_app_App::g_new();
    return this;
}

void bb_Nubrix_MyApp::mark() {
    bb_app_App::mark();
    gc_enqueue(m_Music);
    gc_enqueue(m_Images);
    gc_enqueue(m_ImageInfo);
    gc_enqueue(m_BadgeQueue);
    gc_enqueue(m_BadgeQueueTime);
    gc_enqueue(m_BadgeGot);
    gc_enqueue(m_Pad);
    gc_enqueue(m_Option);
    gc_enqueue(m_Stats);
    gc_enqueue(m_Channels);
    gc_enqueue(m_DrawList);
    gc_enqueue(m_TouchDown);
    gc_enqueue(m_TouchX);
    gc_enqueue(m_TouchY);
    gc_enqueue(m_OrbitAngle);
    gc_enqueue(m_Sounds);
    gc_enqueue(m_PlayerType);
    gc_enqueue(m_PlayerState);
    gc_enqueue(m_Owned);
    gc_enqueue(m_Board);
    gc_enqueue(m_Particles);
    gc_enqueue(m_DeferredPath);
    gc_enqueue(m_DeferredFlags);
}

// The fit of the design to a device of the given size. A non-positive size
// (a minimised window) keeps the previous fit rather than dividing by zero.
void bb_Nubrix_MyApp::FitToDevice(int width, int height) {
    if (width <= 0 || height <= 0) return;
    float sx = width / bb_Nubrix_rawscrw;
    float sy = height / bb_Nubrix_rawscrh;
    m_FitMode = sy > sx ? 2 : 1;
    float s = sx > sy ? sx : sy;
    m_ScaleX = s;
    m_ScaleY = s;
    bb_Nubrix_vscrw = width / s;
    bb_Nubrix_vscrh = height / s;
    m_Landscape = bb_Nubrix_vscrw >= bb_Nubrix_vscrh ? 1 : 0;
}

int bb_Nubrix_MyApp::m_OnCreate() {
    m_Mode = 1;
    bb_app_SetUpdateRate(60);
    m_DevW = bb_graphics_DeviceWidth();
    m_DevH = bb_graphics_DeviceHeight();
    // Pointer positions are divided by the fit scale from the first update
    // on, and the first render comes after it: fit now so that the first
    // updates already see the window's real scale instead of 0.
    FitToDevice(m_DevW, m_DevH);
    if (bb_Nubrix_HasMusic == 1) m_Music->m_ZK_Init(32, 4, 3, 3, 4);
    m_AccelCalX = 0;
    m_AccelCalY = 0;
    m_Reload();
    m_BoardSize = 2;
    m_MenuY = -32;
    m_Paused = 0;
    m_PauseDir = -1;
    m_PauseY = -64;
    for (int i = 0; i < 128; ++i) m_BadgeGot[i] = false;
    for (int i = 0; i < 20; ++i) m_Pad[i] = 0;
    for (int i = 0; i < 25; ++i) m_Option[i] = 0;
    m_Option[5] = 1;
    for (int i = 0; i <= 30; ++i) m_Stats[i] = 0;
    m_Load();
    for (int i = 0; i <= 32; ++i) m_Channels[i] = i;
    return 0;
}

int bb_Nubrix_MyApp::m_Reload() {
    m_BackR = 0;
    m_BackG = 0;
    m_BackB = 0;
    m_BackA = 1.0f;
    ChooseResolutionLevel();
    m_LoadImg(93, String("common/ZOVTLogo"), 256, 256, 1, 1);
    m_LoadFont(90, String("fonts/editundo"), 7, 10);
    m_Loading = 1;
    return 0;
}

int bb_Nubrix_MyApp::m_Rand(float min, float max) {
    bb_random_Seed = static_cast<int>(static_cast<unsigned>(bb_random_Seed) * 1664525u + 1013904223u);
    float r = static_cast<float>(static_cast<unsigned>(bb_random_Seed) >> 8) * 5.9604645e-8f;
    return nubrix_int(std::floor(r * ((max + 0.99f) - min) + min));
}

int bb_Nubrix_MyApp::m_OnUpdate() {
    // 1. Update timing; a zero or negative interval keeps the last rate.
    int now = bb_app_Millisecs();
    if (now - m_UpdateLastMs > 0) m_UpdateFpsNow = 1000 / (now - m_UpdateLastMs);
    m_UpdateFps = (m_UpdateFps * 9 + m_UpdateFpsNow) / 10;
    m_UpdateLastMs = now;

    // 2. Music tick.
    if (bb_Nubrix_HasMusic == 1) {
        m_Music->m_ZK_Alive_U(m_Paused, (m_Option[5] == 1 || m_Option[5] == 3) ? 1 : 0);
    }

    // 3. Pointer, in virtual pixels. A scale that is not yet positive reads
    // as 1 (see m_OnCreate).
    float sx = m_ScaleX > 0 ? m_ScaleX : 1.0f;
    float sy = m_ScaleY > 0 ? m_ScaleY : 1.0f;
    m_OldMouseX = m_MouseX;
    m_OldMouseY = m_MouseY;
    m_MouseX = nubrix_int(bb_input_MouseX() / sx);
    m_MouseY = nubrix_int(bb_input_MouseY() / sy);
    int down = bb_input_KeyDown(1);
    if (m_MouseWasDown == 0 && down) {
        m_OldMouseX = m_MouseX;  // a fresh press has no drag distance
        m_OldMouseY = m_MouseY;
    }
    m_MouseDown = down;
    m_MouseHit = bb_input_KeyHit(1);

    // 4. Touch points; touch 0 follows the mouse on the desktop.
    for (int i = 0; i < 10; ++i) {
        m_TouchDown[i] = 0;
        m_TouchX[i] = NUBRIX_NONE;
        m_TouchY[i] = NUBRIX_NONE;
        if (bb_input_KeyDown(384 + i)) {
            m_TouchDown[i] = 1;
            m_TouchX[i] = nubrix_int(bb_input_TouchX(i) / sx);
            m_TouchY[i] = nubrix_int(bb_input_TouchY(i) / sy);
            m_MouseDown = 1;
        }
    }

    // 5. A press stays consumed until the pointer is released.
    m_MouseWasDown = bb_input_KeyDown(1);
    if (m_MouseDown == 0) m_ClickUsed = 0;

    // 6. Key release, and Back closing the boxes over the menu.
    static const int kPlayKeys[] = {0, 3, 5, 8, 10, 11, 12, 13, 14, 15, 16, 17, 99};
    bool anyKey = false;
    for (int code : kPlayKeys) {
        if (m_PlayKey(code)) {
            anyKey = true;
            break;
        }
    }
    if (!anyKey) m_KeyUsed = 0;
    if (m_KeyUsed == 0 && m_ClickUsed == 0 && m_PlayKey(99) && m_Mode == 1 &&
        (m_CreditsOpen != 0 || m_BadgesOpen != 0)) {
        m_CreditsOpen = 0;
        m_BadgesOpen = 0;
        m_KeyUsed = 1;
        m_ClickUsed = 1;
    }

    // 7. Screen dispatch, only with every asset loaded.
    if (m_Loading == 0) {
        switch (m_Mode) {
            case 1:
                m_Menu();
                break;
            case 2:
                m_LoadMenu();
                m_Mode = 1;
                break;
            case 10:
                m_Game();
                m_InGame();
                break;
            case 11:
                m_LoadGame();
                break;
            default:
                break;
        }
        if (m_Mode == 10 && m_GameEnded > 0) m_GameOver();
        if (m_Mode == 1 || m_Mode == 2) m_GameOver();
        if (m_Mode == 1) {
            if (m_CreditsOpen == 1) m_CreditBox();
            if (m_Mode == 1 && m_BadgesOpen == 1) m_BadgesBox();
        }
    }

    // 8. One loader step in place of the screen.
    if (m_Loading > 0) m_Loader();

    // 9-11. Input decoders and the debug line, behind their switches.
    UpdateICade();
    if (bb_Nubrix_iCadeControls == 1) {
        m_TiltX = m_TiltY = m_TiltSmoothX = m_TiltSmoothY = 0;
    }
    if (bb_Nubrix_OnScreenControls == 1) UpdateOnScreenPad();
    if (bb_Nubrix_AccelerometerControls == 1) UpdateTilt();
    if (bb_Nubrix_DebugMode == 1) DrawDebugLine();
    return 0;
}

int bb_Nubrix_MyApp::m_OnRender() {
    if (bb_Nubrix_HasMusic == 1) m_Music->m_ZK_Alive_R();

    int now = bb_app_Millisecs();
    if (now - m_RenderLastMs > 0) m_RenderFpsNow = 1000 / (now - m_RenderLastMs);
    m_RenderFps = (m_RenderFps * 9 + m_RenderFpsNow) / 10;
    m_RenderLastMs = now;

    int w = bb_graphics_DeviceWidth(), h = bb_graphics_DeviceHeight();
    bb_graphics_SetColor(m_BackR, m_BackG, m_BackB);
    bb_graphics_SetAlpha(m_BackA);
    bb_graphics_DrawRect(-1, -1, static_cast<float>(w + 2), static_cast<float>(h + 2));
    bb_graphics_SetColor(255, 255, 255);
    bb_graphics_SetAlpha(1);

    // A new window size reloads every asset at the level for that size.
    if (w != m_DevW || h != m_DevH) {
        m_DevW = w;
        m_DevH = h;
        m_Loading = 1;
    }

    FitToDevice(w, h);
    float s = m_ScaleX;

    const float* cmd = m_DrawList.Data();
    int images = m_Images.Length();
    for (int at = 0; at < m_DrawCount - 14; at += 15, cmd += 15) {
        bb_graphics_SetAlpha(cmd[7]);
        bb_graphics_SetColor(cmd[10], cmd[11], cmd[12]);
        float kind = cmd[0];
        if (kind == NUBRIX_NONE) {
            bb_graphics_DrawRect(cmd[1] * s, cmd[2] * s, cmd[4] * s, cmd[5] * s);
        } else if (kind == NUBRIX_OVAL) {
            bb_graphics_DrawEllipse(cmd[1] * s, cmd[2] * s, cmd[4] * s, cmd[5] * s);
        } else if (kind == NUBRIX_LINE) {
            bb_graphics_DrawLine(cmd[1] * s, cmd[2] * s, cmd[4] * s, cmd[5] * s);
        } else if (kind >= 0) {
            int id = nubrix_int(kind);
            if (id >= images) continue;
            bb_graphics_Image* image = m_Images[id];
            if (!image) continue;
            // The framework does not check frame numbers; a frame the loaded
            // picture does not have draws nothing.
            int frame = nubrix_int(cmd[6]);
            if (frame < 0 || frame >= image->frames.Length()) continue;
            bb_graphics_DrawImage2(image, cmd[1] * s, cmd[2] * s, cmd[3], cmd[4] * s * m_HDScale,
                                   cmd[5] * s * m_HDScale, frame);
        }
    }

    bb_graphics_SetAlpha(0.5f);
    bb_graphics_SetColor(255, 255, 255);
    return 0;
}

// A game in progress pauses at once (no slide-in), with the keyboard cursor
// on Resume as every other way of opening the panel leaves it: whoever
// comes back and presses select resumes. Anywhere else, an ended game
// included, the pause fields are cleared.
static void PauseOnFocusChange(bb_Nubrix_MyApp* game) {
    if (game->m_Mode > 9 && game->m_GameEnded == 0) {
        game->m_Paused = 1;
        game->m_PauseDir = 1;
        game->m_PauseY = nubrix_int(bb_Nubrix_vscrh * 0.5f);
        game->m_PauseCursor = 0;
    } else {
        game->m_Paused = 0;
        game->m_PauseDir = 0;
        game->m_PauseY = 0;
    }
}

int bb_Nubrix_MyApp::m_OnSuspend() {
    m_iCade(0);
    PauseOnFocusChange(this);
    bb_app_SetUpdateRate(5);
    m_Save();
    return 0;
}

int bb_Nubrix_MyApp::m_OnResume() {
    PauseOnFocusChange(this);
    bb_app_SetUpdateRate(60);
    m_iCade(0);
    return 0;
}
