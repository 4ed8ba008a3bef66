// gc_bench - the collector's costs: allocation throughput of small objects,
// and the longest single collector step while a live heap of 100,000 small
// objects is kept alive (the step must stay far below a frame: < 1 ms).
//
// Two heap shapes: a tree of small objects (marking proceeds 2,500 objects
// a step) and one array holding every object (an array's elements are
// blackened as soon as the array is scanned, so one step marks them all).

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>

#include "runtime/array.h"
#include "runtime/gc.h"

namespace {

class Small : public Object {
public:
    Small* left = nullptr;
    Small* right = nullptr;
    int value = 0;
    void mark() override {
        gc_enqueue(left);
        gc_enqueue(right);
    }
};

// The benchmark's root: greyed before every step, as the real root globals
// are at the start of every cycle.
class Root : public Object {
public:
    Small* tree = nullptr;
    Array<Small*> all;
    void mark() override {
        gc_enqueue(tree);
        gc_enqueue(all);
    }
};

// CPU time of this thread in microseconds: a step preempted by another
// process on a busy machine is not a long step.
double ThreadMicros() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec * 1e-3;
}

Small* BuildTree(int n) {
    if (n <= 0) return nullptr;
    Small* node = new Small();
    int rest = n - 1;
    gc_assign(node->left, BuildTree(rest / 2));
    gc_assign(node->right, BuildTree(rest - rest / 2));
    return node;
}

void FullCollect(Root* root) {
    gc_enqueue(root);
    gc_force_sweep = true;
    gc_collect();
}

void BM_AllocateSmallObjects(benchmark::State& state) {
    Root* root = new Root();
    FullCollect(root);
    int sinceStep = 0;
    for (auto _ : state) {
        Small* s = new Small();
        benchmark::DoNotOptimize(s);
        // A game handler allocates a little between steps: step as the host would.
        if (++sinceStep == 1000) {
            sinceStep = 0;
            gc_enqueue(root);
            gc_collect();
        }
    }
    state.SetItemsProcessed(state.iterations());
    FullCollect(root);
}
BENCHMARK(BM_AllocateSmallObjects);

// Keeps 100,000 live objects and allocates garbage between steps, so that
// cycles complete and sweep; reports the longest incremental step seen.
void LongestStep(benchmark::State& state, bool arrayHeld) {
    const int kLive = 100000;
    Root* root = new Root();
    if (arrayHeld) {
        gc_assign(root->all, Array<Small*>(kLive));
        for (int i = 0; i < kLive; ++i) gc_assign(root->all[i], new Small());
    } else {
        gc_assign(root->tree, BuildTree(kLive));
    }
    FullCollect(root);

    double longest = 0, total = 0;
    long steps = 0;
    for (auto _ : state) {
        for (int i = 0; i < 2000; ++i) new Small();  // garbage: ~100 KB per step
        gc_enqueue(root);
        double t0 = ThreadMicros();
        gc_collect();
        double us = ThreadMicros() - t0;
        longest = std::max(longest, us);
        total += us;
        ++steps;
    }
    state.counters["longest_step_us"] = longest;
    state.counters["mean_step_us"] = total / steps;
    state.counters["live_objects"] = kLive;
    gc_assign(root->tree, static_cast<Small*>(nullptr));
    gc_assign(root->all, Array<Small*>());
    FullCollect(root);
}

void BM_LongestStep_Tree(benchmark::State& state) { LongestStep(state, false); }
void BM_LongestStep_Array(benchmark::State& state) { LongestStep(state, true); }
BENCHMARK(BM_LongestStep_Tree)->Iterations(3000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LongestStep_Array)->Iterations(3000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
