// fuzz_record.cpp - libFuzzer target: the record loader on arbitrary bytes.
//
// The input is a state file: it is decoded as the host decodes one
// (String::Load: byte-order marks, UTF-8, stray bytes one per character)
// and handed to the game object's loader, starting from the values the
// object has when it loads at creation. Beyond not crashing, the loader
// must keep three promises, checked here on every input:
//
//   - every field it reads means what the C library's strtol makes of the
//     field's bytes, cut to 32 bits (atoi);
//   - the on-screen pad entries are raised to their floor;
//   - whatever it loaded, the record written from it loads back whole, to
//     the same values, and is written again byte for byte the same.
//
// Only the game object is built, not the host: no window, no devices, no
// state file on disk. Load messages go to standard output, which is
// silenced; libFuzzer reports on standard error.
//
// Depends on: game/nubrix.h (with game/records.cpp compiled in, so its
// branches guide the fuzzer), the runtime, the C library.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/nubrix.h"

namespace {

bb_Nubrix_MyApp* game = nullptr;

// The values m_OnCreate gives the persisted fields before it loads.
void Defaults() {
    for (int i = 0; i < 256; ++i) game->m_BadgeGot[i] = false;
    for (int i = 0; i < 25; ++i) game->m_Option[i] = 0;
    game->m_Option[5] = 1;
    for (int i = 0; i < 150; ++i) game->m_Stats[i] = 0;
}

struct Snapshot {
    std::vector<int> option, stats;
    std::vector<bool> badges;
};

Snapshot Take() {
    Snapshot s;
    for (int i = 0; i < 25; ++i) s.option.push_back(game->m_Option[i]);
    for (int i = 0; i < 150; ++i) s.stats.push_back(game->m_Stats[i]);
    for (int i = 0; i < 256; ++i) s.badges.push_back(game->m_BadgeGot[i]);
    return s;
}

bool Same(const Snapshot& a, const Snapshot& b) {
    return a.option == b.option && a.stats == b.stats && a.badges == b.badges;
}

// The field as the C library reads it: units as their low bytes, cut at
// the first NUL, then strtol and a 32-bit cut.
int LibraryField(const Char* p, int n) {
    std::string bytes;
    for (int i = 0; i < n && (p[i] & 0xff) != 0; ++i) bytes += static_cast<char>(p[i] & 0xff);
    long v = std::strtol(bytes.c_str(), nullptr, 10);
    return static_cast<int>(static_cast<uint32_t>(static_cast<unsigned long>(v)));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    // Never collected: no collection runs in this process.
    game = new bb_Nubrix_MyApp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 24)) return 0;
    String text = String::Load(data, static_cast<int>(size));

    // Field by field against the C library (the first 99 are all the
    // loader ever looks at).
    const Char* p = text.Data();
    const int n = text.Length();
    for (int i = 0, from = 0, field = 0; i <= n && field < 99; ++i) {
        if (i == n || p[i] == '|') {
            if (bb_Nubrix_MyApp::RecordField(p + from, i - from) != LibraryField(p + from, i - from)) std::abort();
            from = i + 1;
            ++field;
        }
    }

    Defaults();
    game->LoadRecord(text);
    if (game->m_Option[10] < 64 || game->m_Option[11] < 64 || game->m_Option[12] < 8) std::abort();

    const Snapshot loaded = Take();
    String saved = game->RecordText();
    Defaults();
    game->LoadRecord(saved);
    if (game->m_RecCount != 99 || game->m_RecPos != 98) std::abort();  // every section found in place
    if (!Same(loaded, Take())) std::abort();
    if (!(game->RecordText() == saved)) std::abort();
    return 0;
}
