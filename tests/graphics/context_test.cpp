// The framework's drawing context: the matrix and its stack as they reach
// the device's vertices and the screen, and the render bracket.

#include "tests/graphics/graphics_env.h"

namespace graphics_test {
namespace {

using Matrix = GraphicsTest;
using RenderBracket = GraphicsTest;

// Where the device put the first corner of the last rectangle queued.
void ExpectFirstCorner(gxtkGraphics* device, float x, float y) {
    const gxtkGraphics::Vertex& v = device->vertexBuffer[(device->batchCount - 1) * 4];
    EXPECT_NEAR(v.x, x, 1e-4);
    EXPECT_NEAR(v.y, y, 1e-4);
}

class ImageMatrix : public Matrix {
protected:
    bb_graphics_Image* quadrants = nullptr;  // red, green / blue, white
    void SetUp() override {
        Matrix::SetUp();
        quadrants = bb_graphics_LoadImage(Fixture("quadrants_64x64.png"), 1, bb_graphics_Image::HandleCentre);
        ASSERT_NE(quadrants, nullptr);
    }
};

TEST_F(Matrix, TranslateThenRotateMapsAsTheMatrixSays) {
    bb_graphics_Translate(10, 0);
    bb_graphics_Rotate(90);
    bb_graphics_DrawRect(1, 0, 1, 1);
    ExpectFirstCorner(device, 10, -1);
}

TEST_F(Matrix, ATransformAppliesBeforeTheCurrentMatrix) {
    bb_graphics_Translate(10, 20);
    bb_graphics_Scale(2, 3);
    bb_graphics_DrawRect(1, 1, 0, 0);
    ExpectFirstCorner(device, 12, 23);

    bb_graphics_Transform2(Array<float>(3));  // too short: ignored
    bb_graphics_DrawRect(1, 1, 0, 0);
    ExpectFirstCorner(device, 12, 23);

    // In general: (1,1) -> (27, 30) by the new matrix, then (122, 180) by the old.
    bb_graphics_SetMatrix(1, 2, 3, 4, 5, 6);
    bb_graphics_Transform(7, 8, 9, 10, 11, 12);
    bb_graphics_DrawRect(1, 1, 0, 0);
    ExpectFirstCorner(device, 122, 180);
}

TEST_F(Matrix, OnlyTheExactIdentityIsUntransformed) {
    bb_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
    EXPECT_EQ(context->transformed, 0);
    bb_graphics_SetMatrix(1, 0, 0, 1, 0.5f, 0);
    EXPECT_EQ(context->transformed, 1);
    bb_graphics_DrawRect(0, 0, 1, 1);
    EXPECT_TRUE(device->transformed);
    ExpectFirstCorner(device, 0.5f, 0);

    Array<float> m(6);
    m[0] = m[3] = 1;
    bb_graphics_SetMatrix2(m);
    EXPECT_EQ(context->transformed, 0);
    bb_graphics_DrawRect(3, 4, 1, 1);
    EXPECT_FALSE(device->transformed);
    ExpectFirstCorner(device, 3, 4);
}

TEST_F(Matrix, PopRestoresWhatPushSavedEvenBeyond32Levels) {
    for (int i = 0; i < 40; ++i) {
        bb_graphics_PushMatrix();
        bb_graphics_Translate(1, 0);
    }
    EXPECT_FLOAT_EQ(context->dx, 40);
    for (int i = 0; i < 40; ++i) bb_graphics_PopMatrix();
    EXPECT_FLOAT_EQ(context->dx, 0);
    EXPECT_EQ(context->stackTop, 0);
    EXPECT_EQ(context->transformed, 0);
    bb_graphics_PopMatrix();  // one too many: nothing to restore
    EXPECT_EQ(context->stackTop, 0);
    Collect();  // the grown stack is the context's now
    bb_graphics_PushMatrix();
    EXPECT_EQ(context->stackTop, 6);
}

TEST_F(ImageMatrix, AnImageUnderATransformedMatrixIsPlacedThroughIt) {
    quadrants->m_SetHandle(0, 0);
    bb_graphics_Translate(100, 50);
    bb_graphics_DrawImage(quadrants, 10, 10, 0);
    EXPECT_EQ(context->stackTop, 0);
    EXPECT_FLOAT_EQ(context->dx, 100);
    EXPECT_EQ(Rgb(Pixel(110, 60)), 0xff0000u);
    EXPECT_EQ(Rgb(Pixel(173, 123)), 0xffffffu);
    EXPECT_EQ(Rgb(Pixel(109, 60)), 0u);
}

TEST_F(ImageMatrix, ImagesTurnAboutTheirHandle) {
    bb_graphics_DrawImage2(quadrants, 320, 240, 90, 1, 1, 0);
    // A quarter turn counter-clockwise: top-right goes to top-left.
    EXPECT_EQ(Rgb(Pixel(304, 224)), 0x00ff00u);
    EXPECT_EQ(Rgb(Pixel(304, 256)), 0xff0000u);
    EXPECT_EQ(Rgb(Pixel(336, 256)), 0x0000ffu);
    EXPECT_EQ(Rgb(Pixel(336, 224)), 0xffffffu);
    EXPECT_EQ(context->stackTop, 0);
}

TEST_F(ImageMatrix, ImagesScaleAboutTheirHandle) {
    bb_graphics_DrawImage2(quadrants, 320, 240, 0, 2, 2, 0);
    EXPECT_EQ(Rgb(Pixel(260, 180)), 0xff0000u);
    EXPECT_EQ(Rgb(Pixel(380, 300)), 0xffffffu);
    EXPECT_EQ(Rgb(Pixel(250, 240)), 0u);
    EXPECT_EQ(Rgb(Pixel(320 + 63, 240)), 0xffffffu);
    EXPECT_EQ(Rgb(Pixel(320 + 64, 240)), 0u);
}

TEST_F(RenderBracket, BeginRenderResetsTheDrawingState) {
    bb_graphics_Translate(5, 5);
    bb_graphics_PushMatrix();
    bb_graphics_SetColor(1, 2, 3);
    bb_graphics_SetAlpha(0.5f);
    bb_graphics_SetBlend(1);
    bb_graphics_EndRender();
    EXPECT_EQ(bb_graphics_renderDevice, nullptr);

    bb_graphics_BeginRender();
    EXPECT_EQ(bb_graphics_renderDevice, device);
    EXPECT_EQ(context->stackTop, 0);
    EXPECT_EQ(context->transformed, 0);
    EXPECT_EQ(context->matrixDirty, 1);
    EXPECT_FLOAT_EQ(context->dx, 0);
    EXPECT_FLOAT_EQ(context->red, 255);
    EXPECT_FLOAT_EQ(context->alpha, 1);
    EXPECT_EQ(context->blendMode, 0);
    EXPECT_EQ(device->packedColor, 0xffffffffu);
    EXPECT_FLOAT_EQ(context->scissorW, 640);
    EXPECT_FLOAT_EQ(context->scissorH, 480);
}

TEST_F(RenderBracket, OutsideTheBracketDrawingReachesNoDevice) {
    bb_graphics_EndRender();
    bb_graphics_SetColor(10, 20, 30);
    bb_graphics_DrawRect(0, 0, 4, 4);
    bb_graphics_DrawImage(nullptr, 0, 0, 0);
    EXPECT_FLOAT_EQ(context->red, 10);  // still stored in the context
    EXPECT_EQ(device->batchCount, 0);

    device->mode = 0;
    bb_graphics_BeginRender();
    EXPECT_EQ(bb_graphics_renderDevice, nullptr);
}

}  // namespace
}  // namespace graphics_test
