// The exhaustive check function and the script runners of the reader tests.
#include "script_harness.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "terms/evaluator.h"

namespace torva::smt2::testing {
namespace {

std::vector<terms::TermId> freeVariables(const terms::TermStore& store, const std::vector<terms::TermId>& roots) {
    std::vector<char> seen(store.size(), 0);
    std::vector<terms::TermId> stack(roots.begin(), roots.end()), variables;
    while (!stack.empty()) {
        terms::TermId t = stack.back();
        stack.pop_back();
        if (seen[t]) continue;
        seen[t] = 1;
        if (store.kind(t) == terms::Kind::Variable) variables.push_back(t);
        for (uint32_t i = 0; i < store.numArgs(t); i++) stack.push_back(store.arg(t, i));
    }
    std::sort(variables.begin(), variables.end());
    return variables;
}

std::string readAll(std::FILE* f) {
    std::rewind(f);
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    return text;
}

// False once the reader has closed its end.
bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

ScriptRun runFromFd(int fd, const terms::CheckFunction& check) {
    std::FILE* out = std::tmpfile();
    int status = runScript(fd, check, out);
    ScriptRun run{readAll(out), status};
    std::fclose(out);
    return run;
}

}  // namespace

terms::CheckOutcome enumerate(terms::TermStore& store, const std::vector<terms::TermId>& assertions) {
    std::vector<terms::TermId> variables = freeVariables(store, assertions);
    uint32_t bits = 0;
    for (terms::TermId v : variables) bits += store.sort(v) == terms::kBool ? 1 : store.width(v);
    terms::CheckOutcome outcome;
    if (bits > 16) {
        outcome.reason = "too-many-bits";
        return outcome;
    }
    terms::Evaluator evaluator(store);
    for (uint32_t a = 0; a < (1u << bits); a++) {
        terms::Model model;
        uint32_t rest = a;
        for (terms::TermId v : variables) {
            uint32_t width = store.sort(v) == terms::kBool ? 1 : store.width(v);
            mpz_class value(rest & ((1u << width) - 1));
            rest >>= width;
            evaluator.assign(v, value);
            model.values.emplace_back(v, value);
        }
        bool all = true;
        for (terms::TermId t : assertions) all = all && evaluator.value(t) != 0;
        if (all) {
            outcome.answer = terms::Answer::Sat;
            outcome.model = std::move(model);
            return outcome;
        }
    }
    outcome.answer = terms::Answer::Unsat;
    return outcome;
}

ScriptRun runScriptText(const std::string& script, int& checks) {
    std::FILE* in = std::tmpfile();
    std::fwrite(script.data(), 1, script.size(), in);
    std::fflush(in);
    std::rewind(in);
    terms::CheckFunction check = [&checks](terms::TermStore& store, const std::vector<terms::TermId>& a) {
        ++checks;
        return enumerate(store, a);
    };
    ScriptRun run = runFromFd(fileno(in), check);
    std::fclose(in);
    return run;
}

ScriptRun runContinued(const std::string& script, const terms::QueryFunction& check) {
    std::FILE* in = std::tmpfile();
    std::fwrite(script.data(), 1, script.size(), in);
    std::fflush(in);
    std::rewind(in);
    std::FILE* out = std::tmpfile();
    Script session(check, out);
    session.setErrorBehavior(ErrorBehavior::ContinuedExecution);
    int status = session.run(fileno(in));
    ScriptRun run{readAll(out), status};
    std::fclose(out);
    std::fclose(in);
    return run;
}

ScriptRun runScriptText(const std::string& script) {
    int checks = 0;
    return runScriptText(script, checks);
}

std::string withoutEngineStatistics(std::string output) {
    for (size_t at = output.find(" :conflicts "); at != std::string::npos; at = output.find(" :conflicts ", at))
        output.erase(at, output.find("))", at) - at);
    return output;
}

void expectRuns(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        ScriptRun run = runScriptText(c.script);
        EXPECT_EQ(withoutEngineStatistics(run.output), c.output) << c.name;
        EXPECT_EQ(run.status, c.status) << c.name;
    }
}

ScriptRun runScriptThroughPipe(const std::string& script, size_t piece) {
    std::signal(SIGPIPE, SIG_IGN);  // a script that stops early closes the pipe on the writer
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    std::thread writer([&] {
        for (size_t at = 0; at < script.size(); at += piece)
            if (!writeAll(fds[1], script.data() + at, std::min(piece, script.size() - at))) break;
        close(fds[1]);
    });
    ScriptRun run = runFromFd(fds[0], enumerate);
    close(fds[0]);
    writer.join();
    return run;
}

}  // namespace torva::smt2::testing
