// The collector: steps, sweeps, the write barrier, lazy destruction, the
// shared empty arrays and the block cache.
//
// The runtime has no framework globals here, so each test keeps its own
// "root": an object it greys with gc_enqueue before every step, as the real
// root globals are greyed at the start of every cycle.

#include <gtest/gtest.h>

#include <vector>

#include "runtime/array.h"
#include "runtime/gc.h"
#include "tests/support/testing.h"

namespace {

#ifdef NUBRIX_GC_STRESS
const bool kStress = true;
#else
const bool kStress = false;
#endif

int destroyed = 0;

class Node : public Object {
public:
    Node* next = nullptr;
    Array<Node*> children;
    Array<String> names;
    Array<char> bytes;
    int id;

    explicit Node(int id = 0) : id(id) {}
    ~Node() override { ++destroyed; }
    void mark() override {
        gc_enqueue(next);
        gc_enqueue(children);
        gc_enqueue(names);
        gc_enqueue(bytes);
    }
};

// Completes the current cycle, sweeps and destroys every garbage object,
// with `root` (if any) kept alive.
void FullCollect(Node* root = nullptr) {
    gc_enqueue(root);
    gc_force_sweep = true;
    gc_collect();
}

class CollectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Start from a quiet heap: everything earlier tests left is garbage.
        FullCollect();
        FullCollect();
        destroyed = 0;
    }
};

int ListLength(const gc_object& head) {
    int n = 0;
    for (gc_object* p = head.succ; p != &head; p = p->succ) ++n;
    return n;
}

TEST_F(CollectorTest, AStepWithNothingToDoChangesNothing) {
    if (kStress) GTEST_SKIP() << "every step is a full collection in stress mode";
    Node* root = new Node(1);
    FullCollect(root);  // root survives, the cycle restarts
    gc_enqueue(root);
    gc_collect();       // root is black now; nothing queued

    int alloced = gc_alloced_bytes, markedBytes = gc_marked_bytes, markedObjs = gc_marked_objs;
    int freeBytes = gc_free_bytes, markbit = gc_markbit;
    int unmarked = ListLength(gc_unmarked_list), marked = ListLength(gc_marked_list);

    gc_collect();

    EXPECT_EQ(gc_alloced_bytes, alloced);
    EXPECT_EQ(gc_marked_bytes, markedBytes);
    EXPECT_EQ(gc_marked_objs, markedObjs);
    EXPECT_EQ(gc_free_bytes, freeBytes);
    EXPECT_EQ(gc_markbit, markbit);
    EXPECT_EQ(ListLength(gc_unmarked_list), unmarked);
    EXPECT_EQ(ListLength(gc_marked_list), marked);
    EXPECT_EQ(ListLength(gc_queued_list), 0);
    EXPECT_EQ(destroyed, 0);
}

TEST_F(CollectorTest, AForcedStepDestroysAllGarbageAndClearsTheSwitch) {
    Node* root = new Node(1);
    gc_assign(root->next, new Node(2));
    for (int i = 0; i < 100; ++i) new Node(100 + i);  // garbage

    FullCollect(root);

    EXPECT_FALSE(gc_force_sweep);
    EXPECT_EQ(destroyed, 100);
    EXPECT_EQ(gc_free_bytes, 0);
    EXPECT_EQ(ListLength(gc_free_list), 0);
    EXPECT_EQ(root->next->id, 2);
}

TEST_F(CollectorTest, ALocalOnlyObjectDiesWhileAStoredOneSurvives) {
    Node* root = new Node(1);
    FullCollect(root);
    gc_enqueue(root);
    gc_collect();  // root is black: from here on only the barrier can save what it gains

    Node* stored = new Node(2);
    Node* local = new Node(3);
    gc_assign(root->next, stored);
    (void)local;

    FullCollect(root);
    EXPECT_EQ(destroyed, 1) << "only the object held in a local is garbage";
    EXPECT_EQ(root->next, stored);
    EXPECT_EQ(stored->id, 2);
}

// The game stores every object it creates, so no object is ever left white
// by a cycle: the sweep must still come, or nothing dropped later is found.
TEST_F(CollectorTest, AnObjectDroppedFromALiveFieldIsDestroyedOnceTheCycleEnds) {
    for (bool forced : {true, false}) {
        SCOPED_TRACE(forced ? "forced steps" : "incremental steps");
        FullCollect();
        FullCollect();  // what the last round left is gone
        destroyed = 0;
        Node* root = new Node(1);
        gc_assign(root->next, new Node(2));  // nothing is left white
        FullCollect(root);
        ASSERT_EQ(destroyed, 0);

        root->next = nullptr;  // dropped (storing null needs no barrier)
        if (forced) {
            FullCollect(root);
        } else {
            // More than the sweep threshold, and stored too: still nothing white.
            gc_assign(root->bytes, Array<char>(GC_SWEEP_THRESHOLD + 1024));
            gc_enqueue(root);
            gc_collect();
            if (!kStress) {
                EXPECT_GT(gc_free_bytes, 0) << "the finished cycle was swept";
            }
            new Node(3);  // allocation destroys at least its own size of garbage
        }
        EXPECT_EQ(destroyed, 1);
        root->bytes = Array<char>();
    }
}

TEST_F(CollectorTest, MoreThan64MiBSinceTheLastSweepMakesAStepFull) {
    if (kStress) GTEST_SKIP() << "every step is a full collection in stress mode";
    Node* root = new Node(0);
    Node* tail = root;
    for (int i = 1; i <= 2 * GC_MARK_STEP_OBJECTS; ++i) {
        gc_assign(tail->next, new Node(i));
        tail = tail->next;
    }
    FullCollect(root);
    gc_assign(root->bytes, Array<char>(GC_FULL_THRESHOLD + 1024));
    int markbit = gc_markbit;
    gc_enqueue(root);
    gc_collect();
    EXPECT_NE(gc_markbit, markbit) << "the whole chain was marked and swept in one step";
    EXPECT_EQ(gc_marked_objs, 0) << "the next cycle has just begun";
    root->bytes = Array<char>();
}

// Destroying garbage can run a destructor that allocates, which destroys
// more garbage first; each block must still go back at its own size.
TEST_F(CollectorTest, ADestructorThatAllocatesLeavesTheCacheAndCountsIntact) {
    struct Victim : public Object {};
    struct Allocating : public Object {
        char payload[56 - sizeof(Object)];
        ~Allocating() override { new Victim(); }
    };
    static_assert(sizeof(Allocating) == 56 && sizeof(Victim) < 56, "two block sizes");
    Allocating* first = new Allocating();  // destroyed first: the free list keeps allocation order
    new Victim();
    ::testing::internal::CaptureStdout();
    FullCollect();
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("ERROR:p="), std::string::npos) << out;
    EXPECT_EQ(gc_free_bytes, 0);
    if (!kStress) {
        EXPECT_EQ(static_cast<void*>(gc_cache[7]), static_cast<void*>(first)) << "the 56-byte slot";
    }
}

TEST_F(CollectorTest, AStoreBehindTheBarriersBackIsLost) {
    if (kStress) GTEST_SKIP() << "in stress mode the lost object would be touched after it is freed";
    Node* root = new Node(1);
    FullCollect(root);
    gc_enqueue(root);
    gc_collect();

    root->next = new Node(2);  // no barrier: the black root hides a white object

    FullCollect(root);
    EXPECT_EQ(destroyed, 1) << "the collector cannot see a reference stored without gc_assign";
    root->next = nullptr;
}

TEST_F(CollectorTest, ArrayElementsAreMarkedThroughTheirBody) {
    Node* root = new Node(1);
    gc_assign(root->children, Array<Node*>(3));
    gc_assign(root->children[1], new Node(2));
    gc_assign(root->names, Array<String>(2));
    root->names[0] = String("kept");
    new Node(99);  // garbage

    FullCollect(root);
    FullCollect(root);

    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(root->children[1]->id, 2);
    EXPECT_EQ(root->children[0], nullptr);
    EXPECT_EQ(nubrix_test::Narrow(root->names[0]), "kept");
    EXPECT_EQ(root->names[1].Length(), 0);
}

TEST_F(CollectorTest, DestroyingAStringArrayReleasesItsStrings) {
    String text = String("shared") + String(" text");
    {
        Array<String> names(4);
        for (int i = 0; i < 4; ++i) names[i] = text;
    }
    EXPECT_EQ(text.RefCount(), 5) << "the unreachable array still holds its four copies";
    FullCollect();
    EXPECT_EQ(text.RefCount(), 1);
    EXPECT_EQ(nubrix_test::Narrow(text), "shared text");
}

TEST_F(CollectorTest, EmptyArrayBodiesAreSharedAndNeverCollected) {
    Array<int> a, b;
    Array<int> c(0), d(0);
    EXPECT_EQ(a.Body(), b.Body());
    EXPECT_EQ(c.Body(), d.Body());
    EXPECT_EQ(a.Body()->flags, 3);
    EXPECT_EQ(c.Body()->flags, 3);
    gc_enqueue(a.Body());  // a colour-3 body is never white: nothing happens
    FullCollect();
    FullCollect();
    EXPECT_EQ(a.Body()->flags, 3);
    EXPECT_EQ(c.Body()->flags, 3);
    EXPECT_EQ(a.Length(), 0);
    EXPECT_FALSE(gc_is_live(a.Body())) << "a shared empty body is on no list";
}

TEST_F(CollectorTest, NewArraysAreZeroedAndStringArraysEmpty) {
    Array<float> floats(10);
    Array<Node*> nodes(10);
    Array<String> texts(10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(floats[i], 0.0f);
        EXPECT_EQ(nodes[i], nullptr);
        EXPECT_EQ(texts[i].Length(), 0);
    }
}

TEST_F(CollectorTest, SmallBlocksAreReusedFromTheCache) {
    if (kStress) GTEST_SKIP() << "stress mode returns every block to malloc";
    struct Block40 : public Object {
        char payload[40 - sizeof(Object)];
    };
    static_assert(sizeof(Block40) == 40, "a 40-byte object");
    Block40* first = new Block40();
    FullCollect();  // destroyed: its block goes to gc_cache[5]
    ASSERT_EQ(static_cast<void*>(gc_cache[5]), static_cast<void*>(first));
    Block40* second = new Block40();
    EXPECT_EQ(static_cast<void*>(second), static_cast<void*>(first));
}

TEST_F(CollectorTest, AnIncrementalStepMarksAtMost2500Objects) {
    if (kStress) GTEST_SKIP() << "every step is a full collection in stress mode";
    Node* root = new Node(0);
    Node* tail = root;
    for (int i = 1; i <= 6000; ++i) {
        gc_assign(tail->next, new Node(i));
        tail = tail->next;
    }
    new Node(-1);       // garbage
    FullCollect(root);  // the chain survives; the new cycle starts
    int before = gc_marked_objs;
    gc_enqueue(root);
    gc_collect();
    EXPECT_EQ(gc_marked_objs - before, GC_MARK_STEP_OBJECTS);
    gc_collect();
    EXPECT_EQ(gc_marked_objs - before, 2 * GC_MARK_STEP_OBJECTS);
    gc_collect();
    EXPECT_EQ(gc_marked_objs - before, 6001) << "the rest of the chain";
    EXPECT_EQ(destroyed, 1);
}

TEST_F(CollectorTest, MarkingWaitsForEnoughAllocationBeforeSweeping) {
    if (kStress) GTEST_SKIP() << "every step sweeps in stress mode";
    Node* root = new Node(0);
    FullCollect(root);
    for (int i = 0; i < 10; ++i) new Node(i);  // a little garbage
    gc_enqueue(root);
    gc_collect();
    EXPECT_EQ(destroyed, 0) << "less than 4 MiB allocated: no sweep yet";

    // Allocate past the sweep threshold; the next step sweeps and later
    // allocations destroy the garbage, a portion at a time.
    std::vector<Array<char>> keep;
    for (int i = 0; i < 5; ++i) keep.push_back(Array<char>(1024 * 1024));
    gc_enqueue(root);
    gc_collect();
    EXPECT_GT(gc_free_bytes, 0) << "the sweep found garbage";
    EXPECT_EQ(destroyed, 0) << "a sweep never destroys anything itself";
    new Node(77);
    EXPECT_GT(destroyed, 0) << "allocation destroys at least its own size of garbage";
}

TEST_F(CollectorTest, AnInconsistentFreeCountIsReportedAndReset) {
    auto child = nubrix_test::RunInChild([] {
        gc_free_bytes = 100;  // says there is garbage where the free list is empty
        gc_flush_free(100);
        std::printf("after %d\n", gc_free_bytes);
    });
    EXPECT_NE(child.out.find("ERROR:p="), std::string::npos);
    EXPECT_NE(child.out.find(" gc_free_bytes=100\nafter 0\n"), std::string::npos) << child.out;
}

TEST_F(CollectorTest, ObjectEqualityAndOrderAreByIdentity) {
    Node* a = new Node(1);
    Node* b = new Node(2);
    EXPECT_TRUE(a->Equals(a));
    EXPECT_FALSE(a->Equals(b));
    EXPECT_EQ(a->Compare(a), 0);
    EXPECT_EQ(a->Compare(b) > 0, reinterpret_cast<char*>(a) > reinterpret_cast<char*>(b));
    EXPECT_EQ(nubrix_test::Narrow(a->debug()), "+Object\n");
}

}  // namespace
