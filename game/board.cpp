// board.cpp - setting up a game and running one update of it.
//
// One scan over the board per update is rules engine, animator and renderer
// at once: each cell's growth counter climbs through its band, a full cell
// explodes into its neighbours and captures them, human presses (or select
// with the cell cursor, cursor.cpp) place atoms, the computer evaluates
// every cell, and each cell appends its drawing commands. Everything is
// counted in updates (60 per second).
//
// Cells are 10 ints of m_Board, cell (x, y) at (y * 25 + x) * 10: +0 owner
// (0 empty, else colour 1..4), +1 growth counter, +2 flash counter. A
// neighbour off the board is the spare cell, whose owner is cleared before
// every evaluation, so it always reads empty and swallows atoms thrown off
// the board. Growth counter bands: 1..16 one atom, 17..32 two, 33..52
// three, 53..67 four; a counter rests at the top of its band except the
// last. A cell explodes past 31 with 2 neighbours, past 51 with 3 and past
// 66 with 4.
//
// Colour life: 1 playing, 2 one turn finished, 3 two or more, 0 out. Only
// state 3 can be eliminated, so a colour captured before the end of its
// second turn is still in play.
//
// Depends on: game/nubrix.h, host/framework.h (clock, shared generator).

#include <cmath>

#include "game/nubrix.h"

namespace {

const int kBoardStride = 25;  // cells per row of the full grid
const int kCellInts = 10;

// Particle slots 1..100 of 10 floats: +0 colour (0 free), +1 x, +2 y,
// +3 x speed, +4 y speed, +6 alpha.
const int kParticleSlots = 100;

// " " and the count in decimal, built in one allocation: the player panel's
// four strings are all an update allocates.
String PanelCount(int n) {
    Char text[16];
    int len = 0;
    unsigned v = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
    do {
        text[15 - len++] = static_cast<Char>('0' + v % 10);
        v /= 10;
    } while (v);
    if (n < 0) text[15 - len++] = '-';
    text[15 - len++] = ' ';
    return String(text + 16 - len, len);
}

}  // namespace

int bb_Nubrix_MyApp::CellIndex(int x, int y) {
    if (x < 0 || y < 0 || x >= m_BoardW || y >= m_BoardH) return NUBRIX_SPARE_CELL;
    return (y * kBoardStride + x) * kCellInts;
}

int bb_Nubrix_MyApp::CellCapacity(int x, int y) {
    int n = 0;
    if (x > 0) ++n;
    if (x < m_BoardW - 1) ++n;
    if (y > 0) ++n;
    if (y < m_BoardH - 1) ++n;
    return n;
}

int bb_Nubrix_MyApp::m_LoadGame() {
    m_Score = 0;
    m_GameEnded = 0;
    m_GameOverTime = 0;
    m_Mode = 10;
    // A new game starts with the pause panel closed, as creation leaves it,
    // whatever the last game left behind.
    m_Paused = 0;
    m_PauseDir = -1;
    m_PauseY = -64;
    switch (m_BoardSize) {
        case 1: m_BoardW = 4, m_BoardH = 3; break;
        case 2: m_BoardW = 6, m_BoardH = 4; break;
        case 3: m_BoardW = 10, m_BoardH = 7; break;
        case 4: m_BoardW = 12, m_BoardH = 10; break;
        default: break;
    }
    for (int i = 0; i < kBoardStride * kBoardStride * kCellInts; ++i) m_Board[i] = 0;
    m_ClickUsed = 1;  // the press that started the game places nothing
    bool anyone = false;
    for (int c = 1; c <= 4; ++c) {
        m_PlayerState[c] = m_PlayerType[c] > 0 ? 1 : 0;
        if (m_PlayerType[c] != 0) anyone = true;
    }
    // The starter is drawn among the playing colours. With nobody playing
    // the draw could never succeed: take one draw, and the game ends at its
    // first settled update.
    do {
        m_Turn = m_Rand(1, 4);
    } while (anyone && m_PlayerType[m_Turn] == 0);
    m_WasBusy = 1;
    m_Busy = 1;
    ResetCursor();
    bb_random_Seed = bb_app_Millisecs();
    return 0;
}

// Passes the turn to the next colour still in play, marking the colours
// whose turn ends. One pass over the four colours at most: when every colour
// is out the search ends there, and the game ends in the same update.
void bb_Nubrix_MyApp::AdvanceTurn() {
    int c = m_Turn;
    for (int step = 0; step < 4; ++step) {
        if (c >= 1 && c <= 4) {
            if (m_PlayerState[c] == 1) {
                m_PlayerState[c] = 2;
            } else if (m_PlayerState[c] == 2) {
                m_PlayerState[c] = 3;
            }
        }
        c = c >= 1 && c < 4 ? c + 1 : 1;
        if (m_PlayerType[c] > 0 && m_PlayerState[c] > 0) break;
    }
    m_Turn = c;
}

void bb_Nubrix_MyApp::ExplodeCell(int x, int y, float cx, float cy) {
    int cell = CellIndex(x, y);
    int owner = m_Board[cell];

    for (int n = 0; n < 4; ++n) {
        m_SlotFound = 0;
        for (m_Slot = 1; m_Slot <= kParticleSlots; ++m_Slot) {
            if (m_Particles[m_Slot * 10] == 0) {
                m_SlotFound = m_Slot;
                break;
            }
        }
        if (m_SlotFound == 0) continue;  // slots exhausted: the explosion goes on without it
        float* p = m_Particles.Data() + m_SlotFound * 10;
        float r1 = bb_random_Rnd();
        float r2 = bb_random_Rnd();
        p[0] = static_cast<float>(owner);
        p[1] = cx;
        p[2] = cy;
        p[3] = r1 * 12 - 6;
        p[4] = r2 * 14 - 12;
        p[6] = 1.0f;
        ++m_SpawnCount;
    }
    float r = bb_random_Rnd();
    m_PlaySFX(2, 0.8f + r * 0.4f, 1.0f, 0);

    m_Board[cell + 1] = 0;
    m_Board[cell + 2] = 16;  // the owner stays until the flash ends

    const int neighbours[4] = {CellIndex(x - 1, y), CellIndex(x + 1, y), CellIndex(x, y - 1), CellIndex(x, y + 1)};
    for (int at : neighbours) {
        m_Board[at] = owner;
        m_Board[at + 1] += 1;
    }
    m_Frame = 0;
}

// Layout: the top 64 pixels hold the player panel; in portrait the board
// is transposed so that columns run down.
float bb_Nubrix_MyApp::BoardPitch() {
    const float vw = bb_Nubrix_vscrw, vh = bb_Nubrix_vscrh;
    if (m_Landscape != 0) return std::fmin(vw / (m_BoardW + 1), (vh - 64) / (m_BoardH + 1));
    return std::fmin(vw / (m_BoardH + 1), (vh - 64) / (m_BoardW + 1));
}

void bb_Nubrix_MyApp::CellCentre(int x, int y, float pitch, float* cx, float* cy) {
    const float vw = bb_Nubrix_vscrw, vh = bb_Nubrix_vscrh;
    const int W = m_BoardW, H = m_BoardH;
    if (m_Landscape != 0) {
        *cx = vw / 2 - pitch * (W - 1) / 2 + pitch * x;
        *cy = vh / 2 + 32 - pitch * (H - 1) / 2 + pitch * y;
    } else {
        *cx = vw / 2 - pitch * (H - 1) / 2 + pitch * y;
        *cy = vh / 2 + 32 - pitch * (W - 1) / 2 + pitch * x;
    }
}

int bb_Nubrix_MyApp::m_Game() {
    m_CLS2D(0, 0, 80, 1);

    const float vw = bb_Nubrix_vscrw, vh = bb_Nubrix_vscrh;
    const int W = m_BoardW, H = m_BoardH;
    const float pitch = BoardPitch();
    const float scale = pitch / 64;

    // Turn bookkeeping: the board was animating and has now settled.
    if (m_WasBusy == 1 && m_Busy == 0) AdvanceTurn();
    m_WasBusy = m_Busy;
    m_Busy = 0;

    // Eliminations, tested against the previous update's counts.
    m_Alive = 0;
    for (int c = 1; c <= 4; ++c) {
        if (m_PlayerState[c] == 3 && m_Owned[c] == 0) {
            m_PlayerState[c] = 0;
            m_PlaySFX(3, 1.0f, 1.0f, 0);
        }
        if (m_PlayerState[c] > 0) ++m_Alive;
        m_Owned[c] = 0;
    }
    if (m_Alive < 2 && m_WasBusy == 0) m_GameEnded = 1;

    UpdateCursor();
    m_SetSize(scale);

    int bestScore = 0, bestCell = -1;
    bool moved = false;  // one atom a turn, whether by pointer or by cursor
    for (m_LoopX = 0; m_LoopX < W; ++m_LoopX) {
        for (m_LoopY = 0; m_LoopY < H; ++m_LoopY) {
            const int x = m_LoopX, y = m_LoopY;
            const int cell = (y * kBoardStride + x) * kCellInts;
            float cx, cy;
            CellCentre(x, y, pitch, &cx, &cy);

            int owner = m_Board[cell];
            if (owner >= 1 && owner <= 4) ++m_Owned[owner];

            // The grid takes the colour of the player to move; an empty
            // cell is grey.
            m_SetCol(255, 255, 255);
            m_Ink(m_Turn, 0.5f);
            m_Rect(cx - pitch / 2, cy - pitch / 2, pitch, pitch);
            m_Ink(owner, 0.5f);
            m_Rect(cx - 28 * scale, cy - 28 * scale, 56 * scale, 56 * scale);

            // A human move, by a press on the cell or by select with the
            // cursor on it: only on a settled board, on an empty or own cell.
            m_Tmp = m_MouseIn(cx - 28 * scale, cy - 28 * scale, 56 * scale, 56 * scale);
            const bool pressed = m_Tmp && m_ClickUsed == 0 && m_MouseDown >= 1;
            const bool selected = m_CursorSelect == 1 && x == m_CursorX && y == m_CursorY;
            if ((pressed || selected) && !moved && m_WasBusy == 0 && m_PlayerType[m_Turn] == 1 && m_Paused == 0 &&
                m_GameEnded == 0 && (owner == 0 || owner == m_Turn)) {
                m_Board[cell] = m_Turn;
                m_Board[cell + 1] += 1;
                if (pressed) m_ClickUsed = 1;
                if (selected) m_KeyUsed = 1;
                m_PlaySFX(99, 1.0f, 1.0f, 0);
                owner = m_Turn;
                moved = true;
            }

            m_Board[NUBRIX_SPARE_CELL] = 0;
            int score = ScoreCell(x, y);
            if (owner == 0 || owner == m_Turn) {
                if (score > bestScore) {
                    bestScore = score;
                    bestCell = cell;
                }
            }

            m_SetCol(255, 255, 255);
            if (owner == 0) continue;  // empty cells are neither animated nor drawn

            // Growth through the bands, each test on the updated value.
            m_Frame = m_Board[cell + 1] / 4;
            m_Explode = 0;
            const int capacity = CellCapacity(x, y);
            int n = m_Board[cell + 1];
            if (n >= 1 && n <= 15) ++n, m_Busy = 1;
            if (n >= 17 && n <= 31) ++n, m_Busy = 1;
            if (n > 31 && capacity == 2) m_Explode = 1;
            if (n >= 33 && n <= 51) ++n, m_Busy = 1;
            if (n > 51 && capacity == 3) m_Explode = 1;
            if (n >= 53 && n <= 66) ++n, m_Busy = 1;
            if (n > 66 && capacity == 4) m_Explode = 1;
            m_Board[cell + 1] = n;

            if (m_Explode == 1) ExplodeCell(x, y, cx, cy);

            // Flash: a shrinking disc; when it ends the cell loses its owner
            // but keeps its counter.
            if (m_Board[cell + 2] > 0) {
                m_Ink(owner, 1.0f);
                m_Alpha(0.75f);
                float radius = scale * m_Board[cell + 2] * 4;
                m_Oval(cx, cy, radius, radius);
                if (--m_Board[cell + 2] == 0) {
                    m_Board[cell] = 0;
                    m_Frame = 0;
                }
                m_SetCol(255, 255, 255, 1.0f);
            }

            // Atoms: 16 growth frames per colour.
            if (m_Frame >= 1 && m_Frame <= 16) {
                m_DrawImg(1, cx, cy, static_cast<float>((owner - 1) * 16 + m_Frame - 1));
            }
        }
    }

    DrawCursor(pitch);
    ComputerMove(bestCell);

    // Player panel.
    m_SetSize(2.0f);
    m_SetCol(255, 255, 255, 1.0f);
    for (int c = 1; c <= 4; ++c) {
        float a = 0.5f;
        if (c == m_Turn) a = 1.0f;
        if (m_PlayerState[c] == 0) a = 0.25f;
        m_Alpha(a);
        int px = nubrix_int(vw * 0.2f * c);
        m_DrawImg(1, static_cast<float>(px), 32, static_cast<float>(c * 16 - 2));
        m_Alpha(1.0f);
        m_Text(static_cast<float>(px), 64, PanelCount(m_Owned[c]), 0.8f, 0.8f);
    }

    // Particles fall, fade and leave; one freed in this update is still
    // drawn once.
    for (int k = 1; k <= kParticleSlots; ++k) {
        float* p = m_Particles.Data() + k * 10;
        if (p[0] <= 0) continue;
        m_Ink(nubrix_int(p[0]), 1.0f);
        p[1] += p[3];
        p[2] += p[4];
        p[4] += 0.5f;
        if (p[1] < -32 || p[1] > vw + 32 || p[2] < -32 || p[2] > vh + 32) p[0] = 0;
        p[6] -= 0.01f;
        m_Alpha(p[6]);
        if (p[6] < 0.01f) p[0] = 0;
        int rx = m_Rand(8, 14);
        int ry = m_Rand(8, 14);
        m_Oval(p[1], p[2], static_cast<float>(rx), static_cast<float>(ry));
    }
    return 0;
}
