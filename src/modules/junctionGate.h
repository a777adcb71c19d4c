// JunctionGate: the AND gate and the OR gate as one template over the
// controlling value C (false for AND, true for OR). An input at C forces the
// output to C; the output at !C forces every input to !C; the output at C
// with every input but one at !C forces that one to C; the output takes !C
// once every input has it. The two gates are exact duals except for the
// literal order of two clauses, kept apart below.
#pragma once

#include <vector>

#include "modules/bitGate.h"

template <bool C>
class JunctionGate : public BitGate {
public:
    int decide(unsigned int level) override;
    Clause* propagate(std::vector<int>* implied, unsigned int level) override;

protected:
    JunctionGate(unsigned int id, int priority, const std::vector<unsigned int>& outAndInputs);

private:
    // The literal of x that holds when x has the value `val`.
    static Lit litOf(unsigned int x, bool val) { return Lit(static_cast<Var>(x), !val); }
    static bool has(unsigned int x, bool val) { return value(x) == toLbool(val); }

    // Pushes, for every input except localVars[except], its literal that
    // holds at the controlling value; the default skips none.
    void pushInputLits(int except = 0);
    Clause* propagateOutputNonControlling(std::vector<int>* implied, unsigned int level);
    Clause* propagateOutputControlling(std::vector<int>* implied, unsigned int level);
    void propagateOutputOpen(std::vector<int>* implied, unsigned int level);
};

extern template class JunctionGate<false>;
extern template class JunctionGate<true>;
