// Parse throughput of the SMT-LIB 2 reader: a generated script of about
// 50 MB in the shape of real QF_BV benchmarks (a few 32-bit variables, then
// definitions and assertions built from let chains over arithmetic, bitwise
// operations, slices, if-then-else and comparisons, with repeated subterms)
// is read into the term graph; no check-sat, so the solver is never asked.
// Reports MB/s and the bytes per term node of the graph plus the reader's
// tables.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "frontend/smt2/script.h"
#include "input_files.h"

namespace {

const size_t kTargetBytes = 50u << 20;
const int kVariables = 6;

// A small deterministic generator of choices.
struct Choices {
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    uint32_t below(uint32_t n) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<uint32_t>(state % n);
    }
};

std::string hexConstant(Choices& c) {
    static const char* const kConstants[] = {"#x00000001", "#x000000ff", "#xdeadbeef", "#x7fffffff", "#x00010000"};
    return kConstants[c.below(5)];
}

// A 32-bit term over the given 32-bit operands.
std::string wordTerm(Choices& c, const std::vector<std::string>& operands) {
    const std::string& a = operands[c.below(static_cast<uint32_t>(operands.size()))];
    const std::string& b = operands[c.below(static_cast<uint32_t>(operands.size()))];
    switch (c.below(9)) {
        case 0: return "(bvadd " + a + " " + b + ")";
        case 1: return "(bvmul " + a + " " + hexConstant(c) + ")";
        case 2: return "(bvxor " + a + " " + b + ")";
        case 3: return "(concat ((_ extract 15 0) " + a + ") ((_ extract 31 16) " + b + "))";
        case 4: return "(ite (bvult " + a + " " + b + ") " + a + " " + b + ")";
        case 5: return "(bvand " + a + " (bvor " + b + " " + hexConstant(c) + "))";
        case 6: return "(bvadd x0 x1)";  // shared throughout
        case 7: return "((_ zero_extend 16) ((_ extract 23 8) " + a + "))";
        default: return "(bvsub " + a + " (bvadd " + b + " #x00000001))";
    }
}

std::string comparison(Choices& c, const std::string& a, const std::string& b) {
    static const char* const kOps[] = {"bvult", "bvsle", "=", "bvuge", "distinct"};
    return std::string("(") + kOps[c.below(5)] + " " + a + " " + b + ")";
}

// One definition: a let chain whose names are unique throughout the
// script, as in generated benchmarks.
std::string definition(Choices& c, size_t index, size_t& letNames, std::vector<std::string>& defined) {
    std::vector<std::string> operands;
    for (int i = 0; i < kVariables; i++) operands.push_back("x" + std::to_string(i));
    for (size_t i = defined.size() > 4 ? defined.size() - 4 : 0; i < defined.size(); i++)
        operands.push_back(defined[i]);
    std::string text = "(define-fun d" + std::to_string(index) + " () (_ BitVec 32)\n";
    const int depth = 6 + static_cast<int>(c.below(10));
    for (int i = 0; i < depth; i++) {
        std::string name = "?x" + std::to_string(letNames++);
        text += " (let ((" + name + " " + wordTerm(c, operands) + "))\n";
        operands.push_back(name);
    }
    text += "  " + wordTerm(c, operands) + std::string(depth, ')') + ")\n";
    defined.push_back("d" + std::to_string(index));
    return text;
}

std::string assertion(Choices& c, const std::vector<std::string>& defined) {
    const std::string& a = defined[c.below(static_cast<uint32_t>(defined.size()))];
    const std::string& b = defined.back();
    std::string x = "x" + std::to_string(c.below(kVariables));
    return "(assert (let ((?c " + comparison(c, a, x) + ")) (or ?c (and " + comparison(c, b, a) + " (not " +
           comparison(c, (std::string("(bvadd ") + a + " " + x + ")"), b) + ")))))\n";
}

std::string writeScript(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "w");
    std::string text = "(set-info :status unknown)\n(set-logic QF_BV)\n";
    for (int i = 0; i < kVariables; i++) text += "(declare-fun x" + std::to_string(i) + " () (_ BitVec 32))\n";
    Choices c;
    std::vector<std::string> defined;
    size_t written = 0, letNames = 0;
    for (size_t i = 0; written + text.size() < kTargetBytes; i++) {
        text += definition(c, i, letNames, defined);
        text += assertion(c, defined);
        if (text.size() >= (1u << 20)) {
            written += std::fwrite(text.data(), 1, text.size(), f);
            text.clear();
        }
    }
    text += "(exit)\n";
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return path;
}

// The generated script, removed when the program ends.
struct ScriptFile {
    std::string path = writeScript("/tmp/torva_bench_smt2_" + std::to_string(getpid()) + ".smt2");
    ~ScriptFile() { std::remove(path.c_str()); }
};

const std::string& scriptFile() {
    static const ScriptFile file;
    return file.path;
}

void parseToGraph(benchmark::State& state) {
    const std::string& path = scriptFile();
    const size_t bytes = fileSize(path);
    std::FILE* sink = std::fopen("/dev/null", "w");
    torva::terms::CheckFunction neverCalled = [](torva::terms::TermStore&,
                                                 const std::vector<torva::terms::TermId>&) {
        return torva::terms::CheckOutcome();
    };
    for (auto _ : state) {
        auto script = std::make_unique<torva::smt2::Script>(neverCalled, sink);
        int fd = open(path.c_str(), O_RDONLY);
        int status = script->run(fd);
        close(fd);
        state.PauseTiming();
        if (status != 0) state.SkipWithError("the generated script does not parse");
        const double nodes = static_cast<double>(script->store().size());
        state.counters["nodes"] = nodes;
        state.counters["bytes_per_node"] =
            static_cast<double>(script->store().memoryBytes() + script->tableBytes()) / nodes;
        script.reset();
        state.ResumeTiming();
    }
    std::fclose(sink);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["MB_per_s"] = benchmark::Counter(
        static_cast<double>(bytes) / 1e6 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["input_MB"] = static_cast<double>(bytes) / 1e6;
}

}  // namespace

BENCHMARK(parseToGraph)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
