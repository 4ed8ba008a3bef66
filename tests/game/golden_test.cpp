// Golden traces: seeded games played through the real game object, each
// update reduced to one hash of the board state, the particles, the random
// seed, the display list and the sounds started; a game that ends adds the
// hash of the record it saved. The traces under golden/ were recorded from
// the game as it stands; a change of shape to the game core must replay
// every one of them exactly, and the Windows build must too (the same
// rules, random draws and float arithmetic on both systems).
//
// NUBRIX_GOLDEN_RECORD=1 writes the traces again instead of comparing (for a
// change that means to alter behaviour, and says so).
//
// Depends on: tests/game/game_env.h, host/framework.h (bb_random_Seed).

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "devices/audio.h"
#include "host/framework.h"
#include "tests/game/game_env.h"

namespace game_test {
namespace {

struct Trace {
    const char* name;
    int boardSize;
    std::vector<int> types;  // colours 1..4: 1 a person, 2 the computer
    int width, height;       // the window
    int seed;
    const char* board;       // "" for the board as the game starts it
    int clickX, clickY;      // a press by colour 1, -1 for none
    int updates;             // at most; a game that ends stops there
};

const Trace kTraces[] = {
    {"4x3-two-computers-to-the-end", 1, {2, 2}, 640, 480, 11, "", -1, -1, 3000},
    {"6x4-three-computers", 2, {2, 2, 2}, 640, 480, 22, "", -1, -1, 900},
    {"10x7-four-computers", 3, {2, 2, 2, 2}, 640, 480, 33, "", -1, -1, 900},
    {"6x4-portrait-person-and-computer", 2, {1, 2}, 480, 640, 44, "", -1, -1, 300},
    // Every cell one atom from bursting: the chain runs out of particle slots.
    {"10x7-long-chain", 3, {1, 1}, 640, 480, 55,
     "12 13 13 13 13 13 13 13 13 12/13 13 13 13 13 13 13 13 13 13/13 13 13 13 13 13 13 13 13 13/"
     "13 13 13 13 13 13 13 13 13 13/13 13 13 13 13 13 13 13 13 13/13 13 13 13 13 13 13 13 13 13/"
     "12 13 13 13 13 13 13 13 13 22",
     0, 0, 600},
    {"4x3-a-press-on-an-enemy-cell-is-refused", 1, {1, 1}, 640, 480, 66, "11 .. .. ../.. 21 .. ../.. .. .. ..", 1, 1,
     60},
};

void PrintTo(const Trace& t, std::ostream* os) { *os << t.name; }

class Golden : public GameTest, public ::testing::WithParamInterface<Trace> {
protected:
    uint64_t hash = 0;
    void Fold(const void* bytes, size_t n) {
        for (size_t i = 0; i < n; ++i) hash = (hash ^ static_cast<const unsigned char*>(bytes)[i]) * 1099511628211u;
    }
    template <class T>
    void FoldArray(const Array<T>& a) {
        for (int i = 0; i < a.Length(); ++i) Fold(&a[i], sizeof(T));
    }

    // One update's hash: what the rules left, what was drawn, what sounded.
    uint64_t Step(int& sfxSeen) {
        hash = 14695981039346656037u;  // FNV-1a
        const int state[] = {game->m_Turn, game->m_Alive, game->m_Busy, game->m_WasBusy, game->m_GameEnded,
                             bb_random_Seed};
        Fold(state, sizeof state);
        FoldArray(game->m_Board);
        FoldArray(game->m_PlayerState);
        FoldArray(game->m_Owned);
        FoldArray(game->m_Particles);
        std::vector<Command> commands = Commands();
        Fold(commands.data(), commands.size() * sizeof(Command));
        for (; sfxSeen != game->m_SfxCursor; sfxSeen = (sfxSeen + 1) % 24) {
            const gxtkChannel& ch = bb_audio_device->channels[(sfxSeen + 1) % 24];
            int slot = -1;
            for (int id = 0; id < 100; ++id) {
                if (game->m_Sounds[id] && game->m_Sounds[id]->sample == ch.playingSample) slot = id;
            }
            const int sound[] = {(sfxSeen + 1) % 24, slot};
            Fold(sound, sizeof sound);
        }
        return hash;
    }
};

TEST_P(Golden, TheGameReplaysItsRecordedTraceUpdateForUpdate) {
    const Trace& t = GetParam();
    window.width = t.width;
    window.height = t.height;
    Render();
    FinishLoading();
    bb_random_Seed = t.seed;
    StartGame(t.boardSize, t.types);
    if (*t.board) {
        SetBoard(t.board);
        game->m_Turn = 1;
    }
    int sfxSeen = game->m_SfxCursor;
    std::vector<std::string> trace;
    for (int n = 0; n < t.updates && !game->m_GameEnded; ++n) {
        if (n == 1 && t.clickX >= 0) {
            ClickCell(t.clickX, t.clickY);  // two updates
        } else {
            Update();
        }
        Render();
        char line[32];
        std::snprintf(line, sizeof line, "%016llx", static_cast<unsigned long long>(Step(sfxSeen)));
        trace.push_back(line);
    }
    if (game->m_GameEnded) {
        Update(100);  // the overlay, back to the menu: the record is saved
        const std::string record = nubrix_test::ReadFile(".varnokstate");
        hash = 14695981039346656037u;
        Fold(record.data(), record.size());
        char line[40];
        std::snprintf(line, sizeof line, "record %016llx", static_cast<unsigned long long>(hash));
        trace.push_back(line);
    }

    const std::string file = std::string(NUBRIX_SOURCE_DIR "/tests/game/golden/") + t.name + ".txt";
    if (const char* record = std::getenv("NUBRIX_GOLDEN_RECORD"); record && *record == '1') {
        std::ofstream out(file, std::ios::binary);
        for (const std::string& h : trace) out << h << '\n';
        return;
    }
    std::vector<std::string> golden;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);) golden.push_back(line);
    ASSERT_FALSE(golden.empty()) << "no trace in " << file;
    for (size_t n = 0; n < golden.size() || n < trace.size(); ++n) {
        ASSERT_EQ(n < trace.size() ? trace[n] : "(ended)", n < golden.size() ? golden[n] : "(ended)")
            << "first difference at update " << n + 1 << " of " << golden.size();
    }
}

INSTANTIATE_TEST_SUITE_P(Traces, Golden, ::testing::ValuesIn(kTraces),
                         [](const ::testing::TestParamInfo<Trace>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c) name += std::isalnum(*c) ? *c : '_';
                             return name;
                         });

}  // namespace
}  // namespace game_test
