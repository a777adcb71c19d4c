// Provably equal and provably different indices, and the walk of a read
// down a chain of stores and constant arrays (and into the rows of arrays of
// arrays).
#include "simplify/array_reads.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;
using terms::TermStore;

namespace {

// An index as base + offset (base kNoBase for a constant).
struct Offset {
    TermId base;
    mpz_class offset;
};
constexpr TermId kNoBase = ~TermId(0);

Offset asOffset(const TermStore& store, TermId index) {
    if (store.kind(index) == Kind::Const) return {kNoBase, store.value(index)};
    if (store.kind(index) == Kind::BvAdd && store.numArgs(index) == 2) {
        for (uint32_t k = 0; k < 2; k++)
            if (store.kind(store.arg(index, k)) == Kind::Const)
                return {store.arg(index, 1 - k), store.value(store.arg(index, k))};
    }
    return {index, 0};
}

// 1 when the indices are provably equal, -1 when provably different, 0 when
// their words do not tell.
int compareIndices(const TermStore& store, TermId a, TermId b) {
    if (a == b) return 1;
    if (store.isBool(a)) return store.kind(a) == Kind::Const && store.kind(b) == Kind::Const ? -1 : 0;
    Offset x = asOffset(store, a), y = asOffset(store, b);
    if (x.base != y.base) return 0;
    mpz_class difference = x.offset - y.offset;
    mpz_fdiv_r_2exp(difference.get_mpz_t(), difference.get_mpz_t(), store.width(a));
    return difference == 0 ? 1 : -1;
}

}  // namespace

TermId readThroughStores(TermStore& store, TermId select) {
    TermId array = store.arg(select, 0), index = store.arg(select, 1);
    for (;;) {
        Kind kind = store.kind(array);
        if (kind == Kind::Select) {
            // A row of an array of arrays: read the row it provably is.
            TermId row = readThroughStores(store, array);
            if (row == array) break;
            array = row;
            continue;
        }
        if (kind == Kind::ConstArray) return store.arg(array, 0);
        if (kind != Kind::Store) break;
        int same = compareIndices(store, index, store.arg(array, 1));
        if (same == 1) return store.arg(array, 2);
        if (same == 0) break;
        array = store.arg(array, 0);
    }
    return array == store.arg(select, 0) ? select : store.mk(Kind::Select, {array, index});
}

}  // namespace torva::simplify
