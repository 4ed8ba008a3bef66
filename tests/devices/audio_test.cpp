// The audio device on a real OpenAL Soft context (its null backend, which
// mixes in real time into nothing): samples and their buffers, the channel
// state machine as the sources really move, suspend and resume, music, the
// deferred deletion of discarded buffers, and which samples the collector
// keeps alive.
//
// One device serves the whole binary (each device keeps its 33 sources for
// the life of the process); every test starts with all channels stopped.

#include <AL/al.h>
#include <AL/alc.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "devices/audio.h"
#include "runtime/gc.h"
#include "tests/devices/sound_files.h"
#include "tests/support/testing.h"

using namespace sound_files;

namespace {

class OpenAlEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        device = alcOpenDevice(nullptr);
        ASSERT_NE(device, nullptr) << "no OpenAL device (ALSOFT_DRIVERS=null expected)";
        context = alcCreateContext(device, nullptr);
        ASSERT_NE(context, nullptr);
        ASSERT_TRUE(alcMakeContextCurrent(context));
    }
    void TearDown() override {
        bb_audio_SetAudioDevice(nullptr);
        alcMakeContextCurrent(nullptr);
        if (context) alcDestroyContext(context);
        if (device) alcCloseDevice(device);
    }

private:
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
};

::testing::Environment* const openal = ::testing::AddGlobalTestEnvironment(new OpenAlEnvironment);

// Two forced steps: the first may keep what the running cycle had already
// marked, the second sees only what is reachable now. Each is preceded by an
// allocation, as in a running game: the collector does not sweep while it
// has no white object at all.
void CollectFully() {
    for (int i = 0; i < 2; ++i) {
        new Object();
        gc_force_sweep = true;
        gc_collect();
    }
}

bool WaitFor(const std::function<bool()>& done, double seconds = 3) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

ALint BufferInt(ALuint buffer, ALenum what) {
    ALint v = -1;
    alGetBufferi(buffer, what, &v);
    return v;
}

class Audio : public ::testing::Test {
protected:
    TempDir dir;
    gxtkAudio* audio = nullptr;

    void SetUp() override {
        if (!bb_audio_device) bb_audio_SetAudioDevice(new gxtkAudio());
        audio = bb_audio_device;
        for (int c = 0; c < gxtkAudio::kChannels; ++c) {
            audio->StopChannel(c);
            audio->SetVolume(c, 1);
            audio->SetRate(c, 1);
        }
        // Earlier tests' samples are destroyed now, not lazily in the middle
        // of this test, and their buffers deleted.
        CollectFully();
        audio->FlushDiscarded();
        ASSERT_EQ(gxtkSample::DiscardedBufferCount(), 0);
        gc_force_sweep = false;
        alGetError();
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        WriteFile(dir.File(name), bytes);
        return dir.File(name);
    }

    // A tone of `seconds` as 16-bit mono at 22050 Hz.
    gxtkSample* Tone(double seconds, const std::string& name = "tone.wav") {
        std::string wav = Wav(1, 22050, 16, Pcm16(sound_files::Tone(440, seconds, 22050)));
        gxtkSample* s = audio->LoadSample(Widen(Write(name, wav)));
        EXPECT_NE(s, nullptr);
        return s;
    }

    ALint SourceState(int channel) {
        ALint state = 0;
        alGetSourcei(audio->channels[channel].alSource, AL_SOURCE_STATE, &state);
        return state;
    }

    bool SourceStopped(int channel) { return SourceState(channel) == AL_STOPPED; }
};

// ---------------------------------------------------------------------------

TEST_F(Audio, ANewDeviceTurnsAttenuationOffAndStartsSilent) {
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    gxtkAudio* fresh = new gxtkAudio();
    EXPECT_EQ(alGetInteger(AL_DISTANCE_MODEL), AL_NONE);
    for (int c = 0; c < gxtkAudio::kChannels; ++c) {
        EXPECT_EQ(fresh->channels[c].alSource, 0u);
        EXPECT_EQ(fresh->channels[c].playingSample, nullptr);
        EXPECT_EQ(fresh->ChannelState(c), 0);
    }
}

TEST_F(Audio, ChannelSettingsBeforeAnyPlayCreateTheSource) {
    gxtkAudio* fresh = new gxtkAudio();
    ASSERT_EQ(fresh->channels[3].alSource, 0u);
    fresh->SetPan(3, -1);
    ALuint source = fresh->channels[3].alSource;
    ASSERT_NE(source, 0u);
    EXPECT_TRUE(alIsSource(source));
    ALfloat x = 0, y = 1, z = 1;
    alGetSource3f(source, AL_POSITION, &x, &y, &z);
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(z, 0);

    fresh->SetVolume(4, 0.25f);
    fresh->SetRate(5, 1.5f);
    ALfloat gain = 0, pitch = 0;
    alGetSourcef(fresh->channels[4].alSource, AL_GAIN, &gain);
    alGetSourcef(fresh->channels[5].alSource, AL_PITCH, &pitch);
    EXPECT_FLOAT_EQ(gain, 0.25f);
    EXPECT_FLOAT_EQ(pitch, 1.5f);

    fresh->SetPan(3, 0.5f);
    EXPECT_EQ(fresh->channels[3].alSource, source) << "a channel keeps its source";
}

// ---------------------------------------------------------------------------

TEST_F(Audio, WavFilesBecomeBuffersOfTheirOwnFormat) {
    gxtkSample* stereo = audio->LoadSample(Widen(Write("s.wav", Wav(2, 22050, 16, std::string(4000, '\x10')))));
    ASSERT_NE(stereo, nullptr);
    EXPECT_TRUE(alIsBuffer(stereo->buffer));
    EXPECT_EQ(BufferInt(stereo->buffer, AL_SIZE), 4000);
    EXPECT_EQ(BufferInt(stereo->buffer, AL_CHANNELS), 2);
    EXPECT_EQ(BufferInt(stereo->buffer, AL_BITS), 16);
    EXPECT_EQ(BufferInt(stereo->buffer, AL_FREQUENCY), 22050);

    gxtkSample* mono8 = audio->LoadSample(Widen(Write("m.WAV", Wav(1, 11025, 8, std::string(300, '\x80')))));
    ASSERT_NE(mono8, nullptr);
    EXPECT_EQ(BufferInt(mono8->buffer, AL_SIZE), 300);
    EXPECT_EQ(BufferInt(mono8->buffer, AL_CHANNELS), 1);
    EXPECT_EQ(BufferInt(mono8->buffer, AL_BITS), 8);
    EXPECT_EQ(BufferInt(mono8->buffer, AL_FREQUENCY), 11025);

    std::string wav = Riff(Chunk("fmt ", FmtBody(1, 2, 8000, 8, Le16(0))) + Chunk("LIST", "INFOxyz") +
                           Chunk("data", std::string(64, '\x90')));
    gxtkSample* extended = audio->LoadSample(Widen(Write("e.wav", wav)));
    ASSERT_NE(extended, nullptr);
    EXPECT_EQ(BufferInt(extended->buffer, AL_SIZE), 64);
    EXPECT_EQ(BufferInt(extended->buffer, AL_CHANNELS), 2);
    EXPECT_NE(stereo->buffer, mono8->buffer);
}

TEST_F(Audio, OggFilesDecodeWhole) {
    std::string bytes = ReadFile("/usr/share/sounds/freedesktop/stereo/bell.oga");
    ASSERT_FALSE(bytes.empty()) << "package sound-theme-freedesktop is missing";
    OggFacts facts = ReadOggFacts(bytes);
    gxtkSample* bell = audio->LoadSample(Widen(Write("bell.ogg", bytes)));
    ASSERT_NE(bell, nullptr);
    EXPECT_EQ(BufferInt(bell->buffer, AL_CHANNELS), facts.channels);
    EXPECT_EQ(BufferInt(bell->buffer, AL_FREQUENCY), facts.rate);
    EXPECT_EQ(BufferInt(bell->buffer, AL_BITS), 16);
    EXPECT_EQ(BufferInt(bell->buffer, AL_SIZE), facts.lastGranule * facts.channels * 2);
}

TEST_F(Audio, UnplayableFilesGiveNoSample) {
    std::string pcm(600, '\x22');
    std::string floats = Riff(Chunk("fmt ", FmtBody(3, 1, 8000, 32)) + Chunk("data", pcm));
    EXPECT_EQ(audio->LoadSample(Widen(Write("f.wav", floats))), nullptr) << "float WAV";
    EXPECT_EQ(audio->LoadSample(Widen(Write("deep.wav", Wav(1, 8000, 24, pcm)))), nullptr)
        << "24-bit: OpenAL has no format for it";
    EXPECT_EQ(audio->LoadSample(Widen(Write("six.wav", Wav(6, 8000, 16, pcm)))), nullptr)
        << "six channels: OpenAL has no format for it";
    EXPECT_EQ(audio->LoadSample(Widen(dir.File("missing.wav"))), nullptr);
    ASSERT_EQ(std::system(("mkdir " + dir.File("x.wav")).c_str()), 0);
    Write("x.wav/boom", Wav(1, 8000, 8, pcm));
    EXPECT_EQ(audio->LoadSample(Widen(dir.File("x.wav/boom"))), nullptr) << "no extension";
    EXPECT_EQ(alGetError(), AL_NO_ERROR) << "refusals leave no OpenAL error behind";
}

TEST_F(Audio, OnlyASuccessfulLoadAsksForAFullCollection) {
    gc_force_sweep = false;
    audio->LoadSample(Widen(dir.File("missing.wav")));
    EXPECT_FALSE(gc_force_sweep);
    Tone(0.01);
    EXPECT_TRUE(gc_force_sweep);
    gc_force_sweep = false;
}

TEST_F(Audio, SoundsLoadFromTheDataFolder) {
    ASSERT_TRUE(std::filesystem::create_directories(dir.File("data/sfx")));
    Write("data/sfx/001.wav", Wav(1, 8000, 8, std::string(80, '\x70')));
    ScopedWorkingFolder here(dir.Path());
    bb_audio_Sound* sound = bb_audio_LoadSound(String("sfx/001.wav"));
    ASSERT_NE(sound, nullptr);
    ASSERT_NE(sound->sample, nullptr);
    EXPECT_EQ(BufferInt(sound->sample->buffer, AL_SIZE), 80);

    // A sound that does not load is named, once, with the reason.
    Write("data/sfx/003.wav", "RIFF, but nothing after it");
    testing::internal::CaptureStdout();
    EXPECT_EQ(bb_audio_LoadSound(String("sfx/002.wav")), nullptr);
    EXPECT_EQ(bb_audio_LoadSound(String("sfx/003.wav")), nullptr);
    EXPECT_EQ(bb_audio_LoadSound(String("sfx/002.wav")), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Cannot load sound data/sfx/002.wav: No such file or directory\n"
              "Cannot load sound data/sfx/003.wav: damaged, or not a format the game reads\n");

    bb_audio_PlaySound(sound, 7, 1);
    EXPECT_EQ(audio->ChannelState(7), 1);
    EXPECT_EQ(audio->channels[7].playingSample, sound->sample);
    bb_audio_SetChannelVolume(7, 0.5f);
    bb_audio_SetChannelPan(7, 0.25f);
    bb_audio_SetChannelRate(7, 2);
    ALfloat gain = 0, pitch = 0, x = 0, y, z;
    alGetSourcef(audio->channels[7].alSource, AL_GAIN, &gain);
    alGetSourcef(audio->channels[7].alSource, AL_PITCH, &pitch);
    alGetSource3f(audio->channels[7].alSource, AL_POSITION, &x, &y, &z);
    EXPECT_FLOAT_EQ(gain, 0.5f);
    EXPECT_FLOAT_EQ(pitch, 2);
    EXPECT_FLOAT_EQ(x, 0.25f);
    bb_audio_StopChannel(7);
    EXPECT_EQ(audio->ChannelState(7), 0);
    bb_audio_PlaySound(nullptr, 7, 0);  // a sound that failed to load plays nothing
    EXPECT_EQ(audio->ChannelState(7), 0);

    // Without a sound device nothing loads, and the files are not blamed.
    ALCcontext* context = alcGetCurrentContext();
    alcMakeContextCurrent(nullptr);
    testing::internal::CaptureStdout();
    EXPECT_EQ(bb_audio_LoadSound(String("sfx/001.wav")), nullptr);
    EXPECT_EQ(bb_audio_LoadSound(String("sfx/004.wav")), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "No sound device: the game plays without sound\n");
    alcMakeContextCurrent(context);
}

// ---------------------------------------------------------------------------

TEST_F(Audio, PlayAttachesTheBufferAndTheLoopFlag) {
    gxtkSample* s = Tone(0.05);
    audio->PlaySample(s, 0, 1);
    ALint buffer = 0, looping = 0;
    alGetSourcei(audio->channels[0].alSource, AL_BUFFER, &buffer);
    alGetSourcei(audio->channels[0].alSource, AL_LOOPING, &looping);
    EXPECT_EQ(static_cast<ALuint>(buffer), s->buffer);
    EXPECT_EQ(looping, AL_TRUE);
    EXPECT_EQ(audio->channels[0].loopFlags, 1);
    EXPECT_EQ(SourceState(0), AL_PLAYING);

    audio->PlaySample(s, 0, 0);  // restarting a channel replaces what it played
    alGetSourcei(audio->channels[0].alSource, AL_LOOPING, &looping);
    EXPECT_EQ(looping, AL_FALSE);
    EXPECT_EQ(audio->channels[0].loopFlags, 0);
}

TEST_F(Audio, AFinishedOneShotReadsStoppedAndALoopKeepsPlaying) {
    gxtkSample* s = Tone(0.03);
    audio->PlaySample(s, 1, 0);
    audio->PlaySample(s, 2, 1);
    EXPECT_EQ(audio->ChannelState(1), 1);
    EXPECT_TRUE(WaitFor([&] { return audio->ChannelState(1) == 0; })) << "the one-shot never finished";
    Sleep(100);  // more than three times the sound's length
    EXPECT_EQ(audio->ChannelState(2), 1);
    EXPECT_EQ(SourceState(2), AL_PLAYING);
}

TEST_F(Audio, PausingAFinishedSoundStopsTheChannel) {
    audio->PlaySample(Tone(0.02), 3, 0);
    ASSERT_TRUE(WaitFor([&] { return SourceStopped(3); }));
    audio->PauseChannel(3);
    EXPECT_EQ(audio->ChannelState(3), 0);
    audio->ResumeChannel(3);
    EXPECT_EQ(SourceState(3), AL_STOPPED) << "nothing to resume";
}

TEST_F(Audio, PauseAndResumeAPlayingSound) {
    audio->PlaySample(Tone(0.05), 4, 1);
    audio->PauseChannel(4);
    EXPECT_EQ(audio->ChannelState(4), 2);
    EXPECT_EQ(SourceState(4), AL_PAUSED);
    audio->PauseChannel(4);
    EXPECT_EQ(audio->ChannelState(4), 2);
    audio->ResumeChannel(4);
    EXPECT_EQ(audio->ChannelState(4), 1);
    EXPECT_EQ(SourceState(4), AL_PLAYING);
    audio->ResumeChannel(4);
    EXPECT_EQ(audio->ChannelState(4), 1);
    audio->StopChannel(4);
    EXPECT_EQ(audio->ChannelState(4), 0);
    EXPECT_EQ(SourceState(4), AL_STOPPED);
    audio->ResumeChannel(4);
    EXPECT_EQ(SourceState(4), AL_STOPPED) << "a stopped channel does not resume";
}

TEST_F(Audio, SuspendAndResumeLeaveChannelsTheGamePausedAlone) {
    gxtkSample* s = Tone(0.05);
    audio->PlaySample(s, 5, 1);   // playing
    audio->PlaySample(s, 6, 1);
    audio->PauseChannel(6);       // paused by the game
    audio->PlaySample(s, 8, 0);   // will have finished
    ASSERT_TRUE(WaitFor([&] { return SourceStopped(8); }));

    audio->OnSuspend();
    EXPECT_EQ(SourceState(5), AL_PAUSED);
    EXPECT_EQ(audio->ChannelState(5), 1) << "a suspend is not a game pause";
    EXPECT_EQ(SourceState(6), AL_PAUSED);
    EXPECT_EQ(audio->ChannelState(6), 2);
    EXPECT_EQ(SourceState(8), AL_STOPPED);

    audio->OnResume();
    EXPECT_EQ(SourceState(5), AL_PLAYING);
    EXPECT_EQ(audio->ChannelState(5), 1);
    EXPECT_EQ(SourceState(6), AL_PAUSED);
    EXPECT_EQ(audio->ChannelState(6), 2);
    EXPECT_EQ(SourceState(8), AL_STOPPED);
    EXPECT_EQ(audio->ChannelState(8), 0);
}

TEST_F(Audio, ChannelNumbersOutsideTheDeviceAreIgnored) {
    gxtkSample* s = Tone(0.02);
    for (int c : {-1, 33, 1000, -1000}) {
        EXPECT_EQ(audio->PlaySample(s, c, 0), 0);
        EXPECT_EQ(audio->ChannelState(c), 0);
        audio->PauseChannel(c);
        audio->ResumeChannel(c);
        audio->SetVolume(c, 0.5f);
        audio->SetPan(c, 0.5f);
        audio->SetRate(c, 0.5f);
        audio->StopChannel(c);
    }
    for (int c = 0; c < gxtkAudio::kChannels; ++c) EXPECT_EQ(audio->ChannelState(c), 0) << c;
    EXPECT_EQ(audio->PlaySample(nullptr, 0, 0), 0);
    EXPECT_EQ(audio->ChannelState(0), 0);
}

// ---------------------------------------------------------------------------

TEST_F(Audio, MusicPlaysOnChannel32) {
    std::string path = Write("song.wav", Wav(1, 22050, 16, Pcm16(sound_files::Tone(220, 0.05, 22050))));
    EXPECT_EQ(audio->PlayMusic(Widen(path), 1), 0);
    EXPECT_EQ(audio->MusicState(), 1);
    EXPECT_EQ(audio->ChannelState(32), 1);
    EXPECT_EQ(SourceState(32), AL_PLAYING);
    audio->SetMusicVolume(0.5f);
    ALfloat gain = 0;
    alGetSourcef(audio->channels[32].alSource, AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 0.5f);
    audio->PauseMusic();
    EXPECT_EQ(audio->MusicState(), 2);
    audio->ResumeMusic();
    EXPECT_EQ(audio->MusicState(), 1);
    audio->StopMusic();
    EXPECT_EQ(audio->MusicState(), 0);
    EXPECT_EQ(SourceState(32), AL_STOPPED);
}

TEST_F(Audio, MusicThatFailsToLoadReturnsMinusOneAndStopsTheOldSong) {
    std::string path = Write("song.wav", Wav(1, 22050, 16, Pcm16(sound_files::Tone(220, 0.05, 22050))));
    ASSERT_EQ(audio->PlayMusic(Widen(path), 1), 0);
    EXPECT_EQ(audio->PlayMusic(Widen(dir.File("nothing.ogg")), 1), -1);
    EXPECT_EQ(audio->MusicState(), 0);
    EXPECT_EQ(SourceState(32), AL_STOPPED);
}

// ---------------------------------------------------------------------------

TEST_F(Audio, ADiscardedSampleKeepsItsBufferUntilItsChannelStopsAndAFlushRuns) {
    gxtkSample* s = Tone(0.05, "a.wav");
    gxtkSample* other = Tone(0.05, "b.wav");
    audio->PlaySample(s, 0, 1);
    ALuint buffer = s->buffer;
    s->Discard();
    EXPECT_EQ(s->buffer, 0u);
    EXPECT_TRUE(alIsBuffer(buffer));

    Tone(0.01, "c.wav");  // a load flushes: the buffer is still playing
    EXPECT_TRUE(alIsBuffer(buffer));
    EXPECT_EQ(SourceState(0), AL_PLAYING) << "a flush never cuts a sound short";

    audio->StopChannel(0);
    EXPECT_TRUE(alIsBuffer(buffer)) << "deleted before any flush";
    audio->PlaySample(other, 1, 0);  // a play flushes too
    EXPECT_FALSE(alIsBuffer(buffer));
    EXPECT_EQ(gxtkSample::DiscardedBufferCount(), 0);
}

TEST_F(Audio, AFinishedOneShotReleasesADiscardedBuffer) {
    gxtkSample* s = Tone(0.02);
    audio->PlaySample(s, 2, 0);
    ALuint buffer = s->buffer;
    s->Discard();
    ASSERT_TRUE(WaitFor([&] { return SourceStopped(2); }));
    EXPECT_TRUE(alIsBuffer(buffer));
    EXPECT_EQ(audio->LoadSample(Widen(dir.File("missing.wav"))), nullptr);  // a load flushes, even a failed one
    EXPECT_FALSE(alIsBuffer(buffer));
    EXPECT_EQ(gxtkSample::DiscardedBufferCount(), 0);
}

TEST_F(Audio, AGamePausedChannelKeepsADiscardedBuffer) {
    gxtkSample* s = Tone(0.05);
    audio->PlaySample(s, 9, 1);
    audio->PauseChannel(9);
    ALuint buffer = s->buffer;
    s->Discard();
    audio->FlushDiscarded();
    EXPECT_TRUE(alIsBuffer(buffer));
    EXPECT_EQ(gxtkSample::DiscardedBufferCount(), 1) << "kept for the next flush";
    audio->ResumeChannel(9);
    EXPECT_EQ(SourceState(9), AL_PLAYING);
    audio->StopChannel(9);
    audio->FlushDiscarded();
    EXPECT_FALSE(alIsBuffer(buffer));
}

TEST_F(Audio, AnEarlierOpenAlErrorDoesNotKeepADeletedBufferListed) {
    gxtkSample* s = Tone(0.02, "a.wav");
    ALuint buffer = s->buffer;
    s->Discard();
    audio->SetVolume(0, -1);  // an invalid gain: OpenAL records an error
    gxtkSample* next = Tone(0.02, "b.wav");
    EXPECT_EQ(gxtkSample::DiscardedBufferCount(), 0);
    EXPECT_TRUE(next->buffer == buffer || !alIsBuffer(buffer)) << "deleted, or reused for the next sample";
    // OpenAL hands out the lowest free name, so `next` most likely got the
    // deleted buffer's name. Had that name stayed listed, the next flush
    // would delete `next`'s buffer.
    gxtkSample* third = Tone(0.02, "c.wav");
    audio->FlushDiscarded();
    EXPECT_TRUE(alIsBuffer(next->buffer));
    EXPECT_EQ(BufferInt(next->buffer, AL_SIZE), 2 * 441);
    EXPECT_TRUE(alIsBuffer(third->buffer));
    EXPECT_NE(next->buffer, third->buffer);
}

TEST_F(Audio, ReplacingASamplesBufferDiscardsTheOldOne) {
    gxtkSample* s = Tone(0.02, "a.wav");
    ALuint first = s->buffer;
    ASSERT_EQ(audio->LoadSample__UNSAFE__(s, Widen(Write("b.wav", Wav(1, 8000, 8, std::string(10, 'x'))))), s);
    EXPECT_NE(s->buffer, first);
    EXPECT_EQ(BufferInt(s->buffer, AL_SIZE), 10);
    audio->FlushDiscarded();
    EXPECT_FALSE(alIsBuffer(first));
    EXPECT_TRUE(alIsBuffer(s->buffer));
}

// ---------------------------------------------------------------------------

TEST_F(Audio, TheCollectorKeepsAPlayingSampleAndFreesAStoppedOne) {
    gxtkSample* s = Tone(0.05);
    ALuint buffer = s->buffer;
    audio->PlaySample(s, 10, 1);
    CollectFully();
    EXPECT_TRUE(gc_is_live(s)) << "only the channel refers to it, and it plays";
    EXPECT_TRUE(alIsBuffer(buffer));
    EXPECT_EQ(SourceState(10), AL_PLAYING);

    audio->PauseChannel(10);
    CollectFully();
    EXPECT_TRUE(gc_is_live(s)) << "a paused sound resumes later";

    audio->StopChannel(10);
    CollectFully();
    EXPECT_FALSE(gc_is_live(s));
    EXPECT_EQ(gxtkSample::DiscardedBufferCount(), 1) << "the collected sample's buffer waits for a flush";
    audio->FlushDiscarded();
    EXPECT_FALSE(alIsBuffer(buffer));
}

TEST_F(Audio, TheCollectorFreesAFinishedOneShot) {
    gxtkSample* s = Tone(0.02);
    audio->PlaySample(s, 11, 0);
    ASSERT_TRUE(WaitFor([&] { return SourceStopped(11); }));
    CollectFully();
    EXPECT_FALSE(gc_is_live(s));
}

class Holder : public Object {
public:
    bb_audio_Sound* sound = nullptr;
    void mark() override { gc_enqueue(sound); }
};

TEST_F(Audio, ASoundKeepsItsSampleAlive) {
    ASSERT_TRUE(std::filesystem::create_directories(dir.File("data")));
    Write("data/s.wav", Wav(1, 8000, 8, std::string(80, '\x70')));
    ScopedWorkingFolder here(dir.Path());
    Holder* holder = new Holder();
    gc_assign(holder->sound, bb_audio_LoadSound(String("s.wav")));
    ASSERT_NE(holder->sound, nullptr);
    gxtkSample* sample = holder->sound->sample;
    for (int i = 0; i < 2; ++i) {
        gc_enqueue(holder);  // the test's own root
        gc_force_sweep = true;
        gc_collect();
    }
    EXPECT_TRUE(gc_is_live(holder->sound));
    EXPECT_TRUE(gc_is_live(sample));
    EXPECT_TRUE(alIsBuffer(sample->buffer));
}

}  // namespace
