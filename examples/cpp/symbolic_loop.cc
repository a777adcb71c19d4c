// Symbolic execution of a small program with the C++ interface: every path
// through three branches is explored depth first (push, branch condition,
// check, pop), a feasible path prints an input that takes it, and the input
// is run through the program itself to confirm that it does. Two of the
// eight paths are infeasible: no x below the first branch's bound (x*3 + 7
// at most 100, wrapping included) ends in the byte 0x42.
#include <torva/torva.hpp>

#include <cstdint>
#include <cstdio>
#include <vector>

// The program under test: which way each branch goes for input x.
static std::vector<bool> concretePath(uint32_t x) {
    bool first = x * 3 + 7 > 100;
    bool second = (x & 0xff) == 0x42;
    bool third = first ? (x >> 24) == 0x12 : x % 16 == 5;
    return {first, second, third};
}

struct Explorer {
    torva::Solver solver;
    torva::Term x = solver.mkConst(solver.mkBvSort(32), "x");
    int feasible = 0, wrong = 0;

    torva::Term value(uint32_t v) { return solver.mkBvValue(32, v); }

    // The condition of branch `index` given the sides taken before it.
    torva::Term branch(size_t index, const std::vector<bool>& taken) {
        torva::Solver& s = solver;
        if (index == 0) return s.mkBvUgt(s.mkBvAdd(s.mkBvMul(x, value(3)), value(7)), value(100));
        if (index == 1) return s.mkEqual(s.mkBvAnd(x, value(0xff)), value(0x42));
        return taken[0] ? s.mkEqual(s.mkBvLshr(x, value(24)), value(0x12))
                        : s.mkEqual(s.mkBvUrem(x, value(16)), value(5));
    }

    void explore(std::vector<bool>& taken) {
        if (taken.size() == 3) {
            auto input = static_cast<uint32_t>(solver.getValueUint64(x));
            bool agrees = concretePath(input) == taken;
            wrong += agrees ? 0 : 1;
            feasible++;
            std::printf("path %d%d%d: x = %#010x%s\n", int(taken[0]), int(taken[1]), int(taken[2]), input,
                        agrees ? "" : "  (the program goes another way!)");
            return;
        }
        torva::Term condition = branch(taken.size(), taken);
        for (bool side : {true, false}) {
            solver.push();
            solver.assertFormula(side ? condition : solver.mkNot(condition));
            if (solver.checkSat() == torva::Result::Sat) {
                taken.push_back(side);
                explore(taken);
                taken.pop_back();
            }
            solver.pop();
        }
    }
};

int main() {
    Explorer explorer;
    std::vector<bool> taken;
    if (explorer.solver.checkSat() != torva::Result::Sat) return 1;
    explorer.explore(taken);
    std::printf("%d feasible paths\n", explorer.feasible);
    return explorer.wrong == 0 && explorer.feasible == 6 ? 0 : 1;
}
