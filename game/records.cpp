// records.cpp - the record kept between runs (settings, badge flags, score
// tables) and the score tables' update after a game.
//
// The layout and the checksums are record_format.h's. Every section
// carries its own checksum, so a damaged section falls back to its
// defaults alone and the others still load. A section that lacks fields is
// skipped without moving the read position.
//
// Depends on: game/nubrix.h, game/record_format.h, host/framework.h (the state file),
// runtime/report.h (the load messages).

#include <cstdint>
#include <string>

#include "game/nubrix.h"
#include "game/record_format.h"
#include "runtime/report.h"

namespace {

using record::kBadgeWords;
using record::kPlaces;
using record::kSettings;
using record::kSizes;
const int kLastTenBase = 30;   // m_Stats index of size 1's last-ten list

// A record written by m_Save has 99 fields (the last one empty). The loader
// never reads past field 97 and compares the field count only with numbers
// below 99, so beyond that many fields it neither looks nor counts further:
// a state file of any length costs one scan up to its 99th field.
const int kFieldsKept = 99;

bool IsSpace(unsigned c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

// The C library's atoi of the field's units taken as bytes: leading
// white space, an optional sign, decimal digits up to the first other
// character. The value is strtol's, which saturates at the 64-bit long
// range, and atoi keeps its low 32 bits.
int bb_Nubrix_MyApp::RecordField(const Char* text, int length) {
    int i = 0;
    auto unit = [&](int k) { return static_cast<unsigned>(text[k] & 0xff); };
    while (i < length && IsSpace(unit(i))) ++i;
    bool negative = false;
    if (i < length && (unit(i) == '+' || unit(i) == '-')) {
        negative = unit(i) == '-';
        ++i;
    }
    const uint64_t limit = negative ? (uint64_t(1) << 63) : (uint64_t(1) << 63) - 1;
    uint64_t magnitude = 0;
    for (; i < length && unit(i) >= '0' && unit(i) <= '9'; ++i) {
        unsigned digit = unit(i) - '0';
        if (magnitude > (limit - digit) / 10) {
            magnitude = limit;
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    uint64_t bits = negative ? uint64_t(0) - magnitude : magnitude;
    return static_cast<int>(static_cast<uint32_t>(bits));
}

String bb_Nubrix_MyApp::RecordText() {
    int settings[kSettings], tops[kSizes * kPlaces], lasts[kSizes * kPlaces];
    uint32_t words[kBadgeWords] = {};
    for (int k = 0; k < kSettings; ++k) settings[k] = m_Option[k];
    for (int w = 0; w < kBadgeWords; ++w) {
        for (int j = 0; j < 32; ++j) {
            if (m_BadgeGot[32 * w + j]) words[w] |= uint32_t(1) << j;
        }
    }
    for (int m = 0; m < kSizes; ++m) {
        for (int i = 0; i < kPlaces; ++i) {
            tops[m * kPlaces + i] = m_Stats[m * kPlaces + i];
            lasts[m * kPlaces + i] = m_Stats[m * kPlaces + kLastTenBase + i];
        }
    }
    return String(record::Format(settings, words, tops, lasts).c_str());
}

int bb_Nubrix_MyApp::LoadRecord(String text) {
    const Char* p = text.Data();
    const int n = text.Length();

    // Split at every "|": n separators make n + 1 fields, an empty text one.
    int start[kFieldsKept], end[kFieldsKept];
    int count = 0;
    for (int i = 0, from = 0; i <= n && count < kFieldsKept; ++i) {
        if (i == n || p[i] == '|') {
            start[count] = from;
            end[count] = i;
            ++count;
            from = i + 1;
        }
    }
    m_RecCount = count;
    auto value = [&](int k) { return RecordField(p + start[k], end[k] - start[k]); };

    int pos = 0;
    if (count >= kSettings + 1) {
        int settings[kSettings];
        for (int k = 0; k < kSettings; ++k) m_Option[k] = settings[k] = value(k);
        const uint32_t sum = record::SettingsSum(settings);
        pos = kSettings + 1;
        if (static_cast<int32_t>(sum) == value(kSettings)) {
            Print(String("Settings Loaded"));
        } else {
            Print(String("Settings Checksum Invalid"));
            for (int k = 0; k < kSettings; ++k) m_Option[k] = 0;
            m_Option[5] = 1;
        }
    }

    // The on-screen pad's place and size, whether or not settings were read.
    if (m_Option[10] <= 63) m_Option[10] = 64;
    if (m_Option[11] <= 63) m_Option[11] = 64;
    if (m_Option[12] <= 7) m_Option[12] = 10;

    if (pos + kBadgeWords < count) {
        uint32_t words[kBadgeWords];
        for (int w = 0; w < kBadgeWords; ++w) {
            words[w] = static_cast<uint32_t>(value(pos + w));
            for (int j = 0; j < 32; ++j) m_BadgeGot[32 * w + j] = ((words[w] >> j) & 1) != 0;
        }
        if (static_cast<int32_t>(record::BadgeSum(words)) == value(pos + kBadgeWords)) {
            Print(String("Badges Loaded"));
        } else {
            Print(String("Badge Checksum Invalid"));
            for (int i = 0; i < m_BadgeGot.Length(); ++i) m_BadgeGot[i] = false;
        }
        pos += kBadgeWords + 1;
    }

    for (int m = 0; m < kSizes; ++m) {
        if (!(pos + 2 * kPlaces < count)) continue;
        const int top = m * kPlaces, last = m * kPlaces + kLastTenBase;
        int tops[kPlaces], lasts[kPlaces];
        for (int i = 0; i < kPlaces; ++i) {
            m_Stats[top + i] = tops[i] = value(pos + 2 * i);
            m_Stats[last + i] = lasts[i] = value(pos + 2 * i + 1);
        }
        if (static_cast<int32_t>(record::ScoreSum(m, tops, lasts)) == value(pos + 2 * kPlaces)) {
            Print(String("Highscore ") + String(m) + String(" Loaded"));
        } else {
            Print(String("Highscore ") + String(m) + String(" Checksum Invalid"));
            for (int i = 0; i < kPlaces; ++i) {
                m_Stats[top + i] = 0;
                m_Stats[last + i] = 0;
            }
        }
        pos += 2 * kPlaces + 1;
    }
    m_RecPos = pos;
    return 0;
}

int bb_Nubrix_MyApp::m_Save() {
    String text = RecordText();
    if (bb_Nubrix_DebugMode == 1) Print(text);
    // A failed write leaves the game going with its data in memory.
    bb_app_SaveState(text);
    return 0;
}

int bb_Nubrix_MyApp::m_Load() {
    String text = bb_app_LoadState();
    if (bb_Nubrix_DebugMode == 1) Print(text);
    return LoadRecord(text);
}

int bb_Nubrix_MyApp::m_LoadMenu() {
    const int b = m_BoardSize;
    // Only the menu's sizes have tables; any other size is posted nowhere.
    if (b >= 1 && b <= kSizes) {
        const int top = (b - 1) * kPlaces, last = (b - 1) * kPlaces + kLastTenBase;
        m_RecBase = top;

        // A score equal to an entry goes below it.
        m_RecRank = -1;
        for (int i = 0; i < kPlaces; ++i) {
            if (m_Stats[top + i] < m_Score) {
                m_RecRank = i;
                break;
            }
        }
        if (m_RecRank >= 0) {
            for (int i = kPlaces - 1; i > m_RecRank; --i) m_Stats[top + i] = m_Stats[top + i - 1];
            m_Stats[top + m_RecRank] = m_Score;
        }

        m_GC_PostScore(b, m_Stats[top]);
        m_GC_Badges();

        for (int i = kPlaces - 1; i > 0; --i) m_Stats[last + i] = m_Stats[last + i - 1];
        m_Stats[last] = m_Score;
    }
    m_Save();
    return 0;
}

// Hooks for a platform score service; this one has none.
int bb_Nubrix_MyApp::m_GC_PostScore(int, int) { return 0; }
int bb_Nubrix_MyApp::m_GC_Badges() { return 0; }
