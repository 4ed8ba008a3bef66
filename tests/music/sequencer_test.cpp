// Stepping rows: the 84 ms tempo and catching up, what each update does in
// each state (playing, paused, disabled, stopped, loading), stopping, the
// pattern break and the pattern jump with its guard at the song's ends.

#include <gtest/gtest.h>

#include "tests/music/music_env.h"

namespace music_test {
namespace {

class Sequencer : public PlayerTest {
protected:
    // The track plays note r at row r (1..31), so the rate it sends tells
    // which row it read.
    void MarkRows(int pattern, int track) {
        for (int r = 1; r < 32; ++r) Cell(pattern, track, r, r, 30);
    }
    // The notes a melodic voice started, in order.
    std::vector<float> Rates(int voice) {
        std::vector<float> out;
        for (const auto& c : audio->Of("rate", ChannelOf(voice))) out.push_back(c.value);
        return out;
    }
};

TEST_F(Sequencer, Tempo95StepsEvery84MsFromThePreviousDueTime) {
    Clock(1000);
    StartPlaying();
    player->nextTime = 1000;
    Update();
    EXPECT_EQ(player->row, 0) << "a row is due only once its time has passed";
    Clock(1001);
    Update();
    EXPECT_EQ(player->row, 1);
    EXPECT_EQ(player->nextTime, 1084);
    Clock(1084);
    Update();
    EXPECT_EQ(player->row, 1);
    Clock(1085);
    Update();
    EXPECT_EQ(player->row, 2);
    EXPECT_EQ(player->nextTime, 1168);
    Clock(1200);  // 32 ms late: the next row is still due after 1252, not 1284
    Update();
    EXPECT_EQ(player->row, 3);
    EXPECT_EQ(player->nextTime, 1252);
}

TEST_F(Sequencer, ALatePlayerCatchesUpOneRowPerUpdate) {
    Clock(0);
    StartPlaying();
    player->nextTime = 0;
    Clock(500);  // the rows due at 0, 84, ..., 420 have all passed
    for (int i = 1; i <= 6; ++i) {
        Update();
        EXPECT_EQ(player->row, i);
        EXPECT_EQ(player->nextTime, 84 * i);
    }
    Update();
    EXPECT_EQ(player->row, 6) << "caught up: the row due at 504 waits";
}

TEST_F(Sequencer, OtherTemposAndAWrappedClock) {
    player->tempo = 100;
    Clock(1);
    StartPlaying();
    player->nextTime = 0;
    Update();
    EXPECT_EQ(player->nextTime, 80);
    player->tempo = 0;  // nothing sets it, but it must not divide by zero
    Step();
    EXPECT_EQ(player->row, 2);
    player->tempo = 95;
    // A due time beyond now + 123456 ms is a clock that went backwards: play.
    Clock(10);
    player->nextTime = 10 + 123457;
    Update();
    EXPECT_EQ(player->row, 3);
    player->nextTime = 10 + 123456;
    Update();
    EXPECT_EQ(player->row, 3);
}

TEST_F(Sequencer, DueTimesWrapWithTheClockAfterTwentyFiveDays) {
    Clock(2147483647 - 20);
    StartPlaying();
    player->nextTime = 2147483647 - 30;
    Update();
    EXPECT_EQ(player->nextTime, -2147483647 - 1 + 53) << "84 ms later, past the wrap";
    window.time = 2147483.648 + 0.0605;  // the clock wrapped too: 60 ms past it
    Update();
    EXPECT_EQ(player->row, 2) << "due: the wrapped due time has passed";
    game->paused = 1;
    Clock(2147483647 - 100);
    Update();
    EXPECT_EQ(player->nextTime, -2147483647 - 1 + 49);
}

TEST_F(Sequencer, PausingHoldsTheMusicAndSilencesTheVoices) {
    LoadDemoInstruments();
    Cell(0, 2, 0, 13, 30);
    Clock(0);
    StartPlaying();
    Update();
    ASSERT_TRUE(audio->Playing(ChannelOf(2)));
    game->paused = 1;
    Clock(5000);
    Update();
    EXPECT_EQ(player->nextTime, 5150);
    EXPECT_FALSE(audio->Playing(ChannelOf(2)));
    EXPECT_EQ(player->voiceActive[2], 0);
    EXPECT_EQ(player->row, 1);
    game->paused = 0;
    Clock(5150);
    Update();
    EXPECT_EQ(player->row, 1) << "held 150 ms past the last paused update";
    Clock(5151);
    Update();
    EXPECT_EQ(player->row, 2) << "resumes at the same row";
}

TEST_F(Sequencer, DisabledMusicStopsInsteadOfStepping) {
    LoadDemoInstruments();
    Cell(0, 4, 0, 13, 30);
    Clock(0);
    StartPlaying();
    Update();
    ASSERT_TRUE(audio->Playing(ChannelOf(4)));
    game->enabled = 0;
    Step();
    EXPECT_EQ(player->row, 1);
    EXPECT_FALSE(audio->Playing(ChannelOf(4)));
    // Still loading: nothing steps, and a disabled player keeps quiet.
    player->loadStep = 30;
    player->voiceActive[4] = 1;
    Step();
    EXPECT_EQ(player->row, 1);
    EXPECT_EQ(player->voiceActive[4], 0);
    game->enabled = 1;
    player->voiceActive[4] = 1;
    Step();
    EXPECT_EQ(player->row, 1);
    EXPECT_EQ(player->voiceActive[4], 1) << "loading and enabled: left alone";
}

TEST_F(Sequencer, AStoppedPlayerSilencesItsVoicesEveryUpdate) {
    LoadDemoInstruments();
    Cell(0, 0, 0, 13, 30);
    Cell(0, 3, 0, 13, 30);
    Clock(0);
    StartPlaying();
    Update();
    int before = audio->Count("stop", ChannelOf(3));
    player->playState = 0;
    Step();
    EXPECT_EQ(player->row, 1) << "a stopped player does not step";
    EXPECT_EQ(audio->Count("stop", ChannelOf(3)), before + 1);
    EXPECT_EQ(player->voiceActive[0], 0);
    EXPECT_EQ(player->voiceActive[3], 0);
    player->voiceActive[3] = 1;  // a voice started again meanwhile
    Update();
    EXPECT_EQ(audio->Count("stop", ChannelOf(3)), before + 2);
}

TEST_F(Sequencer, StopOneEndsPlayingAndTouchesOnlyItsOwnVoices) {
    LoadDemoInstruments();
    Cell(0, 2, 0, 13, 30);
    Clock(0);
    StartPlaying();
    Update();
    // Someone else's sound on the accompaniment's channel, which the player
    // has not started.
    audio->PlaySample(player->melodic[3]->sample, ChannelOf(3), 1);
    player->m_ZK_Stop(0);
    EXPECT_EQ(player->playState, 2);
    EXPECT_FALSE(audio->Playing(ChannelOf(2)));
    EXPECT_TRUE(audio->Playing(ChannelOf(3)));
    player->voiceActive[2] = 1;
    player->m_ZK_Stop(1);
    EXPECT_EQ(player->playState, 0);
    EXPECT_EQ(player->voiceActive[2], 0);
    EXPECT_EQ(audio->Count("stop", ChannelOf(3)), 0);
}

TEST_F(Sequencer, APatternBreakMakesLaterTracksReadRow63) {
    for (int t = 0; t < 5; ++t) MarkRows(0, t);
    Cell(0, 2, 10, 10, 30, 8, 0);
    Cell(0, 2, 63, 20, 30);
    Cell(0, 3, 63, 21, 30);
    Cell(0, 4, 63, 22, 30);
    Clock(0);
    StartPlaying();
    player->row = 10;
    Update();
    EXPECT_EQ(Rates(2), std::vector<float>{player->m_GetPitch(10)}) << "track 2 plays its own row";
    EXPECT_EQ(Rates(3), std::vector<float>{player->m_GetPitch(21)});
    EXPECT_EQ(Rates(4), std::vector<float>{player->m_GetPitch(22)});
    EXPECT_EQ(player->row, 0) << "the step after row 63 ends the pattern";
    EXPECT_EQ(player->section, 1) << "and the first pattern was a section of its own";
}

class Jumps : public Sequencer {
protected:
    struct Case {
        int pattern, last, parameter, loops;  // at `pattern` of patterns 0..`last`
        int lands;                            // the pattern whose cell plays and the track keeps
        const char* why;
    };
    // Track 2 meets a jump at row 5; every pattern's row 5 tells which one
    // was read.
    void Check(const Case& c) {
        SCOPED_TRACE(c.why);
        for (int p = 0; p < 63; ++p) Cell(p, 2, 5, 0, 0);
        player->lastPattern[2] = 0;
        for (int p = 0; p <= c.last; ++p) Cell(p, 2, 5, p % 31 + 1, 30);
        Cell(c.pattern, 2, 5, c.pattern % 31 + 1, 30, 27, c.parameter);
        Clock(0);
        StartPlaying();
        player->trackPattern[2] = c.pattern;
        player->loopsLeft = c.loops;
        player->row = 5;
        audio->calls.clear();
        Update();
        EXPECT_EQ(player->trackPattern[2], c.lands);
        EXPECT_EQ(Rates(2), std::vector<float>{player->m_GetPitch(c.lands % 31 + 1)});
    }
};

TEST_F(Jumps, ForwardOnOddCountsBackOnEvenOnes) {
    Check({3, 10, 1, 3, 4, "parameter 1, odd: the next pattern, from the same row"});
    Check({3, 10, 2, 2, 2, "parameter 2, even: the previous pattern"});
    Check({3, 10, 1, 2, 3, "parameter 1 on an even count changes nothing"});
    Check({3, 10, 2, 1, 3, "parameter 2 on an odd count changes nothing"});
}

TEST_F(Jumps, NeverOutOfTheTracksPatterns) {
    Check({0, 10, 2, 0, 0, "not before the first pattern"});
    Check({6, 6, 1, 1, 6, "not past the track's last pattern"});
    Check({62, 62, 1, 1, 62, "not past the song's last pattern"});
}

TEST_F(Jumps, OutOfRangeStateReadsNothingOutsideTheSong) {
    // Fields nothing in the player sets out of range: they read as empty
    // cells instead of memory beyond the song.
    Clock(0);
    StartPlaying();
    player->trackPattern[2] = 63;
    player->trackPattern[3] = -1;
    player->voiceCount = 12;
    Update();
    EXPECT_EQ(player->row, 1);
    EXPECT_EQ(Rates(2).size(), 0u);
}

}  // namespace
}  // namespace music_test
