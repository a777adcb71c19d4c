// Allocation of clause blocks: 8 bytes of header and extra word, the
// literals, and for a learnt clause its glue word (glue 0, no flags).
#include <new>

#include "solver/solver_types.h"

Clause* Clause::allocate(const Lit* lits, int n, bool learnt) {
    size_t bytes = 8 + 4 * (static_cast<size_t>(n) + (learnt ? 1 : 0));
    Clause* c = static_cast<Clause*>(std::malloc(bytes));
    if (c == nullptr) throw std::bad_alloc();
    c->header = (static_cast<uint32_t>(n) << 3) | static_cast<uint32_t>(learnt);
    for (int i = 0; i < n; i++) c->data[i] = lits[i];
    if (learnt) {
        c->extra.act = 0;
        c->data[n].x = 0;
    } else {
        c->calcAbstraction();
    }
    return c;
}
