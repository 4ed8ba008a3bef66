// music_env.cpp - the window, sound device and working folder of the music
// suites, the recording audio device and the per-test player.

#include "tests/music/music_env.h"

#include <AL/al.h>

#include <cstdio>
#include <cstdlib>

#include "graphics/graphics.h"
#include "tests/support/gl_window.h"
#include "tests/support/openal_context.h"
#include "tests/support/testing.h"
#include "tools/assetgen/song.h"

namespace music_test {

namespace {

// The one recording device, shared by every test: OpenAL sources live as
// long as their device's channels, and a device per test would run the
// context out of sources. It stays rooted as bb_audio_device.
RecordingAudio* sharedAudio = nullptr;

// One real window and GL context (Mesa under Xvfb) and one OpenAL context
// for the whole binary; they stay current while the tests script the
// clock and window through the scripted backend.
class MusicEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        nubrix_test::OpenGLWindow("music");
        if (!std::getenv("ALSOFT_DRIVERS")) nubrix_test::SetEnvironment("ALSOFT_DRIVERS", "null");  // never a real sound card
        if (!sound.Open()) {
            std::fprintf(stderr, "music tests: no OpenAL context\n");
            std::exit(1);
        }
        folder.reset(new nubrix_test::DataWorkingFolder());
    }
    void TearDown() override {
        folder.reset();
        sound.Close();
    }

private:
    nubrix_test::OpenAlContext sound;
    std::unique_ptr<nubrix_test::DataWorkingFolder> folder;
};

::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new MusicEnvironment);

}  // namespace

// --- RecordingAudio ------------------------------------------------------------

int RecordingAudio::PlaySample(gxtkSample* sample, int channel, int flags) {
    calls.push_back({"play", channel, 0, sample, flags});
    return gxtkAudio::PlaySample(sample, channel, flags);
}

int RecordingAudio::StopChannel(int channel) {
    calls.push_back({"stop", channel, 0, nullptr, 0});
    return gxtkAudio::StopChannel(channel);
}

int RecordingAudio::SetVolume(int channel, float volume) {
    calls.push_back({"volume", channel, volume, nullptr, 0});
    return gxtkAudio::SetVolume(channel, volume);
}

int RecordingAudio::SetPan(int channel, float pan) {
    calls.push_back({"pan", channel, pan, nullptr, 0});
    return gxtkAudio::SetPan(channel, pan);
}

int RecordingAudio::SetRate(int channel, float rate) {
    calls.push_back({"rate", channel, rate, nullptr, 0});
    return gxtkAudio::SetRate(channel, rate);
}

std::vector<RecordingAudio::Call> RecordingAudio::Of(const std::string& op, int channel) const {
    std::vector<Call> out;
    for (const Call& c : calls) {
        if (c.op == op && c.channel == channel) out.push_back(c);
    }
    return out;
}

float RecordingAudio::Gain(int channel) {
    float v = -1;
    alGetSourcef(channels[channel].alSource, AL_GAIN, &v);
    return v;
}

float RecordingAudio::Pitch(int channel) {
    float v = -1;
    alGetSourcef(channels[channel].alSource, AL_PITCH, &v);
    return v;
}

float RecordingAudio::PanX(int channel) {
    float x = 0, y = 0, z = 0;
    alGetSource3f(channels[channel].alSource, AL_POSITION, &x, &y, &z);
    return x;
}

bool RecordingAudio::Playing(int channel) {
    ALint state = AL_INITIAL;
    alGetSourcei(channels[channel].alSource, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

// --- MusicGame -----------------------------------------------------------------

MusicGame::MusicGame() { gc_assign(m_Music, (new bb_ZKTrackr_ZKPlayer())->g_new()); }

void MusicGame::mark() { gc_enqueue(m_Music); }

int MusicGame::m_OnUpdate() { return m_Music->m_ZK_Alive_U(paused, enabled); }

int MusicGame::m_OnRender() { return m_Music->m_ZK_Alive_R(); }

// --- PlayerTest ----------------------------------------------------------------

void PlayerTest::SetUp() {
    ASSERT_NO_FATAL_FAILURE(StartHost());
    game = new MusicGame();
    game->g_new();
    if (!sharedAudio) sharedAudio = new RecordingAudio();
    audio = sharedAudio;
    bb_audio_SetAudioDevice(audio);
    for (int c = 0; c < gxtkAudio::kChannels; ++c) audio->StopChannel(c);
    audio->calls.clear();
    bb_app_SetUpdateRate(60);
    player = game->m_Music;
    player->m_ZK_Init(32, 4, 3, 3, 4);
    bb_random_Seed = 1234;
    gc_collect();  // everything above must be reachable from the roots
}

void PlayerTest::Clock(int ms) { window.time = (ms + 0.5) / 1000.0; }

void PlayerTest::Update() { bb_app_device->InvokeOnUpdate(); }

void PlayerTest::Render() { bb_app_device->InvokeOnRender(); }

void PlayerTest::StartPlaying() {
    player->playState = 2;
    player->loadStep = 0;
    player->nextTime = bb_app_Millisecs() - 1;
}

void PlayerTest::Step() {
    Clock(player->nextTime + 1);
    Update();
}

void PlayerTest::Cell(int pattern, int track, int row, int note, int volume, int effect, int parameter) {
    int base = pattern * 4096 + track * 512 + row * 8;
    player->cells[base + 0] = note;
    player->cells[base + 1] = volume;
    player->cells[base + 2] = effect;
    player->cells[base + 3] = parameter;
    if (pattern > player->lastPattern[track]) player->lastPattern[track] = pattern;
}

void PlayerTest::LoadDemoInstruments() {
    for (int k = 1; k <= 8; ++k) {
        gc_assign(player->kitA[k], bb_audio_LoadSound(String("inst/d1-") + String(k) + String(".wav")));
        gc_assign(player->kitB[k], bb_audio_LoadSound(String("inst/d2-") + String(k) + String(".wav")));
    }
    gc_assign(player->melodic[2], bb_audio_LoadSound(String("inst/lead1.wav")));
    gc_assign(player->melodic[3], bb_audio_LoadSound(String("inst/accompany1.wav")));
    gc_assign(player->melodic[4], bb_audio_LoadSound(String("inst/bass1.wav")));
    ASSERT_NE(player->kitA[1], nullptr) << "the demo's samples are missing from data/inst";
    ASSERT_NE(player->melodic[4], nullptr);
}

std::vector<int> GeneratorCells() { return songgen::DemoSongCells(); }

}  // namespace music_test
