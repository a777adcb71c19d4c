// The random sessions and their two runs. Invariant: each session runs in
// an engine context of its own (its preset's configuration, fresh module
// tables and counters), so sessions do not depend on each other or change
// what the caller's thread holds.
#include "sessions/session_check.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/clausal_session.h"
#include "engine/engine_context.h"
#include "engine/incremental_solve.h"
#include "engine/presets.h"
#include "engine/run_settings.h"
#include "random/prng.h"
#include "sessions/enumeration.h"

namespace torva_sessions {
namespace {

using torva::terms::Answer;
using torva::terms::CheckOutcome;
using torva::terms::CheckQuery;
using torva::terms::TermId;
using torva_random::Prng;

// Three words of 3, 4 and 4 bits and a Boolean: 12 bits, so that every
// query is decided by enumeration in a moment.
const char* const kWords[] = {"x", "y", "z"};
const int kWidths[] = {3, 4, 4};

class ScriptWriter {
public:
    explicit ScriptWriter(uint64_t seed) : rng_(seed) {}

    std::string write() {
        cores_ = rng_.coin();
        text_ = "(set-option :produce-unsat-cores " + std::string(cores_ ? "true" : "false") +
                ")\n(set-option :produce-unsat-assumptions true)\n(set-logic QF_BV)\n";
        declare();
        int steps = rng_.range(15, 45);
        for (int i = 0; i < steps; i++) step();
        text_ += "(check-sat)\n";
        return text_;
    }

private:
    void declare() {
        for (int i = 0; i < 3; i++)
            text_ += "(declare-const " + std::string(kWords[i]) + " (_ BitVec " + std::to_string(kWidths[i]) + "))\n";
        text_ += "(declare-const b Bool)\n";
    }

    void step() {
        int r = rng_.range(0, 99);
        if (r < 35) {
            if (rng_.chance(20))
                text_ += "(assert " + fact() + ")\n";
            else if (rng_.chance(30))
                text_ += "(assert (! " + formula(3) + " :named n" + std::to_string(names_++) + "))\n";
            else
                text_ += "(assert " + formula(3) + ")\n";
        } else if (r < 50 && depth_ < 8) {
            int n = rng_.range(1, 2);
            n = std::min(n, 8 - depth_);
            depth_ += n;
            text_ += "(push " + std::to_string(n) + ")\n";
        } else if (r < 62 && depth_ > 0) {
            int n = rng_.range(1, depth_);
            depth_ -= n;
            text_ += "(pop " + std::to_string(n) + ")\n";
        } else if (r < 80) {
            text_ += "(check-sat)\n";
            if (rng_.chance(30)) text_ += "(get-value (x y z b))\n";
            if (cores_ && rng_.chance(20)) text_ += "(get-unsat-core)\n";
        } else if (r < 96) {
            text_ += "(check-sat-assuming (";
            int n = rng_.range(0, 3);
            for (int i = 0; i < n; i++) text_ += (i ? " " : "") + literal();
            text_ += "))\n";
            if (rng_.chance(30)) text_ += "(get-unsat-assumptions)\n";
        } else {
            text_ += "(reset-assertions)\n";
            depth_ = 0;
            declare();
        }
    }

    // A fact that fixes one variable.
    std::string fact() {
        int v = rng_.range(0, 3);
        if (v == 3) return rng_.coin() ? "b" : "(not b)";
        return "(= " + std::string(kWords[v]) + " " + constant(kWidths[v]) + ")";
    }

    std::string literal() {
        switch (rng_.range(0, 3)) {
            case 0: return "b";
            case 1: return "(not b)";
            default: return comparison(2);
        }
    }

    std::string word(int depth, int& width) {
        int v = rng_.range(0, 2);
        if (depth == 0 || rng_.chance(30)) {
            width = kWidths[v];
            if (rng_.chance(25)) return constant(width);
            return kWords[v];
        }
        int a = 0, b = 0;
        std::string left = word(depth - 1, a);
        switch (rng_.range(0, 9)) {
            case 0: width = a; return "(bvnot " + left + ")";
            case 1: width = rng_.range(1, a); return "((_ extract " + std::to_string(width - 1) + " 0) " + left + ")";
            case 2: {
                std::string right = word(depth - 1, b);
                if (a + b > 8) break;
                width = a + b;
                return "(concat " + left + " " + right + ")";
            }
            case 3: {
                width = a;
                std::string condition = formula(depth - 1);
                std::string right = word(depth - 1, b);
                return "(ite " + condition + " " + left + " " + fit(right, b, a) + ")";
            }
            default: break;
        }
        static const char* const ops[] = {"bvadd", "bvmul", "bvand", "bvor", "bvxor", "bvshl", "bvlshr", "bvsub",
                                          "bvudiv", "bvurem"};
        width = a;
        const char* op = ops[rng_.range(0, 9)];
        std::string right = word(depth - 1, b);
        return "(" + std::string(op) + " " + left + " " + fit(right, b, a) + ")";
    }

    // t (of width from) as a word of width to.
    std::string fit(const std::string& t, int from, int to) {
        if (from == to) return t;
        if (from > to) return "((_ extract " + std::to_string(to - 1) + " 0) " + t + ")";
        return "((_ zero_extend " + std::to_string(to - from) + ") " + t + ")";
    }

    std::string constant(int width) {
        std::string bits = "#b";
        for (int i = 0; i < width; i++) bits += rng_.coin() ? '1' : '0';
        return bits;
    }

    std::string comparison(int depth) {
        static const char* const ops[] = {"=", "bvult", "bvule", "bvslt", "bvsge", "distinct"};
        int a = 0, b = 0;
        const char* op = ops[rng_.range(0, 5)];
        std::string left = word(depth, a);
        std::string right = word(depth, b);
        return "(" + std::string(op) + " " + left + " " + fit(right, b, a) + ")";
    }

    std::string formula(int depth) {
        if (depth == 0 || rng_.chance(40)) return rng_.chance(15) ? literal() : comparison(std::max(depth, 1));
        switch (rng_.range(0, 1)) {
            case 0: return "(not " + formula(depth - 1) + ")";
            default: {
                static const char* const ops[] = {"and", "or", "=>", "xor"};
                const char* op = ops[rng_.range(0, 3)];
                std::string left = formula(depth - 1);
                std::string right = formula(depth - 1);
                return "(" + std::string(op) + " " + left + " " + right + ")";
            }
        }
    }

    Prng rng_;
    std::string text_;
    int depth_ = 0;
    int names_ = 0;
    bool cores_ = false;
};

// The check-sat answers of an output, one letter each.
std::string answers(const std::string& output) {
    std::string letters;
    size_t at = 0;
    while (at < output.size()) {
        size_t end = output.find('\n', at);
        std::string line = output.substr(at, end - at);
        if (line == "sat") letters += 's';
        if (line == "unsat") letters += 'u';
        if (line == "unknown") letters += 'k';
        at = end == std::string::npos ? output.size() : end + 1;
    }
    return letters;
}

// The scripts ask for values and cores without knowing the answer; the
// only errors they may cause are those of asking out of turn.
bool onlyOutOfTurnErrors(const std::string& output) {
    for (size_t at = output.find("(error"); at != std::string::npos; at = output.find("(error", at + 1)) {
        size_t end = output.find('\n', at);
        if (output.substr(at, end - at).find("is only allowed after") == std::string::npos) return false;
    }
    return true;
}

struct Variant {
    const char* name;
    torva::Preset preset;
    torva::Engine engine;
    bool rewrite;
    uint64_t rebuildFloor;   // of the clausal session
    uint32_t abstractWidth;  // of the clausal session
};

using torva::ClausalSession;
using torva::Engine;
using torva::Preset;

const Variant kVariants[] = {
    {"classic search", Preset::Classic, Engine::Core, false, 0, 0},
    {"present-day search", Preset::Clauses, Engine::Core, false, 0, 0},
    {"CaDiCaL", Preset::Fast, Engine::Cadical, true, ClausalSession::kRebuildFloor, 0},
    {"modules", Preset::Modules, Engine::Core, false, 0, 0},
    {"CaDiCaL without rewriting", Preset::Fast, Engine::Cadical, false, ClausalSession::kRebuildFloor, 0},
    {"CaDiCaL, circuits retired often", Preset::Fast, Engine::Cadical, true, 30, 0},
    {"CaDiCaL, every multiplication, quotient and remainder abstracted, circuits retired often", Preset::Fast,
     Engine::Cadical, true, 30, 1},
};

}  // namespace

SessionVerdict checkSession(uint64_t seed) {
    const Variant& variant = kVariants[seed % (sizeof kVariants / sizeof kVariants[0])];
    torva::RunConfig config = torva::presetConfig(variant.preset);
    torva::EngineContext context(config);
    torva::ActiveContext active(context);
    torva::GraphSolveOptions options;
    options.search = config.choice.search;
    options.engine = variant.engine;
    options.abstractWidth = variant.abstractWidth;
    torva::simplify::SimplifySettings rewriting;
    options.simplify = variant.rewrite ? &rewriting : nullptr;
    SessionVerdict verdict;
    verdict.variant = variant.name;
    verdict.script = ScriptWriter(seed).write();

    torva::IncrementalSolve modular(options);
    ClausalSession clausal(options, variant.rebuildFloor);
    torva::terms::QueryFunction incremental = [&](torva::terms::TermStore& store, const CheckQuery& query) {
        CheckOutcome outcome =
            variant.engine == Engine::Cadical ? clausal.check(store, query) : modular.check(store, query);
        if (outcome.answer == Answer::Unsat) {
            std::vector<TermId> core(query.assertions.begin(), query.assertions.begin() + query.permanent);
            for (size_t i : outcome.coreAssertions) core.push_back(query.assertions[i]);
            for (size_t i : outcome.coreAssumptions) core.push_back(query.assumptions[i]);
            if (enumerate(store, core).answer != Answer::Unsat) ++verdict.badCores;
        }
        return outcome;
    };
    verdict.answers = answers(runContinued(verdict.script, incremental).output);
    verdict.reference = runContinued(verdict.script, torva::terms::everyQueryAfresh(enumerate)).output;
    verdict.expected = answers(verdict.reference);
    verdict.agree = verdict.answers == verdict.expected && verdict.expected.find('k') == std::string::npos &&
                    verdict.badCores == 0 && onlyOutOfTurnErrors(verdict.reference);
    return verdict;
}

}  // namespace torva_sessions
