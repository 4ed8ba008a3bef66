// sound_files.cpp - building and reading sound files for the device tests.

#include "tests/devices/sound_files.h"

#include <cmath>
#include <cstring>

namespace sound_files {

constexpr double kPi = 3.14159265358979323846;

namespace {

std::uint32_t Get32(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8 |
           static_cast<unsigned char>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

unsigned Get16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

std::uint32_t OggCrc(const std::string& page) {
    std::uint32_t crc = 0;
    for (unsigned char c : page) {
        crc ^= static_cast<std::uint32_t>(c) << 24;
        for (int i = 0; i < 8; ++i) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    return crc;
}

// Calls `page(offset, headerLength, bodyLength)` for every page; false when
// the bytes are not a sequence of whole pages.
template <class F>
bool WalkPages(const std::string& b, F page) {
    std::size_t at = 0;
    while (at < b.size()) {
        if (b.size() - at < 27 || b.compare(at, 4, "OggS") != 0) return false;
        std::size_t segments = static_cast<unsigned char>(b[at + 26]);
        if (b.size() - at < 27 + segments) return false;
        std::size_t body = 0;
        for (std::size_t i = 0; i < segments; ++i) body += static_cast<unsigned char>(b[at + 27 + i]);
        std::size_t header = 27 + segments;
        if (b.size() - at - header < body) return false;
        page(at, header, body);
        at += header + body;
    }
    return true;
}

}  // namespace

std::string Le16(unsigned v) {
    std::string s(2, '\0');
    s[0] = static_cast<char>(v & 0xff);
    s[1] = static_cast<char>(v >> 8 & 0xff);
    return s;
}

std::string Le32(std::uint32_t v) { return Le16(v & 0xffff) + Le16(v >> 16); }

std::string Chunk(const std::string& tag, const std::string& body, bool pad) {
    std::string s = tag + Le32(static_cast<std::uint32_t>(body.size())) + body;
    if (pad && body.size() % 2) s += '\0';
    return s;
}

std::string ChunkWithSize(const std::string& tag, std::uint32_t size, const std::string& body) {
    return tag + Le32(size) + body;
}

std::string FmtBody(unsigned formatTag, unsigned channels, std::uint32_t rate, unsigned bits,
                    const std::string& extra) {
    unsigned align = channels * (bits / 8);
    return Le16(formatTag) + Le16(channels) + Le32(rate) + Le32(rate * align) + Le16(align) + Le16(bits) + extra;
}

std::string Riff(const std::string& chunks) {
    return "RIFF" + Le32(static_cast<std::uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

std::string Wav(unsigned channels, std::uint32_t rate, unsigned bits, const std::string& data) {
    return Riff(Chunk("fmt ", FmtBody(1, channels, rate, bits)) + Chunk("data", data));
}

std::string Pcm16(const std::vector<std::int16_t>& samples) {
    std::string s;
    s.reserve(samples.size() * 2);
    for (std::int16_t v : samples) s += Le16(static_cast<std::uint16_t>(v));
    return s;
}

std::vector<std::int16_t> Tone(double hz, double seconds, int rate, double amplitude) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(seconds * rate + 0.5));
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<std::int16_t>(std::lround(amplitude * 32767 * std::sin(2 * kPi * hz * i / rate)));
    }
    return out;
}

OggFacts ReadOggFacts(const std::string& b) {
    OggFacts facts;
    bool first = true;
    bool whole = WalkPages(b, [&](std::size_t at, std::size_t header, std::size_t body) {
        facts.pageOffsets.push_back(at);
        std::int64_t granule = 0;
        for (int i = 7; i >= 0; --i) granule = granule << 8 | static_cast<unsigned char>(b[at + 6 + i]);
        if (granule != -1) facts.lastGranule = granule;
        if (first && body >= 30 && b.compare(at + header, 7, "\x01vorbis") == 0) {
            facts.channels = static_cast<unsigned char>(b[at + header + 11]);
            facts.rate = static_cast<int>(Get32(b, at + header + 12));
        }
        first = false;
    });
    facts.valid = whole && facts.channels > 0;
    return facts;
}

std::string FixOggCrcs(std::string b) {
    WalkPages(b, [&](std::size_t at, std::size_t header, std::size_t body) {
        std::string page = b.substr(at, header + body);
        page.replace(22, 4, std::string(4, '\0'));
        b.replace(at + 22, 4, Le32(OggCrc(page)));
    });
    return b;
}

Capture ReadCapture(const std::string& b) {
    Capture cap;
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return cap;
    unsigned format = 0, bits = 0;
    std::size_t at = 12;
    while (b.size() - at >= 8) {
        std::string tag = b.substr(at, 4);
        std::size_t size = Get32(b, at + 4);
        std::size_t body = at + 8;
        if (b.size() - body < size) size = b.size() - body;  // a writer that never closed
        if (tag == "fmt " && size >= 16) {
            format = Get16(b, body);
            cap.channels = static_cast<int>(Get16(b, body + 2));
            cap.rate = static_cast<int>(Get32(b, body + 4));
            bits = Get16(b, body + 14);
            if (format == 0xFFFE && size >= 26) format = Get16(b, body + 24);  // the sub-format GUID's first field
        } else if (tag == "data" && cap.channels > 0 && (bits == 16 || bits == 32)) {
            std::size_t frameBytes = cap.channels * bits / 8;
            std::size_t frames = size / frameBytes;
            cap.samples.assign(cap.channels, std::vector<float>(frames));
            for (std::size_t f = 0; f < frames; ++f) {
                for (int c = 0; c < cap.channels; ++c) {
                    std::size_t p = body + f * frameBytes + c * bits / 8;
                    float v;
                    if (bits == 16) {
                        v = static_cast<std::int16_t>(Get16(b, p)) / 32768.0f;
                    } else if (format == 3) {
                        std::uint32_t u = Get32(b, p);
                        std::memcpy(&v, &u, 4);
                    } else {
                        v = static_cast<std::int32_t>(Get32(b, p)) / 2147483648.0f;
                    }
                    cap.samples[c][f] = v;
                }
            }
            cap.valid = format == 1 || format == 3;
            return cap;
        }
        at = body + size + (size & 1);
    }
    return cap;
}

}  // namespace sound_files
