// audio.cpp - the audio device: 33 OpenAL channels, samples and sounds.
//
// The device never owns an OpenAL device or context: the entry point opens
// them before the host creates this device and closes them after the loop.
// Every call here assumes that context is current; without one, OpenAL calls
// fail quietly and loads give null.
//
// Buffer lifetime. A sample's buffer may still be attached to a source when
// the sample is discarded or collected, and OpenAL refuses to delete such a
// buffer. So buffer names go onto one process-wide list and FlushDiscarded
// (at the start of every load and play) detaches buffers from sources that
// have stopped and deletes what it can; the rest waits for the next flush.
//
// Collector. A sample that is playing stays alive even when nothing else
// refers to it: the device marks the sample of every channel whose source
// has not stopped.
//
// Depends on: devices/audio.h, devices/sound_loader.h, platform/data.h,
// runtime/gc.h, OpenAL.

#include "devices/audio.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <cstdio>
#include <vector>

#include "devices/sound_loader.h"
#include "platform/data.h"

gxtkAudio* bb_audio_device = nullptr;

namespace {
const bool rootsAdded = (gc_add_roots([] { gc_enqueue(bb_audio_device); }), true);
}  // namespace

namespace {

// Buffer names waiting for deletion. Function-local, so samples destroyed
// during static destruction still find it.
std::vector<ALuint>& discardedBuffers() {
    static std::vector<ALuint>* list = new std::vector<ALuint>();
    return *list;
}

void discardBuffer(unsigned int& buffer) {
    if (!buffer) return;
    discardedBuffers().push_back(buffer);
    buffer = 0;
}

bool validChannel(int channel) { return channel >= 0 && channel < gxtkAudio::kChannels; }

ALint sourceState(ALuint source) {
    ALint state = AL_INITIAL;
    if (source) alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

ALenum alFormat(int channels, int bytesPerSample) {
    if (bytesPerSample == 1 && channels == 1) return AL_FORMAT_MONO8;
    if (bytesPerSample == 1 && channels == 2) return AL_FORMAT_STEREO8;
    if (bytesPerSample == 2 && channels == 1) return AL_FORMAT_MONO16;
    if (bytesPerSample == 2 && channels == 2) return AL_FORMAT_STEREO16;
    return 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// gxtkSample
// ---------------------------------------------------------------------------

gxtkSample::~gxtkSample() { discardBuffer(buffer); }

// A buffer being replaced is discarded, never leaked.
void gxtkSample::SetBuffer(unsigned int b) {
    if (buffer != b) discardBuffer(buffer);
    buffer = b;
}

int gxtkSample::Discard() {
    discardBuffer(buffer);
    return 0;
}

int gxtkSample::DiscardedBufferCount() { return static_cast<int>(discardedBuffers().size()); }

// ---------------------------------------------------------------------------
// gxtkAudio
// ---------------------------------------------------------------------------

gxtkAudio::gxtkAudio() {
    alDistanceModel(AL_NONE);
    for (gxtkChannel& c : channels) c = gxtkChannel{0, nullptr, 0, 0};
}

void gxtkAudio::mark() {
    for (gxtkChannel& c : channels) {
        if (c.channelState != 0 && c.alSource && sourceState(c.alSource) != AL_STOPPED) gc_enqueue(c.playingSample);
    }
}

unsigned int gxtkAudio::Source(int channel) {
    gxtkChannel& c = channels[channel];
    if (!c.alSource) {
        ALuint source = 0;
        alGenSources(1, &source);
        c.alSource = source;
    }
    return c.alSource;
}

void gxtkAudio::FlushDiscarded() {
    std::vector<ALuint>& list = discardedBuffers();
    if (list.empty()) return;

    // A stopped source still holds its buffer; let go of it so the buffer can
    // be deleted. Nothing restarts a stopped source without PlaySample, which
    // attaches a buffer of its own.
    for (gxtkChannel& c : channels) {
        if (c.alSource && sourceState(c.alSource) == AL_STOPPED) alSourcei(c.alSource, AL_BUFFER, 0);
    }

    // Deletion fails exactly for buffers a playing or paused source holds.
    // Errors left over from earlier calls are cleared first: a stale error
    // would keep a deleted name on the list, and OpenAL may hand that name
    // out again for a new sample, whose buffer a later flush would delete.
    std::size_t kept = 0;
    for (ALuint buffer : list) {
        if (!alIsBuffer(buffer)) continue;
        alGetError();
        alDeleteBuffers(1, &buffer);
        if (alGetError() != AL_NO_ERROR) list[kept++] = buffer;
    }
    list.resize(kept);
}

gxtkSample* gxtkAudio::LoadSample__UNSAFE__(gxtkSample* sample, String path) {
    if (!sample) return nullptr;
    int frames = 0, channelCount = 0, bytesPerSample = 0, rate = 0;
    void* data = loadSound(path, frames, channelCount, bytesPerSample, rate);
    if (!data) return nullptr;

    // A PCM layout OpenAL cannot play (24-bit, more than two channels) gives
    // no sample rather than a buffer without sound.
    ALenum format = alFormat(channelCount, bytesPerSample);
    if (!format) {
        unloadSound(data);
        return nullptr;
    }

    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    if (alGetError() != AL_NO_ERROR || !buffer) {
        unloadSound(data);
        return nullptr;
    }
    alBufferData(buffer, format, data, frames * channelCount * bytesPerSample, rate);
    unloadSound(data);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &buffer);
        return nullptr;
    }

    sample->SetBuffer(buffer);
    gc_force_sweep = true;  // release the samples this one replaces at the next step
    return sample;
}

gxtkSample* gxtkAudio::LoadSample(String path) {
    FlushDiscarded();
    return LoadSample__UNSAFE__(new gxtkSample(), path);
}

int gxtkAudio::PlaySample(gxtkSample* sample, int channel, int flags) {
    if (!sample || !validChannel(channel)) return 0;
    FlushDiscarded();
    gxtkChannel& c = channels[channel];
    ALuint source = Source(channel);
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(sample->buffer));
    alSourcei(source, AL_LOOPING, flags ? AL_TRUE : AL_FALSE);
    alSourcePlay(source);
    gc_assign(c.playingSample, sample);
    c.loopFlags = flags;
    c.channelState = 1;
    return 0;
}

int gxtkAudio::StopChannel(int channel) {
    if (!validChannel(channel)) return 0;
    gxtkChannel& c = channels[channel];
    if (c.channelState != 0) {
        alSourceStop(c.alSource);
        c.channelState = 0;
    }
    return 0;
}

int gxtkAudio::PauseChannel(int channel) {
    if (!validChannel(channel)) return 0;
    gxtkChannel& c = channels[channel];
    if (c.channelState == 1) {
        if (sourceState(c.alSource) == AL_STOPPED) {
            c.channelState = 0;  // it had already finished
        } else {
            alSourcePause(c.alSource);
            c.channelState = 2;
        }
    }
    return 0;
}

int gxtkAudio::ResumeChannel(int channel) {
    if (!validChannel(channel)) return 0;
    gxtkChannel& c = channels[channel];
    if (c.channelState == 2) {
        alSourcePlay(c.alSource);
        c.channelState = 1;
    }
    return 0;
}

int gxtkAudio::ChannelState(int channel) {
    if (!validChannel(channel)) return 0;
    gxtkChannel& c = channels[channel];
    if (c.channelState == 1 && sourceState(c.alSource) == AL_STOPPED) c.channelState = 0;
    return c.channelState;
}

int gxtkAudio::SetVolume(int channel, float volume) {
    if (!validChannel(channel)) return 0;
    alSourcef(Source(channel), AL_GAIN, volume);
    return 0;
}

int gxtkAudio::SetPan(int channel, float pan) {
    if (!validChannel(channel)) return 0;
    alSource3f(Source(channel), AL_POSITION, pan, 0, 0);
    return 0;
}

int gxtkAudio::SetRate(int channel, float rate) {
    if (!validChannel(channel)) return 0;
    alSourcef(Source(channel), AL_PITCH, rate);
    return 0;
}

int gxtkAudio::PlayMusic(String path, int flags) {
    StopMusic();
    gxtkSample* music = LoadSample(path);
    if (!music) return -1;
    PlaySample(music, kMusicChannel, flags);
    return 0;
}

int gxtkAudio::StopMusic() { return StopChannel(kMusicChannel); }
int gxtkAudio::PauseMusic() { return PauseChannel(kMusicChannel); }
int gxtkAudio::ResumeMusic() { return ResumeChannel(kMusicChannel); }
int gxtkAudio::MusicState() { return ChannelState(kMusicChannel); }
int gxtkAudio::SetMusicVolume(float volume) { return SetVolume(kMusicChannel, volume); }

// Only what is playing now is paused, and only that is resumed: channels the
// game paused itself (state 2) stay paused across a suspend.
namespace {

// While the game is suspended every playing channel is paused, so the
// device's mixer has nothing to mix: where the driver allows it, pause the
// device too, so that a suspended game costs no CPU at all.
void pauseDevice(bool pause) {
    ALCcontext* context = alcGetCurrentContext();
    ALCdevice* device = context ? alcGetContextsDevice(context) : nullptr;
    if (!device || !alcIsExtensionPresent(device, "ALC_SOFT_pause_device")) return;
    auto call = reinterpret_cast<LPALCDEVICEPAUSESOFT>(
        alcGetProcAddress(device, pause ? "alcDevicePauseSOFT" : "alcDeviceResumeSOFT"));
    if (call) call(device);
}

}  // namespace

void gxtkAudio::OnSuspend() {
    for (gxtkChannel& c : channels) {
        if (c.channelState == 1 && sourceState(c.alSource) == AL_PLAYING) alSourcePause(c.alSource);
    }
    pauseDevice(true);
}

void gxtkAudio::OnResume() {
    pauseDevice(false);
    for (gxtkChannel& c : channels) {
        if (c.channelState == 1 && sourceState(c.alSource) == AL_PAUSED) alSourcePlay(c.alSource);
    }
}

// ---------------------------------------------------------------------------
// The audio module: game code's sounds and channels on bb_audio_device.
// ---------------------------------------------------------------------------

bb_audio_Sound* bb_audio_Sound::g_new(gxtkSample* s) {
    gc_assign(sample, s);
    return this;
}

void bb_audio_Sound::mark() { gc_enqueue(sample); }

int bb_audio_SetAudioDevice(gxtkAudio* device) {
    gc_assign(bb_audio_device, device);
    return 0;
}

bb_audio_Sound* bb_audio_LoadSound(String path) {
    path = bb_data_FixDataPath(path);
    gxtkSample* sample = bb_audio_device->LoadSample(path);
    if (!sample) {
        // Without a sound device no sound loads, and the files are not to
        // blame: the player hears that once, not once a file.
        if (!alcGetCurrentContext()) {
            static bool said = false;
            if (!said) {
                std::puts("No sound device: the game plays without sound");
                std::fflush(stdout);
                said = true;
            }
        } else {
            ReportLoadFailure("sound", path);
        }
        return nullptr;
    }
    return (new bb_audio_Sound())->g_new(sample);
}

int bb_audio_PlaySound(bb_audio_Sound* sound, int channel, int flags) {
    if (sound && sound->sample) bb_audio_device->PlaySample(sound->sample, channel, flags);
    return 0;
}

int bb_audio_StopChannel(int channel) { return bb_audio_device->StopChannel(channel); }
int bb_audio_SetChannelVolume(int channel, float volume) { return bb_audio_device->SetVolume(channel, volume); }
int bb_audio_SetChannelPan(int channel, float pan) { return bb_audio_device->SetPan(channel, pan); }
int bb_audio_SetChannelRate(int channel, float rate) { return bb_audio_device->SetRate(channel, rate); }
