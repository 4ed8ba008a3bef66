// The sound loader on its own (no OpenAL): WAV chunk walking, extension
// dispatch, Ogg Vorbis decoding checked against what the files' own pages
// say, and damaged or hostile files of both kinds, which must give null (or,
// for a cut Ogg stream, a shorter sound) without crashing and without
// allocating more than the file could hold.
//
// The binary is linked with --wrap=malloc/realloc/calloc: every allocation
// the loader (and the decoder) makes passes through the wrappers below, which
// remember the largest request while a test watches.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <filesystem>
#include <string>

#include "devices/sound_loader.h"
#include "tests/devices/sound_files.h"
#include "tests/support/testing.h"

#include <vorbis/vorbisfile.h>

using namespace sound_files;

namespace {
bool watching = false;
std::size_t largestRequest = 0;

void note(std::size_t n) {
    if (watching && n > largestRequest) largestRequest = n;
}
}  // namespace

extern "C" {
void* __real_malloc(std::size_t n);
void* __real_realloc(void* p, std::size_t n);
void* __real_calloc(std::size_t count, std::size_t n);

void* __wrap_malloc(std::size_t n) {
    note(n);
    return __real_malloc(n);
}
void* __wrap_realloc(void* p, std::size_t n) {
    note(n);
    return __real_realloc(p, n);
}
void* __wrap_calloc(std::size_t count, std::size_t n) {
    note(count * n);
    return __real_calloc(count, n);
}
}

namespace {

const char* const kSystemSounds = "/usr/share/sounds/freedesktop/stereo/";

struct Loaded {
    void* data = nullptr;
    SoundFormat format;
    std::size_t largest = 0;  // largest allocation made while loading

    Loaded() = default;
    Loaded(const Loaded&) = delete;
    Loaded(Loaded&& o) noexcept : data(o.data), format(o.format), largest(o.largest) { o.data = nullptr; }
    ~Loaded() { unloadSound(data); }

    std::size_t Bytes() const {
        return static_cast<std::size_t>(format.frames) * format.channels * format.bytesPerSample;
    }
    std::string Pcm() const { return std::string(static_cast<const char*>(data), Bytes()); }
};

// loadSound on a real file named `name` holding `bytes`.
Loaded LoadFile(const std::string& bytes, const std::string& name = "sound.wav") {
    TempDir dir;
    WriteFile(dir.File(name), bytes);
    Loaded r;
    largestRequest = 0;
    watching = true;
    r.data = loadSound(Widen(dir.File(name)), r.format.frames, r.format.channels, r.format.bytesPerSample,
                       r.format.rate);
    watching = false;
    r.largest = largestRequest;
    return r;
}

// One of the stream readers on the bytes in memory.
Loaded LoadMemory(const std::string& bytes, bool ogg, std::size_t maxBytes = kMaxSoundBytes) {
    Loaded r;
    FILE* f = std::tmpfile();
    if (!f) return r;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    largestRequest = 0;
    watching = true;
    r.data = ogg ? loadOggStream(f, r.format, maxBytes) : loadWavStream(f, r.format, maxBytes);
    watching = false;
    r.largest = largestRequest;
    std::fclose(f);
    return r;
}

std::string Ramp(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + 3);
    return s;
}

std::string SystemSound(const std::string& name) {
    std::string bytes = ReadFile(kSystemSounds + name);
    EXPECT_FALSE(bytes.empty()) << "missing " << kSystemSounds << name << " (package sound-theme-freedesktop)";
    return bytes;
}

bool Silent(const Loaded& s) {
    const std::int16_t* p = static_cast<const std::int16_t*>(s.data);
    std::size_t n = static_cast<std::size_t>(s.format.frames) * s.format.channels;
    return std::all_of(p, p + n, [](std::int16_t v) { return v > -64 && v < 64; });
}

// ---------------------------------------------------------------------------

TEST(SoundExtension, LastDotLowerCasedUnlessASlashFollows) {
    EXPECT_EQ(soundExtension(String("a/b/boom.WAV")), String("wav"));
    EXPECT_EQ(soundExtension(String("music.Ogg")), String("ogg"));
    EXPECT_EQ(soundExtension(String("x.tar.wav")), String("wav"));
    EXPECT_EQ(soundExtension(String("dir.wav/boom")), String());
    EXPECT_EQ(soundExtension(String("dir.wav\\boom")), String());
    EXPECT_EQ(soundExtension(String("noext")), String());
    EXPECT_EQ(soundExtension(String("trailing.")), String());
}

TEST(SoundExtension, LoaderDispatchesOnTheExtensionOnly) {
    std::string wav = Wav(1, 8000, 8, Ramp(100));
    EXPECT_NE(LoadFile(wav, "boom.WAV").data, nullptr);
    EXPECT_NE(LoadFile(wav, "boom.wAv").data, nullptr);
    EXPECT_EQ(LoadFile(wav, "boom.ogg").data, nullptr) << "a WAV named .ogg goes to the Ogg reader";
    EXPECT_EQ(LoadFile(wav, "boom.wave").data, nullptr);
    EXPECT_EQ(LoadFile(wav, "boom").data, nullptr);
    EXPECT_EQ(LoadFile(wav, "boom.wav\\x").data, nullptr);

    TempDir dir;
    ASSERT_EQ(std::system(("mkdir " + dir.File("sfx.wav")).c_str()), 0);
    WriteFile(dir.File("sfx.wav/boom"), wav);
    Loaded r;
    r.data = loadSound(Widen(dir.File("sfx.wav/boom")), r.format.frames, r.format.channels,
                       r.format.bytesPerSample, r.format.rate);
    EXPECT_EQ(r.data, nullptr) << "the last dot is followed by a slash: no extension";
}

TEST(SoundExtension, DataPathsOpenBelowTheWorkingFolder) {
    TempDir dir;
    ASSERT_TRUE(std::filesystem::create_directories(dir.File("data/sfx")));
    WriteFile(dir.File("data/sfx/001.wav"), Wav(1, 8000, 8, Ramp(50)));
    ScopedWorkingFolder here(dir.Path());
    Loaded r;
    r.data = loadSound(String("varnok://data/sfx/001.wav"), r.format.frames, r.format.channels,
                       r.format.bytesPerSample, r.format.rate);
    ASSERT_NE(r.data, nullptr);
    EXPECT_EQ(r.format.frames, 50);
    EXPECT_EQ(loadSound(String("varnok://cache/sfx/001.wav"), r.format.frames, r.format.channels,
                        r.format.bytesPerSample, r.format.rate),
              nullptr);
}

// ---------------------------------------------------------------------------

TEST(WavReading, SixteenBitStereoFramesCountWholeFrames) {
    std::string pcm = Ramp(4000);
    Loaded r = LoadFile(Wav(2, 22050, 16, pcm));
    ASSERT_NE(r.data, nullptr);
    EXPECT_EQ(r.format.frames, 1000);
    EXPECT_EQ(r.format.channels, 2);
    EXPECT_EQ(r.format.bytesPerSample, 2);
    EXPECT_EQ(r.format.rate, 22050);
    EXPECT_EQ(r.Pcm(), pcm);

    Loaded ragged = LoadFile(Wav(2, 22050, 16, Ramp(4003)));
    ASSERT_NE(ragged.data, nullptr);
    EXPECT_EQ(ragged.format.frames, 1000) << "a partial last frame is not a frame";
}

TEST(WavReading, EightBitMono) {
    std::string pcm = Ramp(777);
    Loaded r = LoadFile(Wav(1, 11025, 8, pcm));
    ASSERT_NE(r.data, nullptr);
    EXPECT_EQ(r.format.frames, 777);
    EXPECT_EQ(r.format.channels, 1);
    EXPECT_EQ(r.format.bytesPerSample, 1);
    EXPECT_EQ(r.format.rate, 11025);
    EXPECT_EQ(r.Pcm(), pcm);
}

TEST(WavReading, ExtendedFormatChunkAndForeignChunksAreSkipped) {
    std::string pcm = Ramp(400);
    std::string wav = Riff(Chunk("fmt ", FmtBody(1, 1, 44100, 16, Le16(0))) +     // 18-byte fmt
                           Chunk("LIST", "INFOISFT" + Le32(6) + "nubrix") +        // metadata
                           Chunk("fact", Le32(200)) + Chunk("data", pcm) + Chunk("cue ", Le32(0)));
    Loaded r = LoadFile(wav);
    ASSERT_NE(r.data, nullptr);
    EXPECT_EQ(r.format.frames, 200);
    EXPECT_EQ(r.format.rate, 44100);
    EXPECT_EQ(r.Pcm(), pcm);
}

TEST(WavReading, OddSizedChunksAreFollowedByAPadByte) {
    std::string pcm = Ramp(64);
    // Without the pad skip, the next tag would be read one byte early.
    std::string wav = Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 8, "abc")) + Chunk("junk", "xyz") + Chunk("data", pcm));
    Loaded r = LoadFile(wav);
    ASSERT_NE(r.data, nullptr);
    EXPECT_EQ(r.Pcm(), pcm);
}

TEST(WavReading, OnlyIntegerPcmIsAccepted) {
    EXPECT_EQ(LoadFile(Riff(Chunk("fmt ", FmtBody(3, 1, 8000, 32)) + Chunk("data", Ramp(64)))).data, nullptr)
        << "format tag 3 (float)";
    EXPECT_EQ(LoadFile(Riff(Chunk("fmt ", FmtBody(0xFFFE, 2, 8000, 16, Le16(22) + std::string(22, 'x'))) +
                            Chunk("data", Ramp(64))))
                  .data,
              nullptr)
        << "WAVE_FORMAT_EXTENSIBLE";
    EXPECT_EQ(LoadFile(Riff(Chunk("fmt ", FmtBody(2, 1, 8000, 4)) + Chunk("data", Ramp(64)))).data, nullptr)
        << "ADPCM";
}

TEST(WavReading, LayoutsOpenAlCannotPlayStillReadAsWritten) {
    // Turning these into no sample is the audio device's decision.
    Loaded deep = LoadFile(Wav(1, 48000, 24, Ramp(300)));
    ASSERT_NE(deep.data, nullptr);
    EXPECT_EQ(deep.format.bytesPerSample, 3);
    EXPECT_EQ(deep.format.frames, 100);
    Loaded many = LoadFile(Wav(6, 48000, 16, Ramp(1200)));
    ASSERT_NE(many.data, nullptr);
    EXPECT_EQ(many.format.channels, 6);
    EXPECT_EQ(many.format.frames, 100);
}

TEST(WavReading, TheCapRefusesSoundsTooLongToHold) {
    std::string wav = Wav(1, 8000, 16, Ramp(2000));
    EXPECT_EQ(LoadMemory(wav, false, 1999).data, nullptr);
    EXPECT_NE(LoadMemory(wav, false, 2000).data, nullptr);
}

// ---------------------------------------------------------------------------

struct Variant {
    const char* name;
    std::string bytes;
};

std::vector<Variant> HostileWavs() {
    std::string fmt = FmtBody(1, 2, 22050, 16);
    std::string pcm = Ramp(100);
    return {
        {"empty file", ""},
        {"RIFF tag only", "RIFF"},
        {"no WAVE tag", "RIFF" + Le32(100) + "AVI " + Chunk("fmt ", fmt) + Chunk("data", pcm)},
        {"fmt not first", Riff(Chunk("data", pcm) + Chunk("fmt ", fmt))},
        {"fmt size -1", Riff(ChunkWithSize("fmt ", 0xFFFFFFFFu, fmt) + Chunk("data", pcm))},
        {"fmt size 8", Riff(ChunkWithSize("fmt ", 8, fmt.substr(0, 8)) + Chunk("data", pcm))},
        {"fmt size huge", Riff(ChunkWithSize("fmt ", 0x7FFFFFF0u, fmt) + Chunk("data", pcm))},
        {"fmt truncated", Riff(ChunkWithSize("fmt ", 16, fmt.substr(0, 10)))},
        {"zero channels", Riff(Chunk("fmt ", FmtBody(1, 0, 22050, 16)) + Chunk("data", pcm))},
        {"zero bits", Riff(Chunk("fmt ", FmtBody(1, 2, 22050, 0)) + Chunk("data", pcm))},
        {"12 bits", Riff(Chunk("fmt ", FmtBody(1, 1, 22050, 12)) + Chunk("data", pcm))},
        {"40 bits", Riff(Chunk("fmt ", FmtBody(1, 1, 22050, 40)) + Chunk("data", pcm))},
        {"65535 bits", Riff(Chunk("fmt ", FmtBody(1, 1, 22050, 65535)) + Chunk("data", pcm))},
        {"9 channels", Riff(Chunk("fmt ", FmtBody(1, 9, 22050, 8)) + Chunk("data", pcm))},
        {"65535 channels", Riff(Chunk("fmt ", FmtBody(1, 65535, 22050, 16)) + Chunk("data", pcm))},
        {"rate 0", Riff(Chunk("fmt ", FmtBody(1, 2, 0, 16)) + Chunk("data", pcm))},
        {"rate 2^32-1", Riff(Chunk("fmt ", FmtBody(1, 2, 0xFFFFFFFFu, 16)) + Chunk("data", pcm))},
        {"no data chunk", Riff(Chunk("fmt ", fmt) + Chunk("LIST", pcm))},
        {"data size -1", Riff(Chunk("fmt ", fmt) + ChunkWithSize("data", 0xFFFFFFFFu, pcm))},
        {"data size past the end", Riff(Chunk("fmt ", fmt) + ChunkWithSize("data", 1000000, pcm))},
        {"data size near 2 GiB", Riff(Chunk("fmt ", fmt) + ChunkWithSize("data", 0x7FFFFFF0u, pcm))},
        {"data smaller than a frame", Riff(Chunk("fmt ", fmt) + Chunk("data", "abc"))},
        {"empty data", Riff(Chunk("fmt ", fmt) + Chunk("data", ""))},
        {"chunk size -1 before data",
         Riff(Chunk("fmt ", fmt) + ChunkWithSize("LIST", 0xFFFFFFFFu, "") + Chunk("data", pcm))},
        {"chunk size past the end", Riff(Chunk("fmt ", fmt) + ChunkWithSize("LIST", 5000, "ab") + Chunk("data", pcm))},
        {"half a chunk header", Riff(Chunk("fmt ", fmt) + "da")},
        {"odd chunk whose pad is missing before data",
         Riff(Chunk("fmt ", fmt) + Chunk("junk", "xyz", false) + Chunk("data", pcm))},
    };
}

TEST(HostileWav, EachDamagedFileGivesNullWithoutAbsurdAllocation) {
    for (const Variant& v : HostileWavs()) {
        Loaded r = LoadFile(v.bytes);
        EXPECT_EQ(r.data, nullptr) << v.name;
        EXPECT_LE(r.largest, std::size_t(64 * 1024)) << v.name << ": allocated beyond what the file holds";
        Loaded m = LoadMemory(v.bytes, false);
        EXPECT_EQ(m.data, nullptr) << v.name << " (from memory)";
    }
}

TEST(HostileWav, EveryCutOfAFileGivesNullOrTheWholeSound) {
    std::string pcm = Ramp(600);
    std::string head = Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 16, Le16(0))) + Chunk("LIST", "abcde"));
    std::string wav = Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 16, Le16(0))) + Chunk("LIST", "abcde") +
                       Chunk("data", pcm) + Chunk("cue ", Ramp(20)));
    std::size_t dataEnd = head.size() + 8 + pcm.size();
    for (std::size_t n = 0; n <= wav.size(); ++n) {
        Loaded r = LoadMemory(wav.substr(0, n), false);
        if (n < dataEnd) {
            EXPECT_EQ(r.data, nullptr) << "cut at " << n;
        } else {
            ASSERT_NE(r.data, nullptr) << "cut at " << n << " leaves the data chunk whole";
            EXPECT_EQ(r.Pcm(), pcm);
        }
    }
}

TEST(HostileWav, RandomDamageNeverReadsPastTheFile) {
    std::string wav = Riff(Chunk("fmt ", FmtBody(1, 2, 8000, 16, Le16(0))) + Chunk("LIST", Ramp(9)) +
                           Chunk("data", Ramp(256)));
    std::mt19937 rng(20240611);
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bad = wav;
        int flips = 1 + static_cast<int>(rng() % 4);
        for (int i = 0; i < flips; ++i) bad[rng() % bad.size()] = static_cast<char>(rng());
        Loaded r = LoadMemory(bad, false);
        if (!r.data) continue;
        ++loaded;
        ASSERT_GT(r.format.frames, 0);
        ASSERT_GE(r.format.channels, 1);
        ASSERT_LE(r.format.channels, kMaxWavChannels);
        ASSERT_GE(r.format.bytesPerSample, 1);
        ASSERT_LE(r.format.bytesPerSample, 4);
        ASSERT_LE(r.Bytes(), bad.size());
        volatile unsigned sum = 0;
        for (char c : r.Pcm()) sum = sum + static_cast<unsigned char>(c);  // every byte claimed is readable
    }
    EXPECT_GT(loaded, 0) << "damage that misses the header still loads";
}

// ---------------------------------------------------------------------------

class OggDecoding : public ::testing::TestWithParam<const char*> {};

TEST_P(OggDecoding, ChannelsRateAndLengthMatchTheStreamsOwnPages) {
    std::string bytes = SystemSound(GetParam());
    OggFacts facts = ReadOggFacts(bytes);
    ASSERT_TRUE(facts.valid);
    Loaded r = LoadFile(bytes, "sound.ogg");
    ASSERT_NE(r.data, nullptr);
    EXPECT_EQ(r.format.channels, facts.channels);
    EXPECT_EQ(r.format.rate, facts.rate);
    EXPECT_EQ(r.format.bytesPerSample, 2);
    EXPECT_EQ(r.format.frames, facts.lastGranule);
    EXPECT_FALSE(Silent(r));
}

INSTANTIATE_TEST_SUITE_P(SystemSounds, OggDecoding,
                         ::testing::Values("bell.oga", "phone-outgoing-calling.oga", "camera-shutter.oga",
                                           "audio-test-signal.oga", "service-login.oga"));

TEST(OggReading, TheExtensionMustBeOgg) {
    std::string bytes = SystemSound("bell.oga");
    EXPECT_EQ(LoadFile(bytes, "bell.oga").data, nullptr);
    EXPECT_NE(LoadFile(bytes, "bell.OGG").data, nullptr);
    EXPECT_EQ(LoadFile(bytes, "bell.wav").data, nullptr);
}

TEST(OggReading, OnlyMonoAndStereoAreAccepted) {
    std::string three = ReadFile(NUBRIX_SOURCE_DIR "/tests/devices/data/tone-3ch-11k.ogg");
    ASSERT_FALSE(three.empty());
    // The decoder itself reads the file fine: the refusal is the loader's.
    OggVorbis_File vf;
    ASSERT_EQ(ov_fopen(NUBRIX_SOURCE_DIR "/tests/devices/data/tone-3ch-11k.ogg", &vf), 0);
    EXPECT_EQ(ov_info(&vf, -1)->channels, 3);
    char pcm[4096];
    int link = 0;
    EXPECT_GT(ov_read(&vf, pcm, sizeof pcm, 0, 2, 1, &link), 0);
    ov_clear(&vf);
    EXPECT_EQ(LoadMemory(three, true).data, nullptr);

    // A header that claims no channels at all.
    std::string bytes = SystemSound("bell.oga");
    OggFacts facts = ReadOggFacts(bytes);
    std::size_t id = facts.pageOffsets[0] + 27 + static_cast<unsigned char>(bytes[facts.pageOffsets[0] + 26]);
    std::string none = bytes;
    none[id + 11] = 0;
    EXPECT_EQ(LoadMemory(FixOggCrcs(none), true).data, nullptr);
}

TEST(OggReading, TheCapRefusesStreamsTooLongToHold) {
    std::string bytes = SystemSound("alarm-clock-elapsed.oga");  // over 1 MB of PCM
    OggFacts facts = ReadOggFacts(bytes);
    std::size_t pcm = static_cast<std::size_t>(facts.lastGranule) * facts.channels * 2;
    EXPECT_EQ(LoadMemory(bytes, true, pcm - 4).data, nullptr);
    Loaded fits = LoadMemory(bytes, true, pcm);
    ASSERT_NE(fits.data, nullptr);
    EXPECT_EQ(fits.format.frames, facts.lastGranule);
    EXPECT_LE(fits.largest, pcm + 4096 * 4) << "the buffer never grows past the cap plus one frame's room";
}

// ---------------------------------------------------------------------------

TEST(HostileOgg, EveryCutGivesNullOrAShorterSound) {
    std::string bytes = SystemSound("bell.oga");
    OggFacts facts = ReadOggFacts(bytes);
    Loaded whole = LoadMemory(bytes, true);
    ASSERT_NE(whole.data, nullptr);
    int shorter = 0;
    for (std::size_t n = 0; n < bytes.size(); n += 37) {
        Loaded r = LoadMemory(bytes.substr(0, n), true);
        if (!r.data) continue;
        ++shorter;
        EXPECT_LE(r.format.frames, facts.lastGranule) << "cut at " << n;
        EXPECT_EQ(r.format.channels, facts.channels);
        // Up to its last block (which lacks the overlap of the next one), a
        // cut stream decodes like the whole one.
        std::size_t same = r.format.frames > 1024 ? (r.format.frames - 1024) * r.format.channels * 2 : 0;
        EXPECT_EQ(std::memcmp(r.data, whole.data, same), 0) << "cut at " << n;
    }
    EXPECT_GT(shorter, 0) << "cuts inside the audio pages still give the sound before the cut";
}

TEST(HostileOgg, DamagedStreamsNeverCrashOrGrowPastTheCap) {
    std::mt19937 rng(77);
    for (const char* name : {"bell.oga", "phone-outgoing-calling.oga"}) {
        std::string bytes = SystemSound(name);
        OggFacts facts = ReadOggFacts(bytes);
        ASSERT_TRUE(facts.valid);
        for (int round = 0; round < 400; ++round) {
            std::string bad = bytes;
            int flips = 1 + static_cast<int>(rng() % 8);
            for (int i = 0; i < flips; ++i) bad[rng() % bad.size()] = static_cast<char>(rng());
            // Half the rounds repair the page checksums, so the damage reaches
            // the decoder instead of failing the page.
            if (round % 2) bad = FixOggCrcs(bad);
            Loaded r = LoadMemory(bad, true, 4 << 20);
            if (!r.data) continue;
            ASSERT_GE(r.format.channels, 1) << name << " round " << round;
            ASSERT_LE(r.format.channels, 2);
            ASSERT_GT(r.format.frames, 0);
            ASSERT_LE(r.Bytes(), std::size_t(4) << 20);
        }
    }
}

TEST(HostileOgg, NotOggAtAll) {
    EXPECT_EQ(LoadMemory("", true).data, nullptr);
    EXPECT_EQ(LoadMemory("OggS", true).data, nullptr);
    EXPECT_EQ(LoadMemory(Wav(1, 8000, 8, Ramp(100)), true).data, nullptr);
    EXPECT_EQ(LoadMemory(Ramp(5000), true).data, nullptr);
}

}  // namespace
