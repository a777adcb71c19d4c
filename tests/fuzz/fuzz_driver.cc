// Mutational fuzzing of the lexer and the parser through the torva program.
// Every input runs in its own process (parse errors exit and fatal reports
// abort by design, so the program cannot be fuzzed in-process); the driver
// mutates benchmark text at byte, token and subexpression level, starting
// from the files of the given corpus directories, built-in syntax samples and
// generated benchmarks, and checks that every run ends in one of the
// expected ways: a result, a parse error, a fatal report, an error line, a
// read error, running out of the memory or CPU limit only for inputs with
// huge numbers, or running out of time in the search (after the front end has
// printed "solving": a hard instance, not a hang). Anything else - a signal,
// a sanitizer report, a failed assertion, a hang or memory growth of the
// front end on a small input - is a fault; faults
// are kept in the output directory. Deterministic per seed; the time bound
// only decides how many inputs are tried.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "random/generator.h"
#include "random/prng.h"

using torva_random::Prng;

namespace {

struct Options {
    std::string binary;
    std::vector<std::string> corpora;
    std::string out = "fuzz-findings";
    uint64_t seed = 1;
    int seconds = 150;
    int cpuSeconds = 10;
    int memoryMb = 2048;
    int jobs = 2;
    bool asan = false;
};

// ---------------------------------------------------------------- seeds

const char* const kSamples[] = {
    "",
    "(benchmark b :logic QF_BV)",
    "(benchmark b :logic QF_BV :extrafuns ((x BitVec[8])) :formula (= x bv5[8]))",
    "(benchmark b :logic QF_BV :extrapreds ((p)) :assumption p :formula (not p))",
    "(benchmark b\n; a comment\n :notes \"two\nlines\" :source { x \\} y } :status sat :logic QF_BV\n"
    " :extrafuns ((x BitVec[4] :named)) :formula (bvult x bv3[4]))",
    "(benchmark b :logic QF_BV :extrafuns ((x BitVec[8])(y BitVec[8]))\n"
    " :formula (let (?s (bvadd x y)) (flet ($f (bvugt ?s x)) (and $f (= (extract[3:0] ?s) bv1[4])))))",
    "(benchmark b :logic QF_BV :extrafuns ((x BitVec[8])) :formula (= (concat (extract[7:4] x) (extract[3:0] x)) x))",
    "(benchmark b :logic QF_BV :extrafuns ((x BitVec[8])) :formula (bvslt (sign_extend[8] x) (zero_extend[8] x)))",
    "(benchmark b :logic QF_BV :extrafuns ((x BitVec[8])(s BitVec[8])) :formula (= (bvshl x s) (shift_left0 x s)))",
    "(benchmark b :logic QF_BV :extrafuns ((x BitVec[6])(y BitVec[6]))\n"
    " :formula (distinct (bvudiv x y) (bvurem x y) (bvsdiv x y) (bvsrem x y) (bvmul x y)))",
    "(benchmark b :logic QF_BV :extrafuns ((x BitVec[1])) :formula (iff (= x bit1) (= x bit0) false))",
    "(benchmark b :logic QF_BV :extrafuns ((x BitVec[32])) :formula (= x 7))",
    "(benchmark b :logic QF_BV :extrafuns ((x BitVec[4])) :formula (ite (= x bv0[4]) (= (ite true x bv1[4]) x) false))",
    "(benchmark b :logic QF_BV :extrasorts :formula true)",
    "(benchmark b :logic QF_BV :extrafuns ((f BitVec[8] BitVec[8])) :formula true)",
    "(benchmark b :logic QF_BV :extrafuns ((x BitVec[8])) :formula (bvlt x x))",
    "(benchmark b :logic QF_BV :extrafuns ((x BitVec[8])) :formula (= (repeat[2] x) (rotate_left[1] x)))",
    "(benchmark b :logic QF_BV :extrafuns ((x BitVec[8])) :formula (= (bvashr x x) (bvcomp x x)))",
    "(benchmark b :logic QF_BV :extrafuns ((x BitVec[8])) :formula (implies (bvsge x bv0[8]) (xor (bvsle x x) (bvsgt x x))))",
};

// Tokens the mutations insert: every keyword, the punctuation, and the
// shapes of numerals, variables, strings, user values and comments.
const char* const kTokens[] = {
    ":assumption", ":extrafuns", ":extrapreds", ":extrasorts", ":formula", ":logic", ":notes", ":source",
    ":status", "and", "benchmark", "bitvec", "BitVec", "bvadd", "bvand", "bvashr", "bvcomp", "bvlshr", "bvmul",
    "bvnand", "bvneg", "bvnor", "bvnot", "bvor", "bvredand", "bvredor", "bvsdiv", "bvsge", "bvsgt", "bvshl",
    "bvsle", "bvslt", "bvsrem", "bvsub", "bvudiv", "bvuge", "bvugt", "bvule", "bvult", "bvurem", "bvxnor",
    "bvxor", "concat", "distinct", "extract", "false", "flet", "if_then_else", "iff", "implies", "ite", "let",
    "not", "or", "repeat", "rotate_left", "rotate_right", "shift_left0", "shift_right0", "sign_extend", "true",
    "xor", "zero_extend", "QF_BV", "QF_BVx", "(", ")", "[", "]", ":", "=", "(", ")", "bv0[1]", "bv5[8]",
    "bv255[8]", "bit0", "bit1", "bit12", "7", "-7", "+7", "0", "?x", "?t0", "$f", "$f0", "x", "p", ":named",
    ":foo {bar}", "\"str\"", "{uv}", "{a\\}b}", "; comment\n", "BVADD", "bvlt", "[7:0]", "[8]", "[0]",
    "4294967295", "4294967296", "99999999999999999999999", "bv1[64]", "bv1[65]", "(extract[3:0] x)",
    "(bvadd x x)", "(= x x)", "(not p)", "\r\n", "\t", "\x01", "\x80", "\"", "{", "}", ";", "?", "$", "x-y",
};

const char* const kNumbers[] = {"0", "1", "2", "7", "8", "31", "32", "33", "63", "64", "65", "255", "256",
                                "4294967294", "4294967295", "4294967296", "18446744073709551616", "-1", "+1"};

const char* const kWrappers[][2] = {
    {"(not ", ")"}, {"(bvnot ", ")"}, {"(bvneg ", ")"}, {"(extract[3:0] ", ")"}, {"(zero_extend[4] ", ")"},
    {"(sign_extend[1] ", ")"}, {"(= ", " bv0[8])"}, {"(and ", " true)"}, {"(ite true ", " x)"},
    {"(let (?w x) ", ")"}, {"(flet ($g true) ", ")"}, {"(", " :named)"}, {"((", "))"},
    {"(concat ", " bit1)"}, {"(bvadd ", " bv1[8])"}, {"(iff ", " true false)"}, {"(distinct ", " x x)"},
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> corpusFiles(const std::string& dir) {
    std::vector<std::string> files;
    DIR* d = opendir(dir.c_str());
    if (!d) return files;
    while (dirent* e = readdir(d)) {
        std::string path = dir + "/" + e->d_name;
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= 65536) files.push_back(path);
    }
    closedir(d);
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> initialCorpus(const Options& o) {
    std::vector<std::string> corpus(std::begin(kSamples), std::end(kSamples));
    for (const std::string& dir : o.corpora)
        for (const std::string& f : corpusFiles(dir)) corpus.push_back(readFile(f));
    for (uint64_t i = 0; i < 60; i++) {
        torva_random::GenSettings s;
        s.shape = static_cast<torva_random::Shape>(i % 3);
        s.maxWidth = 16;
        s.depth = 2;
        s.decorate = i % 2 == 0;
        corpus.push_back(torva_random::generate(o.seed * 1000 + i, s).bench.text());
    }
    return corpus;
}

// ---------------------------------------------------------------- mutation

struct Span {
    size_t begin, end;
};

// Token boundaries: runs of word characters, single punctuation, whitespace.
std::vector<Span> tokens(const std::string& s) {
    std::vector<Span> v;
    size_t i = 0;
    auto word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("_.'?$:-+", c); };
    while (i < s.size()) {
        size_t j = i + 1;
        if (word(s[i]))
            while (j < s.size() && word(s[j])) j++;
        else if (std::isspace(static_cast<unsigned char>(s[i])))
            while (j < s.size() && std::isspace(static_cast<unsigned char>(s[j]))) j++;
        v.push_back({i, j});
        i = j;
    }
    return v;
}

// Balanced parenthesised subexpressions (ignoring strings and comments).
std::vector<Span> groups(const std::string& s) {
    std::vector<Span> v;
    std::vector<size_t> open;
    for (size_t i = 0; i < s.size(); i++) {
        if (s[i] == '(') open.push_back(i);
        else if (s[i] == ')' && !open.empty()) {
            v.push_back({open.back(), i + 1});
            open.pop_back();
        }
    }
    return v;
}

class Mutator {
public:
    explicit Mutator(uint64_t seed) : rng(seed) {}

    std::string mutate(const std::string& parent, const std::vector<std::string>& pool) {
        std::string s = parent;
        int rounds = 1 + static_cast<int>(rng.below(4));
        for (int r = 0; r < rounds; r++) once(s, pool);
        if (s.size() > 200000) s.resize(200000);
        return s;
    }

    Prng& random() { return rng; }

private:
    Prng rng;

    template <size_t N>
    const char* pick(const char* const (&table)[N]) { return table[rng.below(N)]; }

    void once(std::string& s, const std::vector<std::string>& pool) {
        std::vector<Span> t = tokens(s);
        switch (rng.below(10)) {
            case 0:
                if (!s.empty()) s[rng.below(s.size())] = static_cast<char>(rng.below(256));
                break;
            case 1: {
                size_t at = t.empty() ? 0 : t[rng.below(t.size())].begin;
                s.insert(at, std::string(" ") + pick(kTokens) + " ");
                break;
            }
            case 2: {
                if (t.empty()) break;
                size_t first = rng.below(t.size());
                size_t last = std::min(t.size() - 1, first + rng.below(3));
                s.erase(t[first].begin, t[last].end - t[first].begin);
                break;
            }
            case 3: {
                if (t.empty()) break;
                Span x = t[rng.below(t.size())];
                s.replace(x.begin, x.end - x.begin, pick(kTokens));
                break;
            }
            case 4: numeral(s, t); break;
            case 5: splice(s, pool); break;
            case 6: {
                std::vector<Span> g = groups(s);
                if (g.empty()) break;
                Span x = g[rng.below(g.size())];
                std::string inner = s.substr(x.begin, x.end - x.begin);
                s.insert(x.end, " " + inner);
                break;
            }
            case 7: {
                std::vector<Span> g = groups(s);
                if (g.empty()) break;
                Span x = g[rng.below(g.size())];
                const char* const* w = kWrappers[rng.below(sizeof kWrappers / sizeof kWrappers[0])];
                s.insert(x.end, w[1]);
                s.insert(x.begin, w[0]);
                break;
            }
            case 8: {
                std::vector<Span> g = groups(s);
                if (g.size() < 2) break;
                Span a = g[rng.below(g.size())], b = g[rng.below(g.size())];
                if (a.end <= b.begin || b.end <= a.begin) {
                    if (b.begin < a.begin) std::swap(a, b);
                    std::string sa = s.substr(a.begin, a.end - a.begin), sb = s.substr(b.begin, b.end - b.begin);
                    s.replace(b.begin, b.end - b.begin, sa);
                    s.replace(a.begin, a.end - a.begin, sb);
                }
                break;
            }
            default: {
                if (t.empty()) break;
                Span x = t[rng.below(t.size())];
                s.erase(x.begin, x.end - x.begin);
                break;
            }
        }
    }

    void numeral(std::string& s, const std::vector<Span>& t) {
        std::vector<Span> digits;
        for (const Span& x : t)
            if (std::isdigit(static_cast<unsigned char>(s[x.end - 1]))) digits.push_back(x);
        if (digits.empty()) return;
        Span x = digits[rng.below(digits.size())];
        size_t begin = x.begin;
        while (begin < x.end && !std::isdigit(static_cast<unsigned char>(s[begin]))) begin++;
        s.replace(begin, x.end - begin, pick(kNumbers));
    }

    void splice(std::string& s, const std::vector<std::string>& pool) {
        const std::string& donor = pool[rng.below(pool.size())];
        std::vector<Span> mine = groups(s), theirs = groups(donor);
        if (mine.empty() || theirs.empty()) return;
        Span a = mine[rng.below(mine.size())], b = theirs[rng.below(theirs.size())];
        s.replace(a.begin, a.end - a.begin, donor.substr(b.begin, b.end - b.begin));
    }
};

// ---------------------------------------------------------------- running

enum class Outcome { Result, ParseError, FatalReport, ErrorLine, ReadError, Resource, Fault };

const char* outcomeName(Outcome o) {
    switch (o) {
        case Outcome::Result: return "result";
        case Outcome::ParseError: return "parse error";
        case Outcome::FatalReport: return "fatal report";
        case Outcome::ErrorLine: return "error line";
        case Outcome::ReadError: return "read error";
        case Outcome::Resource: return "resource limit (huge numbers or a long search)";
        case Outcome::Fault: return "FAULT";
    }
    return "?";
}

struct Verdict {
    Outcome outcome;
    std::string why;   // for faults: the kind of fault, used to group them
};

// Inputs with a number of 1000 or more may legitimately need more memory or
// time than the limits allow (widths and extension counts are not bounded).
bool hasHugeNumber(const std::string& s) {
    size_t run = 0;
    for (size_t i = 0; i <= s.size(); i++) {
        if (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
            run++;
            continue;
        }
        if (run >= 4) {
            size_t start = i - run;
            while (start < i - 1 && s[start] == '0') start++;
            if (i - start >= 4) return true;
        }
        run = 0;
    }
    return false;
}

bool contains(const std::string& s, const char* what) { return s.find(what) != std::string::npos; }

bool startsLine(const std::string& s, const char* what) {
    return s.compare(0, std::strlen(what), what) == 0 || contains(s, (std::string("\n") + what).c_str());
}

Verdict classify(int status, bool wallKilled, const std::string& out, const std::string& err, bool huge) {
    auto fault = [](const std::string& why) { return Verdict{Outcome::Fault, why}; };
    auto resource = [&](const std::string& why) { return huge ? Verdict{Outcome::Resource, why} : fault(why + " on a small input"); };
    bool memory = contains(err, "bad_alloc") || contains(err, "length_error") || contains(err, "out of memory") ||
                  contains(err, "rss limit") || contains(err, "allocation-size-too-big") ||
                  contains(err, "requested allocation size");
    if (contains(err, "Sanitizer") || contains(err, "runtime error:")) {
        if (memory) return resource("memory exhausted");
        std::string first = err.substr(err.find(contains(err, "runtime error:") ? "runtime error:" : "Sanitizer"));
        return fault("sanitizer: " + first.substr(0, first.find('\n')).substr(0, 120));
    }
    if (wallKilled || (WIFSIGNALED(status) && (WTERMSIG(status) == SIGXCPU || WTERMSIG(status) == SIGKILL))) {
        // The front end is done once "solving" is printed; a search that runs
        // out of time is a hard instance, not a hang of the lexer or parser.
        if (startsLine(out, "solving")) return {Outcome::Resource, "search time limit"};
        return resource("time limit exhausted");
    }
    if (WIFEXITED(status)) {
        int code = WEXITSTATUS(status);
        if ((code == 10 || code == 20) && contains(out, "Result: ")) return {Outcome::Result, ""};
        if ((code == 0 || code == 1) && startsLine(err, "ERROR: ")) return {Outcome::ParseError, ""};
        if (code == 1 && (startsLine(out, "Error: ") || startsLine(err, "Error: "))) return {Outcome::ErrorLine, ""};
        if (code == 2 && contains(err, "input in flex scanner failed")) return {Outcome::ReadError, ""};
        return fault("exit status " + std::to_string(code));
    }
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT) {
        if (startsLine(err, "File: ") && contains(err, "\nLine: ")) return {Outcome::FatalReport, ""};
        if (memory) return resource("memory exhausted");
        if (contains(err, "Assertion")) {
            std::string first = err.substr(err.find("Assertion"));
            return fault("assertion: " + first.substr(0, first.find('\n')).substr(0, 160));
        }
        return fault("abort without a fatal report");
    }
    return fault(std::string("signal ") + (WIFSIGNALED(status) ? strsignal(WTERMSIG(status)) : "?"));
}

struct Job {
    pid_t pid = -1;
    std::string input;
    std::string inputPath, outPath, errPath;
    std::chrono::steady_clock::time_point started;
};

void setLimits(const Options& o) {
    rlimit cpu{static_cast<rlim_t>(o.cpuSeconds), static_cast<rlim_t>(o.cpuSeconds + 1)};
    setrlimit(RLIMIT_CPU, &cpu);
    rlimit core{0, 0};
    setrlimit(RLIMIT_CORE, &core);
    if (!o.asan) {
        rlim_t bytes = static_cast<rlim_t>(o.memoryMb) << 20;
        rlimit as{bytes, bytes};
        setrlimit(RLIMIT_AS, &as);
    }
}

void start(const Options& o, Job& j) {
    {
        std::ofstream(j.inputPath, std::ios::binary) << j.input;
    }
    j.started = std::chrono::steady_clock::now();
    j.pid = fork();
    if (j.pid != 0) return;
    int in = open("/dev/null", O_RDONLY);
    int out = open(j.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(j.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    setLimits(o);
    std::string asan = "detect_leaks=0:abort_on_error=1:hard_rss_limit_mb=" + std::to_string(o.memoryMb);
    setenv("ASAN_OPTIONS", asan.c_str(), 1);
    setenv("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1", 1);
    execl(o.binary.c_str(), o.binary.c_str(), j.inputPath.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

// Waits for the job, killing it when it runs far beyond its CPU limit in
// wall-clock time (a process that sleeps or blocks).
int finish(const Options& o, Job& j, bool& wallKilled) {
    int status = 0;
    wallKilled = false;
    for (;;) {
        pid_t r = waitpid(j.pid, &status, WNOHANG);
        if (r == j.pid) return status;
        auto elapsed = std::chrono::steady_clock::now() - j.started;
        if (!wallKilled && elapsed > std::chrono::seconds(4 * o.cpuSeconds + 10)) {
            kill(j.pid, SIGKILL);
            wallKilled = true;
        }
        usleep(2000);
    }
}

std::string tail(const std::string& s, size_t n) { return s.size() > n ? "..." + s.substr(s.size() - n) : s; }

bool parseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--asan") {
            o.asan = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        std::string v = argv[++i];
        if (a == "--binary") o.binary = v;
        else if (a == "--corpus") o.corpora.push_back(v);
        else if (a == "--out") o.out = v;
        else if (a == "--seed") o.seed = std::strtoull(v.c_str(), nullptr, 10);
        else if (a == "--seconds") o.seconds = std::atoi(v.c_str());
        else if (a == "--cpu-seconds") o.cpuSeconds = std::atoi(v.c_str());
        else if (a == "--memory-mb") o.memoryMb = std::atoi(v.c_str());
        else if (a == "--jobs") o.jobs = std::atoi(v.c_str());
        else return false;
    }
    return !o.binary.empty() && o.jobs > 0 && o.cpuSeconds > 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parseOptions(argc, argv, o)) {
        std::cerr << "usage: torva_fuzz --binary PATH [--corpus DIR]... [--out DIR] [--seed N] [--seconds N]\n"
                     "                  [--cpu-seconds N] [--memory-mb N] [--jobs N] [--asan]\n";
        return 2;
    }
    mkdir(o.out.c_str(), 0755);
    char tmpl[] = "/tmp/torva-fuzz-XXXXXX";
    std::string work = mkdtemp(tmpl) ? tmpl : "/tmp";

    std::vector<std::string> pool = initialCorpus(o);
    const size_t seedCount = pool.size();
    Mutator mutator(o.seed);
    std::map<Outcome, uint64_t> counts;
    std::map<std::string, int> faultKinds;
    uint64_t faults = 0, runs = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(o.seconds);

    std::deque<Job> running;
    uint64_t next = 0;
    for (;;) {
        bool timeLeft = std::chrono::steady_clock::now() < deadline;
        while (timeLeft && static_cast<int>(running.size()) < o.jobs) {
            Job j;
            std::string slot = work + "/job" + std::to_string(next % static_cast<uint64_t>(o.jobs + 1));
            j.inputPath = slot + ".smt";
            j.outPath = slot + ".out";
            j.errPath = slot + ".err";
            j.input = next < seedCount ? pool[next] : mutator.mutate(pool[mutator.random().below(pool.size())], pool);
            next++;
            start(o, j);
            running.push_back(j);
        }
        if (running.empty()) break;
        // Results are taken in submission order, so the pool evolves the same
        // way for a given seed whatever the timing.
        Job j = running.front();
        running.pop_front();
        bool wallKilled = false;
        int status = finish(o, j, wallKilled);
        std::string out = readFile(j.outPath), err = readFile(j.errPath);
        Verdict v = classify(status, wallKilled, out, err, hasHugeNumber(j.input));
        counts[v.outcome]++;
        runs++;
        bool deep = v.outcome == Outcome::Result || v.outcome == Outcome::FatalReport;
        if (deep && pool.size() < 4000 && j.input.size() < 20000) pool.push_back(j.input);
        if (v.outcome != Outcome::Fault) continue;
        faults++;
        int& seen = faultKinds[v.why];
        if (++seen > 5) continue;
        std::string base = o.out + "/fault-" + std::to_string(faults);
        std::ofstream(base + ".smt", std::ios::binary) << j.input;
        std::ofstream(base + ".txt") << "fault: " << v.why << "\nstandard output:\n" << tail(out, 3000)
                                     << "\nstandard error:\n" << tail(err, 6000) << "\n";
        std::cout << "FAULT " << v.why << " (kept as " << base << ".smt)" << std::endl;
    }
    for (const char* suffix : {".smt", ".out", ".err"})
        for (int k = 0; k <= o.jobs; k++) std::remove((work + "/job" + std::to_string(k) + suffix).c_str());
    rmdir(work.c_str());

    std::cout << "fuzzing: " << runs << " runs in " << o.seconds << " s (seed " << o.seed << ")\n";
    for (const auto& c : counts) std::cout << "  " << outcomeName(c.first) << ": " << c.second << "\n";
    for (const auto& k : faultKinds) std::cout << "  fault kind: " << k.first << " x" << k.second << "\n";
    std::cout << "fuzz: " << runs - faults << " passed, " << faults << " failed" << std::endl;
    return faults ? 1 : 0;
}
