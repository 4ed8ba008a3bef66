// What the audio device really plays: each case runs in a child process that
// opens OpenAL Soft with its "wave" backend (a WAVE file writer mixing in
// real time), loads and plays a sound through gxtkAudio, waits for the
// channel to finish and closes the device, which completes the file. The
// parent reads the capture back and checks it holds that sound: not silence,
// the right length within the mixer's granularity, the right pitch (counted
// zero crossings), the right balance between the two outputs.
//
// The parent never touches OpenAL: the library reads its configuration once
// per process, and every child needs its own.

#include <AL/al.h>
#include <AL/alc.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "devices/audio.h"
#include "tests/devices/sound_files.h"
#include "tests/support/testing.h"

using namespace sound_files;
using nubrix_test::RunInChild;

namespace {

const double kTolerance = 0.025;  // seconds: a few mixer periods either way

struct Span {
    std::size_t first = 0, last = 0;  // first and last frame louder than the floor
    bool any = false;
};

Span Loud(const std::vector<float>& x, float floor = 0.02f) {
    Span s;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (std::fabs(x[i]) > floor) {
            if (!s.any) s.first = i;
            s.last = i;
            s.any = true;
        }
    }
    return s;
}

double Rms(const std::vector<float>& x, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += double(x[i]) * x[i];
    return to > from ? std::sqrt(sum / (to - from)) : 0;
}

float Peak(const std::vector<float>& x) {
    float p = 0;
    for (float v : x) p = std::max(p, std::fabs(v));
    return p;
}

// Upward zero crossings per second inside [from, to), with a little
// hysteresis so that noise around zero is not counted.
double Pitch(const std::vector<float>& x, std::size_t from, std::size_t to, int rate) {
    int crossings = 0;
    bool low = x[from] < 0;
    std::size_t firstUp = 0, lastUp = 0;
    for (std::size_t i = from; i < to; ++i) {
        if (low && x[i] > 0.01f) {
            low = false;
            if (crossings == 0) firstUp = i;
            lastUp = i;
            ++crossings;
        } else if (!low && x[i] < -0.01f) {
            low = true;
        }
    }
    if (crossings < 2) return 0;
    return (crossings - 1) * double(rate) / double(lastUp - firstUp);
}

class Capture : public ::testing::Test {
protected:
    TempDir dir;

    // Plays `wav` on channel 0 after `setup` and returns what was captured.
    sound_files::Capture Play(const std::string& wav, const std::function<void(gxtkAudio*)>& setup = nullptr) {
        std::string out = dir.File("out.wav");
        std::string conf = dir.File("alsoft.conf");
        std::string sound = dir.File("sound.wav");
        WriteFile(conf, "[general]\ndrivers=wave\n[wave]\nfile=" + out + "\n");
        WriteFile(sound, wav);
        std::filesystem::remove(out);

        nubrix_test::ChildResult r = RunInChild(
            [&] {
                nubrix_test::SetEnvironment("ALSOFT_DRIVERS", "wave");
                nubrix_test::SetEnvironment("ALSOFT_CONF", conf);
                ALCdevice* device = alcOpenDevice(nullptr);
                if (!device) std::_Exit(2);
                ALCcontext* context = alcCreateContext(device, nullptr);
                if (!context || !alcMakeContextCurrent(context)) std::_Exit(3);
                gxtkAudio* audio = new gxtkAudio();
                gxtkSample* sample = audio->LoadSample(Widen(sound));
                if (!sample) std::_Exit(4);
                if (setup) setup(audio);
                audio->PlaySample(sample, 0, 0);
                auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
                while (audio->ChannelState(0) != 0) {
                    if (std::chrono::steady_clock::now() > end) std::_Exit(5);
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(60));  // a tail of silence
                alcMakeContextCurrent(nullptr);
                alcDestroyContext(context);
                alcCloseDevice(device);  // the writer completes the file's sizes here
            },
            "", 30);
        EXPECT_EQ(r.exitCode, 0) << "child failed (2 no device, 3 no context, 4 no sample, 5 never finished)\n"
                                 << r.out << r.err;
        sound_files::Capture cap = ReadCapture(ReadFile(out));
        EXPECT_TRUE(cap.valid) << "no readable capture in " << out;
        EXPECT_EQ(cap.channels, 2);
        return cap;
    }

    static std::string MonoTone(double hz, double seconds) {
        return Wav(1, 22050, 16, Pcm16(Tone(hz, seconds, 22050)));
    }
};

TEST_F(Capture, AToneArrivesWholeAtItsPitch) {
    sound_files::Capture cap = Play(MonoTone(440, 0.5));
    ASSERT_TRUE(cap.valid);
    const std::vector<float>& left = cap.samples[0];
    Span loud = Loud(left);
    ASSERT_TRUE(loud.any) << "the capture is silent";
    double seconds = double(loud.last - loud.first) / cap.rate;
    EXPECT_NEAR(seconds, 0.5, kTolerance);
    EXPECT_NEAR(Pitch(left, loud.first, loud.last, cap.rate), 440, 4);

    // No drop-outs: every 10 ms of the sound carries the tone.
    std::size_t window = cap.rate / 100;
    double whole = Rms(left, loud.first, loud.last);
    for (std::size_t at = loud.first; at + window <= loud.last; at += window) {
        ASSERT_GT(Rms(left, at, at + window), whole * 0.5) << "gap at frame " << at;
    }
    // A centred mono sound reaches both outputs equally.
    EXPECT_NEAR(Rms(cap.samples[1], loud.first, loud.last), whole, whole * 0.1);
}

TEST_F(Capture, RateScalesPitchAndLength) {
    sound_files::Capture cap = Play(MonoTone(440, 0.5), [](gxtkAudio* a) { a->SetRate(0, 2); });
    ASSERT_TRUE(cap.valid);
    Span loud = Loud(cap.samples[0]);
    ASSERT_TRUE(loud.any);
    EXPECT_NEAR(double(loud.last - loud.first) / cap.rate, 0.25, kTolerance);
    EXPECT_NEAR(Pitch(cap.samples[0], loud.first, loud.last, cap.rate), 880, 8);
}

TEST_F(Capture, VolumeAndPanShapeTheOutput) {
    sound_files::Capture plain = Play(MonoTone(440, 0.2));
    sound_files::Capture quiet = Play(MonoTone(440, 0.2), [](gxtkAudio* a) { a->SetVolume(0, 0.5f); });
    sound_files::Capture left = Play(MonoTone(440, 0.2), [](gxtkAudio* a) { a->SetPan(0, -1); });
    ASSERT_TRUE(plain.valid && quiet.valid && left.valid);

    float full = Peak(plain.samples[0]);
    ASSERT_GT(full, 0.1f);
    EXPECT_NEAR(Peak(quiet.samples[0]) / full, 0.5, 0.05);

    Span loud = Loud(left.samples[0]);
    ASSERT_TRUE(loud.any) << "panned left, the left output is silent";
    EXPECT_GT(Rms(left.samples[0], loud.first, loud.last), 4 * Rms(left.samples[1], loud.first, loud.last))
        << "pan -1 puts the sound on the left";
}

TEST_F(Capture, StereoSamplesKeepTheirSides) {
    // 8-bit stereo: a tone on the left, the unsigned mid-point (silence) on
    // the right.
    std::vector<std::int16_t> tone = Tone(660, 0.3, 22050);
    std::string pcm;
    for (std::int16_t v : tone) {
        pcm += static_cast<char>(128 + v / 256);
        pcm += static_cast<char>(128);
    }
    sound_files::Capture cap = Play(Wav(2, 22050, 8, pcm));
    ASSERT_TRUE(cap.valid);
    Span loud = Loud(cap.samples[0]);
    ASSERT_TRUE(loud.any);
    EXPECT_NEAR(double(loud.last - loud.first) / cap.rate, 0.3, kTolerance);
    EXPECT_NEAR(Pitch(cap.samples[0], loud.first, loud.last, cap.rate), 660, 6);
    EXPECT_LT(Peak(cap.samples[1]), 0.02f) << "the right side stays silent";
}

}  // namespace
