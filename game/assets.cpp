// assets.cpp - images, the bitmap font and sound effects, loaded into the
// game's numbered slots one group per update while the loading screen shows.
//
// Every picture exists at three resolution levels: the design size (".png"),
// twice it ("-hd.png") and four times it ("-hd2.png"). The level follows the
// window size; the render pass multiplies image scales by m_HDScale, so an
// image covers the same virtual units at every level. A missing file leaves
// its slot empty: its commands draw nothing and buttons still hit-test
// against the size recorded in m_ImageInfo.
//
// Some sheets are drawn only by features whose switches are off in this
// game (the score panel's sheet, badges, on-screen d-pad, iCade marks,
// particles): about half of all texture memory. Their loader steps record
// the file and the sizes as usual, but the picture is read the first time
// something draws the slot, so a slot looks the same to whatever uses it.
//
// Depends on: game/nubrix.h, graphics/graphics.h (LoadImage2),
// devices/audio.h (LoadSound).

#include "game/nubrix.h"

namespace {

String LevelSuffix(int level) {
    if (level == 2) return String("-hd");
    if (level == 4) return String("-hd2");
    return String();
}

bool ValidSlot(int id) { return id >= 0 && id < 100; }

bool LoadedOnFirstUse(int id) { return id == 99 || id == 80 || id == 94 || id == 92 || id == 96; }

}  // namespace

// Level 1 while neither side of the device exceeds 630 pixels, 2 while
// neither exceeds 1230, else 4; the scale undoes the level, so images keep
// their size in virtual units.
void bb_Nubrix_MyApp::ChooseResolutionLevel() {
    int w = bb_graphics_DeviceWidth(), h = bb_graphics_DeviceHeight();
    m_HDLevel = 1;
    m_HDScale = 1.0f;
    if (w > 630 || h > 630) {
        m_HDLevel = 2;
        m_HDScale = 0.5f;
    }
    if (w > 1230 || h > 1230) {
        m_HDLevel = 4;
        m_HDScale = 0.25f;
    }
}

int bb_Nubrix_MyApp::m_LoadImg(int id, String name, int w, int h, int frames, int flags) {
    if (!ValidSlot(id)) return 0;
    String path = name + LevelSuffix(m_HDLevel) + String(".png");
    m_Images[id] = nullptr;  // the old image is left to the collector
    m_ImageInfo[3 * id] = w * m_HDLevel;
    m_ImageInfo[3 * id + 1] = h * m_HDLevel;
    m_ImageInfo[3 * id + 2] = frames;
    m_DeferredPath[id] = path;
    m_DeferredFlags[id] = flags;
    if (!LoadedOnFirstUse(id)) LoadDeferredImage(id);
    return 0;
}

void bb_Nubrix_MyApp::LoadDeferredImage(int id) {
    if (!ValidSlot(id) || m_DeferredPath[id].Length() == 0) return;
    String path = m_DeferredPath[id];
    m_DeferredPath[id] = String();  // one attempt: a missing file stays an empty slot
    gc_assign(m_Images[id], bb_graphics_LoadImage2(path, m_ImageInfo[3 * id], m_ImageInfo[3 * id + 1],
                                                   m_ImageInfo[3 * id + 2], m_DeferredFlags[id]));
}

int bb_Nubrix_MyApp::m_LoadImgRaw(int id, String name, int w, int h, int frames, int flags) {
    if (!ValidSlot(id)) return 0;
    String path = name + String(".png");
    m_Images[id] = nullptr;
    m_DeferredPath[id] = String();
    gc_assign(m_Images[id], bb_graphics_LoadImage2(path, w, h, frames, flags));
    m_ImageInfo[3 * id] = w;
    m_ImageInfo[3 * id + 1] = h;
    m_ImageInfo[3 * id + 2] = frames;
    return 0;
}

// A font's advance and line height are virtual units: unlike an image's
// frame size they are not multiplied by the level.
int bb_Nubrix_MyApp::m_LoadFont(int id, String name, int advance, int lineHeight) {
    if (!ValidSlot(id)) return 0;
    String path = name + LevelSuffix(m_HDLevel) + String(".png");
    m_Images[id] = nullptr;
    m_DeferredPath[id] = String();
    gc_assign(m_Images[id], bb_graphics_LoadImage2(path, 16 * m_HDLevel, 16 * m_HDLevel, 128, 1));
    m_ImageInfo[3 * id] = advance;
    m_ImageInfo[3 * id + 1] = lineHeight;
    m_ImageInfo[3 * id + 2] = 128;
    m_Font = id;
    return 0;
}

int bb_Nubrix_MyApp::m_LoadSFX(int n) {
    if (!ValidSlot(n)) return 0;
    String name = n < 10 ? String("sfx/00") : String("sfx/0");
    name = name + String(n) + String(".wav");
    gc_assign(m_Sounds[n], bb_audio_LoadSound(name));
    return 0;
}

int bb_Nubrix_MyApp::m_Loader() {
    ChooseResolutionLevel();

    switch (m_Loading) {
        case 1: m_LoadImg(97, String("common/icons"), 32, 32, 16, 1); break;
        case 2: m_LoadImg(95, String("common/Buttons"), 64, 64, 16, 1); break;
        case 3: m_LoadImg(94, String("common/dpad"), 32, 32, 16, 1); break;
        case 4: m_LoadImg(92, String("common/icade"), 64, 64, 2, 1); break;
        case 5: m_LoadImg(93, String("common/ZOVTLogo"), 256, 256, 1, 1); break;
        case 6: m_LoadFont(90, String("fonts/editundo"), 7, 10); break;
        case 7:
            m_LoadSFX(1);
            m_LoadSFX(2);
            m_LoadSFX(3);
            break;
        case 8: m_LoadSFX(95); break;
        case 9: m_LoadSFX(98); break;
        case 10: m_LoadSFX(99); break;
        case 11: m_LoadImg(99, String("menu"), 256, 256, 4, 1); break;
        case 12: m_LoadImg(98, String("logo"), 256, 128, 1, 1); break;
        case 13: m_LoadImg(96, String("parts"), 8, 8, 16, 1); break;
        case 14: m_LoadImg(80, String("BadgesA"), 64, 64, 64, 1); break;
        case 15: m_LoadImg(1, String("atoms"), 64, 64, 64, 1); break;
        default:
            if (m_Loading >= 16) m_Loading = 0;
            break;
    }
    if (m_Loading >= 1) ++m_Loading;
    m_WaitStart(1);
    return 0;
}

// No caller in this game: word lists and image read-back are not used.
int bb_Nubrix_MyApp::m_Loader_WordList() { return 0; }

// No caller in this game: word lists and image read-back are not used.
int bb_Nubrix_MyApp::m_GrabImageData() { return 0; }
