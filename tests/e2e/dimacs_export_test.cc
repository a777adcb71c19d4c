// The CNF export end to end: the written CNF has the answer of the solving
// run (decided here by the built-in solver, and by cadical when it is
// installed), and a model of it read through the 'c NAME bits' header is a
// model of the input (the values asserted back into the script keep it
// satisfiable).
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "config.h"
#include "e2e/torva_process.h"
#include "solver/solver.h"

namespace {

struct Cnf {
    std::vector<std::pair<std::string, std::vector<int>>> symbols;  // header order
    std::vector<std::vector<int>> clauses;
    int vars = 0;
};

Cnf readCnf(const std::string& text) {
    Cnf cnf;
    std::istringstream in(text);
    std::string line;
    std::vector<int> clause;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        if (line.rfind("c ", 0) == 0) {
            std::string c, name;
            words >> c >> name;
            std::vector<int> bits;
            int v;
            while (words >> v) bits.push_back(v);
            if (!bits.empty()) cnf.symbols.emplace_back(name, bits);
            continue;
        }
        if (line.rfind("p cnf", 0) == 0) {
            std::string p, format;
            words >> p >> format >> cnf.vars;
            continue;
        }
        int lit;
        while (words >> lit) {
            if (lit == 0) {
                cnf.clauses.push_back(clause);
                clause.clear();
            } else {
                clause.push_back(lit);
            }
        }
    }
    return cnf;
}

// The model (by DIMACS variable) when satisfiable, empty when not.
std::vector<bool> solve(const Cnf& cnf, bool& sat) {
    Solver s(prioParams[0]);
    while (s.nVars() < cnf.vars) s.newVar();
    bool ok = true;
    vec<Lit> lits;
    for (const std::vector<int>& c : cnf.clauses) {
        lits.clear();
        for (int l : c) lits.push(Lit(std::abs(l) - 1, l < 0));
        ok = ok && s.addClause(lits);
    }
    sat = ok && s.simplify() && s.solve(vec<Lit>());
    std::vector<bool> model(static_cast<size_t>(cnf.vars) + 1, false);
    for (int v = 1; sat && v <= cnf.vars; v++) model[v] = s.model[v - 1] == l_True;
    return model;
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

std::string exportOf(const std::string& input, const std::vector<std::string>& extra = {}) {
    std::string out = scratch(".cnf");
    std::vector<std::string> args = {"--dimacs", out};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(input);
    RunResult run = runTorva(args);
    EXPECT_EQ(run.status, 0) << input << "\n" << run.err;
    EXPECT_EQ(run.out, "");
    return out;
}

bool cadicalSays(const std::string& path, bool& sat) {
    if (std::system("command -v cadical >/dev/null 2>&1") != 0) return false;
    int status = std::system(("cadical -q " + path + " >/dev/null 2>&1").c_str());
    sat = WEXITSTATUS(status) == 10;
    return true;
}

}  // namespace

TEST(DimacsExport, AnswersOfTheBenchmarksAndScriptsAreKept) {
    for (const char* example : {"examples/arithmetic.smt", "examples/bitwise.smt", "examples/comparison.smt",
                                "examples/extract_concat.smt", "examples/ite_let.smt", "examples/division.smt",
                                "examples/shifts.smt", "examples/extended.smt", "examples/arithmetic.smt2"}) {
        RunResult solved = runTorva({std::string(example).find(".smt2") != std::string::npos ? "--smt2" : "--extended",
                                     example});
        std::string path = exportOf(example);
        bool sat = false;
        solve(readCnf(readFile(path)), sat);
        bool expected = solved.status == 10 || solved.out.rfind("sat\n", 0) == 0;
        EXPECT_EQ(sat, expected) << example;
        bool cadicalSat;
        if (cadicalSays(path, cadicalSat)) {
            EXPECT_EQ(cadicalSat, expected) << example;
        }
    }
    std::string path = exportOf("examples/arithmetic.smt2");
    Cnf cnf = readCnf(readFile(path));
    bool sat = false;
    std::vector<bool> model = solve(cnf, sat);
    ASSERT_TRUE(sat);
    ASSERT_EQ(cnf.symbols.size(), 2u);
    EXPECT_EQ(cnf.symbols[0].first, "a");
    EXPECT_EQ(binary(cnf.symbols[0].second, model), "00111100");
    EXPECT_EQ(binary(cnf.symbols[1].second, model), "00101000");
}

TEST(DimacsExport, ModelsMapBackToModelsOfTheScript) {
    const std::string declarations =
        "(set-logic QF_BV)(declare-const x (_ BitVec 12))(declare-const y (_ BitVec 12))"
        "(declare-const p Bool)";
    const char* bodies[] = {
        "(assert (= (bvmul x y) #x0f3))(assert (bvugt x #x001))(assert (bvugt y #x001))",
        "(assert (= (bvudiv x y) #x007))(assert (= (bvurem x y) #x003))(assert p)",
        "(assert (ite p (= (bvshl x (_ bv3 12)) y) (= (bvlshr y #x002) x)))(assert (bvult #x100 y))",
        "(assert (distinct (concat ((_ extract 3 0) x) ((_ extract 11 4) y)) (bvadd x y)))(assert (not p))",
    };
    for (const char* body : bodies) {
        std::string script = declarations + body + "(check-sat)";
        std::string input = scratch(".smt2");
        writeFile(input, script);
        std::string path = exportOf(input);
        Cnf cnf = readCnf(readFile(path));
        bool sat = false;
        std::vector<bool> model = solve(cnf, sat);
        ASSERT_TRUE(sat) << body;
        std::string pinned = declarations + body;
        for (const auto& [name, bits] : cnf.symbols) {
            if (name == "p")
                pinned += std::string("(assert ") + (model[bits[0]] ? "p" : "(not p)") + ")";
            else
                pinned += "(assert (= " + name + " #b" + binary(bits, model) + "))";
        }
        writeFile(input, pinned + "(check-sat)");
        RunResult check = runTorva({input});
        EXPECT_EQ(check.out, "sat\n") << body << "\n" << pinned;
    }
    RunResult noCheck = runTorva({"--dimacs", scratch("-empty.cnf"), "-"}, 0,
                                 "(declare-const a Bool)(assert a)");
    EXPECT_EQ(noCheck.status, 1);
    EXPECT_EQ(noCheck.err, "torva: the script has no check-sat to export\n");
    RunResult missing = runTorva({"examples/arithmetic.smt", "--dimacs"});
    EXPECT_EQ(missing.err, "torva: --dimacs needs an output file (try 'torva --help')\n");
}
