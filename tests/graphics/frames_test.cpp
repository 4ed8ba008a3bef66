// Retained frames on a real GL context: a frame the device records and draws
// its own way (a full-window rectangle as a clear, nothing off the window,
// primitives moved into earlier batches, only what changed drawn again) must
// be, pixel for pixel, the frame drawn batch by batch as it comes.

#include "platform/gl.h"

#include <functional>
#include <vector>

#include "graphics/frame.h"
#include "tests/graphics/graphics_env.h"

namespace graphics_test {
namespace {

class Frames : public GraphicsTest {
protected:
    gxtkSurface* red = nullptr;
    gxtkSurface* half = nullptr;

    void SetUp() override {
        GraphicsTest::SetUp();
        red = SolidSurface(device, 0xffff0000, 8, 8);
        half = SolidSurface(device, 0x8000ff00, 8, 8);  // green at half alpha
        bb_graphics_EndRender();
        device->EndRender();
    }

    // One frame as the host makes it.
    void Frame(const std::function<void()>& draw) {
        ASSERT_TRUE(device->Validate());
        device->BeginRender();
        bb_graphics_BeginRender();
        draw();
        bb_graphics_EndRender();
        device->EndRender();
        Collect({red, half});
    }

    std::vector<uint32_t> Screen() {
        const int w = device->Width(), h = device->Height();
        Array<int> all(w * h);
        device->ReadPixels(all, 0, 0, w, h, 0, w);
        std::vector<uint32_t> out(all.Data(), all.Data() + w * h);
        for (uint32_t& p : out) p &= 0xffffff;
        return out;
    }

    // The frame drawn batch by batch, read before the swap.
    std::vector<uint32_t> Plain(const std::function<void()>& draw) {
        device->RetainFrames(false);
        device->Validate();
        device->BeginRender();
        bb_graphics_BeginRender();
        draw();
        device->Flush();
        std::vector<uint32_t> pixels = Screen();
        bb_graphics_EndRender();
        device->EndRender();
        return pixels;
    }
};

const float W = 640, H = 480;

TEST_F(Frames, ARecordedFrameIsThePlainFramePixelForPixel) {
    struct Scene {
        const char* name;
        std::function<void()> draw;
        long drawCalls;  // GL calls of the recorded frame, its clear included
    } scenes[] = {
        {"a full-window opaque rectangle is a clear",
         [this] {
             bb_graphics_SetColor(10, 20, 30);
             bb_graphics_DrawRect(-1, -1, W + 2, H + 2);
             bb_graphics_SetColor(200, 100, 0);
             bb_graphics_DrawRect(100, 100, 50, 20);
         },
         2},
        {"squares and pictures side by side share two batches",
         [this] {
             for (int i = 0; i < 20; ++i) {
                 bb_graphics_SetColor(static_cast<float>(i * 12), 90, 200);
                 bb_graphics_DrawRect(i * 30.0f, 10, 12, 12);
                 device->DrawSurface(red, i * 30.0f + 14, 12);
             }
         },
         3},
        {"pictures over squares keep their order",
         [this] {
             for (int i = 0; i < 10; ++i) {
                 bb_graphics_SetColor(50, 50, static_cast<float>(i * 25));
                 bb_graphics_DrawRect(i * 6.0f, i * 4.0f, 30, 30);
                 device->DrawSurface(half, i * 6.0f + 10, i * 4.0f + 10);
             }
         },
         21},
        {"what lies outside the window is not drawn",
         [] {
             bb_graphics_DrawRect(-100, 10, 50, 50);
             bb_graphics_DrawRect(W + 1, 10, 50, 50);
             bb_graphics_DrawEllipse(320, -40, 20, 20);
             bb_graphics_DrawRect(10, H, 50, 50);
         },
         1},
        {"ovals, a polygon, lines and points",
         [] {
             bb_graphics_SetColor(255, 255, 0);
             bb_graphics_DrawEllipse(100.5f, 100.25f, 40, 25);
             bb_graphics_DrawEllipse(130, 110, 30, 30);
             bb_graphics_DrawLine(0, 0, 300.5f, 200.5f);
             bb_graphics_renderDevice->DrawPoint(5.5f, 400.5f);
             Array<float> poly(8);
             const float xy[] = {400, 300, 460, 310, 450, 380, 390, 360};
             for (int i = 0; i < 8; ++i) poly[i] = xy[i];
             bb_graphics_renderDevice->DrawPoly(poly);
         },
         4},
        {"a scissor, an additive blend and a scissored clear",
         [] {
             bb_graphics_SetScissor(10, 20, 100, 50);
             bb_graphics_SetColor(120, 0, 0);
             bb_graphics_DrawRect(0, 0, 200, 200);
             bb_graphics_SetBlend(1);
             bb_graphics_SetColor(0, 120, 120);
             bb_graphics_DrawRect(50, 30, 100, 100);
             bb_graphics_SetBlend(0);
             bb_graphics_SetScissor(300, 300, 40, 40);
             bb_graphics_Cls(0, 0, 255);
             bb_graphics_SetScissor(0, 0, W, H);
         },
         4},
    };
    for (const Scene& scene : scenes) {
        SCOPED_TRACE(scene.name);
        auto draw = [&] {
            if (&scene != &scenes[0]) bb_graphics_Cls(0, 0, 0);  // the first brings its own
            scene.draw();
        };
        const std::vector<uint32_t> plain = Plain(draw);
        device->RetainFrames(true);
        Frame([] {});  // the first frame after a swap finds the buffer's size
        const long calls = device->Stats().drawCalls;
        Frame(draw);
        EXPECT_EQ(device->Stats().drawCalls - calls, scene.drawCalls);
        EXPECT_EQ(Screen(), plain);
    }
}

TEST_F(Frames, AnUnchangedFrameIsSkippedUntilTheWindowIsInvalidated) {
    auto draw = [&] {
        bb_graphics_Cls(0, 0, 40);
        device->DrawSurface(red, 10, 10);
    };
    device->RetainFrames(true);
    Frame(draw);
    Frame(draw);
    const std::vector<uint32_t> drawn = Screen();
    const FrameStats was = device->Stats();
    Frame(draw);
    EXPECT_EQ(device->Stats().skipped, was.skipped + 1);
    EXPECT_EQ(device->Stats().drawCalls, was.drawCalls);
    EXPECT_EQ(Screen(), drawn);

    device->Invalidate();
    Frame(draw);
    EXPECT_EQ(device->Stats().full, was.full + 1) << "drawn whole although nothing changed";
    EXPECT_EQ(Screen(), drawn);

    // A texture given new texels under the same name is a change.
    Array<int> blue(64);
    for (int i = 0; i < 64; ++i) blue[i] = static_cast<int>(0xff0000ffu);
    device->WritePixels2(red, blue, 0, 0, 8, 8, 0, 8);  // between frames, as an update could
    Frame(draw);
    EXPECT_EQ(Rgb(Pixel(12, 12)), 0x0000ffu);
}

TEST_F(Frames, AMovedPictureIsDrawnAgainOnlyWhereItWasAndIsNow) {
    device->RetainFrames(true);
    auto draw = [&](float x) {
        return [this, x] {
            bb_graphics_SetColor(0, 0, 80);
            bb_graphics_DrawRect(-1, -1, W + 2, H + 2);
            bb_graphics_SetColor(255, 255, 255);
            for (int i = 0; i < 30; ++i) device->DrawSurface(half, i * 20.0f, 300);
            device->DrawSurface(red, x, 100);
        };
    };
    Frame(draw(100));  // swapped: the window's first size
    Frame(draw(110));  // whole, onto the swapped buffer
    const FrameStats was = device->Stats();
    Frame(draw(130));
    EXPECT_EQ(device->Stats().partial, was.partial + 1);
    EXPECT_LE(device->Stats().pixels - was.pixels, 2 * 3 * 8 * 8) << "the old and the new place, a few passes";
    const std::vector<uint32_t> shown = Screen();
    EXPECT_EQ(shown, Plain(draw(130)));
}

}  // namespace
}  // namespace graphics_test
