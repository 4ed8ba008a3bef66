// menu.cpp - the main menu: the animated title, the sound toggle, the four
// player slots, the board-size buttons that start a game, the credits
// button and the score lists, in a landscape and a portrait arrangement.
//
// One call per update records the whole menu frame and handles its input.
// Everything is placed against the visible virtual screen (W, H) and slides
// in from off-screen while m_MenuY climbs from -32 to 0: each element's
// offset is a multiple of it. A press acts once (m_ClickUsed, m_KeyUsed);
// while a box is open over the menu only the sound toggle and the player
// slots still answer the pointer.
//
// A setting the player changes here is saved at once: the host delivers no
// event when the window is closed, so a change left for the next suspend
// or finished game would be lost with the window.
//
// Depends on: game/nubrix.h (drawing helpers, play keys, records),
// host/framework.h (bb_random_Rnd).

#include <cmath>
#include <cstdint>

#include "game/nubrix.h"

namespace {

const double kDegToRad = 3.14159265358979323846 / 180.0;

// This program gives the score panel no width of its own: with -32 the
// panel and both lists sit just beyond the right edge and are never seen.
// Their places are still worked out from it, as a positive width would
// place them on screen.
const int kPanelWidth = -32;

// Player types as the settings hold them.
const int kTypeOff = 0, kTypeHuman = 1, kTypeComputer = 2;

}  // namespace

int bb_Nubrix_MyApp::m_Menu() {
    const float W = bb_Nubrix_vscrw, H = bb_Nubrix_vscrh;
    const bool landscape = m_Landscape != 0;
    const bool boxOpen = m_CreditsOpen != 0 || m_BadgesOpen != 0;

    m_CLS2D(0, 0, 80, 1);

    if (m_MenuY < 0) m_MenuY = nubrix_int(m_MenuY + 0.25f);
    const float slide = static_cast<float>(m_MenuY);

    // Title: electrons on the far half of their orbit go behind the nucleus,
    // the others in front; one between 170 and 180 degrees shows twice.
    const float cx = W / 2, cy = 0.3f * H - 24 * slide;
    m_SetSize(1);
    m_SetCol(255, 255, 255, 1);
    auto electron = [&](int i) {
        double a = m_OrbitAngle[i] * kDegToRad;
        float x = cx + 16 * i * static_cast<float>(std::sin(2 * i * a));
        float y = cy - 16 * (4 - i) * static_cast<float>(std::cos(i * a));
        m_DrawImg(1, x, y, static_cast<float>(16 * i + 3));
    };
    for (int i = 1; i <= 3; ++i) {
        m_OrbitAngle[i] = std::fmod(m_OrbitAngle[i] + 1 + bb_random_Rnd(), 360.0f);
        if (m_OrbitAngle[i] <= 180) electron(i);
    }
    m_SetSize(2);
    m_DrawImg(1, cx, cy, 3);
    m_SetSize(1);
    for (int i = 1; i <= 3; ++i) {
        if (m_OrbitAngle[i] > 170) electron(i);
    }

    m_SetSize(1.5f);
    m_DrawImg(98, W / 2, 0.15f * H + 12 * slide, 0);

    // Score panel background.
    m_MenuA = kPanelWidth;
    const float P = static_cast<float>(m_MenuA);
    const float panelX = W - P - 4 * slide;
    m_SetCol(0, 0, 0, 0.4f);
    m_SetSize(1);
    m_Rect(panelX, 0, P, H);

    // Sound toggle: 0 and 1 swap, anything else a record held becomes 0.
    m_ResetDraw();
    m_SetSize(2);
    m_SetCol(50, 250, 50, 1);
    float soundX, soundY;
    if (landscape) {
        soundX = 32 + 4 * slide;
        soundY = static_cast<float>(nubrix_int(H / 2));
    } else {
        soundX = static_cast<float>(nubrix_int(W / 2));
        soundY = 32 + 4 * slide;
    }
    if (m_Button(97, soundX, soundY, m_Option[5] != 0 ? 4 : 5) && m_ClickUsed == 0) {
        int64_t sound = 1 - static_cast<int64_t>(m_Option[5]);
        m_Option[5] = (sound < 0 || sound > 1) ? 0 : static_cast<int>(sound);
        m_ClickUsed = 1;
        m_PlaySFX(98, 1, 0.5f, 0);
        m_Save();
    }

    // Score lists of the selected board size: as many rows as fit in half
    // the visible height below the titles, 1 to 10.
    m_SetCol(255, 200, 100, 1);
    m_SetSize(1.5f);
    int lineHeight = 0;
    if (m_Font >= 0 && 3 * m_Font + 1 < m_ImageInfo.Length()) {
        lineHeight = nubrix_int(m_ImageInfo[3 * m_Font + 1] * m_DrawSY);
    }
    int rows = lineHeight > 0 ? nubrix_int(H / 2 - 90) / lineHeight : 1;
    if (rows < 1) rows = 1;
    if (rows > 10) rows = 10;
    m_MenuB = rows;
    const int size = (m_BoardSize >= 1 && m_BoardSize <= 3) ? m_BoardSize : 1;
    auto list = [&](const char* title, const char* single, int base) {
        String text = rows == 1 ? String(single) : String(title) + String(rows);
        for (int i = 0; i < rows; ++i) {
            text = text + String("\\n") + m_rstr(m_Stats[base + i], 11, String(" "));
        }
        return text;
    };
    String topTen = list("Top ", "Highscore", (size - 1) * 10);
    if (!boxOpen) m_Text(panelX + 20, 60, topTen, 0, 0);
    m_SetCol(200, 255, 100);
    m_SetSize(1.5f);
    String lastTen = list("Last ", "Last", (size - 1) * 10 + 30);
    if (!boxOpen) m_Text(panelX + 20, H / 2 + 20, lastTen, 0, 0);

    // Player slots: off, human, computer. A type the settings should not
    // hold (a damaged or hand-made record) plays as off and shows no label.
    m_SetSize(2);
    m_Alive = 0;
    for (int i = 1; i <= 4; ++i) {
        const float x = static_cast<float>(nubrix_int(W - 64));
        const float y = static_cast<float>(nubrix_int(H / 2 + 80 * i - 200));
        const int type = m_Option[5 + i];
        m_PlayerType[i] = type;
        m_SetCol(255, 255, 255, type > kTypeOff ? 1.0f : 0.5f);
        m_DrawImg(1, x, y, static_cast<float>(16 * i - 2));
        m_Ink(i, 1);
        if (type == kTypeOff) {
            m_Text(x, y + 32, String(" Off"), 0.8f, 0.8f);
        } else if (type == kTypeHuman) {
            m_Text(x, y + 32, String(" On"), 0.8f, 0.8f);
            ++m_Alive;
        } else if (type == kTypeComputer) {
            m_SetCol(255, 255, 255, 1);
            m_Text(x, y + 32, String(" CPU"), 0.8f, 0.8f);
            ++m_Alive;
        } else {
            m_PlayerType[i] = kTypeOff;
        }
        if (m_ClickUsed == 0 && m_MouseDown > 0 && m_MouseIn_Centered(x, y, 64, 64)) {
            m_ClickUsed = 1;
            m_Option[5 + i] = static_cast<int>((static_cast<int64_t>(m_Option[5 + i]) + 1) % 3);
            m_PlaySFX(99, 1, 1, 0);
            m_Save();
        }
    }
    // With nobody playing, player 1 is a person and player 4 the computer.
    if (m_Alive == 0) {
        m_Option[6] = kTypeHuman;
        m_Option[9] = kTypeComputer;
    }

    // Board-size buttons: a press starts a game of that size at once.
    m_ResetDraw();
    m_SetSize(1.5f);
    for (int k = 1; k <= 3; ++k) {
        float x, y;
        if (landscape) {
            static const float kX[] = {0, 0.2f, 0.4f, 0.6f};
            static const float kSlide[] = {0, 8, 12, 10};
            x = kX[k] * W;
            y = 0.7f * H - kSlide[k] * slide;
        } else if (k == 1) {
            x = 0.3f * W - 8 * slide;
            y = 0.45f * H;
        } else if (k == 2) {
            x = 0.3f * W;
            y = 0.65f * H - 12 * slide;
        } else {
            x = 0.3f * W + 8 * slide;
            y = 0.85f * H;
        }
        m_Alpha(1);
        if (m_Button(95, x, y, k - 1) && m_ClickUsed == 0 && !boxOpen && m_Alive > 1) {
            m_Mode = 11;
            m_ClickUsed = 1;
            m_KeyUsed = 1;
            m_BoardSize = k;
            m_PlaySFX(98, 1, 0.5f, 0);
        }
        if (m_BoardSize == k) {
            m_Alpha(0.75f);
            m_DrawImg(95, x, y, 15);
        }
    }

    // Keys: up or left and down or right move the size mark, an action
    // button starts a game of the marked size.
    if (m_KeyUsed == 0 && !boxOpen && (m_PlayKey(0) || m_PlayKey(3)) && m_BoardSize > 1) {
        --m_BoardSize;
        m_KeyUsed = 1;
        m_PlaySFX(98, 0.8f, 0.5f, 0);
    }
    if (m_KeyUsed == 0 && !boxOpen && (m_PlayKey(8) || m_PlayKey(5)) && m_BoardSize < 3) {
        ++m_BoardSize;
        m_KeyUsed = 1;
        m_PlaySFX(98, 1.2f, 0.5f, 0);
    }
    if (m_KeyUsed == 0 && !boxOpen && m_Alive > 1) {
        bool action = false;
        for (int code = 10; code <= 17 && !action; ++code) action = m_PlayKey(code) != 0;
        if (action) {
            m_Mode = 11;
            m_ClickUsed = 1;
            m_KeyUsed = 1;
            m_PlaySFX(98, 1, 0.5f, 0);
        }
    }

    // Credits button, the maker's logo; the box itself is drawn after the
    // menu in the same update.
    m_ResetDraw();
    m_SetSize(0.5f);
    const float creditsX = landscape ? 70.0f : static_cast<float>(nubrix_int(W - 70));
    if (m_Button(93, creditsX, H - 40 - 4 * slide, 0) && m_ClickUsed == 0 && !boxOpen) {
        m_ClickUsed = 1;
        m_PlaySFX(99, 1, 1, 0);
        m_CreditsOpen = 1;
    }
    return 0;
}
