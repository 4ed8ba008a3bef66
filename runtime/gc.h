// gc.h - collected objects and the incremental collector.
//
// Every object of the game, the framework and the platform devices is a
// gc_object: allocated by gc_malloc (through operator new), linked into one
// of the collector's lists and destroyed only by the collector, once nothing
// reachable from the root globals refers to it.
//
// The collector is an incremental, non-moving tri-colour mark and sweep with a
// write barrier. It never scans the C++ stack: it runs only between the
// program's event handlers (the host calls gc_collect after each one), so an
// object held in a local variable of a running handler is never in danger.
//
// Depends on: nothing but the C library.

#ifndef NUBRIX_RUNTIME_GC_H
#define NUBRIX_RUNTIME_GC_H

#include <cstddef>

class String;

// The collector header. Objects are created with `new`, which allocates with
// gc_malloc and then runs the constructor; gc_object's constructor writes the
// header and links the object in. Objects are never deleted by hand.
struct gc_object {
    gc_object* succ;  // next object in the list that holds this one
    gc_object* pred;  // previous object in that list
    int flags;        // allocation size (a multiple of 8) | colour in bits 0-1

    gc_object();  // writes the header of a block gc_malloc just returned
    // For objects the collector never allocates: list heads and the shared
    // empty array bodies. `colour` 3 never counts as white.
    explicit gc_object(int colour) : succ(this), pred(this), flags(colour) {}

    gc_object(const gc_object&) = delete;
    gc_object& operator=(const gc_object&) = delete;

    virtual ~gc_object();
    // Enqueues (gc_enqueue) every object this one refers to.
    virtual void mark();

    static void* operator new(std::size_t size);
    // Only the collector destroys objects (gc_flush_free runs the destructor
    // and returns the block itself); deleting one by hand aborts.
    static void operator delete(void* p);
};

// Root of every object of the game language and the framework.
class Object : public gc_object {
public:
    virtual bool Equals(Object* other);
    virtual int Compare(Object* other);
    virtual String debug();
};

// Base of the platform classes (devices, surfaces, samples, the host).
class gxtkObject : public Object {};

// ---------------------------------------------------------------------------
// Colours and lists.
//
// An object is white (not yet reached in this cycle) when its colour bits
// equal gc_markbit; marking toggles bit 0, and a sweep toggles gc_markbit, so
// every survivor turns white again without being visited. Colour 3 never
// equals gc_markbit (0 or 1): such an object is never marked, moved or freed.
//
//   gc_unmarked_list  white: new objects, and every survivor after a sweep
//   gc_queued_list    grey: reached, its references not yet scanned
//   gc_marked_list    black: reached and scanned in this cycle
//   gc_free_list      garbage found by a sweep, waiting to be destroyed
//
// The invariant: no black object refers to a white one. Marking keeps it by
// scanning an object as it turns black; the program keeps it by storing every
// object reference into a field or global through gc_assign, which greys the
// stored object. A reference stored behind the barrier's back into a black
// object leaves a white object that the next sweep frees.
// ---------------------------------------------------------------------------

extern int gc_markbit;
extern gc_object gc_unmarked_list;
extern gc_object gc_queued_list;
extern gc_object gc_marked_list;
extern gc_object gc_free_list;

extern int gc_alloced_bytes;      // bytes of all objects not yet found to be garbage
extern int gc_max_alloced_bytes;  // highest value gc_alloced_bytes has reached
extern int gc_marked_bytes;       // bytes blackened in the current cycle
extern int gc_marked_objs;        // objects blackened in the current cycle
extern int gc_free_bytes;         // bytes waiting on gc_free_list
extern bool gc_force_sweep;       // the next step completes the cycle and destroys all garbage
extern gc_object* gc_cache[8];    // recycled blocks of 8..56 bytes, by size / 8

// Marking work per step: enough to keep up with a game's allocation rate,
// small enough that an update or render never notices it (about 0.1 ms).
const int GC_MARK_STEP_OBJECTS = 2500;
// Bytes allocated since the last sweep before a finished marking is swept.
// Below this the garbage is not worth the sweep's pause.
const int GC_SWEEP_THRESHOLD = 4 * 1024 * 1024;
// Bytes allocated since the last sweep after which a step stops being
// incremental: allocation is outrunning marking, so finish the cycle at once.
const int GC_FULL_THRESHOLD = 64 * 1024 * 1024;
// Largest block recycled through gc_cache; bigger blocks go back to malloc.
const int GC_CACHE_MAX = 56;

void* gc_malloc(int size);
// Returns the block of a destroyed object of `size` bytes (its header's size,
// read before the destructors ran).
void gc_free(gc_object* p, int size);
void gc_flush_free(int bytes);
void gc_collect();
void gc_init1();
void gc_init2();

void gc_mark_queued(gc_object* p);  // the slow half of gc_enqueue
void gc_mark_black(gc_object* p);   // the slow half of gc_mark

inline bool gc_is_white(const gc_object* p) { return (p->flags & 3) == gc_markbit; }

// Grey `p` if it is white.
inline void gc_enqueue(gc_object* p) {
    if (p && gc_is_white(p)) gc_mark_queued(p);
}

// Blacken `p` if it is white and scan it at once.
inline void gc_mark(gc_object* p) {
    if (p && gc_is_white(p)) gc_mark_black(p);
}

template <class T>
inline void gc_mark_array(int n, T** p) {
    for (int i = 0; i < n; ++i) gc_mark(p[i]);
}

// The write barrier: every store of an object reference into a field, a
// global or an array element goes through here.
template <class T, class U>
inline U* gc_assign(T*& field, U* value) {
    gc_enqueue(value);
    field = value;
    return value;
}

// Enqueues the root globals. They belong to the modules above the runtime
// (graphics, input, audio, the application adapter), whose types the
// runtime does not know: each module hands in the function that enqueues
// its own, from a static initialiser, so before main runs. A program
// without those modules has no roots.
void gc_mark();
void gc_add_roots(void (*enqueueRoots)());

// True when `p` is an object the collector holds alive or queued (not on the
// free list). Walks every list: for diagnostics only.
bool gc_is_live(const void* p);

#endif
