// The demo song heard: OpenAL Soft's wave writer stands in for the sound
// card, the player loads the demo during real renders and plays it for a
// few seconds of real time, and the captured file must hold music.
//
// A binary of its own: OpenAL Soft reads its configuration once per
// process, before the first device opens, so this process must not have
// touched OpenAL before the test points it at the wave writer.

#include <gtest/gtest.h>

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "host/framework.h"
#include "platform/glfw2.h"
#include "music/zkplayer.h"
#include "tests/support/testing.h"
#include "tools/assetgen/song.h"

using namespace glfw2;

namespace {

class Listener : public bb_app_App {
public:
    bb_ZKTrackr_ZKPlayer* m_Music = nullptr;
    Listener() { gc_assign(m_Music, (new bb_ZKTrackr_ZKPlayer())->g_new()); }
    void mark() override { gc_enqueue(m_Music); }
    int m_OnUpdate() override { return m_Music->m_ZK_Alive_U(0, 1); }
    int m_OnRender() override { return m_Music->m_ZK_Alive_R(); }
};

uint32_t Le(const std::string& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + i]);
    return v;
}

struct Captured {
    int rate = 0, channels = 0, bits = 0;
    bool floating = false;
    std::vector<float> frames;  // mono mix, -1..1
};

// A WAVE_FORMAT_EXTENSIBLE file as OpenAL Soft's wave writer leaves it.
Captured ReadCapture(const std::string& b) {
    Captured c;
    if (b.size() < 12 || b.substr(0, 4) != "RIFF" || b.substr(8, 4) != "WAVE") return c;
    size_t at = 12;
    while (at + 8 <= b.size()) {
        std::string tag = b.substr(at, 4);
        uint32_t size = Le(b, at + 4, 4);
        size_t body = at + 8;
        if (tag == "fmt " && body + 40 <= b.size()) {
            EXPECT_EQ(Le(b, body, 2), 0xfffeu) << "WAVE_FORMAT_EXTENSIBLE";
            c.channels = static_cast<int>(Le(b, body + 2, 2));
            c.rate = static_cast<int>(Le(b, body + 4, 4));
            c.bits = static_cast<int>(Le(b, body + 14, 2));
            c.floating = Le(b, body + 24, 2) == 3;  // the sub-format GUID's first field
        } else if (tag == "data" && c.channels > 0) {
            size_t bytesPerFrame = static_cast<size_t>(c.channels) * c.bits / 8;
            size_t end = std::min(b.size(), body + size);
            for (size_t f = body; f + bytesPerFrame <= end; f += bytesPerFrame) {
                float mix = 0;
                for (int ch = 0; ch < c.channels; ++ch) {
                    size_t s = f + static_cast<size_t>(ch) * c.bits / 8;
                    if (c.floating && c.bits == 32) {
                        uint32_t u = Le(b, s, 4);
                        float v;
                        std::memcpy(&v, &u, 4);
                        mix += v;
                    } else if (c.bits == 16) {
                        mix += static_cast<int16_t>(Le(b, s, 2)) / 32768.0f;
                    }
                }
                c.frames.push_back(mix / c.channels);
            }
        }
        at = body + size + (size & 1);
    }
    return c;
}

double Rms(const std::vector<float>& s, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += static_cast<double>(s[i]) * s[i];
    return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0;
}

TEST(Capture, TheDemoSongIsHeard) {
    nubrix_test::TempDir dir;
    nubrix_test::WriteFile(dir.File("alsoft.conf"), "[general]\ndrivers=wave\nchannels=stereo\nsample-type=int16\n"
                                                    "frequency=22050\n[wave]\nfile=" +
                                                        dir.File("out.wav") + "\n");
    nubrix_test::SetEnvironment("ALSOFT_CONF", dir.File("alsoft.conf"));
    nubrix_test::SetEnvironment("ALSOFT_DRIVERS", "");  // the suite's null driver would win over the file

    ALCdevice* device = alcOpenDevice(nullptr);
    ASSERT_NE(device, nullptr) << "no wave writer";
    ALCcontext* context = alcCreateContext(device, nullptr);
    ASSERT_TRUE(context && alcMakeContextCurrent(context));
    ASSERT_TRUE(glfwInit() && glfwOpenWindow(640, 480, 8, 8, 8, 8, 0, 0, GLFW_WINDOW));
    double opened = glfwGetTime();

    nubrix_test::ScopedWorkingFolder cwd(NUBRIX_SOURCE_DIR);
    gc_assign(bb_graphics_context, (new bb_graphics_GraphicsContext())->g_new());
    Listener* game = new Listener();
    game->g_new();
    bb_app_SetUpdateRate(60);
    bb_ZKTrackr_ZKPlayer* player = game->m_Music;
    player->m_ZK_Init(32, 4, 3, 3, 4);
    player->m_ZK_Start(String(songgen::kDemoSongFile), songgen::kDemoKitA, songgen::kDemoKitB, songgen::kDemoLead,
                       songgen::kDemoAccompany, songgen::kDemoBass, 2024, String("q"));

    std::fflush(stdout);
    int renders = 0;
    while (player->loadStep > 0 && renders++ < 100) bb_app_device->InvokeOnRender();
    ASSERT_EQ(player->loadStep, 0);
    double started = glfwGetTime();

    // Four seconds of the game's rhythm: an update every 1/60 s, a render
    // after each.
    while (glfwGetTime() < started + 4.0) {
        bb_app_device->InvokeOnUpdate();
        bb_app_device->InvokeOnRender();
        glfwSleep(1.0 / 60);
    }
    EXPECT_GT(player->row, 30) << "about 47 rows of 84 ms in four seconds";
    double stopped = glfwGetTime();
    player->m_ZK_Stop(1);

    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);  // the writer completes the header on close
    // The window stays until the process ends (see music_env.cpp).

    Captured c = ReadCapture(nubrix_test::ReadFile(dir.File("out.wav")));
    ASSERT_EQ(c.rate, 22050);
    ASSERT_EQ(c.channels, 2);
    ASSERT_EQ(c.bits, 16);
    double seconds = static_cast<double>(c.frames.size()) / c.rate;
    EXPECT_NEAR(seconds, stopped - opened, 1.0) << "the writer ran in real time while the device was open";

    // The music starts 100 ms after loading; judge the last three seconds.
    size_t from = static_cast<size_t>((started - opened + 1.0) * c.rate);
    size_t to = static_cast<size_t>((stopped - opened) * c.rate);
    ASSERT_LT(to, c.frames.size() + 1);
    ASSERT_LT(from + c.rate, to);
    double rms = Rms(c.frames, from, to);
    std::printf("captured %.2f s, RMS %.3f over the last %.2f s\n", seconds, rms,
                static_cast<double>(to - from) / c.rate);
    EXPECT_GT(rms, 0.02) << "not silent";
    // Sound all the way through, not one burst: every half second is heard.
    for (size_t at = from; at + c.rate / 2 <= to; at += c.rate / 2) {
        EXPECT_GT(Rms(c.frames, at, at + c.rate / 2), 0.005) << "at " << static_cast<double>(at) / c.rate << " s";
    }
    float peak = 0;
    for (size_t i = from; i < to; ++i) peak = std::max(peak, std::fabs(c.frames[i]));
    EXPECT_GT(peak, 0.1f);
}

}  // namespace
