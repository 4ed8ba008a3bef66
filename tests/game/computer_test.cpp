// The computer player: its cell scores, its choice and tie-break, its
// pauses, and four computer colours playing on every board size.

#include <string>
#include <vector>

#include "tests/game/game_env.h"

namespace game_test {
namespace {

class Computer : public GameTest {
protected:
    // How often red, the computer, chose each cell of a 4 x 3 `board` over
    // `rounds` moves, by cell number (y * 4 + x); fails on any other change.
    std::vector<int> Choices(const std::string& board, int rounds) {
        std::vector<int> chose(12, 0);
        for (int round = 0; round < rounds; ++round) {
            SetBoard(board);
            game->m_Turn = 1;
            game->m_PlayerState[1] = 1;
            game->m_WasBusy = game->m_Busy = 0;
            bb_random_Seed = 1000 + round;
            for (int i = 0; i < 300 && Board() == board; ++i) Update();
            std::string after = Board();
            std::vector<int> changed;
            for (size_t i = 0; i < board.size(); i += 3) {
                if (board.compare(i, 2, after, i, 2) != 0) changed.push_back(static_cast<int>(i / 3));
            }
            EXPECT_EQ(changed.size(), 1u) << after;
            if (changed.size() == 1) ++chose[changed[0]];
        }
        return chose;
    }
};

// The lowest and highest score the evaluation gives cell (x, y) over many
// draws of the shared generator.
void ScoreRange(bb_Nubrix_MyApp* game, int x, int y, int* lo, int* hi) {
    *lo = 1000;
    *hi = -1000;
    for (int i = 0; i < 3000; ++i) {
        game->m_Board[NUBRIX_SPARE_CELL] = 0;
        int s = game->ScoreCell(x, y);
        EXPECT_EQ(game->m_CellScore, s);
        *lo = std::min(*lo, s);
        *hi = std::max(*hi, s);
    }
}

TEST_F(Computer, ScoresOnAnEmptyBoard) {
    StartGame(3, {2, 2});
    game->m_Turn = 1;
    int lo, hi;
    ScoreRange(game, 0, 0, &lo, &hi);
    EXPECT_EQ(lo, 11);
    EXPECT_EQ(hi, 21);
    ScoreRange(game, 4, 0, &lo, &hi);
    EXPECT_EQ(lo, 9);
    EXPECT_EQ(hi, 19);
    ScoreRange(game, 4, 3, &lo, &hi);
    EXPECT_EQ(lo, 6);
    EXPECT_EQ(hi, 16);
}

TEST_F(Computer, OwnCellsAndFriendsScoreHigherAndEnemyCellsZero) {
    StartGame(1, {2, 2});
    SetBoard("21 11 .. ../.. .. .. ../.. .. .. ..");
    game->m_Turn = 1;
    int lo, hi;
    // (1, 0): own, one atom, an enemy neighbour but not one atom short.
    ScoreRange(game, 1, 0, &lo, &hi);
    EXPECT_EQ(lo, 0 + 0 + 2 + 3);
    EXPECT_EQ(hi, 2 + 2 + 4 + 3);
    // (2, 0): empty beside an own cell.
    ScoreRange(game, 2, 0, &lo, &hi);
    EXPECT_EQ(lo, 0 + 2 + 4 + 3);
    EXPECT_EQ(hi, 2 + 4 + 7 + 3);
    ScoreRange(game, 0, 0, &lo, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 0) << "an enemy cell";
}

TEST_F(Computer, OneAtomShortNextToAnEnemyIsWorthTenMore) {
    StartGame(1, {2, 2});
    SetBoard("11 .. .. ../21 .. .. ../.. .. .. ..");
    game->m_Turn = 1;
    int lo, hi;
    ScoreRange(game, 0, 0, &lo, &hi);  // corner, own, counter 16 > 15, enemy below
    EXPECT_EQ(lo, 0 + 0 + 2 + 7 + 10);
    EXPECT_EQ(hi, 2 + 2 + 4 + 7 + 10);
}

TEST_F(Computer, NeverPlaysAnEnemyCell) {
    StartGame(1, {2, 2});
    // Red may play only the empty (1, 1) or its own (2, 1); yellow's ripe
    // cells would score far higher if enemy cells counted.
    std::vector<int> chose = Choices("21 22 22 21/22 .. 13 22/21 22 22 21", 40);
    EXPECT_EQ(chose[5] + chose[6], 40);
}

// The board is scanned column by column and a tie keeps the cell found
// first: of two alike edge cells, (0, 1) comes before (1, 0) and wins its
// ties, about 62 % of the moves (38 % if either rule were the other way).
TEST_F(Computer, OfTwoAlikeCellsTheOneEarlierDownTheColumnsWinsTies) {
    StartGame(1, {2, 1});
    std::vector<int> chose = Choices("21 .. 21 21/.. 21 21 21/21 21 21 21", 120);
    EXPECT_EQ(chose[1] + chose[4], 120);
    EXPECT_GT(chose[4], 60) << "(1, 0) was chosen " << chose[1] << " times";
}

TEST_F(Computer, NeverMovesWhilePaused) {
    StartGame(2, {2, 1});
    game->m_Turn = 1;
    PressKey(glfw2::GLFW_KEY_ESC);
    Update();
    ReleaseKey(glfw2::GLFW_KEY_ESC);
    ASSERT_EQ(game->m_Paused, 1);
    std::string before = Board();
    Update(600);
    EXPECT_EQ(Board(), before);
    EXPECT_EQ(game->m_Paused, 1);
    PressKey(glfw2::GLFW_KEY_ESC);
    Update();
    ReleaseKey(glfw2::GLFW_KEY_ESC);
    for (int i = 0; i < 600 && Board() == before; ++i) Update();
    EXPECT_NE(Board(), before) << "it moves again once the panel has closed";
    EXPECT_EQ(game->m_Paused, 0);
}

TEST_F(Computer, ThinksForAFewUpdatesBeforeItMoves) {
    StartGame(2, {2, 1});
    game->m_Turn = 1;
    int total = 0;
    for (int round = 0; round < 20; ++round) {
        SetBoard(".. .. .. .. .. ../.. .. .. .. .. ../.. .. .. .. .. ../.. .. .. .. .. ..");
        game->m_Turn = 1;
        game->m_WasBusy = game->m_Busy = 0;
        int n = 0;
        while (game->m_Busy == 0 && n < 1000) {
            Update();
            ++n;
        }
        total += n;
    }
    double mean = total / 20.0;
    EXPECT_GT(mean, 2.0);
    EXPECT_LT(mean, 15.0) << "a chance of about one in six per update";
}

class ComputerGames : public GameTest, public ::testing::WithParamInterface<int> {};

// Four computer colours on each board size, from several seeds, for a
// bounded number of updates: they take turns, capture each other's cells
// and knock colours out (on the largest board that can take longer); a
// game that ends leaves one colour owning the board and returns to the
// menu. Whole games on the big boards run to hundreds of thousands of
// updates, and how many depends on the seed.
TEST_P(ComputerGames, FourComputerColoursMakeProgress) {
    const int size = GetParam();
    const int kUpdates[] = {0, 4000, 12000, 30000, 30000};
    for (unsigned seed : {1u, 77u, 4242u}) {
        StartGame(size, {2, 2, 2, 2});
        bb_random_Seed = static_cast<int>(seed);
        int updates = 0, turns = 0, captures = 0, eliminations = 0, turn = game->m_Turn;
        std::vector<int> owners(game->m_BoardW * game->m_BoardH, 0);
        while (game->m_GameEnded == 0 && updates < kUpdates[size]) {
            Update();
            ++updates;
            turns += game->m_Turn != turn;
            turn = game->m_Turn;
            for (int y = 0; y < game->m_BoardH; ++y) {
                for (int x = 0; x < game->m_BoardW; ++x) {
                    int& was = owners[y * game->m_BoardW + x];
                    const int now = Owner(x, y);
                    ASSERT_TRUE(now >= 0 && now <= 4 && Counter(x, y) <= 80) << Board();
                    captures += was != 0 && now != 0 && now != was;
                    was = now;
                }
            }
        }
        for (int c = 1; c <= 4; ++c) eliminations += game->m_PlayerState[c] == 0;
        const std::string at = "seed " + std::to_string(seed) + " after " + std::to_string(updates) + " updates";
        RecordProperty("updates_" + std::to_string(seed), updates);
        EXPECT_GE(turns, 8) << at;
        EXPECT_GE(captures, 1) << at;
        if (size <= 3) {
            EXPECT_GE(eliminations, 1) << at;
        }
        if (game->m_GameEnded == 0) continue;
        EXPECT_EQ(game->m_Alive, 1) << at;
        EXPECT_EQ(eliminations, 3) << at;
        int winner = 0;
        for (int c = 1; c <= 4; ++c) winner = game->m_PlayerState[c] > 0 ? c : winner;
        for (int y = 0; y < game->m_BoardH; ++y) {
            for (int x = 0; x < game->m_BoardW; ++x) {
                if (Owner(x, y) != 0) {
                    EXPECT_EQ(Owner(x, y), winner) << at;
                }
            }
        }
        Update(100);
        EXPECT_EQ(game->m_Mode, 1) << at;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryBoardSize, ComputerGames, ::testing::Values(1, 2, 3, 4));

}  // namespace
}  // namespace game_test
