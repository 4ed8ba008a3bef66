// cursor.cpp - the cell cursor that lets a whole game be played with the
// keyboard or a gamepad.
//
// The play keys up, down, left and right move a cursor over the board's
// cells, one cell a press and repeating while held; select asks for an atom
// at the cursor, which the board scan then places by exactly the rules of a
// press on that cell (board.cpp). The cursor stays hidden, and draws
// nothing, until the first of these keys in a game: that press only shows
// it, at the board's centre, so a mouse-only game looks and plays as it
// always has. Moving the mouse hides it again; the next key shows it where
// it was.
//
// It moves only in a running game: while the pause panel is open the panel
// has the keys, and a key pressed then acts on the board only once it is
// pressed again. Directions are screen directions: in portrait, where the
// board is transposed, right runs along a column.
//
// A direction repeats on its own counter (not m_KeyUsed), so select and back
// still answer while it is held; select is consumed through m_KeyUsed like
// every other key press, and only when it places an atom, as a press on a
// cell is only consumed by a move. Everything is counted in updates.
//
// Depends on: game/nubrix.h (play keys, drawing helpers).

#include "game/nubrix.h"

namespace {

// Play keys of the four directions, and the bit each has in m_CursorKeys.
const int kDirections[4] = {0, 8, 3, 5};  // up, down, left, right
const int kUp = 0, kDown = 1, kLeft = 2, kRight = 3;
const int kSelect = 10;

// A held direction steps again after 0.3 s, then 7.5 times a second.
const int kRepeatDelay = 18;
const int kRepeatEvery = 8;

}  // namespace

void bb_Nubrix_MyApp::ResetCursor() {
    m_CursorShown = 0;
    m_CursorX = m_BoardW / 2;
    m_CursorY = m_BoardH / 2;
    m_CursorKeys = (1 << 4) - 1;  // keys held from the menu are not fresh presses
    m_CursorDir = -1;
    m_CursorHeld = 0;
    m_CursorSelect = 0;
}

void bb_Nubrix_MyApp::UpdateCursor() {
    m_CursorSelect = 0;
    if (m_MouseX != m_OldMouseX || m_MouseY != m_OldMouseY) m_CursorShown = 0;

    int keys = 0;
    for (int d = 0; d < 4; ++d) {
        if (m_PlayKey(kDirections[d])) keys |= 1 << d;
    }
    const int fresh = keys & ~m_CursorKeys;
    m_CursorKeys = keys;
    if (m_Paused != 0 || m_GameEnded != 0) {
        m_CursorDir = -1;
        return;
    }

    // The newest direction pressed is the one that repeats.
    bool step = false;
    if (fresh != 0) {
        m_CursorDir = 0;
        while ((fresh & (1 << m_CursorDir)) == 0) ++m_CursorDir;
        m_CursorHeld = 0;
        step = true;
    } else if (m_CursorDir >= 0 && (keys & (1 << m_CursorDir)) != 0) {
        ++m_CursorHeld;
        step = m_CursorHeld >= kRepeatDelay && (m_CursorHeld - kRepeatDelay) % kRepeatEvery == 0;
    } else {
        m_CursorDir = -1;
    }
    const bool select = m_KeyUsed == 0 && m_PlayKey(kSelect);

    if (m_CursorShown == 0) {
        if (step || select) m_CursorShown = 1;
        if (select) m_KeyUsed = 1;
        return;
    }
    if (step) {
        // Screen directions; the portrait board has its columns running down.
        int across = (m_CursorDir == kRight) - (m_CursorDir == kLeft);
        int down = (m_CursorDir == kDown) - (m_CursorDir == kUp);
        int dx = m_Landscape != 0 ? across : down;
        int dy = m_Landscape != 0 ? down : across;
        m_CursorX += dx;
        m_CursorY += dy;
        if (m_CursorX < 0) m_CursorX = 0;
        if (m_CursorX > m_BoardW - 1) m_CursorX = m_BoardW - 1;
        if (m_CursorY < 0) m_CursorY = 0;
        if (m_CursorY > m_BoardH - 1) m_CursorY = m_BoardH - 1;
    }
    if (select) m_CursorSelect = 1;
}

// A frame in the colour to move around the whole cell, over the grid line,
// with a thin white edge inside it so that it reads on any cell.
void bb_Nubrix_MyApp::DrawCursor(float pitch) {
    if (m_CursorShown == 0 || m_GameEnded != 0) return;
    float cx, cy;
    CellCentre(m_CursorX, m_CursorY, pitch, &cx, &cy);
    const float half = pitch / 2;
    auto frame = [&](float outer, float width) {
        m_Rect(cx - outer, cy - outer, outer * 2, width);
        m_Rect(cx - outer, cy + outer - width, outer * 2, width);
        m_Rect(cx - outer, cy - outer + width, width, outer * 2 - width * 2);
        m_Rect(cx + outer - width, cy - outer + width, width, outer * 2 - width * 2);
    };
    float width = pitch * 0.09f;
    if (width < 3) width = 3;
    const float edge = width * 0.3f;
    m_ResetDraw();
    m_SetCol(0, 0, 0, 0.5f);
    frame(half + edge, edge);
    m_Ink(m_Turn, 1.0f);
    m_Alpha(1.0f);
    frame(half, width);
    m_SetCol(255, 255, 255, 0.9f);
    frame(half - width, edge);
    m_ResetDraw();
}
