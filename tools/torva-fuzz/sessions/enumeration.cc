// The enumerating check function and the runner of a session.
#include "sessions/enumeration.h"

#include <algorithm>
#include <cstdio>

#include "terms/evaluator.h"

namespace torva_sessions {
namespace {

std::vector<torva::terms::TermId> freeVariables(const torva::terms::TermStore& store, const std::vector<torva::terms::TermId>& roots) {
    std::vector<char> seen(store.size(), 0);
    std::vector<torva::terms::TermId> stack(roots.begin(), roots.end()), variables;
    while (!stack.empty()) {
        torva::terms::TermId t = stack.back();
        stack.pop_back();
        if (seen[t]) continue;
        seen[t] = 1;
        if (store.kind(t) == torva::terms::Kind::Variable) variables.push_back(t);
        for (uint32_t i = 0; i < store.numArgs(t); i++) stack.push_back(store.arg(t, i));
    }
    std::sort(variables.begin(), variables.end());
    return variables;
}

}  // namespace

std::string readAll(std::FILE* f) {
    std::rewind(f);
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    return text;
}

torva::terms::CheckOutcome enumerate(torva::terms::TermStore& store, const std::vector<torva::terms::TermId>& assertions) {
    std::vector<torva::terms::TermId> variables = freeVariables(store, assertions);
    uint32_t bits = 0;
    for (torva::terms::TermId v : variables) bits += store.sort(v) == torva::terms::kBool ? 1 : store.width(v);
    torva::terms::CheckOutcome outcome;
    if (bits > 16) {
        outcome.reason = "too-many-bits";
        return outcome;
    }
    torva::terms::Evaluator evaluator(store);
    for (uint32_t a = 0; a < (1u << bits); a++) {
        torva::terms::Model model;
        uint32_t rest = a;
        for (torva::terms::TermId v : variables) {
            uint32_t width = store.sort(v) == torva::terms::kBool ? 1 : store.width(v);
            mpz_class value(rest & ((1u << width) - 1));
            rest >>= width;
            evaluator.assign(v, value);
            model.values.emplace_back(v, value);
        }
        bool all = true;
        for (torva::terms::TermId t : assertions) all = all && evaluator.value(t) != 0;
        if (all) {
            outcome.answer = torva::terms::Answer::Sat;
            outcome.model = std::move(model);
            return outcome;
        }
    }
    outcome.answer = torva::terms::Answer::Unsat;
    return outcome;
}

ScriptRun runContinued(const std::string& script, const torva::terms::QueryFunction& check) {
    std::FILE* in = std::tmpfile();
    std::fwrite(script.data(), 1, script.size(), in);
    std::fflush(in);
    std::rewind(in);
    std::FILE* out = std::tmpfile();
    torva::smt2::Script session(check, out);
    session.setErrorBehavior(torva::smt2::ErrorBehavior::ContinuedExecution);
    int status = session.run(fileno(in));
    ScriptRun run{readAll(out), status};
    std::fclose(out);
    std::fclose(in);
    return run;
}

}  // namespace torva_sessions
