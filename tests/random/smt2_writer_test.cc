// The SMT-LIB 2 writer read back by the SMT-LIB 2 reader, without a solver:
// every check-sat goes to a stub that knows from the script which
// assertions are in force, compares the reader's term graph with the
// reference evaluator on every assignment of narrow instances (on the
// planted values, a model and random values of wide ones), and answers with
// a model of its own. The responses then pass the graph oracle's response
// check, so the model and get-value printing are checked too. Benchmark and
// script are functions of the seed, and every construct of the writer occurs.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "random/graph_oracle.h"
#include "random/prng.h"
#include "sessions/enumeration.h"
#include "terms/evaluator.h"

namespace torva_random {
namespace {

using torva::terms::CheckOutcome;
using torva::terms::Kind;
using torva::terms::TermId;
using torva::terms::TermStore;

// The variables reachable from the roots, by ascending id.
std::vector<TermId> variablesOf(const TermStore& store, std::vector<TermId> todo) {
    std::vector<char> seen(store.size(), 0);
    std::vector<TermId> vars;
    while (!todo.empty()) {
        TermId t = todo.back();
        todo.pop_back();
        if (seen[t]) continue;
        seen[t] = 1;
        if (store.kind(t) == Kind::Variable) vars.push_back(t);
        for (uint32_t i = 0; i < store.numArgs(t); i++) todo.push_back(store.arg(t, i));
    }
    std::sort(vars.begin(), vars.end());
    return vars;
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

    bool expected(const Smt2Check& c, const Assignment& a) const {
        Evaluator ev(bench);
        for (int i : c.asserted)
            if (!ev.holds(bench.assertions[i].node, a)) return false;
        return c.negated < 0 || !ev.holds(bench.assertions[c.negated].node, a);
    }
    std::vector<Assignment> samples(const Smt2Check& c) const;
    CheckOutcome fail(const std::string& p) {
        if (problem.empty()) problem = "check-sat " + std::to_string(calls) + ": " + p;
        return CheckOutcome();
    }
};

// Every assignment of the declarations read when they are at most 10 bits;
// else the planted values, a model of the check and random assignments.
std::vector<Assignment> StubSolver::samples(const Smt2Check& c) const {
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

// Under each sample, the query holds for some values of its other variables
// (the guards of assumptions; a literal of the query fixes its variable)
// exactly when the benchmark's assertions in force hold. The answer is the
// script's, with the first sample that satisfies the query as the model.
CheckOutcome StubSolver::check(const TermStore& store, const std::vector<TermId>& query) {
    if (calls >= script.checks.size()) return fail("more checks than the script has");
    const Smt2Check& c = script.checks[calls++];
    std::map<TermId, uint64_t> fixed;
    for (TermId q : query) {
        bool negated = store.kind(q) == Kind::Not;
        TermId v = negated ? store.arg(q, 0) : q;
        if (store.kind(v) == Kind::Variable) fixed[v] = !negated;
    }
    std::vector<TermId> vars = variablesOf(store, query);
    std::vector<int> declOf(vars.size(), -1);
    std::vector<size_t> guards;
    for (size_t v = 0; v < vars.size(); v++) {
        for (size_t d = 0; d < bench.decls.size(); d++)
            if (store.name(vars[v]) == bench.decls[d].name) declOf[v] = static_cast<int>(d);
        if (declOf[v] < 0 && !fixed.count(vars[v])) guards.push_back(v);
    }
    if (guards.size() > 8) return fail("too many guards");
    CheckOutcome outcome;
    bool haveModel = false;
    for (const Assignment& a : samples(c)) {
        // The value of variable v under the sample and the guards' values `choice`.
        auto valueOf = [&](size_t v, uint64_t choice) -> uint64_t {
            if (declOf[v] >= 0) return a[declOf[v]];
            if (fixed.count(vars[v])) return fixed[vars[v]];
            return (choice >> (std::find(guards.begin(), guards.end(), v) - guards.begin())) & 1;
        };
        bool want = expected(c, a), got = false;
        torva::terms::Evaluator ev(store);
        uint64_t choice = 0;
        for (; choice < (uint64_t{1} << guards.size()) && !got; choice++) {
            for (size_t v = 0; v < vars.size(); v++)
                ev.assign(vars[v], mpz_class(static_cast<unsigned long>(valueOf(v, choice))));
            got = std::all_of(query.begin(), query.end(), [&](TermId q) { return ev.value(q) != 0; });
        }
        if (got != want) {
            std::ostringstream os;
            os << "the script's assertions are " << got << " and the benchmark's " << want << " under";
            for (size_t d = 0; d < a.size(); d++) os << " " << bench.decls[d].name << "=" << a[d];
            return fail(os.str());
        }
        if (got && !haveModel) {
            haveModel = true;
            for (size_t v = 0; v < vars.size(); v++)
                outcome.model.values.push_back({vars[v], mpz_class(static_cast<unsigned long>(valueOf(v, choice - 1)))});
        }
    }
    if (c.expect == Expect::Unsat ? haveModel : !haveModel) return fail("the samples contradict the expected answer");
    outcome.answer = haveModel ? torva::terms::Answer::Sat : torva::terms::Answer::Unsat;
    return outcome;
}

TEST(Smt2Writer, ScriptsReadAsTheirBenchmarks) {
    std::map<std::string, int> features;
    for (const char* f : {"(check-sat-assuming", "(push", "(pop", "(define-fun fun", "(define-fun assertion", "(let ((",
                          ") (", "|", "#x", "(_ bv", "(=> ", ":named", "(get-value", "(get-model)", "rotate_left",
                          "rotate_right", "bvsmod", "(_ repeat", "bvashr", "(distinct", "(let ((amount",
                          "(declare-fun", "(exit)"})
        features[f] = 0;
    std::set<std::string> texts;
    for (uint64_t seed = 0; seed < 240; seed++) {
        GenSettings settings = graphSettingsFor(static_cast<Shape>(seed % 3), ToClauses(), seed);
        Generated g = generate(seed, settings);
        ASSERT_EQ(g.bench.text(), generate(seed, settings).bench.text()) << "benchmark not a function of the seed";
        Smt2Script script = writeSmt2(g, seed);
        ASSERT_EQ(script.text, writeSmt2(g, seed).text) << "script not a function of the seed";
        texts.insert(g.bench.text());
        for (auto& [text, count] : features) count += script.text.find(text) != std::string::npos;

        StubSolver stub(g, script);
        torva_sessions::ScriptRun reply = torva_sessions::runContinued(
            script.text, torva::terms::everyQueryAfresh(
                             [&](TermStore& s, const std::vector<TermId>& q) { return stub.check(s, q); }));
        ASSERT_EQ(stub.problem, "") << "seed " << seed << "\n" << script.text << g.bench.text();
        ASSERT_EQ(stub.calls, script.checks.size()) << script.text << reply.output;
        ScriptRun run;
        run.finished = true;
        run.status = reply.status;
        run.responses = reply.output;
        CheckResult r = checkScriptRun(g, script, run);
        ASSERT_TRUE(r.ok) << "seed " << seed << ": " << r.message << "\n" << script.text << "responses:\n" << reply.output;
    }
    EXPECT_GT(texts.size(), 230u) << "the seed hardly matters";
    for (const auto& [text, count] : features) EXPECT_GE(count, 3) << "the writer hardly writes " << text;
}

}  // namespace
}  // namespace torva_random
