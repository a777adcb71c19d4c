// Scripts over a pipe: every command is answered as soon as it is complete,
// before the rest of the script exists, and reading in pieces of any size
// gives the same responses as reading a file.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "script_harness.h"

namespace torva::smt2::testing {
namespace {

// Reads from fd until `size` bytes arrived, the writer closed, or ten
// seconds passed.
std::string readUpTo(int fd, size_t size) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (text.size() < size) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[256];
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

void writeText(int fd, const std::string& text) {
    ASSERT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size()));
}

TEST(Pipe, ResponsesArriveBeforeTheRestOfTheScript) {
    int in[2], out[2];
    ASSERT_EQ(pipe(in), 0);
    ASSERT_EQ(pipe(out), 0);
    std::FILE* responses = fdopen(out[1], "w");
    int status = -1;
    std::thread reader([&] {
        status = runScript(in[0], enumerate, responses);
        std::fclose(responses);
    });
    writeText(in[1],
              "(set-option :print-success true)\n(declare-const x (_ BitVec 4))\n(assert (= x #x5))\n(check-sat)");
    const std::string first = "success\nsuccess\nsuccess\nsat\n";
    EXPECT_EQ(readUpTo(out[0], first.size()), first);
    writeText(in[1], "\n(get-value (x))\n(exit)\n");
    close(in[1]);
    EXPECT_EQ(readUpTo(out[0], SIZE_MAX), "((x #b0101))\nsuccess\n");
    reader.join();
    EXPECT_EQ(status, 10);
    close(in[0]);
    close(out[0]);
}

TEST(Pipe, PiecesOfAnySizeReadLikeAFile) {
    const std::string small =
        "; comment\n(set-option :print-success true)(declare-const |x y| (_ BitVec 3))\n"
        "(assert (let ((v (bvadd |x y| (_ bv1 3)))) (! (bvult v #b011) :named n)))(check-sat)"
        "(get-value ((concat #x1 |x y|)))(get-assignment)(echo \"a \"\"b\"\"\")";
    std::string large, expected;
    for (int i = 0; i < 20000; i++) {
        std::string v = "v" + std::to_string(i), n = std::to_string(i);
        large += "(declare-const " + v + " (_ BitVec 4)) ; comment " + n + "\n(assert (= " + v + " #x" +
                 "0123456789abcdef"[i % 16] + "))\n(echo \"s \"\"" + n + "\"\"\")(push 1)(pop 1)\n";
        expected += "\"s \"\"" + n + "\"\"\"\n";
    }
    large += "(check-sat)(get-info :name)";
    expected += "unknown\n(:name \"torva\")\n";
    const ScriptRun smallFile = runScriptText(small);
    EXPECT_EQ(smallFile.status, 10);
    const ScriptRun largeFile = runScriptText(large);
    EXPECT_EQ(largeFile.output, expected);
    for (size_t piece : {size_t(1), size_t(2), size_t(5)}) {
        ScriptRun run = runScriptThroughPipe(small, piece);
        EXPECT_EQ(run.output, smallFile.output) << piece;
        EXPECT_EQ(run.status, smallFile.status) << piece;
    }
    for (size_t piece : {size_t(4093), size_t(1 << 20) + 3}) {
        ScriptRun run = runScriptThroughPipe(large, piece);
        EXPECT_EQ(run.output, expected) << piece;
        EXPECT_EQ(run.status, 0) << piece;
    }
}

TEST(Pipe, AReaderThatStopsEarlyLeavesTheRestUnread) {
    ScriptRun run = runScriptThroughPipe("(check-sat)(exit)" + std::string(1 << 20, ' ') + "(check-sat)", 4096);
    EXPECT_EQ(run.output, "sat\n");
    EXPECT_EQ(run.status, 10);
}

}  // namespace
}  // namespace torva::smt2::testing
