// Pixel transfer: ReadPixels row order, layout and format, WritePixels2's
// premultiplied upload, and requests that do not fit the caller's array,
// which are refused before GL or the array is touched.

#include "platform/gl.h"

#include <climits>

#include "tests/graphics/graphics_env.h"

namespace graphics_test {
namespace {

using ReadPixels = GraphicsTest;
using WritePixels = GraphicsTest;
using PixelRequests = GraphicsTest;

const int kSentinel = 0x5a5a5a5a;

Array<int> Filled(int n, int value = kSentinel) {
    Array<int> a(n);
    for (int i = 0; i < n; ++i) a[i] = value;
    return a;
}

// Two rows at y = 10 and 11: red, then green, four pixels wide.
void DrawTwoRows(gxtkGraphics* device) {
    device->SetColor(255, 0, 0);
    device->DrawRect(0, 10, 4, 1);
    device->SetColor(0, 255, 0);
    device->DrawRect(0, 11, 4, 1);
}

TEST_F(ReadPixels, TheTopRowComesFirstAsAarrggbb) {
    DrawTwoRows(device);
    Array<int> px = Filled(8);
    device->ReadPixels(px, 0, 10, 4, 2, 0, 4);
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(static_cast<uint32_t>(px[j]), 0xffff0000u) << j;
        EXPECT_EQ(static_cast<uint32_t>(px[4 + j]), 0xff00ff00u) << j;
    }
}

TEST_F(ReadPixels, OffsetAndPitchPlaceTheRowsAndNothingElseIsWritten) {
    DrawTwoRows(device);
    Array<int> px = Filled(30);
    device->ReadPixels(px, 1, 10, 2, 2, 3, 10);
    for (int i = 0; i < 30; ++i) {
        bool row0 = i == 3 || i == 4, row1 = i == 13 || i == 14;
        uint32_t want = row0 ? 0xffff0000u : row1 ? 0xff00ff00u : static_cast<uint32_t>(kSentinel);
        EXPECT_EQ(static_cast<uint32_t>(px[i]), want) << i;
    }
}

TEST_F(ReadPixels, TheFrameworkTakesPitchZeroAsTheWidth) {
    DrawTwoRows(device);
    Array<int> px = Filled(8);
    bb_graphics_ReadPixels(px, 0, 10, 4, 2, 0, 0);
    EXPECT_EQ(static_cast<uint32_t>(px[4]), 0xff00ff00u);
}

TEST_F(WritePixels, ColoursArePremultipliedOnUpload) {
    gxtkSurface* surface = device->CreateSurface(2, 1);
    ASSERT_NE(surface, nullptr);
    Array<int> px(2);
    px[0] = static_cast<int>(0x80ff0000u);
    px[1] = 0x40808080;
    device->WritePixels2(surface, px, 0, 0, 2, 1, 0, 2);

    Texels t = ReadTexture(surface, GL_RGBA);
    const unsigned char* p0 = t.At(0, 0);
    const unsigned char* p1 = t.At(1, 0);
    EXPECT_EQ(p0[0], 128);
    EXPECT_EQ(p0[1], 0);
    EXPECT_EQ(p0[2], 0);
    EXPECT_EQ(p0[3], 128);
    EXPECT_EQ(p1[0], 32);  // 128 * 64 / 255 = 32.1
    EXPECT_EQ(p1[1], 32);
    EXPECT_EQ(p1[2], 32);
    EXPECT_EQ(p1[3], 64);
}

TEST_F(WritePixels, ASubRectangleIsWrittenRowByRowFromOffsetAndPitch) {
    gxtkSurface* surface = SolidSurface(device, 0xff000000, 4, 4);
    Array<int> px = Filled(12, 0);
    px[5] = px[6] = static_cast<int>(0xffff0000u);  // row 0 at offset 5
    px[10] = px[11] = static_cast<int>(0xff00ff00u);  // row 1 at offset 10
    device->WritePixels2(surface, px, 1, 2, 2, 2, 5, 5);

    Texels t = ReadTexture(surface, GL_RGBA);
    EXPECT_EQ(t.At(1, 2)[0], 255);
    EXPECT_EQ(t.At(2, 2)[0], 255);
    EXPECT_EQ(t.At(1, 3)[1], 255);
    EXPECT_EQ(t.At(0, 2)[0], 0);
    EXPECT_EQ(t.At(3, 3)[1], 0);

    device->DrawSurface(surface, 50, 50);
    EXPECT_EQ(Rgb(Pixel(51, 52)), 0xff0000u);
    EXPECT_EQ(Rgb(Pixel(52, 53)), 0x00ff00u);
}

TEST_F(WritePixels, DrawingQueuedBeforeAWriteShowsTheOldPixels) {
    gxtkSurface* surface = SolidSurface(device, 0xffff0000);
    device->DrawSurface(surface, 0, 0);  // still in the batch
    device->WritePixels2(surface, Filled(16, static_cast<int>(0xff00ff00u)), 0, 0, 4, 4, 0, 4);
    device->DrawSurface(surface, 10, 0);
    device->Flush();
    EXPECT_EQ(Rgb(Pixel(1, 1)), 0xff0000u);
    EXPECT_EQ(Rgb(Pixel(11, 1)), 0x00ff00u);
}

// Requests that would reach outside a 10-int array.
struct Bad {
    int w, h, offset, pitch;
} const kBadRequests[] = {
    {4, 3, 0, 4},              // 12 pixels into 10
    {4, 1, 7, 4},              // the row runs past the end
    {2, 2, -1, 2},             // negative offset
    {0, 1, 0, 1},              // nothing to transfer
    {1, -1, 0, 1},             // negative height
    {1, 2, 0, INT_MAX},        // the second row overflows int
    {1, 3, 2, -2},             // a negative pitch that steps below the start
    {2, 2, INT_MAX - 1, 2},    // offset at the end of the int range
    {3, INT_MAX / 2, 0, 0},    // every row in the same place, but absurdly many
};

TEST_F(PixelRequests, ReadPixelsRefusesRequestsOutsideTheArray) {
    device->DrawRect(0, 0, 4, 4);  // pending: a refused call must not flush it
    int d0 = device->drawCalls;
    for (const Bad& b : kBadRequests) {
        Array<int> px = Filled(10);
        device->ReadPixels(px, 0, 0, b.w, b.h, b.offset, b.pitch);
        for (int i = 0; i < 10; ++i) ASSERT_EQ(px[i], kSentinel) << b.w << "x" << b.h << " at " << b.offset;
    }
    EXPECT_EQ(device->drawCalls, d0);
    EXPECT_EQ(device->batchCount, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(PixelRequests, WritePixelsRefusesRequestsOutsideTheArray) {
    gxtkSurface* surface = SolidSurface(device, 0xff0000ff, 4, 4);
    device->DrawRect(0, 0, 4, 4);
    int d0 = device->drawCalls;
    Array<int> px = Filled(10, static_cast<int>(0xffffffffu));
    for (const Bad& b : kBadRequests) device->WritePixels2(surface, px, 0, 0, b.w, b.h, b.offset, b.pitch);
    device->WritePixels2(nullptr, px, 0, 0, 1, 1, 0, 1);
    EXPECT_EQ(device->drawCalls, d0);
    Texels t = ReadTexture(surface, GL_RGBA);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) ASSERT_EQ(t.At(x, y)[2], 255) << x << "," << y;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(PixelRequests, ANegativePitchInsideTheArrayIsServedBottomRowLast) {
    DrawTwoRows(device);
    Array<int> px = Filled(8);
    device->ReadPixels(px, 0, 10, 4, 2, 4, -4);
    EXPECT_EQ(static_cast<uint32_t>(px[4]), 0xffff0000u);
    EXPECT_EQ(static_cast<uint32_t>(px[0]), 0xff00ff00u);
}

}  // namespace
}  // namespace graphics_test
