// draw.cpp - the display list and the helpers that write it: draw state,
// shapes, images, text in the game's bitmap font, image buttons and pointer
// rectangles, padded numbers and sound effects.
//
// Nothing here draws: each drawing call appends one 15-float command to
// m_DrawList, taking colour, alpha, scale and rotation from the draw state
// at the moment of the call (the layout is in m_OnRender, app.cpp). Hit
// tests read the touch arrays that the update filled in virtual pixels; all
// their comparisons are strict, so a point on an edge is outside.
//
// Depends on: game/nubrix.h, devices/audio.h (channels).

#include <cmath>
#include <vector>

#include "game/nubrix.h"

namespace {

// Beyond this many floats the list is full: 2,499 commands, not 2,500.
const int kDrawListLimit = 37484;

const double kDegToRad = 3.14159265358979323846 / 180.0;

}  // namespace

int bb_Nubrix_MyApp::m_ResetDraw() {
    m_DrawSX = 1;
    m_DrawSY = 1;
    m_DrawRot = 0;
    m_DrawR = 255;
    m_DrawG = 255;
    m_DrawB = 255;
    m_DrawA = 1;
    return 0;
}

int bb_Nubrix_MyApp::m_CLS2D(float r, float g, float b, float a) {
    if (r > NUBRIX_NONE) {
        m_BackR = r;
        m_BackG = g;
        m_BackB = b;
        m_BackA = a;
    }
    m_ResetDraw();
    m_DrawCount = 0;
    return 0;
}

int bb_Nubrix_MyApp::m_SetSize(float sx, float sy) {
    m_DrawSX = sx;
    m_DrawSY = sy > NUBRIX_NONE ? sy : sx;
    return 0;
}

int bb_Nubrix_MyApp::m_Alpha(float a) {
    m_DrawA = a;
    return 0;
}

int bb_Nubrix_MyApp::m_SetCol(float r, float g, float b, float a) {
    m_DrawR = r;
    m_DrawG = g;
    m_DrawB = b;
    if (a > NUBRIX_NONE) m_DrawA = a;
    return 0;
}

int bb_Nubrix_MyApp::m_Ink(int n, float k) {
    float r = 180, g = 180, b = 180;
    switch (n) {
        case 1: r = 255, g = 0, b = 0; break;
        case 2: r = 255, g = 255, b = 0; break;
        case 3: r = 0, g = 255, b = 0; break;
        case 4: r = 0, g = 128, b = 255; break;
        default: break;
    }
    m_DrawR = r * k;
    m_DrawG = g * k;
    m_DrawB = b * k;
    return 0;
}

int bb_Nubrix_MyApp::AppendCommand(float kind, float x, float y, float p4, float p5, float frame) {
    if (m_DrawCount > kDrawListLimit) return 0;
    float* c = m_DrawList.Data() + m_DrawCount;
    c[0] = kind;
    c[1] = x;
    c[2] = y;
    c[3] = m_DrawRot;
    c[4] = p4;
    c[5] = p5;
    c[6] = frame;
    c[7] = m_DrawA;
    c[10] = m_DrawR;
    c[11] = m_DrawG;
    c[12] = m_DrawB;
    m_DrawCount += 15;
    return 0;
}

int bb_Nubrix_MyApp::m_DrawImg(int id, float x, float y, float frame) {
    LoadDeferredImage(id);
    return AppendCommand(static_cast<float>(id), x, y, m_DrawSX, m_DrawSY, frame);
}

int bb_Nubrix_MyApp::m_Rect(float x, float y, float w, float h) {
    return AppendCommand(NUBRIX_NONE, x, y, w, h, 0);
}

int bb_Nubrix_MyApp::m_Oval(float x, float y, float rx, float ry) {
    return AppendCommand(NUBRIX_OVAL, x, y, rx, ry, 0);
}

int bb_Nubrix_MyApp::m_Text(float x, float y, String text, float alignX, float alignY) {
    if (m_Font < 0 || 3 * m_Font + 1 >= m_ImageInfo.Length()) return 0;
    double gw = m_ImageInfo[3 * m_Font];
    double gh = m_ImageInfo[3 * m_Font + 1];
    double rot = m_DrawRot;
    int n = text.Length();

    // The alignment offset comes from the whole text, line breaks included.
    double width = gw * m_DrawSX * (n - 1);
    double a1 = (-rot - 90) * kDegToRad;
    double x0 = x + std::sin(a1) * width * alignX / 2;
    double y0 = y - std::cos(a1) * width * alignX / 2;
    double a2 = -rot * kDegToRad;
    double height = gh * m_DrawSY * (alignY - 1) / 2;
    x0 += std::sin(a2) * height;
    y0 -= std::cos(a2) * height;

    // Pen steps along the line and down to the next one.
    double stepX = std::sin((90 - rot) * kDegToRad) * gw * m_DrawSX;
    double stepY = -std::cos((90 - rot) * kDegToRad) * gw * m_DrawSX;
    double lineX = std::sin((180 - rot) * kDegToRad) * gh * m_DrawSY;
    double lineY = -std::cos((180 - rot) * kDegToRad) * gh * m_DrawSY;

    double px = x0, py = y0;
    int line = 0;
    const Char* p = text.Data();
    for (int i = 0; i < n;) {
        int c = p[i];
        if (c == '\\' && i + 1 < n && p[i + 1] == 'n') {
            ++line;
            px = x0 + lineX * line;
            py = y0 + lineY * line;
            i += 2;
            continue;
        }
        if (c == 0) {
            ++i;
            continue;
        }
        if (c == '\\') {
            m_DrawImg(m_Font, static_cast<float>(px), static_cast<float>(py), '\\' - 32);
        } else if (c >= 33 && c <= 159) {
            m_DrawImg(m_Font, static_cast<float>(px), static_cast<float>(py), static_cast<float>(c - 32));
        }
        px += stepX;
        py += stepY;
        ++i;
    }
    return 0;
}

// The hit test of m_Button and m_Button0 over the first `touches` touch
// points: the box is the drawn frame, at the size recorded for the slot.
int bb_Nubrix_MyApp::ButtonHit(int id, float x, float y, int touches) {
    if (id < 0 || 3 * id + 1 >= m_ImageInfo.Length()) return 0;
    float hw = m_HDScale * m_ImageInfo[3 * id] * m_DrawSX / 2;
    float hh = m_HDScale * m_ImageInfo[3 * id + 1] * m_DrawSY / 2;
    int hit = 0;
    for (int i = 0; i < touches; ++i) {
        float tx = static_cast<float>(m_TouchX[i]), ty = static_cast<float>(m_TouchY[i]);
        if (x - hw < tx && tx < x + hw && y - hh < ty && ty < y + hh && m_MouseDown > 0) hit = 1;
    }
    return hit;
}

int bb_Nubrix_MyApp::m_Button(int id, float x, float y, int frame) {
    m_DrawImg(id, x, y, static_cast<float>(frame));
    m_ButtonHit = ButtonHit(id, x, y, 10);
    return m_ButtonHit;
}

int bb_Nubrix_MyApp::m_Button0(int id, float x, float y, int frame) {
    m_DrawImg(id, x, y, static_cast<float>(frame));
    m_ButtonHit = ButtonHit(id, x, y, 1);
    return m_ButtonHit;
}

int bb_Nubrix_MyApp::m_MouseIn(float x, float y, float w, float h) {
    for (int i = 0; i < 10; ++i) {
        if (m_TouchDown[i] == 0) continue;
        float tx = static_cast<float>(m_TouchX[i]), ty = static_cast<float>(m_TouchY[i]);
        if (x < tx && tx < x + w && y < ty && ty < y + h) return 1;
    }
    return 0;
}

int bb_Nubrix_MyApp::m_MouseIn_Centered(float x, float y, float w, float h) {
    for (int i = 0; i < 10; ++i) {
        if (m_TouchDown[i] == 0) continue;
        float tx = static_cast<float>(m_TouchX[i]), ty = static_cast<float>(m_TouchY[i]);
        if (x - w / 2 < tx && tx < x + w / 2 && y - h / 2 < ty && ty < y + h / 2) return 1;
    }
    return 0;
}

// value right-aligned in `width` characters: the last `width` characters of
// pad repeated width + 1 times followed by the digits. A width of 0 keeps
// the whole text (pad and digits); a negative width drops that many leading
// characters, as a slice from -width does.
String bb_Nubrix_MyApp::m_rstr(int value, int width, String pad) {
    // The padding only ever shows its last `width` characters, so an absurd
    // width never builds more than this many.
    const int kMaxWidth = 1 << 16;
    if (width > kMaxWidth) width = kMaxWidth;
    String digits(value);
    int repeats = width + 1 > 0 ? width + 1 : 0;
    std::vector<Char> text;
    text.reserve(static_cast<size_t>(pad.Length()) * repeats + digits.Length());
    for (int r = 0; r < repeats; ++r) text.insert(text.end(), pad.Data(), pad.Data() + pad.Length());
    text.insert(text.end(), digits.Data(), digits.Data() + digits.Length());
    int length = static_cast<int>(text.size());
    int from = width > 0 ? length - width : -width;
    if (from < 0) from = 0;
    if (from > length) from = length;
    return String(text.data() + from, length - from);
}

int bb_Nubrix_MyApp::m_PlaySFX(int id, float rate, float volume, float pan) {
    if (m_Option[5] != 1 && m_Option[5] != 2) return 0;
    m_SfxCursor = (m_SfxCursor + 1) % 24;
    if (m_SfxCursor < 0) m_SfxCursor = 0;
    int channel = m_Channels[m_SfxCursor];
    // The device does not range-check channel numbers.
    if (!bb_audio_device || channel < 0 || channel >= gxtkAudio::kChannels) return 0;
    bb_audio_StopChannel(channel);
    if (id >= 0 && id < m_Sounds.Length() && m_Sounds[id]) bb_audio_PlaySound(m_Sounds[id], channel, 0);
    bb_audio_SetChannelRate(channel, rate);
    bb_audio_SetChannelVolume(channel, volume);
    bb_audio_SetChannelPan(channel, pan);
    return 0;
}
