// The exhaustive check function and the script runners of the reader tests.
#include "script_harness.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <thread>


namespace torva::smt2::testing {
namespace {

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
    ScriptRun run{torva_sessions::readAll(out), status};
    std::fclose(out);
    return run;
}

}  // namespace

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
