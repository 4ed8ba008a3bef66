// Ovals and polygons: the segment count rule (triangles counted by GL's
// feedback mode), where the points go, and the polygon size limits.

#include <cmath>

#include "tests/graphics/graphics_env.h"

namespace graphics_test {
namespace {

using Ovals = GraphicsTest;
using Polygons = GraphicsTest;

Array<float> Floats(std::initializer_list<float> values) {
    Array<float> a(static_cast<int>(values.size()));
    int i = 0;
    for (float v : values) a[i++] = v;
    return a;
}

TEST_F(Ovals, SegmentCountFollowsTheRadiiOnScreen) {
    struct Case {
        float w, h, scale;
        int segments;
    } cases[] = {
        {10, 10, 1, 12},      // 5 + 5, raised to the minimum
        {60, 30, 1, 44},      // 30 + 15, down to a multiple of 4
        {4000, 10, 1, 1024},  // capped
        {60, 30, 2, 88},      // a scale of 2 doubles it
        {-60, -30, 1, 44},    // negative sizes count by magnitude
        {3, 29, 1, 12},       // 1 + 14 = 15: each radius truncated before adding
        {52, 52, 1, 52},
    };
    for (const Case& c : cases) {
        device->SetMatrix(c.scale, 0, 0, c.scale, 0, 0);
        int d0 = device->drawCalls;
        EXPECT_EQ(TrianglesDrawn([&] { device->DrawOval(100, 100, c.w, c.h); }), c.segments - 2)
            << c.w << "x" << c.h << " scale " << c.scale;
        EXPECT_EQ(device->drawCalls, d0 + 1);
    }
}

TEST_F(Ovals, PointsStartAtTheRightAndRunCounterClockwiseOnScreen) {
    device->DrawOval(100, 100, 60, 30);  // 44 segments around (130, 115)
    EXPECT_NEAR(device->vertexBuffer[0].x, 160, 1e-3);
    EXPECT_NEAR(device->vertexBuffer[0].y, 115, 1e-3);
    EXPECT_NEAR(device->vertexBuffer[11].x, 130, 1e-3);  // a quarter turn: the top
    EXPECT_NEAR(device->vertexBuffer[11].y, 100, 1e-3);
    EXPECT_NEAR(device->vertexBuffer[22].x, 100, 1e-3);
    EXPECT_NEAR(device->vertexBuffer[22].y, 115, 1e-3);
}

TEST_F(Ovals, AnOvalFlushesWhatIsPendingAndIsDrawnAloneAndFilled) {
    device->DrawRect(0, 0, 4, 4);
    int d0 = device->drawCalls;
    device->DrawOval(100, 100, 60, 30);
    EXPECT_EQ(device->drawCalls, d0 + 2);
    EXPECT_EQ(device->batchCount, 0);
    EXPECT_EQ(Rgb(Pixel(1, 1)), 0xffffffu);
    EXPECT_EQ(Rgb(Pixel(130, 115)), 0xffffffu);
    EXPECT_EQ(Rgb(Pixel(130, 102)), 0xffffffu);
    EXPECT_EQ(Rgb(Pixel(130, 98)), 0u);
    EXPECT_EQ(Rgb(Pixel(162, 115)), 0u);
}

TEST_F(Ovals, TheFrameworkEllipseAsksForItsBoundingBox) {
    RecordingGraphics* recorder = new RecordingGraphics();
    UseDevice(recorder);
    bb_graphics_DrawEllipse(100, 100, 10, 5);
    ASSERT_EQ(recorder->calls.size(), 1u);
    EXPECT_FLOAT_EQ(recorder->oval[0], 90);
    EXPECT_FLOAT_EQ(recorder->oval[1], 95);
    EXPECT_FLOAT_EQ(recorder->oval[2], 20);
    EXPECT_FLOAT_EQ(recorder->oval[3], 10);
}

TEST_F(Polygons, FewerThanThreePointsDrawNothingAndKeepThePendingBatch) {
    for (int i = 0; i < 3; ++i) device->DrawRect(10.0f * i, 0, 4, 4);
    int d0 = device->drawCalls;
    device->DrawPoly(Floats({0, 0, 10, 10}));
    device->DrawPoly(Floats({0, 0, 10, 10, 20}));  // an odd float is ignored: still two points
    EXPECT_EQ(device->drawCalls, d0);
    EXPECT_EQ(device->batchCount, 3);
    EXPECT_EQ(device->batchKind, gxtkGraphics::kQuads);
}

TEST_F(Polygons, ThreePointsDrawOneTriangle) {
    Array<float> triangle = Floats({100, 100, 200, 100, 100, 200});
    EXPECT_EQ(TrianglesDrawn([&] { device->DrawPoly(triangle); }), 1);
    device->DrawPoly(triangle);
    EXPECT_EQ(Rgb(Pixel(110, 110)), 0xffffffu);
    EXPECT_EQ(Rgb(Pixel(190, 190)), 0u);
}

TEST_F(Polygons, AtMost1024PointsAreDrawn) {
    auto ring = [](int n) {
        Array<float> xy(n * 2);
        for (int k = 0; k < n; ++k) {
            float t = 6.2831855f * k / n;
            xy[2 * k] = 300 + 100 * std::cos(t);
            xy[2 * k + 1] = 200 + 100 * std::sin(t);
        }
        return xy;
    };
    Array<float> most = ring(1024), tooMany = ring(1025);
    EXPECT_EQ(TrianglesDrawn([&] { device->DrawPoly(most); }), 1022);
    int d0 = device->drawCalls;
    EXPECT_EQ(TrianglesDrawn([&] { device->DrawPoly(tooMany); }), 0);
    EXPECT_EQ(device->drawCalls, d0);
}

}  // namespace
}  // namespace graphics_test
