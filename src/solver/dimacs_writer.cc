// Writes the header "p cnf VARS CLAUSES" and one line per clause.
#include "solver/dimacs_writer.h"

namespace {
void writeLit(Lit p, std::FILE* out) { std::fprintf(out, "%d ", dimacsLit(p)); }
}  // namespace

void writeDimacs(const Solver& S, std::FILE* out) {
    TORVA_CHECK(S.decisionLevel() == 0, "Solver");
    if (!S.okay()) {
        std::fputs("p cnf 0 1\n0\n", out);
        return;
    }
    std::fprintf(out, "p cnf %d %d\n", S.nVars(), S.trail.size() + S.nClauses());
    for (int i = 0; i < S.trail.size(); i++) {
        writeLit(S.trail[i], out);
        std::fputs("0\n", out);
    }
    for (const Clause* c : S.clauses) {
        for (int i = 0; i < c->size(); i++) writeLit((*c)[i], out);
        std::fputs("0\n", out);
    }
}
