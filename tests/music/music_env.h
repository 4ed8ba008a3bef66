// music_env.h - what the music suites stand on: one real GL window and one
// OpenAL context (the null driver) per binary, a working folder whose data/
// is the repository's, and per test a fresh player owned by a small game
// running on the real host adapter with a scripted clock.
//
// Sound goes to a real gxtkAudio that also records every call the player
// makes, so a test can check both what was asked (the call log) and what
// OpenAL did with it (gain, pitch, position, source state). Time moves only
// when a test sets it (Clock); updates and renders go through the host's
// own Invoke functions, which run the collector after each, as in the game.
//
// Depends on: music, host, devices, graphics, tests/support (gl_window.h,
// openal_context.h, scripted_host.h, testing.h), GoogleTest, OpenAL.

#ifndef NUBRIX_TESTS_MUSIC_MUSIC_ENV_H
#define NUBRIX_TESTS_MUSIC_MUSIC_ENV_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "devices/audio.h"
#include "host/framework.h"
#include "music/zkplayer.h"
#include "tests/support/scripted_host.h"

namespace music_test {

// A real audio device that notes each call before making it.
class RecordingAudio : public gxtkAudio {
public:
    struct Call {
        std::string op;  // "play", "stop", "volume", "pan", "rate"
        int channel;
        float value;          // volume, pan or rate
        gxtkSample* sample;   // for "play"; compared, never followed
        int flags;            // for "play"
    };
    std::vector<Call> calls;

    int PlaySample(gxtkSample* sample, int channel, int flags) override;
    int StopChannel(int channel) override;
    int SetVolume(int channel, float volume) override;
    int SetPan(int channel, float pan) override;
    int SetRate(int channel, float rate) override;

    // The calls of one kind on one channel, in order.
    std::vector<Call> Of(const std::string& op, int channel) const;
    int Count(const std::string& op, int channel) const { return static_cast<int>(Of(op, channel).size()); }

    // OpenAL's view of a channel.
    float Gain(int channel);
    float Pitch(int channel);
    float PanX(int channel);
    bool Playing(int channel);
};

// The game the player lives in: it owns the player (the collector reaches
// it through the adapter) and ticks it as the game would.
class MusicGame : public bb_app_App {
public:
    bb_ZKTrackr_ZKPlayer* m_Music = nullptr;
    int paused = 0;
    int enabled = 1;

    MusicGame();
    void mark() override;
    int m_OnUpdate() override;
    int m_OnRender() override;
};

class PlayerTest : public nubrix_test::ScriptedHostTest {
protected:
    MusicGame* game = nullptr;
    bb_ZKTrackr_ZKPlayer* player = nullptr;
    RecordingAudio* audio = nullptr;

    // Voices' channels after m_ZK_Init(32, ...): voice v on 31 - v.
    static int ChannelOf(int voice) { return 31 - voice; }

    // The host on the scripted backend, a fresh game and player, the shared
    // recording device with every channel stopped, 60 updates a second.
    void SetUp() override;

    void Clock(int ms);  // the application clock reads exactly `ms`
    void Update();       // one host update: the player's m_ZK_Alive_U
    void Render();       // one host render: the player's m_ZK_Alive_R

    // Skips loading: the player plays its cells, the first row at the next
    // update.
    void StartPlaying();
    // Makes the next row due (its time has passed) and runs one update.
    void Step();

    // Writes fields 0..3 of a cell and keeps lastPattern as loading would.
    void Cell(int pattern, int track, int row, int note, int volume, int effect = 0, int parameter = 0);

    // The demo's samples as the player's instruments.
    void LoadDemoInstruments();
};

// The demo song's samples and cells as the generator makes them.
std::vector<int> GeneratorCells();

}  // namespace music_test

#endif
