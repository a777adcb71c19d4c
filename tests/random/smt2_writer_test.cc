// The SMT-LIB 2 writer read back by the SMT-LIB 2 reader, without a solver:
// every check-sat goes to a stub that knows from the script which
// assertions are in force, compares the reader's term graph with the
// reference evaluator on every assignment of narrow instances (and on the
// planted values and random ones of wide instances), and answers with a
// model of its own. The responses then go through the graph oracle's
// response check, so the model and get-value printing are checked too.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "frontend/smt2/script.h"
#include "random/graph_oracle.h"
#include "random/prng.h"
#include "terms/evaluator.h"

namespace torva_random {
namespace {

using torva::terms::CheckOutcome;
using torva::terms::TermId;
using torva::terms::TermStore;

// The variables reachable from the roots, by ascending id.
std::vector<TermId> variablesOf(const TermStore& store, const std::vector<TermId>& roots) {
    std::vector<char> seen(store.size(), 0);
    std::vector<TermId> todo(roots), vars;
    while (!todo.empty()) {
        TermId t = todo.back();
        todo.pop_back();
        if (seen[t]) continue;
        seen[t] = 1;
        if (store.kind(t) == torva::terms::Kind::Variable) vars.push_back(t);
        for (uint32_t i = 0; i < store.numArgs(t); i++) todo.push_back(store.arg(t, i));
    }
    std::sort(vars.begin(), vars.end());
    return vars;
}

// The values that the query's literals (a variable or its negation)
// force on those variables that are no declaration.
std::map<TermId, int> literalValues(const TermStore& store, const std::vector<TermId>& query) {
    std::map<TermId, int> forced;
    for (TermId q : query) {
        bool negated = store.kind(q) == torva::terms::Kind::Not;
        TermId v = negated ? store.arg(q, 0) : q;
        if (store.kind(v) == torva::terms::Kind::Variable) forced[v] = negated ? 0 : 1;
    }
    return forced;
}

class StubSolver {
public:
    StubSolver(const Generated& g, const Smt2Script& s) : gen(g), bench(g.bench), script(s) {}

    CheckOutcome check(const TermStore& store, const std::vector<TermId>& query);

    std::string problem;  // the first disagreement
    size_t calls = 0;

private:
    const Generated& gen;
    const Benchmark& bench;
    const Smt2Script& script;

    bool expected(const Smt2Check& c, const Assignment& a) {
        Evaluator ev(bench);
        for (int i : c.asserted)
            if (!ev.holds(bench.assertions[i].node, a)) return false;
        return c.negated < 0 || !ev.holds(bench.assertions[c.negated].node, a);
    }
    std::vector<Assignment> samples(const Smt2Check& c);
    void note(const std::string& p) {
        if (problem.empty()) problem = "check-sat " + std::to_string(calls) + ": " + p;
    }
};

// Every assignment of the declarations read when they are at most 10 bits;
// else the planted values, a model of the check and random assignments.
std::vector<Assignment> StubSolver::samples(const Smt2Check& c) {
    std::vector<Assignment> out;
    std::vector<bool> used = bench.usedDeclarations();
    unsigned bits = bench.usedBits();
    if (bits <= 10) {
        for (uint64_t code = 0; code < (uint64_t{1} << bits); code++) {
            Assignment a(bench.decls.size(), 0);
            uint64_t rest = code;
            for (size_t d = 0; d < bench.decls.size(); d++) {
                if (!used[d]) continue;
                a[d] = rest & bv::mask(bench.decls[d].width);
                rest >>= bench.decls[d].width;
            }
            out.push_back(a);
        }
        return out;
    }
    if (!gen.planted.empty()) out.push_back(gen.planted);
    if (c.negated < 0 && bits <= 16) {
        Benchmark part = bench;
        part.assertions.clear();
        for (int i : c.asserted) part.assertions.push_back(bench.assertions[i]);
        Assignment m;
        if (countModels(part, 1, &m)) out.push_back(m);
    }
    Prng rng(calls * 7919 + bench.nodes.size());
    for (int k = 0; k < 64; k++) {
        Assignment a(bench.decls.size());
        for (size_t d = 0; d < bench.decls.size(); d++) a[d] = rng.next() & bv::mask(bench.decls[d].width);
        out.push_back(a);
    }
    return out;
}

// Under each sample, the query holds for some values of the variables that
// are no declaration (the guards of assumptions) exactly when the
// benchmark's assertions in force hold. The answer is the script's, with the
// first sample that satisfies the query as the model.
CheckOutcome StubSolver::check(const TermStore& store, const std::vector<TermId>& query) {
    CheckOutcome outcome;
    if (calls >= script.checks.size()) {
        note("more checks than the script has");
        calls++;
        return outcome;
    }
    const Smt2Check& c = script.checks[calls++];
    std::vector<TermId> vars = variablesOf(store, query);
    std::map<TermId, int> forced = literalValues(store, query);
    std::vector<int> declOf(vars.size(), -1);
    std::vector<size_t> guards;
    for (size_t v = 0; v < vars.size(); v++) {
        for (size_t d = 0; d < bench.decls.size(); d++)
            if (store.name(vars[v]) == bench.decls[d].name) declOf[v] = static_cast<int>(d);
        if (declOf[v] < 0 && !forced.count(vars[v])) guards.push_back(v);
    }
    if (guards.size() > 8) return note("too many guards"), outcome;
    bool haveModel = false;
    for (const Assignment& a : samples(c)) {
        bool want = expected(c, a), got = false;
        torva::terms::Evaluator ev(store);
        for (size_t v = 0; v < vars.size(); v++) {
            if (declOf[v] >= 0) ev.assign(vars[v], mpz_class(static_cast<unsigned long>(a[declOf[v]])));
            else if (forced.count(vars[v])) ev.assign(vars[v], mpz_class(forced[vars[v]]));
        }
        uint64_t choice = 0;
        for (; choice < (uint64_t{1} << guards.size()) && !got; choice++) {
            for (size_t g = 0; g < guards.size(); g++) ev.assign(vars[guards[g]], mpz_class((choice >> g) & 1));
            got = true;
            for (TermId q : query) got = got && ev.value(q) != 0;
        }
        if (got != want) {
            std::ostringstream os;
            os << "the script's assertions are " << got << " and the benchmark's " << want << " under";
            for (size_t d = 0; d < a.size(); d++) os << " " << bench.decls[d].name << "=" << a[d];
            note(os.str());
            return outcome;
        }
        if (got && !haveModel) {
            haveModel = true;
            choice--;
            for (size_t v = 0; v < vars.size(); v++) {
                size_t g = std::find(guards.begin(), guards.end(), v) - guards.begin();
                uint64_t value = declOf[v] >= 0       ? a[declOf[v]]
                                 : forced.count(vars[v]) ? static_cast<uint64_t>(forced[vars[v]])
                                                         : (choice >> g) & 1;
                outcome.model.values.push_back({vars[v], mpz_class(static_cast<unsigned long>(value))});
            }
        }
    }
    if (c.expect == Expect::Unsat) {
        if (haveModel) note("a sample satisfies a check expected unsat");
        outcome.answer = torva::terms::Answer::Unsat;
        return outcome;
    }
    if (!haveModel) {
        note("no sample satisfies a check expected sat");
        return outcome;
    }
    outcome.answer = torva::terms::Answer::Sat;
    return outcome;
}

std::string readAll(std::FILE* f) {
    std::string text;
    std::rewind(f);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    return text;
}

struct Feature {
    const char* text;
    int count;
};

TEST(Smt2Writer, ScriptsReadAsTheirBenchmarks) {
    std::string dir = makeWorkDir("writer");
    std::string path = dir + "/script.smt2";
    Feature features[] = {{"(check-sat-assuming", 0}, {"(push", 0},     {"(pop", 0},       {"(define-fun fun", 0},
                          {"(define-fun assertion", 0}, {"(let ((", 0}, {") (", 0},        {"|", 0},
                          {"#x", 0},                 {"(_ bv", 0},      {"(=> ", 0},        {":named", 0},
                          {"(get-value", 0},         {"(get-model)", 0}, {"rotate_left", 0}, {"rotate_right", 0},
                          {"bvsmod", 0},             {"(_ repeat", 0},  {"bvashr", 0},      {"(distinct", 0},
                          {"(let ((amount", 0},      {"(declare-fun", 0}, {"(exit)", 0}};
    int checked = 0;
    for (uint64_t seed = 0; seed < 240; seed++) {
        Shape shape = static_cast<Shape>(seed % 3);
        GenSettings settings = graphSettingsFor(shape, ToClauses(), seed);
        Generated g = generate(seed, settings);
        Smt2Script script = writeSmt2(g, seed);
        ASSERT_EQ(script.text, writeSmt2(g, seed).text) << "not a function of the seed";
        for (Feature& f : features) f.count += script.text.find(f.text) != std::string::npos;
        std::ofstream(path, std::ios::binary) << script.text;

        StubSolver stub(g, script);
        int fd = open(path.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        std::FILE* out = std::tmpfile();
        ASSERT_NE(out, nullptr);
        ScriptRun run;
        run.status = torva::smt2::runScript(
            fd, [&](const TermStore& s, const std::vector<TermId>& q) { return stub.check(s, q); }, out);
        close(fd);
        run.finished = true;
        run.responses = readAll(out);
        std::fclose(out);
        ASSERT_EQ(stub.problem, "") << "seed " << seed << "\n" << script.text << g.bench.text();
        ASSERT_EQ(stub.calls, script.checks.size()) << script.text << run.responses;
        CheckResult r = checkScriptRun(g, script, run);
        ASSERT_TRUE(r.ok) << "seed " << seed << ": " << r.message << "\n" << script.text << "responses:\n" << run.responses;
        checked++;
    }
    std::remove(path.c_str());
    rmdir(dir.c_str());
    for (const Feature& f : features) EXPECT_GE(f.count, 3) << "the writer hardly writes " << f.text;
    EXPECT_EQ(checked, 240);
}

// The response check refuses wrong answers, models that break an
// assertion, values of the wrong sort, missing declarations, error
// responses and a wrong exit status.
TEST(Smt2Writer, ResponseCheckRejectsWrongResponses) {
    Generated g;
    g.bench.decls = {{"x", 4, false}, {"p", 1, true}};
    Node x, p, c, eq, conj;
    x.op = Op::Var, x.width = 4, x.decl = 0;
    p.op = Op::Pred, p.decl = 1;
    c.op = Op::Const, c.width = 4, c.value = 5;
    int xi = g.bench.add(x), pi = g.bench.add(p), ci = g.bench.add(c);
    eq.op = Op::Equal, eq.kids = {xi, ci};
    int ei = g.bench.add(eq);
    conj.op = Op::And, conj.kids = {ei, pi};
    g.bench.assertions.push_back({g.bench.add(conj), false});
    g.bench.expect = Expect::Sat;
    Smt2Script script;
    Smt2Check check;
    check.expect = Expect::Sat;
    check.asserted = {0};
    script.checks = {check};
    script.query = Smt2Query::Model;

    auto verdict = [&](const std::string& responses, int status) {
        ScriptRun run;
        run.finished = true;
        run.status = status;
        run.responses = responses;
        return checkScriptRun(g, script, run).ok;
    };
    const std::string good = "sat\n(\n  (define-fun x () (_ BitVec 4) #b0101)\n  (define-fun |p| () Bool true)\n)\n";
    EXPECT_TRUE(verdict(good, 10));
    EXPECT_TRUE(verdict("sat\n((define-fun x () (_ BitVec 4) (_ bv5 4)) (define-fun p () Bool true))", 10));
    EXPECT_FALSE(verdict(good, 20)) << "exit status";
    EXPECT_FALSE(verdict("unsat\n", 20)) << "answer";
    EXPECT_FALSE(verdict("sat\n((define-fun x () (_ BitVec 4) #b0100) (define-fun p () Bool true))", 10)) << "model";
    EXPECT_FALSE(verdict("sat\n((define-fun x () (_ BitVec 5) #b00101) (define-fun p () Bool true))", 10)) << "sort";
    EXPECT_FALSE(verdict("sat\n((define-fun x () (_ BitVec 4) #b0101))", 10)) << "missing p";
    EXPECT_FALSE(verdict(good + "(error \"1:1: oops\")\n", 10)) << "error";
    EXPECT_FALSE(verdict(good + "sat\n", 10)) << "unexpected response";

    script.query = Smt2Query::Values;
    script.values = {{1, -1}, {-1, ei}, {0, -1}};
    EXPECT_TRUE(verdict("sat\n((p true) ((= x #b0101) true) (x #x5))", 10));
    EXPECT_FALSE(verdict("sat\n((p true) ((= x #b0101) false) (x #x5))", 10)) << "value of a term";
    EXPECT_FALSE(verdict("sat\n((p true) (x #x5))", 10)) << "too few values";
}

}  // namespace
}  // namespace torva_random
