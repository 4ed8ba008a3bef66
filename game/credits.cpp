// credits.cpp - the credits box over the menu, and the badge names.
//
// The credits box is recorded after the menu in the same update, so a press
// the menu has already used (the sound toggle, a player slot) is not seen
// here and leaves the box open; any other new press closes it. A press held
// since the credits button opened the box stays consumed until released.
//
// Badges are kept and saved (records.cpp) but no rule of the game awards
// one: nothing queues a pop-up and nothing opens the badge box.
//
// Depends on: game/nubrix.h (drawing helpers, sound effects).

#include "game/nubrix.h"

int bb_Nubrix_MyApp::m_CreditBox() {
    const float W = bb_Nubrix_vscrw, H = bb_Nubrix_vscrh;
    static const struct {
        float offset;
        const char* text;
    } kLines[] = {
        {0, "A Game By"},
        {20, "The Nubrix Developers"},
        {40, "www.nubrix.invalid"},
        {80, "Created using"},
        {100, "Varnok"},
        {120, "www.varnok.invalid"},
    };

    m_ResetDraw();
    m_SetCol(255, 125, 0, 0.8f);
    m_Rect(0.1f * W, 0.2f * H, 0.8f * W, 0.6f * H);
    m_SetCol(100, 0, 0, 0.8f);
    m_Rect(0.12f * W, 0.22f * H, 0.76f * W, 0.56f * H);
    m_SetCol(255, 255, 255, 1);
    m_SetSize(1.5f);
    for (const auto& line : kLines) m_Text(W / 2, 0.24f * H + line.offset, String(line.text), 1, 0);

    // The box is still drawn in the frame in which it closes.
    if (m_MouseDown >= 1 && m_ClickUsed == 0) {
        m_ClickUsed = 1;
        m_CreditsOpen = 0;
        m_PlaySFX(99, 1, 1, 0);
    }
    return 0;
}

// A badge's record: its name and its description, separated by "|".
String bb_Nubrix_MyApp::m_BadgeID(int id) {
    if (id == 0) return String("Test Badge|This is a Test Badge which has no purpose.");
    return String();
}

String bb_Nubrix_MyApp::m_BadgeName(int id) {
    String record = m_BadgeID(id);
    int bar = record.Find(String("|"));
    return bar < 0 ? record : record.Slice(0, bar);
}

String bb_Nubrix_MyApp::m_BadgeDetail(int id) {
    String record = m_BadgeID(id);
    int bar = record.Find(String("|"));
    if (bar < 0) return String();
    int next = record.Find(String("|"), bar + 1);
    return next < 0 ? record.Slice(bar + 1) : record.Slice(bar + 1, next);
}

// The badge box would list the badges over the menu; m_BadgesOpen never
// becomes 1 in this program, so it is never called and shows nothing.
int bb_Nubrix_MyApp::m_BadgesBox() { return 0; }

// The badge pop-ups would be drawn over every screen from m_BadgeQueue;
// nothing ever queues a badge, so there is never anything to draw and the
// update leaves this call out.
int bb_Nubrix_MyApp::m_ShowBadges() { return 0; }
