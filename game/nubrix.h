// nubrix.h - the game object.
//
// bb_Nubrix_MyApp is the one game object: screens (menu, game, pause panel,
// game-over overlay, loading screen), the board and its rules, the computer
// players, the persisted settings, badges and score tables, the asset slots
// and the display list all hang off it. Its methods are split by concern:
//
//   app.cpp       creation, the per-update order of work, screen dispatch,
//                 the render pass, suspend and resume
//   draw.cpp      the display list: shapes, images, text, buttons, hit
//                 tests, padded numbers, sound effects
//   board.cpp     setting up a game and one update of it: growth,
//                 explosions, captures, eliminations, turns
//   computer.cpp  the computer player's evaluation and move
//   cursor.cpp    the keyboard and gamepad cell cursor
//   ingame.cpp    pause panel, game-over overlay, loading screen, play keys
//                 (keyboard, joystick, iCade, on-screen pad, tilt)
//   assets.cpp    images, font and sounds at three resolution levels
//   menu.cpp      the main menu
//   records.cpp   the checksummed settings, badge and score record
//   credits.cpp   the credits box and badge names
//
// Nothing draws while it updates: every drawing operation appends a
// 15-float command to m_DrawList, and m_OnRender replays the list scaled
// from the 640x480 design to the window.
//
// Depends on: runtime, host/framework.h, graphics/graphics.h,
// devices/input.h, devices/audio.h, music/zkplayer.h.

#ifndef NUBRIX_GAME_NUBRIX_H
#define NUBRIX_GAME_NUBRIX_H

#include "devices/audio.h"
#include "graphics/graphics.h"
#include "host/framework.h"
#include "music/zkplayer.h"
#include "runtime/array.h"
#include "runtime/string.h"

// The program-wide "no value": an omitted optional argument, a touch point
// that is up, the rectangle kind of a drawing command.
const int NUBRIX_NONE = -3717;
const int NUBRIX_OVAL = -3716;
const int NUBRIX_LINE = -3715;

// Float to int, truncating toward zero as the game language's Int() does.
// NaN reads as 0 and values beyond the int range saturate, so a division by
// a zero scale or an absurd setting never becomes undefined behaviour.
inline int nubrix_int(float v) {
    if (!(v == v)) return 0;
    if (v >= 2147483648.0f) return 2147483647;
    if (v <= -2147483648.0f) return -2147483647 - 1;
    return static_cast<int>(v);
}

// Module globals, given their values by bbInit.
extern float bb_Nubrix_rawscrw;  // design size
extern float bb_Nubrix_rawscrh;
extern float bb_Nubrix_vscrw;  // visible virtual size, recomputed every render
extern float bb_Nubrix_vscrh;
extern int bb_Nubrix_HasMusic;  // the music player is driven (never set here)
extern int bb_Nubrix_DebugMode;
extern int bb_Nubrix_iCadeControls;
extern int bb_Nubrix_OnScreenControls;
extern int bb_Nubrix_AccelerometerControls;

class bb_Nubrix_MyApp : public bb_app_App {
public:
    // Fields in declaration order. Every array is created by the constructor
    // and never replaced.
    int m_Mode = 0;  // screen: 1 menu, 2 record and return, 10 game, 11 game set-up
    int m_DevW = 0, m_DevH = 0;
    bb_ZKTrackr_ZKPlayer* m_Music = nullptr;
    float m_AccelCalX = 0, m_AccelCalY = 0;
    float m_BackR = 0, m_BackG = 0, m_BackB = 0, m_BackA = 0;
    int m_HDLevel = 0;
    float m_HDScale = 0;
    Array<bb_graphics_Image*> m_Images;  // 100 slots
    Array<int> m_ImageInfo;              // 300: frame width, frame height, frame count per id
    int m_Font = 0;
    int m_Loading = 0;
    int m_BoardSize = 0;
    int m_MenuY = 0;
    int m_Paused = 0;
    int m_PauseDir = 0;
    int m_PauseY = 0;
    int m_Loop = 0;
    Array<int> m_BadgeQueue;      // 15
    Array<int> m_BadgeQueueTime;  // 15
    Array<bool> m_BadgeGot;       // 256
    Array<int> m_Pad;             // 20
    Array<int> m_Option;          // 25
    Array<int> m_Stats;           // 150
    // Scratch of saving, loading and the score-table update.
    int m_RecSum = 0, m_RecWord = 0, m_RecPos = 0, m_RecCount = 0, m_RecRank = 0, m_RecBase = 0;
    Array<int> m_Channels;  // 33
    int m_LoopY = 0, m_LoopX = 0;
    int m_FitMode = 0;
    int m_RenderLastMs = 0, m_RenderFpsNow = 0, m_RenderFps = 0;
    float m_ScaleX = 0, m_ScaleY = 0;
    int m_Landscape = 0;
    int m_DrawCount = 0;
    Array<float> m_DrawList;  // 37500: 2,499 commands of 15 floats
    int m_Tmp = 0;
    int m_UpdateLastMs = 0, m_UpdateFpsNow = 0, m_UpdateFps = 0;
    int m_MouseX = 0, m_OldMouseX = 0, m_MouseY = 0, m_OldMouseY = 0;
    int m_MouseWasDown = 0, m_MouseDown = 0, m_MouseHit = 0;
    Array<int> m_TouchDown, m_TouchX, m_TouchY;  // 10 each
    int m_ClickUsed = 0;
    int m_KeyUsed = 0;
    int m_CreditsOpen = 0, m_BadgesOpen = 0;
    float m_DrawSX = 0, m_DrawSY = 0, m_DrawRot = 0;
    float m_DrawR = 0, m_DrawG = 0, m_DrawB = 0, m_DrawA = 0;
    float m_MenuSpin = 0;  // a menu value
    Array<float> m_OrbitAngle;  // 5
    int m_Frame = 0;
    int m_ButtonHit = 0;  // the last m_Button result
    int m_SfxCursor = 0;
    Array<bb_audio_Sound*> m_Sounds;  // 100 slots
    float m_BadgeBoxX = 0, m_BadgeBoxY = 0;
    int m_MenuA = 0, m_MenuB = 0;  // menu values
    int m_Slot = 0;  // particle-slot search counter; a menu value
    int m_Alive = 0;
    Array<int> m_PlayerType;  // 5: per colour 1..4, 0 none, 1 human, 2 computer
    int m_MinSide = 0;
    int m_Score = 0;
    int m_SpinAngle = 0;
    int m_BoardW = 0, m_BoardH = 0;
    int m_WasBusy = 0, m_Busy = 0;
    Array<int> m_PlayerState;  // 5
    int m_Turn = 0;
    Array<int> m_Owned;  // 5
    int m_GameEnded = 0;
    Array<int> m_Board;  // 25000: 25 x 25 cells of 10 ints, and the spare cell at 6490
    int m_CellScore = 0;
    int m_Explode = 0;
    int m_SpawnCount = 0, m_SlotFound = 0;
    Array<float> m_Particles;  // 1024: slots 1..100 of 10 floats
    int m_PauseCursor = 0;
    int m_GameOverTime = 0;
    int m_DPadX = 0, m_DPadY = 0;
    float m_DPadScale = 0;
    int m_Pinching = 0;
    float m_TiltX = 0, m_TiltY = 0, m_TiltSmoothX = 0, m_TiltSmoothY = 0;
    int m_PinchLast = 0;  // the pinch gesture's size step at the previous update
    // Pictures that only switched-off features draw are read from disk when
    // something first draws them (assets.cpp): per slot, the file still to
    // load (empty when none) and its image flags.
    Array<String> m_DeferredPath;  // 100
    Array<int> m_DeferredFlags;    // 100
    // The keyboard and gamepad cell cursor (cursor.cpp).
    int m_CursorShown = 0;             // shown by a play key, hidden by the mouse
    int m_CursorX = 0, m_CursorY = 0;  // board column and row
    int m_CursorKeys = 0;              // direction keys held at the last update, one bit each
    int m_CursorDir = -1;              // the direction repeating while held, -1 none
    int m_CursorHeld = 0;              // updates that direction has been held
    int m_CursorSelect = 0;            // select asks for an atom at the cursor in this update's scan

    bb_Nubrix_MyApp();
    bb_Nubrix_MyApp* g_new();
    void mark() override;

    // Events from the framework.
    int m_OnCreate() override;
    int m_OnUpdate() override;
    int m_OnSuspend() override;
    int m_OnResume() override;
    int m_OnRender() override;

    // The game's own methods, in their slot order.
    virtual int m_LoadImg(int id, String name, int w, int h, int frames, int flags);
    virtual int m_LoadFont(int id, String name, int advance, int lineHeight);
    virtual int m_Reload();
    virtual int m_Load();
    virtual int m_Loader_WordList();
    virtual int m_GrabImageData();
    virtual int m_iCade(int on);
    virtual int m_Save();
    virtual int m_PlayKey(int code);
    virtual int m_ResetDraw();
    virtual int m_CLS2D(float r, float g, float b, float a);
    virtual int m_SetSize(float sx, float sy = NUBRIX_NONE);
    virtual int m_Alpha(float a);
    virtual int m_DrawImg(int id, float x, float y, float frame);
    virtual int m_SetCol(float r, float g, float b, float a = NUBRIX_NONE);
    virtual int m_Rect(float x, float y, float w, float h);
    virtual int m_Button(int id, float x, float y, int frame);
    virtual int m_PlaySFX(int id, float rate, float volume, float pan);
    virtual String m_rstr(int value, int width, String pad);
    virtual int m_Text(float x, float y, String text, float alignX, float alignY);
    virtual int m_Ink(int n, float k);
    virtual int m_MouseIn_Centered(float x, float y, float w, float h);
    virtual int m_Menu();
    virtual int m_GC_PostScore(int size, int best);
    virtual int m_GC_Badges();
    virtual int m_LoadMenu();
    virtual int m_Oval(float x, float y, float rx, float ry);
    virtual int m_WaitStart(int show);
    virtual int m_MouseIn(float x, float y, float w, float h);
    virtual int m_Rand(float min, float max);
    virtual int m_Game();
    virtual int m_PauseMenu();
    virtual int m_InGame();
    virtual int m_LoadGame();
    virtual int m_GameOver();
    virtual int m_CreditBox();
    virtual String m_BadgeID(int id);
    virtual String m_BadgeName(int id);
    virtual String m_BadgeDetail(int id);
    virtual int m_BadgesBox();
    virtual int m_LoadImgRaw(int id, String name, int w, int h, int frames, int flags);
    virtual int m_LoadSFX(int n);
    virtual int m_Loader();
    virtual int m_Button0(int id, float x, float y, int frame);
    virtual int m_ShowBadges();

    // Helpers behind the methods above (not part of the method table).
    void FitToDevice(int width, int height);  // app.cpp: scale, visible size, orientation
    void ChooseResolutionLevel();             // assets.cpp: m_HDLevel and m_HDScale from the device size
    void LoadDeferredImage(int id);           // assets.cpp: reads a slot's picture if it waits for first use
    int AppendCommand(float kind, float x, float y, float p4, float p5, float frame);  // draw.cpp
    int ButtonHit(int id, float x, float y, int touches);                              // draw.cpp
    void UpdateICade();        // ingame.cpp: update step 9
    void UpdateOnScreenPad();  // ingame.cpp: update step 10
    void UpdateTilt();         // ingame.cpp: update step 10
    void DrawDebugLine();      // ingame.cpp: update step 11
    int CellIndex(int x, int y);       // board.cpp: element of cell (x, y), the spare cell off the board
    int CellCapacity(int x, int y);    // board.cpp: on-board neighbours, 2..4
    void AdvanceTurn();                // board.cpp
    void ExplodeCell(int x, int y, float cx, float cy);  // board.cpp
    float BoardPitch();                                   // board.cpp: virtual pixels between cell centres
    void CellCentre(int x, int y, float pitch, float* cx, float* cy);  // board.cpp
    void ResetCursor();                // cursor.cpp: hidden, at the centre, for a new game
    void UpdateCursor();               // cursor.cpp: before the board scan
    void DrawCursor(float pitch);      // cursor.cpp: after the board scan
    int ScoreCell(int x, int y);       // computer.cpp: the computer's evaluation of one cell
    void ComputerMove(int cell);       // computer.cpp: after the scan, with the best cell or -1
    String RecordText();               // records.cpp: the record m_Save writes
    int LoadRecord(String text);       // records.cpp: m_Load's work on a given record text
    static int RecordField(const Char* text, int length);  // records.cpp: one field, read as atoi reads it
};

// Element of the spare cell that stands for "no neighbour".
const int NUBRIX_SPARE_CELL = 6490;

#endif
