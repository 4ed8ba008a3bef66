// array.h - fixed-length arrays whose bodies are collected objects.
//
// An Array<T> is a handle: copies share one body, which lives until the
// collector finds it unreachable. Zero-length arrays share static bodies of
// colour 3, which the collector never marks, moves or frees.
//
// Storing an array into a field or global goes through gc_assign, like any
// other object reference; a class's mark() enqueues its array fields. For
// arrays of object pointers, storing into an element goes through gc_assign
// too: `gc_assign(images[i], image)`.
//
// Depends on: runtime/gc.h, runtime/string.h.

#ifndef NUBRIX_RUNTIME_ARRAY_H
#define NUBRIX_RUNTIME_ARRAY_H

#include <cstring>
#include <new>
#include <type_traits>

#include "runtime/gc.h"
#include "runtime/string.h"

// Element storage helpers for String arrays.
String* t_create(int n, String* p);
String* t_create(int n, String* p, const String* src);
void t_destroy(int n, String* p);

template <class E>
class Array {
public:
    // The body: the collector header, the length, then the elements.
    struct Rep : public gc_object {
        int length;

        E* data() { return reinterpret_cast<E*>(this + 1); }

        // A body of n elements, zeroed (Strings empty). alloc(0) is the
        // shared empty body.
        static Rep* alloc(int n) {
            if (n <= 0) return null();
            void* mem = gc_malloc(static_cast<int>(sizeof(Rep) + sizeof(E) * static_cast<unsigned>(n)));
            Rep* rep = ::new (mem) Rep(n);
            if constexpr (std::is_same_v<E, String>) {
                t_create(n, rep->data());
            } else {
                std::memset(static_cast<void*>(rep->data()), 0, sizeof(E) * n);
            }
            return rep;
        }

        // The body Rep::alloc(0) returns.
        static Rep* null() {
            static Rep empty(0, 3);
            return &empty;
        }
        // The body a default-constructed Array uses.
        static Rep* handleNull() {
            static Rep empty(0, 3);
            return &empty;
        }

        ~Rep() override {
            if constexpr (std::is_same_v<E, String>) t_destroy(length, data());
        }

        void mark() override {
            if constexpr (std::is_pointer_v<E>) gc_mark_array(length, data());
        }

    private:
        explicit Rep(int n) : length(n) {}
        Rep(int n, int colour) : gc_object(colour), length(n) {}
    };

    Array() : rep(Rep::handleNull()) {}
    explicit Array(int length) : rep(Rep::alloc(length)) {}
    // A new array holding copies of n elements.
    Array(const E* src, int n) : rep(Rep::alloc(n)) {
        for (int i = 0; i < n; ++i) rep->data()[i] = src[i];
    }

    int Length() const { return rep->length; }
    E& operator[](int i) const { return rep->data()[i]; }
    E* Data() const { return rep->data(); }
    Rep* Body() const { return rep; }

    bool operator==(const Array& other) const { return rep == other.rep; }
    bool operator!=(const Array& other) const { return rep != other.rep; }

private:
    Rep* rep;
};

// The write barrier and marking for array fields: the body is the object.
template <class E>
inline void gc_assign(Array<E>& field, const Array<E>& value) {
    gc_enqueue(value.Body());
    field = value;
}

template <class E>
inline void gc_enqueue(const Array<E>& a) {
    gc_enqueue(a.Body());
}

#endif
