// gc.cpp - the incremental collector (see gc.h for the colours and lists).

#include "runtime/gc.h"

#include <cstdio>
#include <cstdlib>

#include "runtime/string.h"

int gc_markbit = 1;

// List heads: sentinels whose colour is never white. gc_init1 empties them
// again at start-up, before the first object exists.
gc_object gc_unmarked_list(3);
gc_object gc_queued_list(3);
gc_object gc_marked_list(3);
gc_object gc_free_list(3);

int gc_alloced_bytes = 0;
int gc_max_alloced_bytes = 0;
int gc_marked_bytes = 0;
int gc_marked_objs = 0;
int gc_free_bytes = 0;
bool gc_force_sweep = false;
gc_object* gc_cache[8] = {};

namespace {

// gc_malloc cannot write the header itself: `new T()` value-initialises, and
// for a class without a user-provided constructor that zeroes the whole
// object, header included, after allocation and before any constructor runs.
// So gc_malloc leaves each block's size here and gc_object's constructor,
// which runs after any zeroing, writes the header. In `new A(new B())` the
// block of A is allocated first but B is constructed first: a stack pairs
// them up.
struct Pending {
    void* block;
    int size;
};
Pending gc_pending[64];
int gc_pending_count = 0;

inline int gc_size(const gc_object* p) { return p->flags & ~7; }

inline void gc_list_init(gc_object* head) { head->succ = head->pred = head; }

inline bool gc_list_empty(const gc_object* head) { return head->succ == head; }

inline void gc_remove(gc_object* p) {
    p->pred->succ = p->succ;
    p->succ->pred = p->pred;
}

inline void gc_append(gc_object* head, gc_object* p) {
    p->succ = head;
    p->pred = head->pred;
    head->pred->succ = p;
    head->pred = p;
}

// Moves the whole of `from` to the tail of `to`; `from` becomes empty.
inline void gc_append_list(gc_object* to, gc_object* from) {
    if (gc_list_empty(from)) return;
    from->succ->pred = to->pred;
    to->pred->succ = from->succ;
    from->pred->succ = to;
    to->pred = from->pred;
    gc_list_init(from);
}

// `to` takes over the contents of `from`, which becomes empty.
inline void gc_move_list(gc_object* to, gc_object* from) {
    gc_list_init(to);
    gc_append_list(to, from);
}

// Blackens the first grey object and scans it.
inline void gc_scan_one() {
    gc_object* p = gc_queued_list.succ;
    gc_remove(p);
    gc_append(&gc_marked_list, p);
    gc_marked_bytes += gc_size(p);
    ++gc_marked_objs;
    p->mark();
}

void gc_sweep() {
    int garbage = gc_alloced_bytes - gc_marked_bytes;
    gc_append_list(&gc_free_list, &gc_unmarked_list);
    gc_move_list(&gc_unmarked_list, &gc_marked_list);
    gc_alloced_bytes = gc_marked_bytes;
    gc_free_bytes += garbage;
    gc_marked_bytes = 0;
    gc_marked_objs = 0;
    gc_markbit ^= 1;
    gc_mark();
}

#ifdef NUBRIX_GC_STRESS
// Stress mode: every step finishes the cycle, sweeps, destroys all garbage
// and then marks the next cycle to completion before the program runs again.
// Everything live is black while a handler runs, so a store that skips the
// barrier leaves its target white, and the next step frees it: the program's
// next use of it is a use after free that AddressSanitizer reports. An
// object the handler dropped was black, so it outlives one sweep and is
// destroyed at the next step.
void gc_collect_stress() {
    while (!gc_list_empty(&gc_queued_list)) gc_scan_one();
    gc_sweep();
    gc_flush_free(gc_free_bytes);
    gc_force_sweep = false;
    while (!gc_list_empty(&gc_queued_list)) gc_scan_one();
}
#endif

}  // namespace

gc_object::gc_object() {
    if (gc_pending_count == 0 || gc_pending[gc_pending_count - 1].block != this) {
        std::fputs("gc_object constructed outside gc_malloc\n", stderr);
        std::abort();
    }
    flags = gc_pending[--gc_pending_count].size | gc_markbit;
    gc_append(&gc_unmarked_list, this);
}

gc_object::~gc_object() {}

void gc_object::mark() {}

void* gc_object::operator new(std::size_t size) { return gc_malloc(static_cast<int>(size)); }

// Objects die only in gc_flush_free, which runs the destructors and returns
// the block itself; a `delete` written anywhere else is a fault.
void gc_object::operator delete(void*) {
    std::fputs("a collected object was deleted by hand\n", stderr);
    std::abort();
}

bool Object::Equals(Object* other) { return other == this; }

int Object::Compare(Object* other) {
    return static_cast<int>(reinterpret_cast<char*>(this) - reinterpret_cast<char*>(other));
}

String Object::debug() { return String("+Object\n"); }

void* gc_malloc(int size) {
    size = (size + 7) & ~7;
    gc_flush_free(size);

    gc_object* p = nullptr;
#ifndef NUBRIX_GC_STRESS  // blocks go straight back to malloc so ASan sees every use after free
    if (size <= GC_CACHE_MAX && gc_cache[size >> 3]) {
        p = gc_cache[size >> 3];
        gc_cache[size >> 3] = p->succ;
    }
#endif
    if (!p) p = static_cast<gc_object*>(std::malloc(size));

    if (gc_pending_count == sizeof gc_pending / sizeof gc_pending[0]) {
        std::fputs("gc_malloc: allocations nested too deeply\n", stderr);
        std::abort();
    }
    gc_pending[gc_pending_count++] = Pending{p, size};

    gc_alloced_bytes += size;
    if (gc_alloced_bytes > gc_max_alloced_bytes) gc_max_alloced_bytes = gc_alloced_bytes;
    return p;
}

void gc_free(gc_object* p, int size) {
    gc_free_bytes -= size;
#ifndef NUBRIX_GC_STRESS
    if (size <= GC_CACHE_MAX) {
        p->succ = gc_cache[size >> 3];
        gc_cache[size >> 3] = p;
        return;
    }
#endif
    std::free(p);
}

void gc_flush_free(int bytes) {
    int target = gc_free_bytes - bytes;
    if (target < 0) target = 0;
    while (gc_free_bytes > target) {
        if (gc_list_empty(&gc_free_list)) {
            std::printf("ERROR:p=%p gc_free_bytes=%i\n", static_cast<void*>(&gc_free_list), gc_free_bytes);
            std::fflush(stdout);
            gc_free_bytes = 0;
            return;
        }
        gc_object* p = gc_free_list.succ;
        gc_remove(p);
        // The size is read before the destructors end the header's life. It
        // travels on the stack: a destructor that allocates may destroy other
        // garbage in between, so nothing global could hold it.
        int size = gc_size(p);
        p->~gc_object();
        gc_free(p, size);
    }
}

void gc_mark_queued(gc_object* p) {
    p->flags ^= 1;
    gc_remove(p);
    gc_append(&gc_queued_list, p);
}

void gc_mark_black(gc_object* p) {
    p->flags ^= 1;
    gc_remove(p);
    gc_append(&gc_marked_list, p);
    gc_marked_bytes += gc_size(p);
    ++gc_marked_objs;
    p->mark();
}

void gc_collect() {
#ifdef NUBRIX_GC_STRESS
    gc_collect_stress();
#else
    static int last_alloced = 0;  // gc_alloced_bytes right after the previous sweep

    int fresh = gc_alloced_bytes - last_alloced;
    bool full = gc_force_sweep || fresh > GC_FULL_THRESHOLD;
    int limit = gc_marked_objs + GC_MARK_STEP_OBJECTS;

    while (!gc_list_empty(&gc_queued_list) && (full || gc_marked_objs < limit)) gc_scan_one();

    // A finished marking is swept whether or not anything is still white: the
    // objects dropped during this cycle were black when they were dropped, and
    // only the flip of the mark bit lets the next cycle find them.
    if (gc_list_empty(&gc_queued_list) && (full || fresh > GC_SWEEP_THRESHOLD)) {
        gc_sweep();
        last_alloced = gc_alloced_bytes;
    }

    if (gc_force_sweep) {
        gc_flush_free(gc_free_bytes);
        gc_force_sweep = false;
    }
#endif
}

bool gc_is_live(const void* p) {
    if (!p) return false;
    for (gc_object* head : {&gc_unmarked_list, &gc_queued_list, &gc_marked_list}) {
        for (gc_object* o = head->succ; o != head; o = o->succ) {
            if (o == p) return true;
        }
    }
    return false;
}

void gc_init1() {
    gc_list_init(&gc_unmarked_list);
    gc_list_init(&gc_queued_list);
    gc_list_init(&gc_marked_list);
    gc_list_init(&gc_free_list);
}

namespace {
// One root set per module that has root globals; there are four.
const int kMaxRootSets = 8;
void (*gc_root_sets[kMaxRootSets])();
int gc_root_set_count = 0;
}  // namespace

void gc_add_roots(void (*enqueueRoots)()) {
    if (gc_root_set_count == kMaxRootSets) std::abort();
    gc_root_sets[gc_root_set_count++] = enqueueRoots;
}

void gc_mark() {
    for (int i = 0; i < gc_root_set_count; ++i) gc_root_sets[i]();
}

void gc_init2() { gc_mark(); }
