// Parse throughput: a generated benchmark of about 50 MB, one long chain of
// nested lets over 32-bit arithmetic, scanned alone and parsed with the
// whole translation into a solver (parse + encode). Reports bytes per
// second and the peak resident memory of the process.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "config.h"
#include "input_files.h"
#include "frontend/lexer.h"
#include "frontend/smt2xml.h"
#include "solver/solver.h"

namespace {
const size_t targetBytes = 50u << 20;

// The binding of the i-th let over the previous value p: one addition and
// one exclusive or in every sixteen bindings, the rest rotate and slice
// bits (no new variables), so that the encoded problem stays in memory.
std::string binding(size_t i, const std::string& p) {
    switch (i % 16) {
        case 0: return "(bvadd " + p + " x)";
        case 8: return "(bvxor " + p + " y)";
        case 12: return "(zero_extend[8] (extract[23:0] " + p + "))";
        default: return "(concat (extract[23:0] " + p + ") (extract[31:24] " + p + "))";
    }
}

std::string writeChain(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "w");
    std::string text = "(benchmark chain\n:logic QF_BV\n:extrafuns ((x BitVec[32]) (y BitVec[32]))\n:formula\n";
    size_t written = 0, depth = 0;
    std::string previous = "x";
    // Every open let costs one closing parenthesis at the end.
    while (written + text.size() + depth < targetBytes) {
        std::string name = "?t" + std::to_string(depth);
        text += "(let (" + name + " " + binding(depth, previous) + ")\n";
        previous = name;
        ++depth;
        if (text.size() >= (1u << 20)) {
            written += std::fwrite(text.data(), 1, text.size(), f);
            text.clear();
        }
    }
    text += "(= " + previous + " y)" + std::string(depth, ')') + "\n)\n";
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return path;
}

// The generated benchmark, removed when the program ends.
struct ChainFile {
    std::string path = writeChain("/tmp/torva_bench_parse_" + std::to_string(getpid()) + ".smt");
    ~ChainFile() { std::remove(path.c_str()); }
};

const std::string& chainFile() {
    static const ChainFile file;
    return file.path;
}

double peakResidentMB() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void scanOnly(benchmark::State& state) {
    const std::string& path = chainFile();
    for (auto _ : state) {
        FILE* in = std::fopen(path.c_str(), "r");
        startLexer(in, path.c_str());
        size_t tokens = 0;
        for (;; ++tokens) {
            yylval.text = nullptr;
            int code = yylex();
            if (code == 0) break;
            if (code == NUMERAL || code == BIT)
                delete yylval.number;
            else
                std::free(yylval.text);
        }
        stopLexer();
        std::fclose(in);
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileSize(path)));
    state.counters["peak_rss_MB"] = peakResidentMB();
}

void parseAndEncode(benchmark::State& state) {
    const std::string& path = chainFile();
    for (auto _ : state) {
        auto s = std::make_unique<Solver>(prioParams[0]);
        parseSMT(*s, const_cast<char*>(path.c_str()));
        state.PauseTiming();
        clearVariables();
        state.counters["variables"] = s->nVars();
        state.counters["clauses"] = s->nClauses();
        state.counters["modules"] = static_cast<double>(s->modules.size());
        for (Module* m : s->modules) delete m;
        s.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileSize(path)));
    state.counters["peak_rss_MB"] = peakResidentMB();
}
}  // namespace

BENCHMARK(scanOnly)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(parseAndEncode)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
