// JunctionGate: propagation and decisions of the AND and OR gates. Reasons
// start with the implied literal and list the other bits in index order; the
// two places where the gates order the same literals differently are marked.
#include "modules/junctionGate.h"

template <bool C>
JunctionGate<C>::JunctionGate(unsigned int moduleId, int prio, const std::vector<unsigned int>& outAndInputs)
    : BitGate(moduleId, prio, outAndInputs) {}

template <bool C>
void JunctionGate<C>::pushInputLits(int except) {
    for (int k = 1; k < nBits; k++)
        if (k != except) lits.push(litOf(localVars[k], C));
}

template <bool C>
Clause* JunctionGate<C>::propagate(std::vector<int>* implied, unsigned int level) {
    restartAfterBacktrack();
    const unsigned int o = localVars[0];
    if (has(o, !C)) return propagateOutputNonControlling(implied, level);
    if (has(o, C)) return propagateOutputControlling(implied, level);
    propagateOutputOpen(implied, level);
    return nullptr;
}

template <bool C>
Clause* JunctionGate<C>::propagateOutputNonControlling(std::vector<int>* implied, unsigned int level) {
    const unsigned int o = localVars[0];
    for (int k = 1; k < nBits; k++) {
        const unsigned int in = localVars[k];
        if (has(in, !C)) continue;
        lits.clear();
        if (has(in, C)) {
            // The AND gate names the input first, the OR gate the output.
            if constexpr (C) lits.push(litOf(o, C));
            lits.push(litOf(in, !C));
            if constexpr (!C) lits.push(litOf(o, C));
            return conflictFromLits();
        }
        lits.push(litOf(in, !C));
        lits.push(litOf(o, C));
        imply(in, !C, implied, level);
    }
    finished = true;
    return nullptr;
}

template <bool C>
Clause* JunctionGate<C>::propagateOutputControlling(std::vector<int>* implied, unsigned int level) {
    const unsigned int o = localVars[0];
    if (nBits > 1 && has(localVars[1], C)) return nullptr;
    int nOpen = 0;
    int lastOpen = -1;
    for (int k = 1; k < nBits; k++) {
        if (has(localVars[k], C)) return nullptr;
        if (isUndef(localVars[k])) {
            nOpen++;
            lastOpen = k;
        }
    }
    if (nOpen > 1) return nullptr;
    lits.clear();
    if (nOpen == 0) {
        lits.push(litOf(o, !C));
        pushInputLits();
        return conflictFromLits();
    }
    const unsigned int x = localVars[lastOpen];
    lits.push(litOf(x, C));
    // The OR gate names the output right after the implied input, the AND
    // gate after all other inputs.
    if constexpr (C) lits.push(litOf(o, !C));
    pushInputLits(lastOpen);
    if constexpr (!C) lits.push(litOf(o, !C));
    imply(x, C, implied, level);
    finished = true;
    return nullptr;
}

template <bool C>
void JunctionGate<C>::propagateOutputOpen(std::vector<int>* implied, unsigned int level) {
    const unsigned int o = localVars[0];
    bool anyOpen = false;
    for (int k = 1; k < nBits; k++) {
        if (has(localVars[k], C)) {
            lits.clear();
            lits.push(litOf(o, C));
            lits.push(litOf(localVars[k], !C));
            imply(o, C, implied, level);
            return;
        }
        if (isUndef(localVars[k])) anyOpen = true;
    }
    if (anyOpen) return;
    lits.clear();
    lits.push(litOf(o, !C));
    pushInputLits();
    imply(o, !C, implied, level);
}

// Suggests the output's value for an input, and the non-controlling value
// while the output is open.
template <bool C>
int JunctionGate<C>::decide(unsigned int) {
    if (!findOpenBit()) return -1;
    const unsigned int o = localVars[0];
    const unsigned int x = localVars[cursor];
    assigns[static_cast<int>(x)] = isUndef(o) ? toLbool(!C) : value(o);
    if (cursor == nBits - 1) finished = true;
    return static_cast<int>(x);
}

template class JunctionGate<false>;
template class JunctionGate<true>;
