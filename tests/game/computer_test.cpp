// The computer player: its cell scores, its choice, its pauses, and whole
// games of four computer colours on every board size.

#include "tests/game/game_env.h"

namespace game_test {
namespace {

using Computer = GameTest;

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
    const std::string board = "21 22 22 21/22 .. 13 22/21 22 22 21";
    int chose[2] = {0, 0};
    for (int round = 0; round < 40; ++round) {
        SetBoard(board);
        game->m_Turn = 1;
        game->m_WasBusy = game->m_Busy = 0;
        bb_random_Seed = 1000 + round;
        for (int i = 0; i < 300 && Board() == board; ++i) Update();
        std::string after = Board();
        ASSERT_NE(after, board) << "the computer moved";
        std::vector<int> changed;
        for (size_t i = 0; i < board.size(); i += 3) {
            if (board.compare(i, 2, after, i, 2) != 0) changed.push_back(static_cast<int>(i / 3));
        }
        ASSERT_EQ(changed.size(), 1u) << after;
        ASSERT_TRUE(changed[0] == 5 || changed[0] == 6) << "cell " << changed[0] << " in " << after;
        ++chose[changed[0] - 5];
    }
    EXPECT_GT(chose[0] + chose[1], 0);
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

TEST_P(ComputerGames, FourComputerColoursPlayToTheEnd) {
    const int size = GetParam();
    StartGame(size, {2, 2, 2, 2});
    int updates = 0;
    // Late in a big game the chains run long: about 1,800, 11,000, 77,000
    // and 224,000 updates for the four sizes at this clock.
    const int limit = 400000;
    while (game->m_GameEnded == 0 && updates < limit) {
        Update();
        ++updates;
        if (updates % 97 == 0) {
            for (int y = 0; y < game->m_BoardH; ++y) {
                for (int x = 0; x < game->m_BoardW; ++x) {
                    ASSERT_GE(Owner(x, y), 0);
                    ASSERT_LE(Owner(x, y), 4);
                    ASSERT_LE(Counter(x, y), 80);
                }
            }
        }
    }
    RecordProperty("updates", updates);
    ASSERT_EQ(game->m_GameEnded, 1) << "no end after " << updates << " updates: " << Board() << " turn "
                                    << game->m_Turn << " states " << game->m_PlayerState[1]
                                    << game->m_PlayerState[2] << game->m_PlayerState[3] << game->m_PlayerState[4]
                                    << " busy " << game->m_WasBusy << game->m_Busy;
    EXPECT_EQ(game->m_Alive, 1);
    int winner = 0;
    for (int c = 1; c <= 4; ++c) {
        if (game->m_PlayerState[c] > 0) winner = c;
    }
    ASSERT_GT(winner, 0);
    for (int y = 0; y < game->m_BoardH; ++y) {
        for (int x = 0; x < game->m_BoardW; ++x) {
            if (Owner(x, y) != 0) {
                EXPECT_EQ(Owner(x, y), winner);
            }
        }
    }
    // The overlay then takes the game back to the menu.
    Update(100);
    EXPECT_EQ(game->m_Mode, 1);
}

INSTANTIATE_TEST_SUITE_P(EveryBoardSize, ComputerGames, ::testing::Values(1, 2, 3, 4));

}  // namespace
}  // namespace game_test
