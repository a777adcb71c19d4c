// Test helpers for whole benchmarks: write a benchmark file, parse it (and
// solve it) in a child process, and compare the child's report with the
// expected one. Files are written and removed by the parent; children end
// with _Exit so that none of the parent's teardown runs twice.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "config.h"
#include "frontend/smt2xml.h"
#include "solver/solver.h"

namespace parse_test {

// A benchmark file in the test's temporary directory, removed with the
// object.
struct BenchmarkFile {
    std::string path;

    explicit BenchmarkFile(const std::string& text) {
        static int counter = 0;
        path = testing::TempDir() + "torva_frontend_" + std::to_string(getpid()) + "_" + std::to_string(counter++) +
               ".smt";
        std::ofstream(path, std::ios::binary) << text;
    }
    ~BenchmarkFile() { std::remove(path.c_str()); }
    BenchmarkFile(const BenchmarkFile&) = delete;
    BenchmarkFile& operator=(const BenchmarkFile&) = delete;
};

// A benchmark made of declarations of 8-bit x and y, 4-bit u, boolean p and
// q, and the given attributes.
inline std::string benchmark(const std::string& attributes) {
    return "(benchmark test\n:logic QF_BV\n:extrafuns ((x BitVec[8]) (y BitVec[8]) (u BitVec[4]))\n"
           ":extrapreds ((p) (q))\n" + attributes + "\n)\n";
}

// The run's progress lines are of no interest in a child.
inline void silenceStdout() { (void)std::freopen("/dev/null", "w", stdout); }

// Parses the file and ends the process with status 0.
[[noreturn]] inline void parseAndExit(const std::string& path) {
    silenceStdout();
    Solver s(prioParams[0]);
    parseSMT(s, const_cast<char*>(path.c_str()));
    std::fflush(stdout);
    std::_Exit(0);
}

// Parses, simplifies and solves; ends the process with 10 (satisfiable) or
// 20 (unsatisfiable).
[[noreturn]] inline void decideAndExit(const std::string& path) {
    silenceStdout();
    Solver s(prioParams[0]);
    parseSMT(s, const_cast<char*>(path.c_str()));
    clearVariables();
    bool sat = s.simplify() && s.solve(vec<Lit>());
    std::fflush(stdout);
    std::_Exit(sat ? 10 : 20);
}

// The text as a POSIX extended regular expression that matches it literally.
inline std::string quoted(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (std::strchr(".[]()*+?{}|^$\\", c)) out += '\\';
        out += c;
    }
    return out;
}

// Parses and decides `text` in a child; `sat` is the expected answer.
inline void expectAnswer(const std::string& text, bool sat) {
    BenchmarkFile file(text);
    EXPECT_EXIT(decideAndExit(file.path), testing::ExitedWithCode(sat ? 10 : 20), "") << text;
}

// The parse of `text` ends with the parse error `message` on input line
// `line` ("Syntax error" for a syntax error).
inline void expectParseError(const std::string& text, const std::string& message, int line) {
    BenchmarkFile file(text);
    std::string report = "ERROR: " + message + " at " + file.path + ":" + std::to_string(line) + "\n";
    EXPECT_EXIT(parseAndExit(file.path), testing::ExitedWithCode(1), testing::Eq(report)) << text;
}

// The parse of `text` aborts with a fatal report of `source` and `message`;
// its line names the raising statement, not the input, and is left open.
inline void expectFatal(const std::string& text, const std::string& source, const std::string& message) {
    BenchmarkFile file(text);
    EXPECT_EXIT(parseAndExit(file.path), testing::KilledBySignal(SIGABRT),
                "^File: " + quoted(source) + "\nLine: [0-9]+\n\n" + quoted(message) + "\n$")
        << text;
}

}  // namespace parse_test
