// Heap ordering and filtering, sort against the standard order, remove, and
// the guards against misuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "containers/alg.h"
#include "containers/heap.h"
#include "containers/vec.h"

namespace {

template <class T>
std::vector<T> contents(const vec<T>& v) {
    std::vector<T> out;
    for (int i = 0; i < v.size(); i++) out.push_back(v[i]);
    return out;
}

struct ByActivity {
    const std::vector<double>* a;
    bool operator()(int x, int y) const { return (*a)[x] > (*a)[y]; }
};

TEST(Heap, PopsInActivityOrderAndFilterKeepsTheHeapProperty) {
    std::vector<double> act(200);
    std::mt19937 rng(5);
    for (double& a : act) a = static_cast<double>(rng() % 50);
    Heap<ByActivity> h(ByActivity{&act});
    for (int v = 199; v >= 0; v--) h.insert(v);
    EXPECT_TRUE(h.heapProperty());
    act[17] = 1000;
    h.decrease(17);
    EXPECT_EQ(h.removeMin(), 17);
    EXPECT_FALSE(h.inHeap(17));

    h.filter([](int v) { return v % 3 == 0; });
    EXPECT_TRUE(h.heapProperty());
    double last = 1e9;
    int count = 0;
    for (; !h.empty(); count++) {
        int v = h.removeMin();
        EXPECT_EQ(v % 3, 0);
        EXPECT_LE(act[v], last);
        last = act[v];
    }
    EXPECT_EQ(count, 67);  // the multiples of 3 below 200

    h.insert(4);
    h.filter([](int) { return false; });
    EXPECT_TRUE(h.empty());
    EXPECT_FALSE(h.inHeap(4));
}

TEST(Alg, SortMatchesTheStandardOrderAndRemoveKeepsOrder) {
    std::mt19937 rng(11);
    for (int size : {0, 1, 2, 15, 16, 17, 100, 1000}) {
        vec<int> v;
        std::vector<int> ref;
        for (int i = 0; i < size; i++) {
            v.push(static_cast<int>(rng() % 40));
            ref.push_back(v.last());
        }
        sort(v);
        std::sort(ref.begin(), ref.end());
        EXPECT_EQ(contents(v), ref) << "size " << size;
    }
    vec<int> r;
    for (int x : {4, 7, 4, 9}) r.push(x);
    remove(r, 4);
    EXPECT_EQ(contents(r), (std::vector<int>{7, 4, 9}));
}

TEST(ContainersDeathTest, MisuseStops) {
    vec<int> v;
    v.push(1);
    EXPECT_DEATH(v.shrink(2), "containers/Vec.*nelems <= sz");
    EXPECT_DEATH(remove(v, 5), "containers/Alg");
    std::vector<double> act(3, 0.0);
    Heap<ByActivity> h(ByActivity{&act});
    h.insert(1);
    EXPECT_DEATH(h.insert(1), "containers/Heap.*!inHeap\\(n\\)");
}

}  // namespace
