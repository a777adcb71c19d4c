// In-place sorting (selection sort up to 15 elements, Hoare quicksort above)
// and order-keeping removal/search over vec.
#pragma once

#include "containers/vec.h"

template <class T>
struct LessThan_default {
    bool operator()(T x, T y) const { return x < y; }
};

template <class T, class LessThan>
void selectionSort(T* array, int size, LessThan lt) {
    for (int i = 0; i < size - 1; i++) {
        int best = i;
        for (int j = i + 1; j < size; j++)
            if (lt(array[j], array[best])) best = j;
        T tmp = array[i];
        array[i] = array[best];
        array[best] = tmp;
    }
}

template <class T, class LessThan>
void sort(T* array, int size, LessThan lt) {
    if (size <= 15) {
        selectionSort(array, size, lt);
        return;
    }
    T pivot = array[size / 2];
    int i = -1;
    int j = size;
    for (;;) {
        do i++; while (lt(array[i], pivot));
        do j--; while (lt(pivot, array[j]));
        if (i >= j) break;
        T tmp = array[i];
        array[i] = array[j];
        array[j] = tmp;
    }
    sort(array, i, lt);
    sort(&array[i], size - i, lt);
}

template <class T, class LessThan>
void sort(vec<T>& v, LessThan lt) {
    sort(v.begin(), v.size(), lt);
}

template <class T>
void sort(vec<T>& v) {
    sort(v, LessThan_default<T>());
}

template <class V, class T>
void remove(V& ts, const T& t) {
    int j = 0;
    for (; j < ts.size() && !(ts[j] == t); j++) {}
    TORVA_CHECK(j < ts.size(), "containers/Alg");
    for (; j < ts.size() - 1; j++) ts[j] = ts[j + 1];
    ts.pop();
}

template <class V, class T>
bool find(V& ts, const T& t) {
    int j = 0;
    for (; j < ts.size() && !(ts[j] == t); j++) {}
    return j < ts.size();
}
