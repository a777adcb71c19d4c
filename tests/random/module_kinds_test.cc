// The profiles of the random campaigns build what they promise: a benchmark
// that uses every operator, parsed in a forked child, registers a module of
// every kind the front end can reach under the module profile (identity
// modules have no operator of their own) and none under the clause profile.
#include <gtest/gtest.h>
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

// Bit k of the result is set when some module is of the k-th kind.
template <class... Kind>
int kindsOf(const Solver& s) {
    int mask = 0;
    for (Module* m : s.modules) {
        int k = 0;
        ((mask |= (dynamic_cast<Kind*>(m) ? 1 : 0) << k++), ...);
    }
    return mask;
}
const int kEveryKind = (1 << 9) - 1;

// Parses the benchmark under `config` in a death-test child, which reports
// the kinds of the modules it registered on its standard error.
void reportModuleKinds(const std::string& path, const ToClauses& config) {
    if (!freopen("/dev/null", "w", stdout)) _exit(3);
    toClses = config;
    Solver s(prioParams[0]);
    std::vector<char> file(path.begin(), path.end());
    file.push_back('\0');
    if (!parseSMT(s, file.data())) _exit(3);
    std::fprintf(stderr, "kinds %d\n",
                 kindsOf<AndGate, OrGate, XorGate, Inverter_SingleBit, EqGate, IteGate, Adder, Multiplier, Shift>(s));
    _exit(0);
}

TEST(Profiles, BuildTheirModuleKinds) {
    std::string dir = makeWorkDir("kinds"), path = dir + "/kinds.smt";
    std::ofstream(path) << kEveryOperator;
    const struct {
        Profile profile;
        uint64_t seed;
        int kinds;
    } cases[] = {{Profile::Modules, 0, kEveryKind}, {Profile::Modules, 1, kEveryKind}, {Profile::Modules, 2, kEveryKind},
                 {Profile::Modules, 3, kEveryKind}, {Profile::Clauses, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EXIT(reportModuleKinds(path, profileConfig(c.profile, c.seed)), ::testing::ExitedWithCode(0),
                    "kinds " + std::to_string(c.kinds) + "\n")
            << profileName(c.profile) << " " << c.seed;
    std::remove(path.c_str());
    rmdir(dir.c_str());
}

}  // namespace
}  // namespace torva_random
