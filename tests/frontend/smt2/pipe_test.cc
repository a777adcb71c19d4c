// Scripts over a pipe: reading in pieces of any size gives the same
// responses as reading a file, and a reader that stops early leaves the rest
// unread. (That each command is answered before the rest of the script
// exists is checked through the program's standard input by the end-to-end
// pipe sessions.)
#include <gtest/gtest.h>

#include <string>

#include "script_harness.h"

namespace torva::smt2::testing {
namespace {

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
