// sheets_test.cpp - every image sheet the game loads is present at every
// resolution level with a frame grid the loader can cut, stays within the
// texture size limit, keeps fully transparent pixels black, and (except the
// pixel font) carries real extra detail at the higher levels.
//
// Depends on: data_files.h, GoogleTest.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "tests/data/data_files.h"

namespace datatest {
namespace {

class SheetLevel : public ::testing::TestWithParam<std::tuple<int, int>> {
protected:
    const Sheet& sheet() const { return sheets()[std::get<0>(GetParam())]; }
    int level() const { return std::get<1>(GetParam()); }
    std::string path() const { return dataPath(levelFile(sheet().name, level())); }
};

TEST_P(SheetLevel, IsAPngWithAWholeFrameGrid) {
    std::vector<uint8_t> bytes = readFile(path());
    ASSERT_FALSE(bytes.empty()) << path() << " is missing";
    ASSERT_TRUE(isPng(bytes)) << path();
    Image img = loadPng(path());
    ASSERT_TRUE(img.valid()) << path() << " does not decode";
    const int fw = sheet().frameWidth * level(), fh = sheet().frameHeight * level();
    EXPECT_EQ(img.width % fw, 0) << path();
    EXPECT_EQ(img.height % fh, 0) << path();
    EXPECT_GE((img.width / fw) * (img.height / fh), sheet().frames) << path();
    EXPECT_LE(img.width, 2048) << path();
    EXPECT_LE(img.height, 2048) << path();
    // The last frame is reachable by the loader's row-major grab.
    EXPECT_TRUE(frame(img, fw, fh, sheet().frames - 1).valid()) << path();
}

TEST_P(SheetLevel, TransparentPixelsCarryNoColour) {
    Image img = loadPng(path());
    ASSERT_TRUE(img.valid()) << path();
    int coloured = 0;
    for (size_t i = 0; i < img.rgba.size(); i += 4)
        coloured += img.rgba[i + 3] == 0 && (img.rgba[i] | img.rgba[i + 1] | img.rgba[i + 2]) != 0;
    EXPECT_EQ(coloured, 0) << path();
}

TEST_P(SheetLevel, TintedArtIsWhiteWhereOpaque) {
    if (!sheet().white) GTEST_SKIP() << "drawn with its own colours";
    Image img = loadPng(path());
    ASSERT_TRUE(img.valid()) << path();
    int opaque = 0, tinted = 0;
    for (size_t i = 0; i < img.rgba.size(); i += 4) {
        // Anti-aliased edges over a drop shadow are legitimately grey.
        if (img.rgba[i + 3] < 250) continue;
        ++opaque;
        const uint8_t* p = &img.rgba[i];
        const int hi = std::max({p[0], p[1], p[2]}), lo = std::min({p[0], p[1], p[2]});
        // Light and colourless; a little shading is fine, a hue is not.
        tinted += lo < 180 || hi - lo > 10;
    }
    EXPECT_GT(opaque, 0) << path();
    EXPECT_EQ(tinted, 0) << path() << ": opaque pixels must be white so the game's tint colours them";
}

// A level rendered afresh has edges that fall inside the 2x2 (level 2) or
// 4x4 blocks an upscale of level 1 would repeat; count non-uniform blocks.
TEST_P(SheetLevel, HigherLevelsAreRedrawnNotUpscaled) {
    if (level() == 1) GTEST_SKIP() << "base level";
    if (sheet().pixelFont) GTEST_SKIP() << "the pixel font is enlarged block by block on purpose";
    Image img = loadPng(path());
    ASSERT_TRUE(img.valid()) << path();
    const int block = level();
    long visible = 0, detailed = 0;
    for (int y = 0; y + block <= img.height; y += block) {
        for (int x = 0; x + block <= img.width; x += block) {
            bool any = false, uniform = true;
            const uint8_t* first = img.at(x, y);
            for (int dy = 0; dy < block; ++dy)
                for (int dx = 0; dx < block; ++dx) {
                    const uint8_t* p = img.at(x + dx, y + dy);
                    any = any || p[3] != 0;
                    uniform = uniform && std::equal(p, p + 4, first);
                }
            visible += any;
            detailed += any && !uniform;
        }
    }
    ASSERT_GT(visible, 0) << path();
    EXPECT_GT(double(detailed) / visible, 0.05) << path();
}

std::string sheetName(const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
    std::string name = sheets()[std::get<0>(info.param)].name;
    for (char& c : name)
        if (c == '/') c = '_';
    return name + "_level" + std::to_string(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(AllSheets, SheetLevel,
                         ::testing::Combine(::testing::Range(0, int(sheets().size())), ::testing::Values(1, 2, 4)),
                         sheetName);

TEST(FallbackFont, IsAStripOf96PaddedGlyphs) {
    const std::string path = dataPath("zaro_font.png");
    ASSERT_TRUE(isPng(readFile(path))) << path;
    Image img = loadPng(path);
    ASSERT_TRUE(img.valid());
    ASSERT_EQ(img.width % 96, 0);
    const int fw = img.width / 96;
    EXPECT_GE(fw, 6);
    EXPECT_LE(img.height, 32);
    int blankPadding = 0, glyphsWithInk = 0;
    for (int g = 0; g < 96; ++g) {
        Image f = frame(img, fw, img.height, g);
        for (int y = 0; y < f.height; ++y) blankPadding += f.alpha(0, y) == 0 && f.alpha(fw - 1, y) == 0;
        glyphsWithInk += coverage(f, 128) > 0;
    }
    // The padding columns either side of every glyph are clear.
    EXPECT_EQ(blankPadding, 96 * img.height);
    // Every printable character but space has ink.
    EXPECT_GE(glyphsWithInk, 94);
    EXPECT_EQ(coverage(frame(img, fw, img.height, 0), 1), 0) << "space must be empty";
}

}  // namespace
}  // namespace datatest
