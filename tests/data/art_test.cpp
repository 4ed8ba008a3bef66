// art_test.cpp - the committed pictures show what the game relies on: atoms
// in their player's colour with the right number of atoms per frame, inside
// the cell; a complete, readable font; the icons, keys, buttons, badges and
// logos the game draws are really there and tell each other apart.
//
// Depends on: data_files.h, GoogleTest.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/data/data_files.h"

namespace datatest {
namespace {

const int kLevels[] = {1, 2, 4};

Image sheetFrame(const char* name, int level, int fw, int fh, int index) {
    Image atlas = loadPng(dataPath(levelFile(name, level)));
    return atlas.valid() ? frame(atlas, fw * level, fh * level, index) : Image{};
}

// Hue in degrees and saturation / value in 0..1 of an RGB pixel.
void hsv(const uint8_t* p, float& hue, float& sat, float& val) {
    float r = p[0] / 255.f, g = p[1] / 255.f, b = p[2] / 255.f;
    float mx = std::max({r, g, b}), mn = std::min({r, g, b}), d = mx - mn;
    val = mx;
    sat = mx > 0 ? d / mx : 0;
    hue = 0;
    if (d <= 0) return;
    if (mx == r) hue = 60.f * std::fmod((g - b) / d + 6.f, 6.f);
    else if (mx == g) hue = 60.f * ((b - r) / d + 2.f);
    else hue = 60.f * ((r - g) / d + 4.f);
}

float hueDistance(float a, float b) {
    float d = std::fabs(a - b);
    return std::min(d, 360.f - d);
}

// Connected groups (4-neighbour) of pixels passing `keep`.
int components(const Image& img, const std::function<bool(const uint8_t*)>& keep) {
    std::vector<char> seen(size_t(img.width) * img.height, 0);
    int count = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            if (seen[size_t(y) * img.width + x] || !keep(img.at(x, y))) continue;
            ++count;
            std::vector<std::pair<int, int>> stack{{x, y}};
            seen[size_t(y) * img.width + x] = 1;
            while (!stack.empty()) {
                auto [cx, cy] = stack.back();
                stack.pop_back();
                const int nx[4] = {cx + 1, cx - 1, cx, cx}, ny[4] = {cy, cy, cy + 1, cy - 1};
                for (int k = 0; k < 4; ++k) {
                    if (nx[k] < 0 || ny[k] < 0 || nx[k] >= img.width || ny[k] >= img.height) continue;
                    char& s = seen[size_t(ny[k]) * img.width + nx[k]];
                    if (s || !keep(img.at(nx[k], ny[k]))) continue;
                    s = 1;
                    stack.push_back({nx[k], ny[k]});
                }
            }
        }
    return count;
}

// --- atoms ---------------------------------------------------------------

const float kPlayerHue[4] = {0.f, 60.f, 120.f, 210.f};  // red, yellow, green, blue

TEST(Atoms, EachColourGroupIsDominatedByItsPlayersHue) {
    for (int level : kLevels) {
        for (int colour = 0; colour < 4; ++colour) {
            long saturated = 0, onHue = 0;
            for (int f = 0; f < 16; ++f) {
                Image img = sheetFrame("atoms", level, 64, 64, colour * 16 + f);
                ASSERT_TRUE(img.valid());
                for (size_t i = 0; i < img.rgba.size(); i += 4) {
                    float h, s, v;
                    hsv(&img.rgba[i], h, s, v);
                    if (img.rgba[i + 3] < 128 || s < 0.35f || v < 0.2f) continue;
                    ++saturated;
                    onHue += hueDistance(h, kPlayerHue[colour]) <= 35.f;
                }
            }
            ASSERT_GT(saturated, 500 * level * level) << "colour " << colour + 1 << " level " << level;
            EXPECT_GT(double(onHue) / saturated, 0.9) << "colour " << colour + 1 << " level " << level;
        }
    }
}

TEST(Atoms, CoveredAreaGrowsAsAtomsAreAdded) {
    for (int level : kLevels)
        for (int colour = 0; colour < 4; ++colour) {
            int area[16];
            for (int f = 0; f < 16; ++f) area[f] = coverage(sheetFrame("atoms", level, 64, 64, colour * 16 + f), 128);
            EXPECT_GT(area[0], 0);
            EXPECT_LT(area[0], area[3]) << "colour " << colour + 1 << " level " << level;
            EXPECT_LT(area[3], area[7]) << "colour " << colour + 1 << " level " << level;
            EXPECT_LT(area[7], area[12]) << "colour " << colour + 1 << " level " << level;
            for (int f = 13; f < 16; ++f) EXPECT_LT(area[12], area[f]) << "frame " << f;
        }
}

// Each glossy atom carries one bright specular highlight, so counting the
// near-white spots counts the atoms.
TEST(Atoms, SettledFramesShowOneTwoThreeAndFourAtoms) {
    auto highlight = [](const uint8_t* p) { return p[3] > 200 && std::min({p[0], p[1], p[2]}) >= 210; };
    const int kFrames[] = {3, 7, 12, 13, 14, 15};
    const int kAtoms[] = {1, 2, 3, 4, 4, 4};
    for (int level : kLevels)
        for (int colour = 0; colour < 4; ++colour)
            for (int i = 0; i < 6; ++i) {
                Image img = sheetFrame("atoms", level, 64, 64, colour * 16 + kFrames[i]);
                EXPECT_EQ(components(img, highlight), kAtoms[i])
                    << "colour " << colour + 1 << " frame " << kFrames[i] << " level " << level;
            }
}

TEST(Atoms, StayInsideTheCellsInnerSquare) {
    for (int level : kLevels) {
        Image atlas = loadPng(dataPath(levelFile("atoms", level)));
        ASSERT_TRUE(atlas.valid());
        for (int f = 0; f < 64; ++f) {
            Image img = frame(atlas, 64 * level, 64 * level, f);
            int outside = 0;
            for (int y = 0; y < img.height; ++y)
                for (int x = 0; x < img.width; ++x) {
                    bool inner = x >= 4 * level && x < 60 * level && y >= 4 * level && y < 60 * level;
                    outside += !inner && img.alpha(x, y) >= 128;
                }
            EXPECT_EQ(outside, 0) << "frame " << f << " level " << level;
        }
    }
}

// The menu's player slots show frame 14 of each colour at twice its size,
// 80 units apart, each label 24 to 44 units below its slot's centre and 10
// to 32 units right of it (" Off", " CPU" at size 2). Drawn after the label
// above it, the next slot's picture must leave rows 4 to 14, columns 27 to
// 48 of its frame clear; so must the studio mark, drawn at half size as the
// credits button 80 units below the fourth slot and 6 units left of it in
// portrait (rows 16 to 56, columns 120 to 204 of its frame).
TEST(MenuArt, PicturesDrawnOverASlotLabelLeaveItClear) {
    const struct {
        const char* sheet;
        int size, frame, x0, x1, y0, y1;
    } clear[] = {
        {"atoms", 64, 14, 26, 50, 3, 15},   {"atoms", 64, 30, 26, 50, 3, 15},
        {"atoms", 64, 46, 26, 50, 3, 15},   {"atoms", 64, 62, 26, 50, 3, 15},
        {"common/ZOVTLogo", 256, 0, 118, 206, 15, 57},
    };
    for (int level : kLevels)
        for (const auto& c : clear) {
            Image img = sheetFrame(c.sheet, level, c.size, c.size, c.frame);
            ASSERT_TRUE(img.valid()) << c.sheet;
            int covered = 0;
            for (int y = c.y0 * level; y < c.y1 * level; ++y)
                for (int x = c.x0 * level; x < c.x1 * level; ++x) covered += img.alpha(x, y) > 32;
            EXPECT_EQ(covered, 0) << c.sheet << " frame " << c.frame << " level " << level;
        }
}

// --- font ----------------------------------------------------------------

// The white body of a glyph (its outline is dark and translucent).
std::vector<bool> glyphBody(const Image& img) {
    std::vector<bool> body;
    for (size_t i = 0; i < img.rgba.size(); i += 4)
        body.push_back(img.rgba[i + 3] >= 200 && img.rgba[i] >= 200 && img.rgba[i + 1] >= 200);
    return body;
}

Image glyph(int level, int code) { return sheetFrame("fonts/editundo", level, 16, 16, code - 32); }

TEST(Font, LettersAndDigitsHaveInkAndAreAllDifferent) {
    std::string chars;
    for (char c = 'A'; c <= 'Z'; ++c) chars += c;
    for (char c = 'a'; c <= 'z'; ++c) chars += c;
    for (char c = '0'; c <= '9'; ++c) chars += c;
    for (int level : kLevels) {
        std::set<std::vector<bool>> seen;
        for (char c : chars) {
            std::vector<bool> body = glyphBody(glyph(level, c));
            EXPECT_GT(std::count(body.begin(), body.end(), true), 2 * level * level) << "'" << c << "' level " << level;
            EXPECT_TRUE(seen.insert(body).second) << "'" << c << "' repeats another glyph at level " << level;
        }
    }
}

TEST(Font, SpaceIsEmpty) {
    for (int level : kLevels) EXPECT_EQ(coverage(glyph(level, ' '), 1), 0) << "level " << level;
}

// Glyphs are drawn centred and advance 7 units: a body wider than 5 units,
// or off the cell's centre, would run into its neighbours.
TEST(Font, PrintableGlyphsFitTheAdvance) {
    for (int level : kLevels)
        for (int code = 33; code <= 126; ++code) {
            Image img = glyph(level, code);
            ASSERT_TRUE(img.valid());
            std::vector<bool> body = glyphBody(img);
            int minX = img.width, maxX = -1, minY = img.height, maxY = -1;
            for (int y = 0; y < img.height; ++y)
                for (int x = 0; x < img.width; ++x)
                    if (body[size_t(y) * img.width + x]) {
                        minX = std::min(minX, x), maxX = std::max(maxX, x);
                        minY = std::min(minY, y), maxY = std::max(maxY, y);
                    }
            ASSERT_GE(maxX, 0) << "code " << code << " has no ink";
            EXPECT_GE(minX, 5 * level) << "code " << code;
            EXPECT_LT(maxX, 10 * level) << "code " << code;
            EXPECT_GE(minY, 3 * level) << "code " << code;
            EXPECT_LT(maxY, 14 * level) << "code " << code;
        }
}

TEST(Font, DescendersDropBelowTheBaselineAndOthersDoNot) {
    auto lowest = [](const Image& img) {
        std::vector<bool> body = glyphBody(img);
        int low = -1;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x)
                if (body[size_t(y) * img.width + x]) low = y;
        return low;
    };
    for (int level : kLevels) {
        const int baseline = lowest(glyph(level, 'x'));
        ASSERT_GT(baseline, 0);
        EXPECT_EQ(lowest(glyph(level, 'H')), baseline);
        for (char c : std::string("gjpqy")) EXPECT_GE(lowest(glyph(level, c)), baseline + level) << c;
        for (char c : std::string("abcdehkmnostuvwz")) EXPECT_EQ(lowest(glyph(level, c)), baseline) << c;
    }
}

// White text must stay readable on the yellow and orange screens.
TEST(Font, GlyphsHaveADarkTranslucentOutline) {
    for (int level : kLevels)
        for (char c : std::string("Aa0W")) {
            Image img = glyph(level, c);
            int dark = 0;
            for (size_t i = 0; i < img.rgba.size(); i += 4)
                dark += img.rgba[i + 3] >= 60 && img.rgba[i + 3] <= 230 &&
                        std::max({img.rgba[i], img.rgba[i + 1], img.rgba[i + 2]}) <= 60;
            std::vector<bool> body = glyphBody(img);
            EXPECT_GT(dark, std::count(body.begin(), body.end(), true)) << c << " level " << level;
        }
}

// --- icons, keys, buttons -------------------------------------------------

TEST(Icons, FramesTheGameDrawsHaveDistinctPictures) {
    for (int level : kLevels) {
        std::set<std::vector<uint8_t>> seen;
        for (int f : {0, 1, 3, 4, 5, 6, 7, 8, 9, 10}) {
            Image img = sheetFrame("common/icons", level, 32, 32, f);
            EXPECT_GT(coverage(img, 128), 32 * 32 * level * level / 50) << "frame " << f << " level " << level;
            EXPECT_TRUE(seen.insert(img.rgba).second) << "frame " << f << " repeats another";
        }
    }
}

// The ring goes around a button: its middle must stay clear.
TEST(Icons, SelectionRingIsHollow) {
    for (int level : kLevels) {
        Image img = sheetFrame("common/icons", level, 32, 32, 6);
        int centre = 0;
        for (int y = 8 * level; y < 24 * level; ++y)
            for (int x = 8 * level; x < 24 * level; ++x) centre += img.alpha(x, y) > 0;
        EXPECT_EQ(centre, 0) << "level " << level;
        EXPECT_GT(coverage(img, 200), 0);
    }
}

// An arrow reaches farther from the key's centre towards its tip than
// towards its base.
TEST(Dpad, ArrowsPointTheirWay) {
    struct Reach {
        float up = 0, down = 0, left = 0, right = 0;
    };
    auto reach = [](const Image& img) {
        Reach r;
        const float c = img.width * 0.5f;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) {
                if (img.alpha(x, y) < 250) continue;
                r.up = std::max(r.up, c - y), r.down = std::max(r.down, y + 1 - c);
                r.left = std::max(r.left, c - x), r.right = std::max(r.right, x + 1 - c);
            }
        return r;
    };
    for (int level : kLevels) {
        const float d = 1.5f * level;
        Reach up = reach(sheetFrame("common/dpad", level, 32, 32, 1));
        EXPECT_GT(up.up, up.down + d) << "frame 1 points up, level " << level;
        Reach down = reach(sheetFrame("common/dpad", level, 32, 32, 9));
        EXPECT_GT(down.down, down.up + d) << "frame 9 points down, level " << level;
        Reach left = reach(sheetFrame("common/dpad", level, 32, 32, 4));
        EXPECT_GT(left.left, left.right + d) << "frame 4 points left, level " << level;
        Reach right = reach(sheetFrame("common/dpad", level, 32, 32, 6));
        EXPECT_GT(right.right, right.left + d) << "frame 6 points right, level " << level;
        for (int f : {0, 5}) EXPECT_GT(coverage(sheetFrame("common/dpad", level, 32, 32, f), 128), 0) << f;
    }
}

TEST(Buttons, BoardSizesDifferAndTheSelectionMarkIsHollow) {
    for (int level : kLevels) {
        std::set<std::vector<uint8_t>> seen;
        for (int f = 0; f < 4; ++f) {
            Image img = sheetFrame("common/Buttons", level, 64, 64, f);
            EXPECT_GT(coverage(img, 250), 64 * 64 * level * level / 2) << "frame " << f;
            EXPECT_TRUE(seen.insert(img.rgba).second) << "frame " << f;
        }
        Image mark = sheetFrame("common/Buttons", level, 64, 64, 15);
        int middle = 0;
        for (int y = 16 * level; y < 48 * level; ++y)
            for (int x = 16 * level; x < 48 * level; ++x) middle += mark.alpha(x, y) > 0;
        EXPECT_EQ(middle, 0) << "level " << level;
        EXPECT_GT(coverage(mark, 200), 64 * level * level) << "level " << level;
    }
}

// --- logos, badges, particles ---------------------------------------------

TEST(Logos, TitleUsesThePlayerColours) {
    Image img = sheetFrame("logo", 1, 256, 128, 0);
    ASSERT_TRUE(img.valid());
    int perHue[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < img.rgba.size(); i += 4) {
        float h, s, v;
        hsv(&img.rgba[i], h, s, v);
        if (img.rgba[i + 3] < 200 || s < 0.5f || v < 0.5f) continue;
        for (int c = 0; c < 4; ++c) perHue[c] += hueDistance(h, kPlayerHue[c]) <= 20.f;
    }
    for (int c = 0; c < 4; ++c) EXPECT_GT(perHue[c], 200) << "player colour " << c + 1;
}

// Shown over a yellow disc: the mark needs a dark body to stand out.
TEST(Logos, StudioMarkIsSolidAndDarkOnTheLoadingScreen) {
    Image img = sheetFrame("common/ZOVTLogo", 1, 256, 256, 0);
    ASSERT_TRUE(img.valid());
    double luminance = 0;
    int opaque = 0;
    for (size_t i = 0; i < img.rgba.size(); i += 4) {
        if (img.rgba[i + 3] < 250) continue;
        ++opaque;
        luminance += (0.3 * img.rgba[i] + 0.59 * img.rgba[i + 1] + 0.11 * img.rgba[i + 2]) / 255.0;
    }
    EXPECT_GT(opaque, 256 * 256 / 2);
    EXPECT_LT(luminance / opaque, 0.5);
}

TEST(Badges, AllSixtyFourArePresentAndDistinct) {
    Image atlas = loadPng(dataPath("BadgesA.png"));
    ASSERT_TRUE(atlas.valid());
    std::vector<Image> badges;
    for (int f = 0; f < 64; ++f) {
        badges.push_back(frame(atlas, 64, 64, f));
        EXPECT_GT(coverage(badges.back(), 250), 64 * 64 / 3) << "badge " << f;
    }
    for (int a = 0; a < 64; ++a)
        for (int b = a + 1; b < 64; ++b) {
            long diff = 0;
            for (size_t i = 0; i < badges[a].rgba.size(); ++i) diff += std::abs(badges[a].rgba[i] - badges[b].rgba[i]);
            EXPECT_GT(diff / (64 * 64), 10) << "badges " << a << " and " << b << " look alike";
        }
}

TEST(Particles, EverySpriteHasInk) {
    for (int level : kLevels)
        for (int f = 0; f < 16; ++f)
            EXPECT_GT(coverage(sheetFrame("parts", level, 8, 8, f), 100), 0) << "frame " << f << " level " << level;
}

}  // namespace
}  // namespace datatest
