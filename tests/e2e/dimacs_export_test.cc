// The CNF export end to end: the written CNF has the answer of the solving
// run (decided here by the built-in solver, and by cadical when it is
// installed), and a model of it read through the 'c NAME bits' header is a
// model of the input (the values asserted back into the script keep it
// satisfiable).
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "config.h"
#include "e2e/torva_process.h"
#include "solver/solver.h"

namespace {

// An exported CNF decided by the built-in solver: the variables of each
// symbol in header order, and the model by DIMACS variable (empty when
// unsatisfiable).
struct Decided {
    std::vector<std::pair<std::string, std::vector<int>>> symbols;
    std::vector<bool> model;
};

Decided decide(const std::string& path) {
    Decided result;
    Solver s(prioParams[0]);
    std::istringstream in(readFile(path));
    vec<Lit> clause;
    bool ok = true;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string word, name;
        int vars = 0;
        if (line.rfind("c ", 0) == 0) {
            words >> word >> name;
            std::vector<int> bits;
            for (int v; words >> v;) bits.push_back(v);
            if (!bits.empty()) result.symbols.emplace_back(name, bits);
        } else if (line.rfind("p cnf", 0) == 0 && words >> word >> name >> vars) {
            while (s.nVars() < vars) s.newVar();
        } else {
            for (int lit; words >> lit;) {
                if (lit != 0) {
                    clause.push(Lit(std::abs(lit) - 1, lit < 0));
                    continue;
                }
                ok = ok && s.addClause(clause);
                clause.clear();
            }
        }
    }
    if (!ok || !s.simplify() || !s.solve(vec<Lit>())) return result;
    result.model.push_back(false);
    for (int v = 0; v < s.nVars(); v++) result.model.push_back(s.model[v] == l_True);
    return result;
}

std::string binary(const std::vector<int>& bits, const std::vector<bool>& model) {
    std::string digits;
    for (size_t i = bits.size(); i-- > 0;) digits += model[bits[i]] ? '1' : '0';
    return digits;
}

// The tests run in parallel processes, so each writes its own files.
std::string scratch(const std::string& suffix) {
    return ::testing::TempDir() + "torva_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + suffix;
}

// Exports the input and decides the CNF (by cadical too when installed).
Decided exportOf(const std::string& input) {
    std::string out = scratch(".cnf");
    RunResult run = runTorva({"--dimacs", out, input});
    EXPECT_EQ(run.status, 0) << input << "\n" << run.err;
    EXPECT_EQ(run.out, "");
    Decided decided = decide(out);
    if (std::system("command -v cadical >/dev/null 2>&1") == 0) {
        int status = std::system(("cadical -q " + out + " >/dev/null 2>&1").c_str());
        EXPECT_EQ(WEXITSTATUS(status) == 10, !decided.model.empty()) << "cadical on " << input;
    }
    return decided;
}

}  // namespace

// The examples (benchmarks read by the extended reader) and scripts with the
// symbols x, y (12 bits) and p, all satisfiable. arithmetic.smt2 exports its
// first check-sat, whose assertions the script keeps to its end.
TEST(DimacsExport, AnswersAndModelsOfTheExamplesAndScriptsAreKept) {
    std::vector<std::string> inputs;
    for (const char* example : {"arithmetic.smt", "bitwise.smt", "comparison.smt", "extract_concat.smt", "ite_let.smt",
                                "division.smt", "shifts.smt", "extended.smt", "arithmetic.smt2"})
        inputs.push_back(sourceDir() + "/examples/" + example);
    const std::string declarations =
        "(set-logic QF_BV)(declare-const x (_ BitVec 12))(declare-const y (_ BitVec 12))(declare-const p Bool)";
    for (const char* body : {
             "(assert (= (bvmul x y) #x0f3))(assert (bvugt x #x001))(assert (bvugt y #x001))",
             "(assert (= (bvudiv x y) #x007))(assert (= (bvurem x y) #x003))(assert p)",
             "(assert (ite p (= (bvshl x (_ bv3 12)) y) (= (bvlshr y #x002) x)))(assert (bvult #x100 y))",
             "(assert (distinct (concat ((_ extract 3 0) x) ((_ extract 11 4) y)) (bvadd x y)))(assert (not p))"}) {
        inputs.push_back(scratch(std::to_string(inputs.size()) + ".smt2"));
        writeFile(inputs.back(), declarations + body + "(check-sat)");
    }
    for (const std::string& input : inputs) {
        const bool script = input.find(".smt2") != std::string::npos;
        RunResult solved = runTorva({script ? "--smt2" : "--extended", input});
        const bool sat = solved.status == 10 || solved.out.rfind("sat\n", 0) == 0;
        Decided cnf = exportOf(input);
        const std::vector<bool>& model = cnf.model;
        EXPECT_EQ(!model.empty(), sat) << input;
        if (!script) continue;
        ASSERT_FALSE(model.empty()) << input;
        std::string pinned = readFile(input);
        for (const auto& [name, bits] : cnf.symbols) {
            if (name == "p")
                pinned += std::string("(assert ") + (model[bits[0]] ? "p" : "(not p)") + ")";
            else
                pinned += "(assert (= " + name + " #b" + binary(bits, model) + "))";
        }
        writeFile(scratch(".smt2"), pinned + "(check-sat)");
        RunResult check = runTorva({scratch(".smt2")});
        EXPECT_EQ(check.out.substr(check.out.rfind('\n', check.out.size() - 2) + 1), "sat\n") << pinned;
        if (input.find("examples/") != std::string::npos) {
            ASSERT_EQ(cnf.symbols.size(), 2u);
            EXPECT_EQ(cnf.symbols[0].first + cnf.symbols[1].first, "ab");
        }
    }
}
