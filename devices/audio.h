// audio.h - the audio device: 33 OpenAL channels, samples, WAV and Ogg.
//
// Channels 0-31 play sound effects and channel 32 music. Each channel gets
// its OpenAL source on first use and keeps it. Sounds are decoded whole into
// one OpenAL buffer each (no streaming). A sample's buffer is deleted lazily:
// a discarded or collected sample's buffer waits on a list until no source
// holds it (FlushDiscarded, at the start of every load and play).
//
// Depends on: runtime, platform/data.h (fopenFile, bb_data_FixDataPath),
// devices/sound_loader.h, OpenAL.

#ifndef NUBRIX_DEVICES_AUDIO_H
#define NUBRIX_DEVICES_AUDIO_H

#include "runtime/gc.h"
#include "runtime/string.h"

class gxtkSample : public gxtkObject {
public:
    unsigned int buffer = 0;  // OpenAL buffer name, 0 = none

    gxtkSample() {}
    explicit gxtkSample(unsigned int buffer) : buffer(buffer) {}
    ~gxtkSample() override;

    void SetBuffer(unsigned int buffer);
    virtual int Discard();

    // Buffers discarded or left by collected samples that have not been
    // deleted yet (for diagnostics and tests).
    static int DiscardedBufferCount();
};

struct gxtkChannel {
    unsigned int alSource;     // 0 until first needed
    gxtkSample* playingSample; // sample last started; marked while it plays
    int loopFlags;
    int channelState;          // 0 stopped, 1 playing, 2 paused
};

// Channel numbers outside 0..32 are ignored (ChannelState reads 0).
class gxtkAudio : public gxtkObject {
public:
    static const int kChannels = 33;
    static const int kMusicChannel = 32;

    gxtkChannel channels[kChannels];

    gxtkAudio();
    void mark() override;

    virtual gxtkSample* LoadSample__UNSAFE__(gxtkSample* sample, String path);
    virtual gxtkSample* LoadSample(String path);
    virtual int PlaySample(gxtkSample* sample, int channel, int flags);
    virtual int StopChannel(int channel);
    virtual int PauseChannel(int channel);
    virtual int ResumeChannel(int channel);
    virtual int ChannelState(int channel);
    virtual int SetVolume(int channel, float volume);
    virtual int SetPan(int channel, float pan);
    virtual int SetRate(int channel, float rate);
    virtual int PlayMusic(String path, int flags);
    virtual int StopMusic();
    virtual int PauseMusic();
    virtual int ResumeMusic();
    virtual int MusicState();
    virtual int SetMusicVolume(float volume);

    void OnSuspend();
    void OnResume();

    // Deletes the discarded buffers no source holds any more (detaching them
    // from stopped sources first); the rest wait for the next call. Runs at
    // the start of every LoadSample and PlaySample.
    void FlushDiscarded();
    // The channel's OpenAL source, created on first use.
    unsigned int Source(int channel);
};

class bb_audio_Sound : public Object {
public:
    gxtkSample* sample = nullptr;

    bb_audio_Sound* g_new(gxtkSample* sample);
    void mark() override;
};

extern gxtkAudio* bb_audio_device;

int bb_audio_SetAudioDevice(gxtkAudio* device);
// Null when the sound cannot be loaded, after a line on standard output
// naming the file and why.
bb_audio_Sound* bb_audio_LoadSound(String path);
int bb_audio_PlaySound(bb_audio_Sound* sound, int channel, int flags);
int bb_audio_StopChannel(int channel);
int bb_audio_SetChannelVolume(int channel, float volume);
int bb_audio_SetChannelPan(int channel, float pan);
int bb_audio_SetChannelRate(int channel, float rate);

#endif
