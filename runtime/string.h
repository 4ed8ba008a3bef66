// string.h - immutable UTF-16 text with a shared, reference-counted body.
//
// A String is a value: copies share one body, which is freed when the last
// copy goes. Bodies are not collected objects. Units are 16-bit UTF-16 code
// units with no surrogate handling; `Char` stands for them (the platform's
// wchar_t is 32 bits wide here).
//
// The text file encoding lives here too: Save writes UTF-8 without a
// byte-order mark; Load reads UTF-8 or UTF-16 (byte-order mark detection) and
// falls back to one unit per byte, after printing "Invalid UTF-8!", when the
// bytes are not UTF-8.
//
// Depends on: runtime/array.h (Split, ToCString), the C library.

#ifndef NUBRIX_RUNTIME_STRING_H
#define NUBRIX_RUNTIME_STRING_H

#include <cstdio>
#include <vector>

typedef char16_t Char;

template <class T>
class Array;

class String {
public:
    // The shared body: a header and `length` units, allocated as one block of
    // 8 + 2 * length bytes.
    struct Rep {
        int refcount;
        int length;

        Char* data() { return reinterpret_cast<Char*>(this + 1); }
        const Char* data() const { return reinterpret_cast<const Char*>(this + 1); }

        void retain() { ++refcount; }
        // Frees the body when its last reference goes; the shared empty
        // body (length 0) is never freed.
        void release();

        static Rep* alloc(int length);  // alloc(0) is the shared empty body
        static Rep null;                // that shared empty body
    };

    String() : rep(&Rep::null) { rep->retain(); }
    String(const String& s) : rep(s.rep) { rep->retain(); }
    String(const Char* z);
    String(const Char* p, int n);
    String(const char* z);  // bytes widened as signed values: 0x80 becomes U+FF80
    String(const unsigned char* p, int n);
    String(int v);
    String(float v);
    ~String() { rep->release(); }

    String& operator=(const String& s) {
        s.rep->retain();
        rep->release();
        rep = s.rep;
        return *this;
    }

    int Length() const { return rep->length; }
    const Char* Data() const { return rep->data(); }
    int operator[](int i) const { return rep->data()[i]; }

    String operator+(const String& b) const;
    String& operator+=(const String& b) { return *this = *this + b; }
    bool operator==(const String& b) const;
    bool operator!=(const String& b) const { return !(*this == b); }

    int Find(const String& sub, int start = 0) const;
    int FindLast(const String& sub) const;
    bool StartsWith(const String& sub) const;
    String Slice(int from) const;
    String Slice(int from, int to) const;
    Array<String> Split(const String& sep) const;
    String Replace(const String& find, const String& repl) const;
    String ToLower() const;

    // A NUL-terminated copy in a new collected array: bytes (the low 8 bits
    // of each unit) or units. It lives until the collector's next step.
    template <class C>
    C* ToCString() const;

    static String Load(FILE* f);
    static String Load(const unsigned char* p, int n);
    // True when every byte was written (also for the empty string).
    bool Save(FILE* f) const;
    void Save(std::vector<unsigned char>& buf) const;

    // True when both values use the same body (operations that change
    // nothing return their operand's body instead of a copy).
    bool SharesBodyWith(const String& other) const { return rep == other.rep; }
    // Number of String values sharing this body (diagnostics and tests).
    int RefCount() const { return rep->refcount; }

private:
    explicit String(Rep* r) : rep(r) {}  // adopts a body with its one reference
    static Rep* widen(const char* z);
    Rep* rep;
};

// Literal constructors of generated code.
inline String T(const char* z) { return String(z); }
inline String T(const Char* z) { return String(z); }

#endif
