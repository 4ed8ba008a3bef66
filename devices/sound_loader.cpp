// sound_loader.cpp - WAV and Ogg Vorbis files decoded whole into PCM.
//
// WAV: "RIFF", size, "WAVE", then a "fmt " chunk of PCM (format tag 1),
// then chunks up to the first "data" chunk, whose bytes are the sound. Every
// size read from the file is checked against the bytes left in the stream
// before anything is skipped or allocated, so a damaged header can neither
// make the reader allocate more than the file holds nor walk past its end.
// RIFF pads odd-sized chunks with one byte, which is skipped.
//
// Ogg: libvorbisfile decodes one packet at a time into a buffer that grows
// by doubling and always keeps room for the largest packet (4096 sample
// frames). Only mono and stereo are accepted; the decoded length is capped,
// so a small file that claims hours of sound cannot exhaust memory. A
// damaged stream ends the sound where the damage starts.
//
// Why libvorbisfile and not stb_vorbis: on damaged set-up headers Debian's
// stb_vorbis 1.22 leaks, asks for negative-sized allocations and corrupts
// the heap (the fuzz target found the first within 30 inputs; see also
// CVE-2023-45675 to 45682). libvorbisfile is the reference decoder.
//
// Depends on: devices/sound_loader.h, platform/data.h, libvorbisfile, the C
// library.

#include "devices/sound_loader.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/data.h"

#include <vorbis/vorbisfile.h>

namespace {

// A forward-only view of a seekable stream that knows how many bytes are
// left, so no size from the file is trusted without a check.
class StreamReader {
public:
    explicit StreamReader(FILE* f) : f(f) {
        long start = std::ftell(f);
        if (start < 0 || std::fseek(f, 0, SEEK_END) != 0) return;
        long end = std::ftell(f);
        if (end < start || std::fseek(f, start, SEEK_SET) != 0) return;
        left = static_cast<std::uint64_t>(end - start);
        ok = true;
    }

    bool good() const { return ok; }
    std::uint64_t remaining() const { return left; }

    bool read(void* p, std::uint64_t n) {
        if (!ok || n > left) return false;
        if (n && std::fread(p, 1, static_cast<std::size_t>(n), f) != n) {
            ok = false;
            return false;
        }
        left -= n;
        return true;
    }

    bool skip(std::uint64_t n) {
        if (!ok || n > left) return false;
        if (n && std::fseek(f, static_cast<long>(n), SEEK_CUR) != 0) {
            ok = false;
            return false;
        }
        left -= n;
        return true;
    }

    bool u16(unsigned& v) {
        unsigned char b[2];
        if (!read(b, 2)) return false;
        v = b[0] | b[1] << 8;
        return true;
    }

    bool u32(std::uint32_t& v) {
        unsigned char b[4];
        if (!read(b, 4)) return false;
        v = b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
        return true;
    }

    bool tag(const char* expected) {
        char t[4];
        return read(t, 4) && std::memcmp(t, expected, 4) == 0;
    }

private:
    FILE* f;
    std::uint64_t left = 0;
    bool ok = false;
};

// A chunk of odd size is followed by one pad byte. A file that ends right
// after an odd chunk (a writer that forgot the pad) is accepted.
bool skipChunk(StreamReader& in, std::uint32_t size) {
    if (!in.skip(size)) return false;
    if ((size & 1) && in.remaining() > 0) return in.skip(1);
    return true;
}

std::size_t readStream(void* p, std::size_t size, std::size_t count, void* stream) {
    return std::fread(p, size, count, static_cast<FILE*>(stream));
}

}  // namespace

String soundExtension(const String& path) {
    int dot = path.FindLast(String("."));
    if (dot == -1) return String();
    for (int i = dot + 1; i < path.Length(); ++i) {
        if (path[i] == '/' || path[i] == '\\') return String();
    }
    return path.Slice(dot + 1).ToLower();
}

void* loadWavStream(FILE* f, SoundFormat& out, std::size_t maxBytes) {
    StreamReader in(f);
    if (!in.good()) return nullptr;

    std::uint32_t riffSize, fmtSize, rate, byteRate;
    unsigned formatTag, channels, blockAlign, bits;
    if (!in.tag("RIFF") || !in.u32(riffSize) || !in.tag("WAVE") || !in.tag("fmt ")) return nullptr;
    if (!in.u32(fmtSize) || fmtSize < 16) return nullptr;
    if (!in.u16(formatTag) || formatTag != 1) return nullptr;
    if (!in.u16(channels) || !in.u32(rate) || !in.u32(byteRate) || !in.u16(blockAlign) || !in.u16(bits)) {
        return nullptr;
    }
    if (!skipChunk(in, fmtSize - 16)) return nullptr;  // extension bytes, and the pad of an odd size

    // The frame arithmetic below divides by channels and bytes per sample;
    // a sample size that is no whole number of bytes would play as noise.
    if (channels < 1 || channels > kMaxWavChannels) return nullptr;
    if (bits < 8 || bits > 32 || bits % 8 != 0) return nullptr;
    if (rate < 1 || rate > INT_MAX) return nullptr;
    unsigned bytesPerSample = bits / 8;
    unsigned frameBytes = channels * bytesPerSample;

    for (;;) {
        char tag[4];
        std::uint32_t size;
        if (!in.read(tag, 4) || !in.u32(size)) return nullptr;  // the end, and no data
        if (std::memcmp(tag, "data", 4) != 0) {
            if (!skipChunk(in, size)) return nullptr;
            continue;
        }
        if (size > in.remaining() || size > maxBytes) return nullptr;
        std::uint32_t frames = size / frameBytes;
        if (frames == 0) return nullptr;
        void* data = std::malloc(size);
        if (!data) return nullptr;
        if (!in.read(data, size)) {
            std::free(data);
            return nullptr;
        }
        out.frames = static_cast<int>(frames);
        out.channels = static_cast<int>(channels);
        out.bytesPerSample = static_cast<int>(bytesPerSample);
        out.rate = static_cast<int>(rate);
        return data;
    }
}

void* loadOggStream(FILE* f, SoundFormat& out, std::size_t maxBytes) {
    // Read as a plain stream, never seeked: the decoder walks the pages in
    // order, which is all a whole-file decode needs.
    ov_callbacks io = {readStream, nullptr, nullptr, nullptr};
    OggVorbis_File vf;
    if (ov_open_callbacks(f, &vf, nullptr, 0, io) != 0) return nullptr;  // it cleans up after itself

    vorbis_info* info = ov_info(&vf, -1);
    if (!info || info->channels < 1 || info->channels > 2 || info->rate < 1 || info->rate > INT_MAX) {
        ov_clear(&vf);
        return nullptr;
    }
    const int channels = info->channels;
    const long rate = info->rate;

    // A packet decodes to at most half the largest block size (8192), and
    // ov_read never returns more than one packet's worth.
    const std::size_t kFrameRoom = 4096;
    const std::size_t frameBytes = static_cast<std::size_t>(channels) * 2;
    const std::size_t limit = maxBytes / frameBytes;  // most frames we accept

    std::size_t capacity = kFrameRoom, total = 0;
    char* data = static_cast<char*>(std::malloc(capacity * frameBytes));
    bool failed = data == nullptr;
    while (!failed) {
        if (capacity - total < kFrameRoom) {
            std::size_t grown = capacity * 2;
            if (grown > limit + kFrameRoom) grown = limit + kFrameRoom;
            if (grown - total < kFrameRoom) {
                failed = true;  // longer than we are willing to hold
                break;
            }
            char* bigger = static_cast<char*>(std::realloc(data, grown * frameBytes));
            if (!bigger) {
                failed = true;
                break;
            }
            data = bigger;
            capacity = grown;
        }
        int room = static_cast<int>((capacity - total) * frameBytes);
        int link = 0;
        long n = ov_read(&vf, data + total * frameBytes, room, 0, 2, 1, &link);
        if (n <= 0) break;  // the end, or damage: keep the sound up to here
        // A chained stream may change its layout; what follows the change is
        // not part of this sound.
        info = ov_info(&vf, -1);
        if (!info || info->channels != channels || info->rate != rate) break;
        total += static_cast<std::size_t>(n) / frameBytes;
    }
    ov_clear(&vf);

    if (failed || total == 0 || total > limit) {
        std::free(data);
        return nullptr;
    }
    out.frames = static_cast<int>(total);
    out.channels = channels;
    out.bytesPerSample = 2;
    out.rate = static_cast<int>(rate);
    return data;
}

void* loadSound(String path, int& frames, int& channels, int& bytesPerSample, int& rate) {
    String ext = soundExtension(path);
    bool wav = ext == String("wav"), ogg = ext == String("ogg");
    if (!wav && !ogg) return nullptr;

    FILE* f = fopenFile(path, String("rb"));
    if (!f) return nullptr;
    SoundFormat format;
    void* data = wav ? loadWavStream(f, format) : loadOggStream(f, format);
    std::fclose(f);
    if (!data) return nullptr;

    frames = format.frames;
    channels = format.channels;
    bytesPerSample = format.bytesPerSample;
    rate = format.rate;
    return data;
}

void unloadSound(void* data) { std::free(data); }
