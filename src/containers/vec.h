// vec: a growable array of plain values. Memory comes from realloc and is
// released with free; elements are copied bitwise and never constructed.
// Growth: push on a full vector takes the capacity to max(2, (cap*3+1)>>1).
#pragma once

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "containers/check.h"

template <class T>
class vec {
    T* data;
    int sz;
    int cap;

    static int grown(int c) { return (c * 3 + 1) >> 1; }
    void reserveExactly(int c) {
        void* p = std::realloc(static_cast<void*>(data), static_cast<size_t>(c) * sizeof(T));
        if (p == nullptr && c > 0) throw std::bad_alloc();
        data = static_cast<T*>(p);
        cap = c;
    }
    void growCapacityTo(int n) {
        if (n <= cap) return;
        int c = cap;
        if (c == 0)
            c = n > 2 ? n : 2;
        else
            while (c < n) c = grown(c);
        reserveExactly(c);
    }

public:
    constexpr vec() : data(nullptr), sz(0), cap(0) {}
    explicit vec(int n) : vec() { growTo(n); }
    vec(int n, const T& pad) : vec() { growTo(n, pad); }
    vec(const vec&) = delete;
    vec& operator=(const vec&) = delete;
    ~vec() { std::free(static_cast<void*>(data)); }

    int size() const { return sz; }
    int capacity() const { return cap; }
    bool empty() const { return sz == 0; }
    T* begin() { return data; }
    T* end() { return data + sz; }
    const T* begin() const { return data; }
    const T* end() const { return data + sz; }

    T& operator[](int i) { return data[i]; }
    const T& operator[](int i) const { return data[i]; }
    T& last() { return data[sz - 1]; }
    const T& last() const { return data[sz - 1]; }

    void push(const T& x) {
        if (sz == cap) reserveExactly(cap > 1 ? grown(cap) : 2);
        std::memcpy(static_cast<void*>(&data[sz]), static_cast<const void*>(&x), sizeof(T));
        sz++;
    }
    void push() {
        if (sz == cap) reserveExactly(cap > 1 ? grown(cap) : 2);
        std::memset(static_cast<void*>(&data[sz]), 0, sizeof(T));
        sz++;
    }
    void pop() { sz--; }
    void shrink(int nelems) {
        TORVA_CHECK(nelems <= sz, "containers/Vec");
        sz -= nelems;
    }
    void clear() { sz = 0; }
    // Empties the vector and gives its storage back.
    void release() {
        std::free(static_cast<void*>(data));
        data = nullptr;
        sz = cap = 0;
    }
    void growTo(int n) {
        if (n <= sz) return;
        growCapacityTo(n);
        std::memset(static_cast<void*>(&data[sz]), 0, static_cast<size_t>(n - sz) * sizeof(T));
        sz = n;
    }
    void growTo(int n, const T& pad) {
        if (n <= sz) return;
        growCapacityTo(n);
        for (int i = sz; i < n; i++)
            std::memcpy(static_cast<void*>(&data[i]), static_cast<const void*>(&pad), sizeof(T));
        sz = n;
    }
    void swap(vec<T>& other) {
        std::swap(data, other.data);
        std::swap(sz, other.sz);
        std::swap(cap, other.cap);
    }
    void copyTo(vec<T>& other) const {
        other.clear();
        other.growTo(sz);
        if (sz > 0) std::memcpy(static_cast<void*>(other.data), static_cast<const void*>(data), static_cast<size_t>(sz) * sizeof(T));
    }
};
