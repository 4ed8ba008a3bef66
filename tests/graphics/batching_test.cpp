// The device's batches, colour packing, blending and scissor, on a real GL
// context: draw calls counted by the device, triangles counted by GL's
// feedback mode, results read back from the frame buffer.

#include "platform/gl.h"

#include "tests/graphics/graphics_env.h"

namespace graphics_test {
namespace {

using Batching = GraphicsTest;
using ColourAndBlend = GraphicsTest;
using Scissor = GraphicsTest;

const uint32_t kWhite = 0xffffff, kRed = 0xff0000, kGreen = 0x00ff00, kBlue = 0x0000ff;

TEST_F(Batching, A257thRectangleSendsTheFull256AndKeepsItselfPending) {
    int d0 = device->drawCalls;
    for (int i = 0; i < 256; ++i) device->DrawRect((i % 32) * 4.0f, (i / 32) * 4.0f, 2, 2);
    EXPECT_EQ(device->drawCalls, d0);
    EXPECT_EQ(device->batchCount, 256);

    EXPECT_EQ(TrianglesDrawn([&] { device->DrawRect(0, 36, 2, 2); }), 512);
    EXPECT_EQ(device->drawCalls, d0 + 1);
    EXPECT_EQ(device->batchCount, 1);

    EXPECT_EQ(TrianglesDrawn([&] { device->Flush(); }), 2);
    EXPECT_EQ(device->drawCalls, d0 + 2);
}

TEST_F(Batching, AllRectanglesOfALongRunReachTheScreen) {
    for (int i = 0; i < 257; ++i) device->DrawRect((i % 32) * 4.0f, (i / 32) * 4.0f, 2, 2);
    device->Flush();
    EXPECT_EQ(Rgb(Pixel(0, 0)), kWhite);
    EXPECT_EQ(Rgb(Pixel(124, 28)), kWhite);  // the 256th
    EXPECT_EQ(Rgb(Pixel(0, 32)), kWhite);    // the 257th, sent by the second call
    EXPECT_EQ(Rgb(Pixel(2, 0)), 0u);
}

TEST_F(Batching, EveryChangeOfKindFlushes) {
    int d0 = device->drawCalls;
    device->DrawRect(0, 0, 4, 4);
    device->DrawLine(0, 10, 20, 10);
    device->DrawRect(0, 20, 4, 4);
    device->DrawPoint(5.5f, 30.5f);  // a pixel's centre
    device->DrawLine(0, 40, 20, 40);
    EXPECT_EQ(device->drawCalls, d0 + 4);
    device->Flush();
    EXPECT_EQ(device->drawCalls, d0 + 5);
    EXPECT_EQ(Rgb(Pixel(10, 10)), kWhite);
    EXPECT_EQ(Rgb(Pixel(5, 30)), kWhite);
}

TEST_F(Batching, EveryChangeOfTextureFlushesAndEachQuadKeepsItsTexture) {
    gxtkSurface* red = SolidSurface(device, 0xffff0000);
    gxtkSurface* green = SolidSurface(device, 0xff00ff00);
    int d0 = device->drawCalls;
    device->DrawSurface(red, 0, 0);
    device->DrawSurface(green, 10, 0);
    device->DrawSurface(red, 20, 0);
    EXPECT_EQ(device->drawCalls, d0 + 2);
    device->Flush();
    EXPECT_EQ(Rgb(Pixel(1, 1)), kRed);
    EXPECT_EQ(Rgb(Pixel(11, 1)), kGreen);
    EXPECT_EQ(Rgb(Pixel(21, 1)), kRed);

    d0 = device->drawCalls;
    for (int i = 0; i < 3; ++i) device->DrawSurface(green, 40.0f + 10 * i, 0);
    device->Flush();
    EXPECT_EQ(device->drawCalls, d0 + 1);
}

TEST_F(Batching, ColourChangesDoNotFlushAndEachRectangleKeepsItsColour) {
    int d0 = device->drawCalls;
    device->SetColor(255, 0, 0);
    device->DrawRect(0, 0, 4, 4);
    device->SetColor(0, 255, 0);
    device->DrawRect(10, 0, 4, 4);
    device->SetAlpha(1);
    device->SetColor(0, 0, 255);
    device->DrawRect(20, 0, 4, 4);
    EXPECT_EQ(device->drawCalls, d0);
    device->Flush();
    EXPECT_EQ(device->drawCalls, d0 + 1);
    EXPECT_EQ(Rgb(Pixel(1, 1)), kRed);
    EXPECT_EQ(Rgb(Pixel(11, 1)), kGreen);
    EXPECT_EQ(Rgb(Pixel(21, 1)), kBlue);
}

TEST_F(Batching, ClsDropsWhatWasQueued) {
    int d0 = device->drawCalls;
    device->DrawRect(0, 0, 10, 10);
    device->Cls(0, 0, 255);
    device->Flush();
    EXPECT_EQ(device->drawCalls, d0);
    EXPECT_EQ(Rgb(Pixel(5, 5)), kBlue);
}

TEST_F(Batching, PointAndLineBatchesHoldTheirCapacity) {
    int d0 = device->drawCalls;
    for (int i = 0; i < 1024; ++i) device->DrawPoint(static_cast<float>(i % 640), 0);
    EXPECT_EQ(device->drawCalls, d0);
    device->DrawPoint(0, 1);
    EXPECT_EQ(device->drawCalls, d0 + 1);

    device->DrawLine(0, 0, 1, 1);  // kind change
    d0 = device->drawCalls;
    for (int i = 1; i < 512; ++i) device->DrawLine(0, 0, 1, 1);
    EXPECT_EQ(device->drawCalls, d0);
    device->DrawLine(0, 0, 1, 1);
    EXPECT_EQ(device->drawCalls, d0 + 1);
}

TEST_F(Batching, EndRenderFlushesThePendingBatch) {
    device->DrawRect(0, 0, 4, 4);
    int d0 = device->drawCalls;
    device->EndRender();
    EXPECT_EQ(device->drawCalls, d0 + 1);
    EXPECT_EQ(device->batchCount, 0);
}

TEST_F(Batching, ThePendingBatchKeepsItsSurfaceAliveAcrossACollection) {
    device->DrawSurface(SolidSurface(device, 0xff00ff00), 0, 0);
    for (int i = 0; i < 2; ++i) {  // the second cycle reaches it only through the device's mark()
        Collect();  // the surface is referenced only by the pending batch
    }
    ASSERT_TRUE(glIsTexture(device->batchSurface->texture));
    device->Flush();
    EXPECT_EQ(Rgb(Pixel(1, 1)), kGreen);
}

TEST_F(ColourAndBlend, ColourIsPackedPremultipliedWithTruncation) {
    device->SetColor(200, 100, 50);
    device->SetAlpha(0.5f);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&device->packedColor);
    EXPECT_EQ(bytes[0], 100);
    EXPECT_EQ(bytes[1], 50);
    EXPECT_EQ(bytes[2], 25);
    EXPECT_EQ(bytes[3], 127);  // 127.5

    device->SetColor(255, 255, 255);
    device->SetAlpha(0.999f);
    EXPECT_EQ(device->packedColor, 0xfefefefeu);  // 254.7 each
}

TEST_F(ColourAndBlend, TranslucentColourBlendsAsPremultiplied) {
    device->Cls(255, 255, 255);
    device->SetColor(200, 100, 50);
    device->SetAlpha(0.5f);
    device->DrawRect(0, 0, 4, 4);
    uint32_t p = Pixel(1, 1);
    // 100 + 255 * (1 - 127/255), and so on
    EXPECT_NEAR(R(p), 228, 1);
    EXPECT_NEAR(G(p), 178, 1);
    EXPECT_NEAR(B(p), 153, 1);
}

TEST_F(ColourAndBlend, AdditiveBlendAddsAndSetBlendFlushesFirst) {
    device->Cls(100, 0, 0);
    device->SetColor(50, 50, 50);
    device->DrawRect(0, 0, 4, 4);  // queued under the normal blend
    int d0 = device->drawCalls;
    device->SetBlend(1);
    EXPECT_EQ(device->drawCalls, d0 + 1);
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(dst, GL_ONE);
    device->DrawRect(10, 0, 4, 4);
    device->Flush();
    EXPECT_EQ(Rgb(Pixel(1, 1)), 0x323232u);
    EXPECT_EQ(Rgb(Pixel(11, 1)), 0x963232u);
}

TEST_F(ColourAndBlend, AnyBlendOtherThanOneIsTheNormalBlend) {
    device->Cls(100, 0, 0);
    device->SetBlend(1);
    device->SetBlend(2);
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    device->SetColor(50, 50, 50);
    device->DrawRect(0, 0, 4, 4);
    device->Flush();
    EXPECT_EQ(Rgb(Pixel(1, 1)), 0x323232u);
}

TEST_F(Scissor, TheBoxIsTurnedIntoBottomLeftCoordinatesAndClips) {
    device->SetScissor(10, 20, 100, 50);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    GLint box[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[0], 10);
    EXPECT_EQ(box[1], 410);
    EXPECT_EQ(box[2], 100);
    EXPECT_EQ(box[3], 50);

    device->DrawRect(0, 0, 640, 480);
    device->Flush();
    EXPECT_EQ(Rgb(Pixel(10, 20)), kWhite);
    EXPECT_EQ(Rgb(Pixel(109, 69)), kWhite);
    EXPECT_EQ(Rgb(Pixel(9, 20)), 0u);
    EXPECT_EQ(Rgb(Pixel(10, 19)), 0u);
    EXPECT_EQ(Rgb(Pixel(110, 69)), 0u);
    EXPECT_EQ(Rgb(Pixel(109, 70)), 0u);
}

TEST_F(Scissor, TheWholeWindowTurnsTheTestOffAndEachFrameStartsWithout) {
    device->SetScissor(10, 20, 100, 50);
    device->SetScissor(0, 0, 640, 480);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));

    bb_graphics_SetScissor(10, 20, 100, 50);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    bb_graphics_BeginRender();
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(Scissor, PrimitivesQueuedBeforeAScissorAreNotClippedByIt) {
    device->DrawRect(0, 0, 5, 5);
    device->SetScissor(100, 100, 10, 10);
    device->Flush();
    EXPECT_EQ(Rgb(Pixel(2, 2)), kWhite);
}

TEST_F(Scissor, TheFrameworkTruncatesItsFloatRectangle) {
    bb_graphics_SetScissor(10.9f, 20.7f, 100.2f, 50.9f);
    EXPECT_FLOAT_EQ(context->scissorX, 10.9f);
    EXPECT_FLOAT_EQ(context->scissorH, 50.9f);
    GLint box[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[0], 10);
    EXPECT_EQ(box[1], 410);
    EXPECT_EQ(box[2], 100);
    EXPECT_EQ(box[3], 50);
}

}  // namespace
}  // namespace graphics_test
