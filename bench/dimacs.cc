// DIMACS reading and random k-CNF generation for the benchmark tools.
#include "dimacs.h"

#include <cctype>
#include <cstdlib>

namespace {
int readInt(std::FILE* in, bool& okay) {
    int c = std::fgetc(in);
    while (c == ' ' || c == '\t' || c == '\n' || c == '\r') c = std::fgetc(in);
    bool negative = false;
    if (c == '-') {
        negative = true;
        c = std::fgetc(in);
    }
    if (!std::isdigit(c)) {
        okay = false;
        return 0;
    }
    long value = 0;
    while (std::isdigit(c)) {
        value = value * 10 + (c - '0');
        if (value > (1L << 30)) {
            okay = false;
            return 0;
        }
        c = std::fgetc(in);
    }
    std::ungetc(c, in);
    return static_cast<int>(negative ? -value : value);
}

void skipLine(std::FILE* in) {
    int c;
    while ((c = std::fgetc(in)) != EOF && c != '\n') {}
}

uint64_t splitmix64(uint64_t& state) {
    uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}
}  // namespace

bool loadDimacs(std::FILE* in, Solver& s, std::string& error) {
    vec<Lit> lits;
    for (;;) {
        int c = std::fgetc(in);
        while (c == ' ' || c == '\t' || c == '\n' || c == '\r') c = std::fgetc(in);
        if (c == EOF) return true;
        if (c == 'c' || c == 'p') {
            skipLine(in);
            continue;
        }
        std::ungetc(c, in);
        lits.clear();
        for (;;) {
            bool okay = true;
            int lit = readInt(in, okay);
            if (!okay) {
                error = "malformed clause";
                return false;
            }
            if (lit == 0) break;
            int v = std::abs(lit) - 1;
            while (v >= s.nVars()) s.newVar();
            lits.push(Lit(v, lit < 0));
        }
        s.addClause(lits);
    }
}

std::string randomKCnf(int vars, int clauses, int k, uint64_t seed) {
    std::string text = "p cnf " + std::to_string(vars) + " " + std::to_string(clauses) + "\n";
    for (int i = 0; i < clauses; i++) {
        for (int j = 0; j < k; j++) {
            int v = static_cast<int>(splitmix64(seed) % static_cast<uint64_t>(vars)) + 1;
            text += (splitmix64(seed) & 1 ? "-" : "") + std::to_string(v) + " ";
        }
        text += "0\n";
    }
    return text;
}
