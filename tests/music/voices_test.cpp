// Playing one cell on a voice: drum and melodic samples, volume levels, the
// envelope's single-precision timing, slides and the chord transposition,
// seen both in the calls the player makes and in OpenAL's source state.

#include <gtest/gtest.h>

#include "tests/music/music_env.h"

namespace music_test {
namespace {

class Voices : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        LoadDemoInstruments();
        player->playState = 2;
    }
    void Play(int voice, int note, int volume, int effect = 0, int parameter = 0) {
        player->m_ZK_PlayNote(voice, note, volume, effect, parameter);
    }
    // The volumes sent to a voice's channel since the log was cleared.
    std::vector<float> Volumes(int voice) {
        std::vector<float> out;
        for (const auto& c : audio->Of("volume", ChannelOf(voice))) out.push_back(c.value);
        return out;
    }
};

TEST_F(Voices, VolumeLevels) {
    audio->SetVolume(ChannelOf(2), 0.77f);
    Play(2, 0, 30);
    EXPECT_EQ(Volumes(2).front(), 0.77f);
    EXPECT_EQ(Volumes(2).back(), 0.5f) << "volume 30 is the master volume";
    EXPECT_FLOAT_EQ(audio->Gain(ChannelOf(2)), 0.5f);
    Play(2, 0, 1);
    EXPECT_EQ(Volumes(2).back(), 0.0f) << "volume 1 is level 0";
    Play(2, 0, 30);
    Play(2, 0, 31);
    EXPECT_EQ(Volumes(2).back(), 0.0f) << "volume 31 silences";
    EXPECT_EQ(audio->Gain(ChannelOf(2)), 0.0f);
    player->masterVolume = 0.8f;
    Play(2, 0, 15);
    EXPECT_FLOAT_EQ(Volumes(2).back(), 0.8f * 14 / 29);
    EXPECT_FLOAT_EQ(player->voiceVolume[2], 14.0f / 29);
}

TEST_F(Voices, AMutedVoiceStaysSilent) {
    player->mute[3] = 1;
    player->mute[1] = 1;
    Play(3, 13, 30);
    Play(1, 15, 20);
    Play(0, 15, 20);
    EXPECT_EQ(audio->Count("play", ChannelOf(3)), 0);
    EXPECT_EQ(audio->Count("rate", ChannelOf(3)), 0);
    EXPECT_EQ(audio->Count("play", ChannelOf(1)), 0);
    EXPECT_EQ(audio->Count("play", ChannelOf(0)), 1);
    for (float v : Volumes(3)) EXPECT_EQ(v, 0.0f) << "only the envelope's silence reaches a muted voice";
}

TEST_F(Voices, DrumNotesPlayTheirKitSampleOnceAndPan) {
    Play(0, 17, 20);
    auto plays = audio->Of("play", ChannelOf(0));
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0].sample, player->kitA[3]->sample) << "note 17 is sample 3 of kit A";
    EXPECT_EQ(plays[0].flags, 0) << "once, not looped";
    EXPECT_FLOAT_EQ(audio->PanX(ChannelOf(0)), -0.35f);
    Play(1, 25, 20);
    plays = audio->Of("play", ChannelOf(1));
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0].sample, player->kitB[8]->sample) << "note 25 is sample 8 of kit B";
    EXPECT_FLOAT_EQ(audio->PanX(ChannelOf(1)), 0.35f);
    EXPECT_TRUE(audio->Playing(ChannelOf(1)));
    EXPECT_EQ(audio->Count("rate", ChannelOf(0)), 0) << "a drum keeps the channel's rate";
    EXPECT_EQ(player->voiceRate[0], 1.0f);
}

TEST_F(Voices, DrumNote14StopsTheChannelAndPlaysNothing) {
    Play(0, 13, 30);
    ASSERT_TRUE(audio->Playing(ChannelOf(0)));
    audio->calls.clear();
    Play(0, 14, 30);
    EXPECT_EQ(audio->Count("stop", ChannelOf(0)), 1);
    EXPECT_EQ(audio->Count("play", ChannelOf(0)), 0);
    EXPECT_FALSE(audio->Playing(ChannelOf(0)));
}

TEST_F(Voices, AMissingSampleLeavesTheVoiceSilent) {
    gc_assign(player->kitA[2], static_cast<bb_audio_Sound*>(nullptr));
    gc_assign(player->melodic[4], static_cast<bb_audio_Sound*>(nullptr));
    Play(0, 15, 30);
    Play(4, 13, 30);
    EXPECT_EQ(audio->Count("play", ChannelOf(0)), 0);
    EXPECT_EQ(audio->Count("play", ChannelOf(4)), 0);
    EXPECT_EQ(player->voiceActive[4], 0);
    EXPECT_EQ(audio->Count("rate", ChannelOf(4)), 1) << "the rate is still set";
}

TEST_F(Voices, MelodicNotesLoopAtTheirPitch) {
    Play(2, 20, 25);
    auto plays = audio->Of("play", ChannelOf(2));
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0].sample, player->melodic[2]->sample);
    EXPECT_EQ(plays[0].flags, 1) << "looped: the envelope ends the note";
    EXPECT_FLOAT_EQ(audio->Pitch(ChannelOf(2)), 1.498f);
    EXPECT_EQ(player->voiceActive[2], 1);
    Play(4, 1, 25);
    EXPECT_FLOAT_EQ(audio->Pitch(ChannelOf(4)), 0.5f);
}

// The volume sent on each of `rows` rows (the first with the given note and
// volume, the rest empty), or -1 for a row that sent none.
std::vector<float> VolumesOver(bb_ZKTrackr_ZKPlayer* player, RecordingAudio* audio, int voice, int rows,
                               int firstNote, int firstVolume) {
    std::vector<float> out;
    for (int i = 0; i < rows; ++i) {
        size_t before = audio->calls.size();
        player->m_ZK_PlayNote(voice, i == 0 ? firstNote : 0, i == 0 ? firstVolume : 0, 0, 0);
        float sent = -1;
        for (size_t c = before; c < audio->calls.size(); ++c) {
            if (audio->calls[c].op == "volume") sent = audio->calls[c].value;
        }
        out.push_back(sent);
    }
    return out;
}

TEST_F(Voices, ANoteHoldsFourRowsThenFadesToSilenceAtTheFifteenth) {
    // A drum hit with a volume: the counter starts at 1.5 and is stepped at once.
    std::vector<float> steps;
    std::vector<float> gains;
    for (int i = 1; i <= 16; ++i) {
        Play(0, i == 1 ? 13 : 0, i == 1 ? 30 : 0);
        steps.push_back(player->voiceEnvelope[0]);
        gains.push_back(Volumes(0).back());
    }
    EXPECT_EQ(steps[0], 1.4f);
    EXPECT_GT(steps[3], 1.0f) << "1.1 after four rows";
    for (int i = 0; i < 4; ++i) EXPECT_EQ(gains[i], 0.5f) << "holds at row " << i + 1;
    EXPECT_EQ(steps[4], 0.99999988f) << "not 1.0: the fifth step already scales";
    EXPECT_EQ(gains[4], 0.5f * 0.99999988f);
    EXPECT_LT(gains[5], gains[4] * 0.91f);
    EXPECT_GT(gains[13], 0.0f) << "still sounding at the fourteenth row";
    EXPECT_EQ(gains[14], 0.0f) << "silent at the fifteenth";
    EXPECT_EQ(steps[14], 0.0f);
    EXPECT_EQ(audio->Gain(ChannelOf(0)), 0.0f);
}

TEST_F(Voices, AMelodicNoteRestartsItsCounterAfterTheRowIsApplied) {
    // The note sets 1.5 after its own row's step, so its fade runs a row later.
    std::vector<float> gains = VolumesOver(player, audio, 3, 17, 13, 30);
    EXPECT_EQ(gains[0], 0.5f);
    for (int i = 1; i < 5; ++i) EXPECT_EQ(gains[i], -1.0f) << "holds at row " << i + 1;
    EXPECT_EQ(gains[5], 0.5f * 0.99999988f);
    EXPECT_GT(gains[14], 0.0f);
    EXPECT_EQ(gains[15], 0.0f);
}

TEST_F(Voices, ADrumHitWithoutVolumeHoldsThirtyRows) {
    Play(0, 0, 30);  // level 1 from an earlier cell
    audio->calls.clear();
    std::vector<float> gains = VolumesOver(player, audio, 0, 32, 13, 0);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(gains[i], -1.0f) << "no volume change at row " << i + 1;
    EXPECT_GE(gains[30], 0.0f) << "the 31st row fades";
    EXPECT_LT(gains[30], 0.5f);
}

TEST_F(Voices, SlidesMoveTheRateWithinLimits) {
    Play(2, 13, 30, 1, 18);
    EXPECT_FLOAT_EQ(audio->Pitch(ChannelOf(2)), 1.1f);
    Play(2, 0, 0, 2, 9);
    EXPECT_FLOAT_EQ(audio->Pitch(ChannelOf(2)), 1.05f);
    Play(2, 0, 0, 3, 15);
    EXPECT_FLOAT_EQ(audio->Pitch(ChannelOf(2)), 2.05f);
    for (int i = 0; i < 3; ++i) Play(2, 0, 0, 3, 31);
    EXPECT_EQ(audio->Pitch(ChannelOf(2)), 4.0f) << "at most 4";
    for (int i = 0; i < 3; ++i) Play(2, 0, 0, 4, 31);
    EXPECT_EQ(audio->Pitch(ChannelOf(2)), 0.25f) << "at least 0.25";
    Play(2, 13, 30);
    for (int i = 0; i < 6; ++i) Play(2, 0, 0, 2, 31);
    EXPECT_EQ(audio->Pitch(ChannelOf(2)), 0.25f) << "the fine slide stops there too";
    // Drums slide too, from rate 1.
    Play(1, 13, 30, 2, 18);
    EXPECT_FLOAT_EQ(audio->Pitch(ChannelOf(1)), 0.9f);
    int before = audio->Count("rate", ChannelOf(2));
    Play(2, 0, 0, 5, 31);
    Play(2, 0, 0, 27, 1);
    EXPECT_EQ(audio->Count("rate", ChannelOf(2)), before) << "other effects leave the rate alone";
}

TEST_F(Voices, TheChordLetterTransposesMelodicVoicesWhilePlaying) {
    player->chordQueue = String("jq");
    Play(2, 20, 30);
    EXPECT_FLOAT_EQ(audio->Pitch(ChannelOf(2)), 1.498f * 0.891f);
    EXPECT_EQ(player->transpose, 0.891f);
    player->chordQueue = String("");
    Play(2, 20, 30);
    EXPECT_EQ(audio->Pitch(ChannelOf(2)), 1.498f);
    player->chordQueue = String("b");
    player->playState = 1;
    Play(2, 20, 30);
    EXPECT_EQ(audio->Pitch(ChannelOf(2)), 1.498f) << "no chords unless playing";
}

TEST_F(Voices, AChannelOutsideTheDeviceStaysSilent) {
    player->m_ZK_Init(0, 0, 0, 0, 0);  // voices on channels -1..-5
    Play(2, 13, 30);
    player->m_ZK_Init(40, 0, 0, 0, 0);  // voices on channels 39..35
    Play(2, 13, 30);
    Play(0, 13, 30);
    EXPECT_TRUE(audio->calls.empty());
    EXPECT_EQ(player->voiceActive[2], 0);
}

}  // namespace
}  // namespace music_test
