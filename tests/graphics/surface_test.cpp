// Surfaces: PNG files of the four channel layouts written by ImageMagick,
// premultiplied on upload; damaged and hostile files; texture creation with
// the power-of-two fallback, the driver's size limit and release.

#include "platform/gl.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/graphics/graphics_env.h"
#include "tests/support/testing.h"

namespace graphics_test {
namespace {

using nubrix_test::ReadFile;
using nubrix_test::TempDir;
using nubrix_test::WriteFile;

using PngLoading = GraphicsTest;
using DamagedFiles = GraphicsTest;
using Textures = GraphicsTest;

GLint InternalFormat(gxtkSurface* surface) {
    GLint format = 0;
    glBindTexture(GL_TEXTURE_2D, surface->texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    return format;
}

TEST_F(PngLoading, RgbaIsPremultipliedAndKeepsItsSize) {
    gc_force_sweep = false;
    gxtkSurface* s = device->LoadSurface(Fixture("rgba_100x50.png"));
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(gc_force_sweep);
    EXPECT_EQ(s->Width(), 100);
    EXPECT_EQ(s->Height(), 50);
    EXPECT_EQ(s->bytesPerPixel, 4);
    EXPECT_EQ(s->pixelData, nullptr);
    EXPECT_FLOAT_EQ(s->uScale, 1.0f / 100);
    EXPECT_FLOAT_EQ(s->vScale, 1.0f / 50);

    Texels t = ReadTexture(s, GL_RGBA);
    ASSERT_EQ(t.width, 100);
    ASSERT_EQ(t.height, 50);
    EXPECT_EQ(0, std::memcmp(t.At(10, 5), "\x64\x32\x19\x80", 4));  // (200,100,50,128) -> (100,50,25,128)
    EXPECT_EQ(0, std::memcmp(t.At(0, 0), "\xff\x00\x00\xff", 4));
    EXPECT_EQ(0, std::memcmp(t.At(1, 0), "\x0a\x14\x1e\xff", 4));
    EXPECT_EQ(0, std::memcmp(t.At(99, 49), "\x00\x00\x00\x00", 4));

    device->DrawSurface(s, 0, 0);
    EXPECT_EQ(Rgb(Pixel(10, 5)), 0x643219u);
    EXPECT_EQ(Rgb(Pixel(0, 0)), 0xff0000u);
}

TEST_F(PngLoading, GreyAlphaIsPremultiplied) {
    gxtkSurface* s = device->LoadSurface(Fixture("greyalpha_8x4.png"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->bytesPerPixel, 2);
    EXPECT_EQ(InternalFormat(s), GL_LUMINANCE_ALPHA);
    Texels t = ReadTexture(s, GL_LUMINANCE_ALPHA);
    EXPECT_EQ(t.At(0, 0)[0], 0);  // (255, 0)
    EXPECT_EQ(t.At(0, 0)[1], 0);
    EXPECT_EQ(t.At(1, 0)[0], 100);  // (200, 128)
    EXPECT_EQ(t.At(1, 0)[1], 128);
    EXPECT_EQ(t.At(2, 0)[0], 60);
    EXPECT_EQ(t.At(2, 0)[1], 255);
}

TEST_F(PngLoading, GreyAndRgbAreUploadedUnchanged) {
    gxtkSurface* grey = device->LoadSurface(Fixture("grey_8x4.png"));
    gxtkSurface* rgb = device->LoadSurface(Fixture("rgb_8x4.png"));
    ASSERT_NE(grey, nullptr);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(grey->bytesPerPixel, 1);
    EXPECT_EQ(rgb->bytesPerPixel, 3);
    EXPECT_EQ(InternalFormat(grey), GL_LUMINANCE);
    EXPECT_EQ(InternalFormat(rgb), GL_RGB);

    Texels g = ReadTexture(grey, GL_LUMINANCE);
    Texels c = ReadTexture(rgb, GL_RGB);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(g.At(x, y)[0], 32 * x + y);
            EXPECT_EQ(c.At(x, y)[0], 30 * x + 1);
            EXPECT_EQ(c.At(x, y)[1], 60 * y + 2);
            EXPECT_EQ(c.At(x, y)[2], 77);
        }
    }
}

TEST_F(PngLoading, TheMemoryDecoderGivesTheFilesPixels) {
    std::string bytes = ReadFile(FixtureFile("rgba_100x50.png"));
    int w = 0, h = 0, bpp = 0;
    unsigned char* data = loadImage(reinterpret_cast<const unsigned char*>(bytes.data()),
                                    static_cast<int>(bytes.size()), &w, &h, &bpp);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    EXPECT_EQ(bpp, 4);
    EXPECT_EQ(0, std::memcmp(data + (5 * 100 + 10) * 4, "\xc8\x64\x32\x80", 4));
    unloadImage(data);
    EXPECT_EQ(loadImage(reinterpret_cast<const unsigned char*>(bytes.data()), 60, &w, &h, &bpp), nullptr);
}

// ---------------------------------------------------------------------------

class DamagedPng : public DamagedFiles {
protected:
    TempDir dir;
    std::string good = ReadFile(FixtureFile("rgba_100x50.png"));

    gxtkSurface* Load(const std::string& bytes) {
        WriteFile(dir.File("x.png"), bytes);
        return device->LoadSurface(String(dir.File("x.png").c_str()));
    }

    static void Put32(std::string& s, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (24 - 8 * i));
    }

    // Recomputes the CRC of the chunk that starts at `at` (its length field).
    static void FixCrc(std::string& s, size_t at) {
        uint32_t length = 0;
        for (int i = 0; i < 4; ++i) length = length << 8 | static_cast<unsigned char>(s[at + i]);
        uint32_t crc = 0xffffffffu;
        for (size_t i = at + 4; i < at + 8 + length; ++i) {
            crc ^= static_cast<unsigned char>(s[i]);
            for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xedb88320u ^ (crc >> 1) : crc >> 1;
        }
        Put32(s, at + 8 + length, crc ^ 0xffffffffu);
    }

    // A copy with IHDR's width and height replaced, CRC kept valid.
    std::string WithSize(uint32_t w, uint32_t h) const {
        std::string s = good;
        Put32(s, 16, w);
        Put32(s, 20, h);
        FixCrc(s, 8);
        return s;
    }
};

TEST_F(DamagedPng, MissingUnreadableAndForeignFilesGiveNull) {
    EXPECT_EQ(device->LoadSurface(String("/nonexistent/none.png")), nullptr);
    EXPECT_EQ(device->LoadSurface(String(dir.Path().c_str())), nullptr);  // a folder
    EXPECT_EQ(Load(""), nullptr);
    EXPECT_EQ(Load("GIF89a this is not a PNG at all"), nullptr);

    // The framework's loads name the file that failed, once, and why.
    testing::internal::CaptureStdout();
    EXPECT_EQ(bb_graphics_LoadImage(String("/nonexistent/none.png"), 1, 0), nullptr);
    EXPECT_EQ(bb_graphics_LoadImage2(String("/nonexistent/none.png"), 8, 8, 2, 0), nullptr);
    EXPECT_EQ(bb_graphics_LoadImage(String(dir.File("x.png").c_str()), 1, 0), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Cannot load image /nonexistent/none.png: No such file or directory\n"
              "Cannot load image " + dir.File("x.png") + ": damaged, or not a format the game reads\n");
}

TEST_F(DamagedPng, EveryTruncationGivesNull) {
    ASSERT_NE(Load(good), nullptr);
    for (size_t cut = 0; cut < good.size(); ++cut) ASSERT_EQ(Load(good.substr(0, cut)), nullptr) << cut;
}

TEST_F(DamagedPng, HostileSizesGiveNull) {
    EXPECT_NE(Load(WithSize(100, 50)), nullptr);
    EXPECT_EQ(Load(WithSize(0x7fffffff, 50)), nullptr);
    EXPECT_EQ(Load(WithSize(0xffffffff, 0xffffffff)), nullptr);
    EXPECT_EQ(Load(WithSize(16385, 1)), nullptr);  // beyond the decoder's cap
    EXPECT_EQ(Load(WithSize(0, 50)), nullptr);
    EXPECT_EQ(Load(WithSize(100, 0)), nullptr);
    EXPECT_EQ(Load(WithSize(200, 100)), nullptr);  // more pixels than the data holds
}

// The most memory the process has had mapped at once (VmPeak), in KiB. A
// forked child starts with its peak at what it has mapped now.
long PeakKiB() {
    std::string status = ReadFile("/proc/self/status");
    size_t at = status.find("VmPeak:");
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + 7);
}

TEST_F(DamagedPng, AHeaderClaimingMoreThanTheDataCanHoldCostsNoMemory) {
    // 16384 x 16384 RGBA pixels from the fixture's few kilobytes of data: the
    // decoder reserves a gigabyte for the picture before it inflates a byte.
    WriteFile(dir.File("x.png"), WithSize(16384, 16384));
    auto child = nubrix_test::RunInChild([&] {
        const long before = PeakKiB();
        int w = 0, h = 0, bpp = 0;
        unsigned char* data = loadImage(String(dir.File("x.png").c_str()), &w, &h, &bpp);
        const long grown = PeakKiB() - before;
        std::printf("%s, %s\n", data ? "loaded" : "null", before > 0 && grown < 64 * 1024 ? "little memory" : "much memory");
    });
    EXPECT_EQ(child.out, "null, little memory\n");
}

TEST_F(DamagedPng, CrcMismatchesAndBrokenStructureGiveNull) {
    std::string s = good;
    s[29] ^= 1;  // IHDR's CRC
    EXPECT_EQ(Load(s), nullptr);

    const size_t idat = 33;  // right after IHDR
    ASSERT_EQ(good.compare(idat + 4, 4, "IDAT"), 0);
    s = good;
    s[idat + 10] ^= 0x40;  // compressed data, CRC left stale
    EXPECT_EQ(Load(s), nullptr);

    s = good;
    for (size_t i = idat + 8; i < idat + 16; ++i) s[i] = '\xff';  // not a zlib stream, CRC made valid
    FixCrc(s, idat);
    EXPECT_EQ(Load(s), nullptr);

    s = good;
    Put32(s, idat, 0xfffffff0u);  // a chunk longer than any file
    EXPECT_EQ(Load(s), nullptr);
}

// ---------------------------------------------------------------------------

TEST_F(Textures, ARefusedSizeFallsBackToPowersOfTwo) {
    gxtkSurface::refuseAllocations = 1;
    gxtkSurface* s = device->LoadSurface(Fixture("rgba_100x50.png"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Width(), 100);
    EXPECT_EQ(s->Height(), 50);
    EXPECT_FLOAT_EQ(s->uScale, 1.0f / 128);
    EXPECT_FLOAT_EQ(s->vScale, 1.0f / 64);
    Texels t = ReadTexture(s, GL_RGBA);
    EXPECT_EQ(t.width, 128);
    EXPECT_EQ(t.height, 64);
    EXPECT_EQ(0, std::memcmp(t.At(10, 5), "\x64\x32\x19\x80", 4));

    // Drawn at its own size, sampled from the corner of the larger texture.
    device->DrawSurface(s, 0, 0);
    EXPECT_EQ(Rgb(Pixel(10, 5)), 0x643219u);
    EXPECT_EQ(Rgb(Pixel(0, 0)), 0xff0000u);
    EXPECT_EQ(Rgb(Pixel(98, 49)), 0x0a141eu);
    EXPECT_EQ(Rgb(Pixel(100, 0)), 0u);
}

TEST_F(Textures, ASizeRefusedTwiceGivesNull) {
    gxtkSurface::refuseAllocations = 2;
    EXPECT_EQ(device->LoadSurface(Fixture("rgba_100x50.png")), nullptr);
    gxtkSurface::refuseAllocations = 2;
    EXPECT_EQ(bb_graphics_LoadImage(Fixture("rgba_100x50.png"), 1, 0), nullptr);
    gxtkSurface::refuseAllocations = 2;
    EXPECT_EQ(device->CreateSurface(8, 8), nullptr);
}

TEST_F(Textures, SurfacesBeyondTheDriversLimitAreNull) {
    GLint max = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max);
    ASSERT_GT(max, 0);
    EXPECT_EQ(device->CreateSurface(max + 1, 1), nullptr);
    EXPECT_EQ(device->CreateSurface(4, max * 2), nullptr);
    EXPECT_EQ(device->CreateSurface(0, 5), nullptr);
    EXPECT_EQ(device->CreateSurface(-3, 4), nullptr);
}

TEST_F(Textures, CreateSurfaceMakesAnEmptyRgbaTextureThatDoesNotWrap) {
    gxtkSurface* s = device->CreateSurface(64, 32);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->bytesPerPixel, 4);
    EXPECT_EQ(InternalFormat(s), GL_RGBA);
    EXPECT_FLOAT_EQ(s->uScale, 1.0f / 64);
    EXPECT_FLOAT_EQ(s->vScale, 1.0f / 32);
    // Frames share one texture: a sample on a frame's edge must not wrap
    // round to the other side of the sheet.
    for (GLenum axis : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T}) {
        GLint wrap = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, axis, &wrap);
        EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE) << axis;
    }
}

TEST_F(Textures, DiscardTwiceIsHarmlessAndTheCollectorReleasesToo) {
    gxtkSurface* s = device->CreateSurface(4, 4);
    GLuint name = s->texture;
    ASSERT_TRUE(glIsTexture(name));
    s->Discard();
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_EQ(s->texture, 0u);
    s->Discard();

    GLuint dropped = device->CreateSurface(4, 4)->texture;
    ASSERT_TRUE(glIsTexture(dropped));
    Collect();
    EXPECT_FALSE(glIsTexture(dropped));
}

TEST_F(Textures, HandFilledPixelsArePremultipliedAndReleased) {
    unsigned char* data = static_cast<unsigned char*>(std::malloc(4));
    std::memcpy(data, "\xc8\x64\x32\x80", 4);
    gxtkSurface* s = new gxtkSurface(data, 1, 1, 4);
    ASSERT_TRUE(s->OnUnsafeLoadComplete());
    EXPECT_EQ(s->pixelData, nullptr);
    EXPECT_EQ(0, std::memcmp(ReadTexture(s, GL_RGBA).At(0, 0), "\x64\x32\x19\x80", 4));
}

TEST_F(Textures, AnUnknownPixelSizeEndsTheProcess) {
    nubrix_test::ChildResult r = nubrix_test::RunInChild([] { (new gxtkSurface(nullptr, 1, 1, 5))->OnUnsafeLoadComplete(); });
    EXPECT_EQ(r.exitCode, 255);
}

TEST(Pow2Size, RoundsUpToAPowerOfTwo) {
    const int in[] = {-5, 0, 1, 2, 3, 100, 1024, 1025, 1 << 30};
    const int out[] = {1, 1, 1, 2, 4, 128, 1024, 2048, 1 << 30};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(Pow2Size(in[i]), out[i]) << in[i];
}

}  // namespace
}  // namespace graphics_test
