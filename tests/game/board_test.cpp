// The board and its rules: capacities, growth bands, explosions and
// captures, the flash, eliminations, turn order, the end of a game and the
// player panel. Games are two human colours unless a test says otherwise,
// so nothing moves unless the test clicks.

#include "tests/game/game_env.h"

namespace game_test {
namespace {

class Rules : public GameTest {
protected:
    // A 4 x 3 game of red and yellow, red to move on a board of `rows`.
    void Setup4x3(const std::string& rows, int turn = 1) {
        StartGame(1, {1, 1});
        SetBoard(rows);
        game->m_Turn = turn;
        Update();  // counts the cells, as the previous update would have
    }
};

TEST_F(Rules, SizesFromTheMenuChoice) {
    const int sizes[5][2] = {{0, 0}, {4, 3}, {6, 4}, {10, 7}, {12, 10}};
    for (int size = 1; size <= 4; ++size) {
        StartGame(size, {1, 2});
        EXPECT_EQ(game->m_BoardW, sizes[size][0]);
        EXPECT_EQ(game->m_BoardH, sizes[size][1]);
    }
    game->m_BoardSize = 9;
    game->m_LoadGame();
    EXPECT_EQ(game->m_BoardW, 12) << "any other choice keeps the previous size";
}

TEST_F(Rules, CornersHoldOneAtomAndExplodeAtTwo) {
    Setup4x3(".. .. .. ../.. .. .. ../.. .. .. ..");
    ClickCell(0, 0);
    Settle();
    EXPECT_EQ(Board(), "11 .. .. ../.. .. .. ../.. .. .. ..");
    game->m_Turn = 1;
    ClickCell(0, 0);
    Settle();
    EXPECT_EQ(Board(), ".. 11 .. ../11 .. .. ../.. .. .. ..");
}

TEST_F(Rules, EdgesExplodeAtThree) {
    Setup4x3(".. 12 .. ../.. .. .. ../.. .. .. ..");
    ClickCell(1, 0);
    Settle();
    EXPECT_EQ(Board(), "11 .. 11 ../.. 11 .. ../.. .. .. ..");
    Setup4x3(".. .. .. ../12 .. .. ../.. .. .. ..");
    ClickCell(0, 1);
    Settle();
    EXPECT_EQ(Board(), "11 .. .. ../.. 11 .. ../11 .. .. ..");
}

TEST_F(Rules, InnerCellsExplodeAtFour) {
    Setup4x3(".. .. .. ../.. 13 .. ../.. .. .. ..");
    ClickCell(1, 1);
    Settle();
    EXPECT_EQ(Board(), ".. 11 .. ../11 .. 11 ../.. 11 .. ..");
}

TEST_F(Rules, TheCounterClimbsThroughItsBand) {
    Setup4x3(".. .. .. ../.. .. .. ../.. .. .. ..");
    float cx, cy;
    CellCentre(0, 0, &cx, &cy);
    PointerAt(cx, cy);
    PressMouse();
    Update();
    // Placed (1) and the first climb in the same update.
    EXPECT_EQ(Owner(0, 0), 1);
    EXPECT_EQ(Counter(0, 0), 2);
    ReleaseMouse();
    Update(13);
    EXPECT_EQ(Counter(0, 0), 15);
    Update();
    EXPECT_EQ(Counter(0, 0), 16);
    Update(5);
    EXPECT_EQ(Counter(0, 0), 16) << "rests at the top of the band";
    Settle();
    game->m_Turn = 1;
    PressMouse();
    Update();
    EXPECT_EQ(Counter(0, 0), 18);
    ReleaseMouse();
    Update(13);
    EXPECT_EQ(Counter(0, 0), 31);
    EXPECT_EQ(Owner(0, 0), 1);
    EXPECT_EQ(Flash(0, 0), 0);
    Update();
    EXPECT_EQ(Counter(0, 0), 0) << "the corner explodes when it reaches 32";
    EXPECT_EQ(Flash(0, 0), 15);
    EXPECT_EQ(Owner(0, 0), 1) << "it keeps its owner while the flash runs";
    EXPECT_EQ(Owner(1, 0), 1);
    EXPECT_EQ(Owner(0, 1), 1);
}

TEST_F(Rules, AnExplosionIntoAClimbingCellAdvancesTheClimbOnly) {
    Setup4x3(".. .. .. ../.. .. .. ../.. .. .. ..");
    Owner(0, 0) = 1;
    Counter(0, 0) = 31;  // explodes in the next update
    Owner(1, 0) = 2;
    Counter(1, 0) = 5;  // still climbing its first band
    Update();
    EXPECT_EQ(Owner(1, 0), 1) << "captured";
    EXPECT_EQ(Counter(1, 0), 7) << "one for the atom, one for its own climb";
    Settle();
    EXPECT_EQ(Counter(1, 0), 16) << "still one atom";
    EXPECT_EQ(Board(), ".. 11 .. ../11 .. .. ../.. .. .. ..");
}

TEST_F(Rules, AnAtomArrivingDuringTheFlashIsLostButItsCounterStays) {
    Setup4x3(".. .. .. ../.. .. .. ../.. .. .. ..");
    Owner(0, 0) = 1;
    Counter(0, 0) = 31;  // the corner explodes now...
    Owner(1, 0) = 1;
    Counter(1, 0) = 40;  // ...and the edge beside it a dozen updates later, back into the corner
    Update();
    ASSERT_EQ(Flash(0, 0), 15);
    int arrivedAt = 0;
    for (int i = 2; i < 40 && !arrivedAt; ++i) {
        Update();
        if (Counter(0, 0) > 0) arrivedAt = i;
    }
    ASSERT_GT(arrivedAt, 0);
    ASSERT_GT(Flash(0, 0), 0) << "the atom must arrive while the flash runs";
    EXPECT_EQ(Owner(0, 0), 1);
    while (Flash(0, 0) > 0) Update();
    EXPECT_EQ(Owner(0, 0), 0) << "the flash's end clears the owner";
    int kept = Counter(0, 0);
    EXPECT_GT(kept, 1);
    EXPECT_LT(kept, 16);
    Settle();
    EXPECT_EQ(Counter(0, 0), kept) << "an empty cell does not climb";
    // The next atom placed there continues from that counter.
    game->m_Turn = 2;
    ClickCell(0, 0);
    EXPECT_EQ(Owner(0, 0), 2);
    Settle();
    EXPECT_EQ(Counter(0, 0), 16);
}

TEST_F(Rules, AColourCapturedBeforeItsSecondTurnIsNotEliminated) {
    Setup4x3("11 21 .. ../.. .. .. ../.. .. .. ..");
    game->m_PlayerState[1] = 3;
    game->m_PlayerState[2] = 2;  // one turn finished
    ClickCell(0, 0);
    Settle();
    EXPECT_EQ(Board(), ".. 12 .. ../11 .. .. ../.. .. .. ..");
    EXPECT_EQ(game->m_PlayerState[2], 2) << "still in play, with no cell";
    EXPECT_EQ(game->m_Turn, 2);
    EXPECT_EQ(game->m_GameEnded, 0);
    // It still places on an empty cell.
    ClickCell(3, 2);
    EXPECT_EQ(Owner(3, 2), 2);
}

TEST_F(Rules, AColourWithTwoTurnsAndNoCellIsOut) {
    StartGame(1, {1, 1, 1});
    SetBoard("11 21 .. ../.. .. .. 31/.. .. .. ..");
    game->m_Turn = 1;
    Update();
    for (int c = 1; c <= 3; ++c) game->m_PlayerState[c] = 3;
    ClickCell(0, 0);
    Settle();
    EXPECT_EQ(game->m_PlayerState[2], 0);
    EXPECT_EQ(game->m_Turn, 3) << "the turn skips the colour that is out";
    EXPECT_EQ(game->m_Alive, 2);
}

TEST_F(Rules, APressOnAnEnemyCellDoesNothingAndIsNotConsumed) {
    Setup4x3("11 21 .. ../.. .. .. ../.. .. .. ..");
    float cx, cy;
    CellCentre(1, 0, &cx, &cy);
    PointerAt(cx, cy);
    PressMouse();
    Update();
    EXPECT_EQ(Board(), "11 21 .. ../.. .. .. ../.. .. .. ..");
    EXPECT_EQ(game->m_ClickUsed, 0);
    // Dragging the held press onto an empty cell places there.
    CellCentre(2, 0, &cx, &cy);
    PointerAt(cx, cy);
    Update();
    EXPECT_EQ(Owner(2, 0), 1);
    EXPECT_EQ(game->m_ClickUsed, 1);
}

TEST_F(Rules, MovesOnlyOnASettledBoardAndOneAtomPerTurn) {
    Setup4x3(".. .. .. ../.. .. .. ../.. .. .. ..");
    ClickCell(3, 2);
    ClickCell(3, 1);  // still animating: refused
    EXPECT_EQ(Owner(3, 1), 0);
    Settle();
    EXPECT_EQ(game->m_Turn, 2);
    ClickCell(3, 2);  // red's cell, yellow to move: refused
    EXPECT_EQ(Counter(3, 2), 16);
    ClickCell(0, 2);
    EXPECT_EQ(Owner(0, 2), 2);
}

TEST_F(Rules, WithOneHumanAndOneComputerTheDrawnStarterNeverMovesFirst) {
    int startedBy[5] = {0, 0, 0, 0, 0};
    for (int round = 0; round < 24; ++round) {
        window.time += 0.37;  // a new seed for the draw
        game->m_BoardSize = 1;
        for (int c = 1; c <= 4; ++c) game->m_PlayerType[c] = 0;
        game->m_PlayerType[1] = 1;
        game->m_PlayerType[4] = 2;
        game->m_Mode = 11;
        Update();
        int starter = game->m_Turn;
        ASSERT_TRUE(starter == 1 || starter == 4);
        ++startedBy[starter];
        Update(2);
        EXPECT_EQ(game->m_Turn, 5 - starter);
        EXPECT_EQ(game->m_PlayerState[starter], 2) << "passed over, its turn counts as finished";
        if (game->m_Turn == 1) ClickCell(1, 1);
        for (int i = 0; i < 600 && game->m_Owned[1] + game->m_Owned[4] == 0; ++i) Update();
        EXPECT_EQ(game->m_Owned[starter], 0);
        EXPECT_EQ(game->m_Owned[5 - starter], 1);
    }
    EXPECT_GT(startedBy[1], 0);
    EXPECT_GT(startedBy[4], 0);
}

TEST_F(Rules, TheGameEndsOnlyOnASettledBoard) {
    // Red's corner explodes into yellow's only cell and the chain runs on.
    Setup4x3("11 22 .. ../.. .. .. ../.. .. .. ..");
    game->m_PlayerState[1] = 3;
    game->m_PlayerState[2] = 3;
    ClickCell(0, 0);
    bool yellowGone = false;
    int updates = 0;
    while (!game->m_GameEnded && updates < 2000) {
        int busyBefore = game->m_Busy;
        Update();
        ++updates;
        if (Owner(1, 0) == 1 && !yellowGone) {
            yellowGone = true;
            EXPECT_EQ(game->m_GameEnded, 0) << "captured in the middle of the chain";
        }
        if (game->m_GameEnded) {
            EXPECT_EQ(busyBefore, 0) << "the update before the end had nothing climbing";
        }
    }
    EXPECT_TRUE(yellowGone);
    EXPECT_EQ(game->m_GameEnded, 1);
    EXPECT_EQ(game->m_PlayerState[2], 0);
    EXPECT_EQ(game->m_Alive, 1);
    ClickCell(2, 2);
    EXPECT_EQ(Owner(2, 2), 0) << "moves are refused after the end";
}

TEST_F(Rules, TheTurnSearchEndsWhenEveryColourIsOut) {
    Setup4x3(".. .. .. ../.. .. .. ../.. .. .. ..");
    for (int c = 1; c <= 4; ++c) game->m_PlayerState[c] = 0;
    game->m_WasBusy = 1;
    game->m_Busy = 0;
    Update();
    EXPECT_EQ(game->m_GameEnded, 1);
    EXPECT_EQ(game->m_Alive, 0);
}

TEST_F(Rules, AGameWithNobodyPlayingEndsInsteadOfHanging) {
    StartGame(1, {0, 0, 0, 0});
    Update(3);
    EXPECT_EQ(game->m_GameEnded, 1);
}

TEST_F(Rules, ThePanelShowsEachColoursCount) {
    StartGame(2, {1, 1, 0, 2});
    Update();
    const float vw = bb_Nubrix_vscrw;
    for (int c = 1; c <= 4; ++c) {
        std::string text;
        for (const Glyph& g : Glyphs()) {
            if (g.y > 60 && g.y < 72 && g.x > static_cast<int>(vw * 0.2f * c) - 8 &&
                g.x < static_cast<int>(vw * 0.2f * c) + 20)
                text += g.c;
        }
        EXPECT_EQ(text, "0") << "colour " << c << ": a space and the count";
    }
    SetBoard("11 11 .. .. .. ../.. .. .. .. .. ../.. .. .. .. .. ../.. .. .. .. .. 2.");
    Update();
    EXPECT_EQ(game->m_Owned[1], 2);
    EXPECT_EQ(game->m_Owned[2], 1);
    std::string counts = TextNear(66);
    EXPECT_EQ(counts, "2100");
    // The glyph of " 2" sits one advance (7 units at size 2) right of the
    // aligned start.
    for (const Glyph& g : Glyphs()) {
        if (g.c != '2' || std::abs(g.y - 66) >= 1) continue;
        EXPECT_NEAR(g.x, static_cast<int>(vw * 0.2f) + 8.4f, 1e-3);
    }
    SetBoard("11 11 11 11 11 11/11 11 11 11 11 11/.. .. .. .. .. ../.. .. .. .. .. 2.");
    Update();
    EXPECT_EQ(TextNear(66), "12100");
}

TEST_F(Rules, PanelAlphaMarksTheColourToMoveAndTheColoursOut) {
    StartGame(1, {1, 1, 0, 0});
    Update();
    int turn = game->m_Turn;
    for (const Command& c : Commands()) {
        if (c.kind != 1 || c.y != 32) continue;
        int colour = (static_cast<int>(c.frame) + 2) / 16;
        float expected = colour == turn ? 1.0f : (game->m_PlayerState[colour] == 0 ? 0.25f : 0.5f);
        EXPECT_FLOAT_EQ(c.alpha, expected) << "colour " << colour;
    }
}

TEST_F(Rules, PortraitTransposesTheBoard) {
    window.width = 480;
    window.height = 640;
    Render();
    FinishLoading();
    StartGame(3, {1, 1});
    ASSERT_EQ(game->m_Landscape, 0);
    float cx0, cy0, cx1, cy1;
    CellCentre(0, 0, &cx0, &cy0);
    CellCentre(9, 0, &cx1, &cy1);
    EXPECT_FLOAT_EQ(cx0, cx1) << "columns run down";
    EXPECT_GT(cy1, cy0);
    game->m_Turn = 1;
    ClickCell(9, 0);
    EXPECT_EQ(Owner(9, 0), 1);
}

TEST_F(Rules, ExplosionsSpawnParticlesThatFallAndFade) {
    Setup4x3(".. .. .. ../.. .. .. ../.. .. .. ..");
    Owner(0, 0) = 1;
    Counter(0, 0) = 31;
    bb_random_Seed = 99;
    Update();
    int live = 0;
    for (int k = 1; k <= 100; ++k) live += game->m_Particles[k * 10] > 0;
    EXPECT_EQ(live, 4);
    EXPECT_EQ(game->m_Particles[10], 1) << "the lowest slots, in the exploding colour";
    for (int i = 0; i < 200; ++i) Update();
    live = 0;
    for (int k = 1; k <= 100; ++k) live += game->m_Particles[k * 10] > 0;
    EXPECT_EQ(live, 0);
}

TEST_F(Rules, ExhaustedParticleSlotsDoNotStopTheExplosion) {
    Setup4x3(".. .. .. ../.. .. .. ../.. .. .. ..");
    for (int k = 1; k <= 100; ++k) {
        game->m_Particles[k * 10] = 3;
        game->m_Particles[k * 10 + 1] = 100;
        game->m_Particles[k * 10 + 2] = 100;
        game->m_Particles[k * 10 + 6] = 1;
    }
    Owner(0, 0) = 1;
    Counter(0, 0) = 31;
    Update();
    EXPECT_EQ(Owner(1, 0), 1);
    EXPECT_EQ(Flash(0, 0), 15);
}

}  // namespace
}  // namespace game_test
