// Heap: binary min-heap of variables under a comparator (the solver's puts the
// most active variable on top). indices[v] is v's position or -1 when absent.
// Ties never move an element.
#pragma once

#include "containers/vec.h"

template <class Comp>
class Heap {
    Comp lt;
    vec<int> heap;
    vec<int> indices;

    static int left(int i) { return i * 2 + 1; }
    static int right(int i) { return (i + 1) * 2; }
    static int parent(int i) { return (i - 1) >> 1; }

    void percolateUp(int i) {
        int x = heap[i];
        while (i != 0 && lt(x, heap[parent(i)])) {
            heap[i] = heap[parent(i)];
            indices[heap[i]] = i;
            i = parent(i);
        }
        heap[i] = x;
        indices[x] = i;
    }

    void percolateDown(int i) {
        int x = heap[i];
        while (left(i) < heap.size()) {
            int child = right(i) < heap.size() && lt(heap[right(i)], heap[left(i)]) ? right(i) : left(i);
            if (!lt(heap[child], x)) break;
            heap[i] = heap[child];
            indices[heap[i]] = i;
            i = child;
        }
        heap[i] = x;
        indices[x] = i;
    }

public:
    explicit Heap(const Comp& c) : lt(c) {}

    int size() const { return heap.size(); }
    bool empty() const { return heap.size() == 0; }
    bool inHeap(int n) const { return n < indices.size() && indices[n] >= 0; }
    int operator[](int index) const {
        TORVA_CHECK(index < heap.size(), "containers/Heap");
        return heap[index];
    }

    void decrease(int n) {
        TORVA_CHECK(inHeap(n), "containers/Heap");
        percolateUp(indices[n]);
    }

    void insert(int n) {
        indices.growTo(n + 1, -1);
        TORVA_CHECK(!inHeap(n), "containers/Heap");
        indices[n] = heap.size();
        heap.push(n);
        percolateUp(indices[n]);
    }

    int removeMin() {
        int x = heap[0];
        heap[0] = heap.last();
        indices[heap[0]] = 0;
        indices[x] = -1;
        heap.pop();
        if (heap.size() > 1) percolateDown(0);
        return x;
    }

    bool heapProperty() const {
        for (int i = 1; i < heap.size(); i++)
            if (lt(heap[i], heap[parent(i)])) return false;
        return true;
    }

    template <class F>
    void filter(const F& keep) {
        int i, j;
        for (i = j = 0; i < heap.size(); i++) {
            if (keep(heap[i])) {
                heap[j] = heap[i];
                indices[heap[i]] = j++;
            } else {
                indices[heap[i]] = -1;
            }
        }
        heap.shrink(i - j);
        for (int k = heap.size() / 2 - 1; k >= 0; k--) percolateDown(k);
        TORVA_CHECK(heapProperty(), "containers/Heap");
    }
};
