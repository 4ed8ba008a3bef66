// Images: strips, padding, grabbed atlases (and the fatal frame outside the
// surface), handles, the whole-surface shortcut, shared surfaces through the
// collector, and the built-in font.

#include "platform/gl.h"
#include <filesystem>

#include "tests/graphics/graphics_env.h"
#include "tests/support/testing.h"

namespace graphics_test {
namespace {

using nubrix_test::ChildResult;
using nubrix_test::RunInChild;

using Strips = GraphicsTest;
using Atlases = GraphicsTest;
using Handles = GraphicsTest;
using Fonts = GraphicsTest;

typedef bb_graphics_Image Image;

// Frame i of the strip fixture is (8i, 255-8i, 100) inside magenta edges.
uint32_t StripColour(int i) { return static_cast<uint32_t>(8 * i) << 16 | static_cast<uint32_t>(255 - 8 * i) << 8 | 100; }
// Cell k of the atlas fixture is (40k+20, 0, 255-40k).
uint32_t CellColour(int k) { return static_cast<uint32_t>(40 * k + 20) << 16 | static_cast<uint32_t>(255 - 40 * k); }

void ExpectFrames(Image* image, const std::vector<std::pair<int, int>>& at) {
    ASSERT_EQ(image->frames.Length(), static_cast<int>(at.size()));
    for (size_t i = 0; i < at.size(); ++i) {
        EXPECT_EQ(image->frames[static_cast<int>(i)]->x, at[i].first) << "frame " << i;
        EXPECT_EQ(image->frames[static_cast<int>(i)]->y, at[i].second) << "frame " << i;
    }
}

TEST_F(Strips, AStripIsCutIntoEqualFramesSideBySide) {
    Image* strip = bb_graphics_LoadImage(Fixture("strip_960x32.png"), 30, 0);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->width, 32);
    EXPECT_EQ(strip->height, 32);
    EXPECT_EQ(strip->flags, 0);
    ASSERT_EQ(strip->frames.Length(), 30);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(strip->frames[i]->x, 32 * i);

    bb_graphics_DrawImage(strip, 100, 100, 5);
    EXPECT_EQ(Rgb(Pixel(100, 100)), 0xff00ffu);  // the frame's padding column
    EXPECT_EQ(Rgb(Pixel(101, 131)), StripColour(5));
    EXPECT_EQ(Rgb(Pixel(132, 100)), 0u);
}

TEST_F(Strips, PaddingMovesEachFrameInsideItsBorder) {
    Image* padded = bb_graphics_LoadImage(Fixture("strip_960x32.png"), 30, Image::PadX | Image::PadY);
    ASSERT_NE(padded, nullptr);
    EXPECT_EQ(padded->width, 30);
    EXPECT_EQ(padded->height, 30);
    EXPECT_EQ(padded->frames[29]->x, 32 * 29 + 1);
    EXPECT_EQ(padded->frames[29]->y, 1);

    bb_graphics_DrawImage(padded, 100, 100, 7);
    EXPECT_EQ(Rgb(Pixel(100, 100)), StripColour(7));
    EXPECT_EQ(Rgb(Pixel(129, 129)), StripColour(7));
    EXPECT_EQ(Rgb(Pixel(130, 100)), 0u);
    EXPECT_EQ(Rgb(Pixel(100, 130)), 0u);
}

TEST_F(Strips, AFrameIndexTheImageDoesNotHaveDrawsNothing) {
    Image* strip = bb_graphics_LoadImage(Fixture("strip_960x32.png"), 30, 0);
    ASSERT_NE(strip, nullptr);
    bb_graphics_DrawImage(strip, 0, 0, 30);
    bb_graphics_DrawImage2(strip, 0, 0, 0, 1, 1, -1);
    EXPECT_EQ(device->batchCount, 0);
}

TEST_F(Atlases, FramesAreGrabbedRowByRowFromOneSharedSurface) {
    Image* cells = bb_graphics_LoadImage2(Fixture("atlas_96x64.png"), 32, 32, 6, 0);
    ASSERT_NE(cells, nullptr);
    ExpectFrames(cells, {{0, 0}, {32, 0}, {64, 0}, {0, 32}, {32, 32}, {64, 32}});
    ASSERT_NE(cells->source, nullptr);
    EXPECT_EQ(cells->surface, cells->source->surface);

    // The atlas survives through the grabbed image alone, surface and all.
    for (int i = 0; i < 2; ++i) {
        Collect({cells});
    }
    ASSERT_TRUE(gc_is_live(cells->source));
    ASSERT_TRUE(glIsTexture(cells->surface->texture));
    for (int k = 0; k < 6; ++k) bb_graphics_DrawImage(cells, 40.0f * k, 0, k);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(Rgb(Pixel(40 * k + 16, 16)), CellColour(k)) << "cell " << k;
}

TEST_F(Atlases, AGrabStartsWhereAskedWrapsAndFollowsThePaddedSource) {
    Image* atlas = bb_graphics_LoadImage(Fixture("atlas_96x64.png"), 1, 0);
    ASSERT_NE(atlas, nullptr);
    ExpectFrames(atlas->m_GrabImage(32, 0, 32, 32, 4, 0), {{32, 0}, {64, 0}, {0, 32}, {32, 32}});

    Image* padded = bb_graphics_LoadImage(Fixture("atlas_96x64.png"), 1, Image::PadX);
    ASSERT_EQ(padded->width, 94);
    ExpectFrames(padded->m_GrabImage(0, 0, 47, 32, 4, 0), {{1, 0}, {48, 0}, {1, 32}, {48, 32}});

    Image* strip = bb_graphics_LoadImage(Fixture("strip_960x32.png"), 30, 0);
    EXPECT_EQ(strip->m_GrabImage(0, 0, 8, 8, 1, 0), nullptr);  // only one-frame images are atlases
}

TEST_F(Atlases, AFrameOutsideTheSurfaceIsFatal) {
    Image* atlas = bb_graphics_LoadImage(Fixture("atlas_96x64.png"), 1, 0);
    ASSERT_NE(atlas, nullptr);
    const std::string report = "Varnok Runtime Error : Image frame outside surface\n\n";
    ChildResult seventh = RunInChild([&] { atlas->m_GrabImage(0, 0, 32, 32, 7, 0); });
    EXPECT_EQ(seventh.out, report);
    EXPECT_EQ(seventh.exitCode, 255) << seventh.err;
    ChildResult tooWide = RunInChild([&] { atlas->m_GrabImage(0, 0, 97, 8, 1, 0); });
    EXPECT_EQ(tooWide.out, report);
    EXPECT_EQ(tooWide.exitCode, 255) << tooWide.err;
}

TEST_F(Handles, ACentredWholeImageIsDrawnAboutItsCentreWithTheWholeSurfaceCall) {
    RecordingGraphics* recorder = new RecordingGraphics();
    UseDevice(recorder);
    Image* image = bb_graphics_LoadImage(Fixture("quadrants_64x64.png"), 1, Image::HandleCentre);
    ASSERT_NE(image, nullptr);
    EXPECT_FLOAT_EQ(image->handleX, 32);
    EXPECT_FLOAT_EQ(image->handleY, 32);
    EXPECT_EQ(image->flags, Image::WholeSurface);

    bb_graphics_DrawImage(image, 320, 240, 0);
    EXPECT_EQ(recorder->calls, std::vector<std::string>{"DrawSurface"});
    EXPECT_EQ(Rgb(Pixel(288, 208)), 0xff0000u);
    EXPECT_EQ(Rgb(Pixel(351, 271)), 0xffffffu);
    EXPECT_EQ(Rgb(Pixel(287, 208)), 0u);
}

TEST_F(Handles, OnlyAnUnpaddedSingleFrameCoveringTheSurfaceIsWhole) {
    RecordingGraphics* recorder = new RecordingGraphics();
    UseDevice(recorder);
    Image* padded = bb_graphics_LoadImage(Fixture("quadrants_64x64.png"), 1, Image::PadY);
    Image* halves = bb_graphics_LoadImage(Fixture("quadrants_64x64.png"), 2, 0);
    Image* part = bb_graphics_LoadImage2(Fixture("quadrants_64x64.png"), 32, 64, 1, 0);
    ASSERT_TRUE(padded && halves && part);
    EXPECT_EQ(padded->flags, Image::PadY);
    EXPECT_EQ(halves->flags, 0);
    EXPECT_EQ(part->flags, 0);

    bb_graphics_DrawImage(halves, 0, 0, 1);
    EXPECT_EQ(recorder->calls, std::vector<std::string>{"DrawSurface2"});
    EXPECT_EQ(Rgb(Pixel(0, 0)), 0x00ff00u);  // the right half starts green

    padded->m_SetHandle(3, 4);
    EXPECT_FLOAT_EQ(padded->handleX, 3);
    EXPECT_EQ(padded->flags, Image::PadY);
}

TEST_F(Fonts, TheBuiltInFontIsLoadedOnceAndAlwaysStartsAtSpace) {
    nubrix_test::TempDir dir;
    ASSERT_TRUE(std::filesystem::create_directory(dir.File("data")));
    nubrix_test::WriteFile(dir.File("data/zaro_font.png"), nubrix_test::ReadFile(FixtureFile("strip_960x32.png")));
    nubrix_test::ScopedWorkingFolder inside(dir.Path());

    bb_graphics_SetFont(nullptr, 65);
    Image* font = context->currentFont;
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font, context->builtinFont);
    EXPECT_EQ(context->fontFirstChar, 32);
    EXPECT_EQ(font->frames.Length(), 96);
    EXPECT_EQ(font->width, 8);  // 960 / 96, less the padding
    EXPECT_EQ(font->frames[1]->x, 11);

    Image* other = bb_graphics_LoadImage(Fixture("atlas_96x64.png"), 1, 0);
    bb_graphics_SetFont(other, 65);
    EXPECT_EQ(context->currentFont, other);
    EXPECT_EQ(context->fontFirstChar, 65);

    for (int i = 0; i < 2; ++i) {  // both fonts are the context's now
        Collect();
    }
    ASSERT_TRUE(gc_is_live(context->builtinFont));
    ASSERT_TRUE(gc_is_live(context->currentFont));
    bb_graphics_SetFont(nullptr, 0);
    EXPECT_EQ(context->currentFont, font);
    EXPECT_EQ(context->fontFirstChar, 32);
    EXPECT_EQ(context->currentFont->frames[95]->x, 951);
}

TEST_F(Fonts, WithoutTheFontFileThereIsNoCurrentFont) {
    nubrix_test::TempDir dir;
    nubrix_test::ScopedWorkingFolder inside(dir.Path());
    bb_graphics_SetFont(bb_graphics_LoadImage(Fixture("atlas_96x64.png"), 1, 0), 40);
    bb_graphics_SetFont(nullptr, 65);
    EXPECT_EQ(context->currentFont, nullptr);
    EXPECT_EQ(context->builtinFont, nullptr);
    EXPECT_EQ(context->fontFirstChar, 32);
}

}  // namespace
}  // namespace graphics_test
