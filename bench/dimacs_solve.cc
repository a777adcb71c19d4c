// dimacs_solve FILE: loads a DIMACS CNF into the solver, solves it with the
// compiled-in configuration and prints the result, the statistics lines and
// the solve time. Exit status 10 (satisfiable), 20 (unsatisfiable), 1 (error).
#include <sys/times.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "config.h"
#include "dimacs.h"
#include "solver/statistics.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: dimacs_solve FILE\n");
        return 1;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (in == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    Solver S(prioParams[0]);
    S.verbosity = 1;
    std::string error;
    bool loaded = loadDimacs(in, S, error);
    std::fclose(in);
    if (!loaded) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 1;
    }
    struct tms before, after;
    times(&before);
    bool sat = S.simplify() && S.solve(vec<Lit>());
    times(&after);
    printStats(S);
    std::printf("Result: %s\n", sat ? "SAT" : "UNSAT");
    std::printf("Time:\t\t%.2f CPU sec.\n",
                static_cast<double>(after.tms_utime - before.tms_utime) / sysconf(_SC_CLK_TCK));
    return sat ? 10 : 20;
}
