// string.cpp - String operations and the text file encoding.

#include "runtime/string.h"

#include <cstdlib>
#include <cstring>

#include "runtime/array.h"

String::Rep String::Rep::null = {1, 0};

void String::Rep::release() {
    if (--refcount == 0 && length != 0) std::free(this);
}

String::Rep* String::Rep::alloc(int length) {
    if (length <= 0) {
        null.retain();
        return &null;
    }
    Rep* rep = static_cast<Rep*>(std::malloc(sizeof(Rep) + sizeof(Char) * static_cast<unsigned>(length)));
    rep->refcount = 1;
    rep->length = length;
    return rep;
}

namespace {

int unitCount(const Char* z) {
    int n = 0;
    while (z[n]) ++n;
    return n;
}

bool unitsMatch(const Char* a, const Char* b, int n) {
    return std::memcmp(a, b, sizeof(Char) * n) == 0;
}

}  // namespace

String::String(const Char* z) : String(z, unitCount(z)) {}

String::String(const Char* p, int n) : rep(Rep::alloc(n)) {
    if (n > 0) std::memcpy(rep->data(), p, sizeof(Char) * n);
}

String::Rep* String::widen(const char* z) {
    Rep* r = Rep::alloc(static_cast<int>(std::strlen(z)));
    Char* d = r->data();
    for (int i = 0; i < r->length; ++i) d[i] = static_cast<Char>(static_cast<signed char>(z[i]));
    return r;
}

String::String(const char* z) : rep(widen(z)) {}

String::String(const unsigned char* p, int n) : rep(Rep::alloc(n)) {
    Char* d = rep->data();
    for (int i = 0; i < n; ++i) d[i] = p[i];
}

String::String(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%i", v);
    rep = widen(buf);
}

String::String(float v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17lg", static_cast<double>(v));
    bool hasPointOrExponent = false;
    for (const char* c = buf; *c; ++c) {
        if (*c == '.' || *c == 'e') {
            hasPointOrExponent = true;
            break;
        }
    }
    if (!hasPointOrExponent) std::strcat(buf, ".0");
    rep = widen(buf);
}

String String::operator+(const String& b) const {
    if (rep->length == 0) return b;
    if (b.rep->length == 0) return *this;
    Rep* r = Rep::alloc(rep->length + b.rep->length);
    std::memcpy(r->data(), rep->data(), sizeof(Char) * rep->length);
    std::memcpy(r->data() + rep->length, b.rep->data(), sizeof(Char) * b.rep->length);
    return String(r);
}

bool String::operator==(const String& b) const {
    if (rep == b.rep) return true;
    return rep->length == b.rep->length && unitsMatch(rep->data(), b.rep->data(), rep->length);
}

int String::Find(const String& sub, int start) const {
    if (start < 0) start = 0;
    int last = rep->length - sub.rep->length;
    for (int i = start; i <= last; ++i) {
        if (unitsMatch(rep->data() + i, sub.rep->data(), sub.rep->length)) return i;
    }
    return -1;
}

int String::FindLast(const String& sub) const {
    for (int i = rep->length - sub.rep->length; i >= 0; --i) {
        if (unitsMatch(rep->data() + i, sub.rep->data(), sub.rep->length)) return i;
    }
    return -1;
}

bool String::StartsWith(const String& sub) const {
    return sub.rep->length <= rep->length && unitsMatch(rep->data(), sub.rep->data(), sub.rep->length);
}

String String::Slice(int from) const { return Slice(from, rep->length); }

String String::Slice(int from, int to) const {
    int len = rep->length;
    if (from < 0) {
        from += len;
        if (from < 0) from = 0;
    } else if (from > len) {
        from = len;
    }
    if (to < 0) {
        to += len;
    } else if (to > len) {
        to = len;
    }
    if (to < from) return String();
    if (from == 0 && to == len) return *this;
    return String(rep->data() + from, to - from);
}

Array<String> String::Split(const String& sep) const {
    int len = rep->length;
    int seplen = sep.rep->length;

    if (seplen == 0) {
        Array<String> parts(len);
        for (int i = 0; i < len; ++i) parts[i] = String(rep->data() + i, 1);
        return parts;
    }

    int count = 0;
    for (int i = Find(sep, 0); i != -1; i = Find(sep, i + seplen)) ++count;

    Array<String> parts(count + 1);
    if (count == 0) {
        parts[0] = *this;
        return parts;
    }
    int pieceStart = 0;
    int k = 0;
    for (int i = Find(sep, 0); i != -1; i = Find(sep, i + seplen)) {
        parts[k++] = Slice(pieceStart, i);
        pieceStart = i + seplen;
    }
    parts[k] = Slice(pieceStart);
    return parts;
}

String String::Replace(const String& find, const String& repl) const {
    int flen = find.rep->length;
    if (flen == 0) return *this;  // never asked for; nothing sensible to replace

    int count = 0;
    for (int i = Find(find, 0); i != -1; i = Find(find, i + flen)) ++count;
    if (count == 0) return *this;

    int rlen = repl.rep->length;
    Rep* r = Rep::alloc(rep->length + count * (rlen - flen));
    Char* out = r->data();
    int copied = 0;
    for (int i = Find(find, 0); i != -1; i = Find(find, i + flen)) {
        std::memcpy(out, rep->data() + copied, sizeof(Char) * (i - copied));
        out += i - copied;
        std::memcpy(out, repl.rep->data(), sizeof(Char) * rlen);
        out += rlen;
        copied = i + flen;
    }
    std::memcpy(out, rep->data() + copied, sizeof(Char) * (rep->length - copied));
    return String(r);
}

String String::ToLower() const {
    for (int i = 0; i < rep->length; ++i) {
        Char c = rep->data()[i];
        if (c >= 'A' && c <= 'Z') {
            Rep* r = Rep::alloc(rep->length);
            std::memcpy(r->data(), rep->data(), sizeof(Char) * rep->length);
            for (int j = i; j < rep->length; ++j) {
                Char d = r->data()[j];
                if (d >= 'A' && d <= 'Z') r->data()[j] = static_cast<Char>(d + ('a' - 'A'));
            }
            return String(r);
        }
    }
    return *this;
}

template <>
char* String::ToCString<char>() const {
    Array<char> bytes(rep->length + 1);
    for (int i = 0; i < rep->length; ++i) bytes[i] = static_cast<char>(rep->data()[i]);
    bytes[rep->length] = 0;
    return bytes.Data();
}

template <>
Char* String::ToCString<Char>() const {
    Array<Char> units(rep->length + 1);
    std::memcpy(units.Data(), rep->data(), sizeof(Char) * rep->length);
    units[rep->length] = 0;
    return units.Data();
}

// ---------------------------------------------------------------------------
// Text files
// ---------------------------------------------------------------------------

String String::Load(FILE* f) {
    std::vector<unsigned char> bytes;
    unsigned char block[4096];
    for (;;) {
        size_t n = std::fread(block, 1, sizeof block, f);
        bytes.insert(bytes.end(), block, block + n);
        if (n < sizeof block) break;
    }
    if (bytes.empty()) return String();
    return Load(bytes.data(), static_cast<int>(bytes.size()));
}

namespace {

String decodeUtf16(const unsigned char* p, int n, bool bigEndian) {
    std::vector<Char> units;
    units.reserve(n / 2);
    for (int i = 0; i + 1 < n; i += 2) {
        units.push_back(bigEndian ? static_cast<Char>(p[i] << 8 | p[i + 1])
                                  : static_cast<Char>(p[i + 1] << 8 | p[i]));
    }
    return String(units.data(), static_cast<int>(units.size()));
}

inline bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

String String::Load(const unsigned char* p, int n) {
    if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) return decodeUtf16(p + 2, n - 2, true);
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) return decodeUtf16(p + 2, n - 2, false);
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
        p += 3;
        n -= 3;
    }

    std::vector<Char> units;
    units.reserve(n);
    for (int i = 0; i < n;) {
        unsigned char b = p[i];
        if (b < 0x80) {
            units.push_back(b);
            i += 1;
        } else if ((b & 0xE0) == 0xC0 && i + 1 < n && isContinuation(p[i + 1])) {
            units.push_back(static_cast<Char>((b & 0x1F) << 6 | (p[i + 1] & 0x3F)));
            i += 2;
        } else if ((b & 0xF0) == 0xE0 && i + 2 < n && isContinuation(p[i + 1]) && isContinuation(p[i + 2])) {
            units.push_back(static_cast<Char>(b << 12 | (p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F)));
            i += 3;
        } else {
            std::puts("Invalid UTF-8!");
            std::fflush(stdout);
            return String(p, n);
        }
    }
    return String(units.data(), static_cast<int>(units.size()));
}

void String::Save(std::vector<unsigned char>& buf) const {
    for (int i = 0; i < rep->length; ++i) {
        unsigned u = rep->data()[i];
        if (u < 0x80) {
            buf.push_back(static_cast<unsigned char>(u));
        } else if (u < 0x800) {
            buf.push_back(static_cast<unsigned char>(0xC0 | u >> 6));
            buf.push_back(static_cast<unsigned char>(0x80 | (u & 0x3F)));
        } else {
            buf.push_back(static_cast<unsigned char>(0xE0 | u >> 12));
            buf.push_back(static_cast<unsigned char>(0x80 | (u >> 6 & 0x3F)));
            buf.push_back(static_cast<unsigned char>(0x80 | (u & 0x3F)));
        }
    }
}

bool String::Save(FILE* f) const {
    std::vector<unsigned char> buf;
    Save(buf);
    if (buf.empty()) return true;
    return std::fwrite(buf.data(), 1, buf.size(), f) == buf.size();
}

// ---------------------------------------------------------------------------
// String elements of arrays
// ---------------------------------------------------------------------------

String* t_create(int n, String* p) {
    for (int i = 0; i < n; ++i) new (p + i) String();
    return p + n;
}

String* t_create(int n, String* p, const String* src) {
    for (int i = 0; i < n; ++i) new (p + i) String(src[i]);
    return p + n;
}

void t_destroy(int n, String* p) {
    for (int i = 0; i < n; ++i) p[i].~String();
}
