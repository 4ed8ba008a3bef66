// Re-arranging the song at pattern and section ends: section lengths, the
// seeded choice of patterns and mutes (the same every run), the drum
// un-mute rule, fills, and the chord queue that transposes the melodic
// voices pattern by pattern.

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "tests/music/music_env.h"
#include "tests/support/testing.h"

namespace music_test {
namespace {

// The shared generator as its own small copy: draws from a given state.
struct Lcg {
    unsigned s;
    int Rand(float lo, float hi) {
        s = s * 1664525u + 1013904223u;
        return static_cast<int>(std::floor(lo + (hi - lo + 0.99f) * (static_cast<float>(s >> 8) * 5.9604645e-8f)));
    }
    Lcg& Skip(int n) {
        for (int i = 0; i < n; ++i) Rand(1, 5);
        return *this;
    }
};

class Arrangement : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        Clock(0);
        StartPlaying();
    }
    // Plays the last row of the current pattern: the pattern ends.
    void EndPattern() {
        player->row = 63;
        Step();
    }
    struct Snapshot {
        std::vector<int> patterns, mutes, fills;
        int loopsLeft;
        std::string chords;
        bool operator==(const Snapshot& o) const {
            return patterns == o.patterns && mutes == o.mutes && fills == o.fills && loopsLeft == o.loopsLeft &&
                   chords == o.chords;
        }
    };
    Snapshot Take() {
        Snapshot s;
        for (int i = 0; i < 5; ++i) {
            s.patterns.push_back(player->trackPattern[i]);
            s.mutes.push_back(player->mute[i]);
            s.fills.push_back(player->fill[i]);
        }
        s.loopsLeft = player->loopsLeft;
        s.chords = nubrix_test::Narrow(player->chordQueue);
        return s;
    }
    // The arrangement over `ends` pattern ends from a fresh start, with the
    // game drawing from the shared generator in between.
    std::vector<Snapshot> Run(int seed, int ends, bool disturb) {
        player->m_ZK_Start(String("music/none.png"), 1, 2, 1, 1, 1, seed, String("q"));
        StartPlaying();
        const int last[5] = {62, 40, 20, 9, 3};
        for (int i = 0; i < 5; ++i) player->lastPattern[i] = last[i];
        std::vector<Snapshot> out;
        for (int i = 0; i < ends; ++i) {
            if (disturb) bb_random_Seed ^= static_cast<int>(0x5bd1e995u * static_cast<unsigned>(i + 1));
            EndPattern();
            out.push_back(Take());
        }
        return out;
    }
};

TEST_F(Arrangement, SectionsAreTwoOrFourPatternsFromTheSeed) {
    for (int i = 0; i < 5; ++i) player->lastPattern[i] = 62;
    std::set<int> lengths;
    for (int seed = 0; seed < 40; ++seed) {
        player->songSeed = seed;
        player->section = 0;
        player->loopsLeft = 0;
        EndPattern();
        EXPECT_EQ(player->section, 1);
        Lcg expected{static_cast<unsigned>(seed)};
        EXPECT_EQ(player->loopsLeft, 2 * expected.Skip(11).Rand(1, 2)) << "seed " << seed;
        lengths.insert(player->loopsLeft);
        // Each track draws from its own seed: section 1, plus 7 per track.
        for (int i = 0; i < 5; ++i) {
            Lcg track{static_cast<unsigned>(9 + seed + 7 * i)};
            track.Skip(11);
            EXPECT_EQ(player->trackPattern[i], track.Rand(0, 62)) << "seed " << seed << " track " << i;
            EXPECT_EQ(player->nextMute[i], track.Rand(0, 1));
            EXPECT_EQ(player->fill[i], track.Rand(0, 1));
        }
    }
    EXPECT_EQ(lengths, (std::set<int>{2, 4}));
}

TEST_F(Arrangement, ASectionLastsItsDrawnNumberOfPatterns) {
    player->songSeed = 5;
    EndPattern();  // the opening pattern is a section of its own
    for (int s = 1; s <= 6; ++s) {
        ASSERT_EQ(player->section, s);
        int length = player->loopsLeft;
        for (int i = 1; i < length; ++i) {
            EndPattern();
            EXPECT_EQ(player->section, s) << "section " << s << " pattern " << i;
        }
        EndPattern();
    }
}

TEST_F(Arrangement, EachTrackDrawsAmongItsOwnPatterns) {
    const int last[5] = {62, 7, 0, 1, 30};
    for (int i = 0; i < 5; ++i) player->lastPattern[i] = last[i];
    std::vector<std::set<int>> seen(5);
    for (int n = 0; n < 300; ++n) {
        player->loopsLeft = 0;
        EndPattern();
        for (int i = 0; i < 5; ++i) {
            ASSERT_GE(player->trackPattern[i], 0);
            ASSERT_LE(player->trackPattern[i], last[i]) << "track " << i;
            seen[i].insert(player->trackPattern[i]);
        }
    }
    EXPECT_EQ(seen[1].size(), 8u) << "every pattern of a track comes up";
    EXPECT_EQ(seen[2].size(), 1u);
    EXPECT_EQ(*seen[4].rbegin(), 30);
}

TEST_F(Arrangement, TheSameSeedArrangesTheSongIdenticallyEveryTime) {
    std::vector<Snapshot> first = Run(77, 40, false);
    std::vector<Snapshot> again = Run(77, 40, true);
    EXPECT_TRUE(first == again) << "the game's own draws in between change nothing";
    std::vector<Snapshot> other = Run(78, 40, false);
    EXPECT_FALSE(first == other);
    // And it is worth re-arranging: patterns and mutes change along the way.
    std::set<std::vector<int>> patterns, mutes;
    for (const Snapshot& s : first) {
        patterns.insert(s.patterns);
        mutes.insert(s.mutes);
    }
    EXPECT_GT(patterns.size(), 3u);
    EXPECT_GT(mutes.size(), 2u);
}

TEST_F(Arrangement, BothDrumsMutedBringsBackDrumTrackZeroOnly) {
    for (int i = 0; i < 5; ++i) player->nextMute[i] = 1;
    player->loopsLeft = 0;
    EndPattern();
    EXPECT_EQ(player->mute[0], 0);
    EXPECT_EQ(player->mute[1], 1);
    EXPECT_EQ(player->mute[2], 1) << "melodic tracks stay muted";
    EXPECT_EQ(player->mute[3], 1);
    EXPECT_EQ(player->mute[4], 1);
    // One drum muted alone stays muted.
    for (int i = 0; i < 5; ++i) player->nextMute[i] = i == 0;
    player->loopsLeft = 0;
    EndPattern();
    EXPECT_EQ(player->mute[0], 1);
    EXPECT_EQ(player->mute[1], 0);
}

TEST_F(Arrangement, AMutedTrackComingBackPlaysTheLastEightRowsAsALeadIn) {
    LoadDemoInstruments();
    for (int r : {55, 56, 63}) Cell(0, 3, r, 13 + r % 10, 25);
    // How many notes the muted accompaniment starts at `row`.
    auto plays = [&](int row, int loops, int next, int fill) {
        player->mute[3] = 1;
        player->fill[3] = fill;
        player->nextMute[3] = next;
        player->loopsLeft = loops;
        player->row = row;
        player->trackPattern[3] = 0;
        int before = audio->Count("play", ChannelOf(3));
        Step();
        return audio->Count("play", ChannelOf(3)) - before;
    };
    EXPECT_EQ(plays(55, 1, 0, 1), 0) << "row 55 is before the lead-in";
    EXPECT_EQ(plays(56, 1, 0, 1), 1);
    EXPECT_EQ(plays(63, 0, 0, 1), 1);
    EXPECT_EQ(plays(56, 2, 0, 1), 0) << "not the section's last pattern";
    EXPECT_EQ(plays(56, 1, 1, 1), 0) << "staying muted next section";
    EXPECT_EQ(plays(56, 1, 0, 0), 0) << "no fill drawn";
}

TEST_F(Arrangement, TheChordQueueTransposesFourPatternsInTurn) {
    LoadDemoInstruments();
    Cell(0, 2, 0, 13, 30);  // the lead plays C at the top of every pattern
    player->chordQueue = String("qqjj");
    const float expected[4] = {1.0f, 1.0f, 0.891f, 0.891f};
    for (int pattern = 0; pattern < 4; ++pattern) {
        ASSERT_EQ(player->row, 0);
        Step();
        EXPECT_EQ(player->transpose, expected[pattern]) << "pattern " << pattern + 1;
        if (player->mute[2] == 0) {
            EXPECT_EQ(audio->Pitch(ChannelOf(2)), expected[pattern]);
        }
        while (player->row != 0) Step();
    }
    std::string refilled = nubrix_test::Narrow(player->chordQueue);
    EXPECT_EQ(refilled.size(), 4u) << "refilled when one letter was left";
}

TEST_F(Arrangement, AOneLetterQueueStartsTheProgressionAndNeverDrawsTheOctaveDrop) {
    std::set<std::string> drawn;
    for (int seed = 0; seed < 200; ++seed) {
        player->songSeed = seed;
        player->section = 3;
        player->chordQueue = String("q");
        player->loopsLeft = 5;
        EndPattern();
        std::string chord = nubrix_test::Narrow(player->chordQueue);
        Lcg expected{static_cast<unsigned>(3 * 9 + seed)};
        EXPECT_EQ(chord, nubrix_test::Narrow(player->m_ZK_GetChord(expected.Skip(16).Rand(0, 4))));
        drawn.insert(chord);
    }
    EXPECT_EQ(drawn, (std::set<std::string>{"qqqq", "qqjj", "qqbb", "qbqb", "qqqj"}));
    player->chordQueue = String("");
    EndPattern();
    EXPECT_EQ(player->chordQueue.Length(), 0) << "no queue, no chords";
}

}  // namespace
}  // namespace music_test
