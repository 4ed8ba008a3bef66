// computer.cpp - the computer player.
//
// No search ahead: during every board scan each cell gets a randomised
// heuristic score from the point of view of the colour to move (whoever
// plays it, so human turns consume random numbers too), the scan keeps the
// best one, and after the scan a computer colour places there with a chance
// of about one in six per update. The fresh candidate each update and the
// per-update chance make a short, irregular thinking pause.
//
// Scores: empty corner 11..21, edge 9..19, inner 6..16 on an empty board;
// own cells and cells next to own ones gain; a cell one atom short of
// exploding next to an enemy gains 10; an enemy cell scores 0 and is never
// chosen.
//
// Depends on: game/nubrix.h (board layout in board.cpp).

#include "game/nubrix.h"

int bb_Nubrix_MyApp::ScoreCell(int x, int y) {
    const int t = m_Turn;
    const int cell = CellIndex(x, y);
    const int owner = m_Board[cell];
    const int up = m_Board[CellIndex(x, y - 1)];
    const int left = m_Board[CellIndex(x - 1, y)];
    const int right = m_Board[CellIndex(x + 1, y)];
    const int down = m_Board[CellIndex(x, y + 1)];

    int score = m_Rand(0, 2);
    if (owner == t) score += m_Rand(0, 2);
    if (owner == 0 || owner == t) {
        if (up == 0 && left == 0 && right == 0 && down == 0) score += m_Rand(4, 10);
        if (up == 0 || left == 0 || right == 0 || down == 0) score += m_Rand(2, 4);
        if (up == t || left == t || right == t || down == t) score += m_Rand(4, 7);
    }

    const int n = m_Board[cell + 1];
    auto enemy = [t](int o) { return o != 0 && o != t; };
    const bool enemyNear = enemy(up) || enemy(left) || enemy(right) || enemy(down);
    switch (CellCapacity(x, y)) {
        case 2:
            score += n > 15 ? 7 : 5;
            if (n > 15 && enemyNear) score += 10;
            break;
        case 3:
            score += n > 31 ? 5 : 3;
            if (n > 31 && enemyNear) score += 10;
            break;
        case 4:
            if (n > 51) score += 2;
            if (n > 51 && enemyNear) score += 10;
            break;
        default:
            break;
    }

    if (owner != 0 && owner != t) score = 0;
    m_CellScore = score;
    return score;
}

// `cell` is the best candidate of this update's scan, or -1 for none. The
// draw is made even while the board is busy, so that the sequence of random
// numbers does not depend on it.
void bb_Nubrix_MyApp::ComputerMove(int cell) {
    if (cell < 0 || m_Turn < 1 || m_Turn > 4 || m_PlayerType[m_Turn] != 2) return;
    if (m_Rand(0, 5) != 1) return;
    if (m_WasBusy != 0 || m_Paused != 0 || m_GameEnded != 0) return;
    m_Board[cell] = m_Turn;
    m_Board[cell + 1] += 1;
    m_Busy = 1;
    m_PlaySFX(99, 1.0f, 1.0f, 0);
}
