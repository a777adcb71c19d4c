// An unsatisfiable core with the C++ interface: of four constraints on
// three words, three contradict each other; the core names them, and a
// fresh solver confirms that they alone are unsatisfiable.
#include <torva/torva.hpp>

#include <cstdio>
#include <string>
#include <vector>

struct Constraint {
    std::string text;
    torva::Term term;
};

int main() {
    torva::Solver s;
    s.setOption("produce-unsat-cores", "true");
    torva::Sort byte = s.mkBvSort(8);
    torva::Term x = s.mkConst(byte, "x"), y = s.mkConst(byte, "y"), z = s.mkConst(byte, "z");
    std::vector<Constraint> constraints = {
        {"x < 10", s.mkBvUlt(x, s.mkBvValue(8, 10))},
        {"y = x + 5", s.mkEqual(y, s.mkBvAdd(x, s.mkBvValue(8, 5)))},
        {"z != 0", s.mkNot(s.mkEqual(z, s.mkBvZero(8)))},
        {"y > 20", s.mkBvUgt(y, s.mkBvValue(8, 20))},
    };
    for (const Constraint& c : constraints) s.assertFormula(c.term);
    if (s.checkSat() != torva::Result::Unsat) return 1;

    torva::Solver fresh;
    torva::Term fx = fresh.mkConst(fresh.mkBvSort(8), "x"), fy = fresh.mkConst(fresh.mkBvSort(8), "y");
    std::vector<torva::Term> again = {
        fresh.mkBvUlt(fx, fresh.mkBvValue(8, 10)),
        fresh.mkEqual(fy, fresh.mkBvAdd(fx, fresh.mkBvValue(8, 5))),
        fresh.mkBvUgt(fy, fresh.mkBvValue(8, 20)),
    };
    std::printf("unsat core:\n");
    size_t named = 0;
    for (const torva::Term& t : s.getUnsatCore()) {
        for (const Constraint& c : constraints)
            if (c.term == t) {
                std::printf("  %-10s %s\n", c.text.c_str(), t.toString().c_str());
                named += c.text == "z != 0" ? 100 : 1;
            }
    }
    for (const torva::Term& t : again) fresh.assertFormula(t);
    bool confirmed = fresh.checkSat() == torva::Result::Unsat;
    std::printf("the core alone is %s\n", confirmed ? "unsatisfiable" : "satisfiable (wrong core!)");
    return named == 3 && confirmed ? 0 : 1;
}
