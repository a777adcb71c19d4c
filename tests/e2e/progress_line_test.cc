// The progress line of a slow read: drawn on standard error when that is a
// terminal and the reading has taken more than a second, erased before the
// answer, and never written when standard error is a file.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "e2e/torva_process.h"

namespace {

struct SlowRun {
    int status;
    std::string out;
    std::string err;
};

// Runs torva on a script fed through a pipe in two parts, 1.6 s apart, with
// standard error on a pseudo-terminal or on a file.
SlowRun runWithSlowInput(bool stderrTerminal) {
    std::string binary = environment("TORVA_BINARY");
    int input[2];
    if (pipe(input) != 0) return {127, "", "pipe"};
    int terminal = -1, terminalSide = -1;
    if (stderrTerminal && openpty(&terminal, &terminalSide, nullptr, nullptr, nullptr) != 0) return {127, "", "pty"};
    CaptureFile out, err;
    pid_t child = fork();
    if (child == 0) {
        dup2(input[0], STDIN_FILENO);
        dup2(out.descriptor(), STDOUT_FILENO);
        dup2(stderrTerminal ? terminalSide : err.descriptor(), STDERR_FILENO);
        close(input[1]);
        execl(binary.c_str(), binary.c_str(), "--smt2", "-", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(input[0]);
    if (stderrTerminal) close(terminalSide);
    const std::string first = "(declare-const x (_ BitVec 8))\n";
    const std::string second = "(assert (= (bvmul x #x03) #x09))(check-sat)\n";
    bool written = write(input[1], first.data(), first.size()) == static_cast<ssize_t>(first.size());
    usleep(1600 * 1000);
    written = written && write(input[1], second.data(), second.size()) == static_cast<ssize_t>(second.size());
    close(input[1]);
    std::string shown;
    if (stderrTerminal) {
        char buffer[4096];
        ssize_t n;
        while ((n = read(terminal, buffer, sizeof buffer)) > 0) shown.append(buffer, static_cast<size_t>(n));
        close(terminal);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!written) return {127, "", "could not feed the child"};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), out.contents(),
            stderrTerminal ? shown : err.contents()};
}

TEST(ProgressLine, DrawnOnATerminalAndErasedBeforeTheAnswer) {
    SlowRun run = runWithSlowInput(true);
    EXPECT_EQ(run.status, 10) << run.err;
    EXPECT_EQ(run.out, "sat\n");
    const std::string erase = "\r\033[K";
    size_t drawn = run.err.find(erase + "torva: read ");
    ASSERT_NE(drawn, std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" MB, ", drawn), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" clauses", drawn), std::string::npos) << run.err;
    EXPECT_EQ(run.err.rfind(erase), run.err.size() - erase.size()) << "the line is erased at the end";
}

TEST(ProgressLine, NeverWrittenWhenStandardErrorIsAFile) {
    SlowRun run = runWithSlowInput(false);
    EXPECT_EQ(run.status, 10);
    EXPECT_EQ(run.out, "sat\n");
    EXPECT_EQ(run.err, "");
}

}  // namespace
