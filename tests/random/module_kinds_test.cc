// The module profile of the random tests really builds modules: a benchmark
// that uses every operator, parsed in a forked child under that profile,
// registers a module of every kind the front end can reach (identity modules
// have no operator of their own).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "frontend/smt2xml.h"
#include "modules/adder.h"
#include "modules/andGate.h"
#include "modules/eqGate.h"
#include "modules/inverter_singlebit.h"
#include "modules/iteGate.h"
#include "modules/multiplier.h"
#include "modules/orGate.h"
#include "modules/shift.h"
#include "modules/xorGate.h"
#include "random/oracle.h"
#include "solver/solver.h"

namespace torva_random {
namespace {

const char kEveryOperator[] =
    "(benchmark kinds :logic QF_BV\n"
    " :extrafuns ((x BitVec[4]) (y BitVec[4]) (b BitVec[1]) (c BitVec[1]))\n"
    " :extrapreds ((p) (q))\n"
    " :formula (or p (and q (xor p q)))\n"
    " :formula (implies p (= (bvand b c) (bvor b (bvxor b (bvnot c)))))\n"
    " :formula (distinct (bvadd x y) (bvmul x y) (bvsub x y))\n"
    " :formula (bvult (bvshl x y) (ite p x (bvlshr y x)))\n"
    ")\n";

enum Kind { AND, OR, XOR, INV, EQ, ITE, ADD, MUL, SHIFT, KINDS };

int kindsOf(const Solver& s) {
    int mask = 0;
    for (Module* m : s.modules) {
        if (dynamic_cast<AndGate*>(m)) mask |= 1 << AND;
        if (dynamic_cast<OrGate*>(m)) mask |= 1 << OR;
        if (dynamic_cast<XorGate*>(m)) mask |= 1 << XOR;
        if (dynamic_cast<Inverter_SingleBit*>(m)) mask |= 1 << INV;
        if (dynamic_cast<EqGate*>(m)) mask |= 1 << EQ;
        if (dynamic_cast<IteGate*>(m)) mask |= 1 << ITE;
        if (dynamic_cast<Adder*>(m)) mask |= 1 << ADD;
        if (dynamic_cast<Multiplier*>(m)) mask |= 1 << MUL;
        if (dynamic_cast<Shift*>(m)) mask |= 1 << SHIFT;
    }
    return mask;
}

// Parses the benchmark under `config` in a child and returns the kinds of
// the modules it registered as a bit mask (-1 if the child failed).
int moduleKinds(const ToClauses& config) {
    std::string dir = makeWorkDir("kinds");
    std::string path = dir + "/kinds.smt";
    std::ofstream(path) << kEveryOperator;
    int fds[2];
    if (pipe(fds) != 0) return -1;
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        if (!freopen("/dev/null", "w", stdout)) _exit(3);
        toClses = config;
        Solver s(prioParams[0]);
        std::vector<char> file(path.begin(), path.end());
        file.push_back('\0');
        if (!parseSMT(s, file.data())) _exit(3);
        int mask = kindsOf(s);
        _exit(write(fds[1], &mask, sizeof mask) == sizeof mask ? 0 : 3);
    }
    close(fds[1]);
    int mask = -1;
    if (read(fds[0], &mask, sizeof mask) != sizeof mask) mask = -1;
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    std::remove(path.c_str());
    rmdir(dir.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? mask : -1;
}

TEST(ModuleProfile, BuildsEveryReachableModuleKind) {
    for (uint64_t seed = 0; seed < 4; seed++) {
        int mask = moduleKinds(profileConfig(Profile::Modules, seed));
        EXPECT_EQ(mask, (1 << KINDS) - 1) << "seed " << seed;
    }
}

TEST(ModuleProfile, ClauseProfileBuildsNoModules) {
    EXPECT_EQ(moduleKinds(profileConfig(Profile::Clauses, 0)), 0);
}

}  // namespace
}  // namespace torva_random
