// torva-fuzz readers, mutational fuzzing of the program's readers (SMT-LIB 1 default, SMT-LIB 1
// --extended, SMT-LIB 2 scripts), one language per run of the driver. Every
// input runs in its own process (errors exit and fatal reports abort by
// design); runs are judged by the rules of fuzz/verdicts.h plus two answer
// oracles: built-in scripts and their answer-keeping variants must give their
// known answers, and --extended must agree with the default reader wherever
// that reader vouches for the whole input. Faults are kept in the output
// directory. Deterministic per seed; the time bound only decides how many
// inputs are tried.
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
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "fuzz/smt2_mutator.h"
#include "fuzz/smt2_seeds.h"
#include "fuzz/smt2_tokens.h"
#include "fuzz/verdicts.h"
#include "random/generator.h"
#include "random/prng.h"

using torva_random::Prng;
using namespace torva_fuzz;

namespace {

enum class Language { Benchmark, Extended, Script };

struct Options {
    std::string binary;
    std::vector<std::string> corpora;
    std::string out = "fuzz-findings";
    std::string minimize;  // a fault input to shrink instead of fuzzing
    Language language = Language::Benchmark;
    uint64_t seed = 1;
    int seconds = 150;
    int cpuSeconds = 10;
    int memoryMb = 2048;
    int jobs = 2;
    bool asan = false;
};

const char* languageName(Language l) {
    switch (l) {
        case Language::Benchmark: return "smt1";
        case Language::Extended: return "extended";
        case Language::Script: return "smt2";
    }
    return "?";
}

const char* inputSuffix(Language l) { return l == Language::Script ? ".smt2" : ".smt"; }

// ---------------------------------------------------------------- SMT-LIB 1 seeds

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

// Constructs that only the extended reader accepts.
const char* const kExtendedSamples[] = {
    "(benchmark e :logic QF_BV :extrafuns ((x BitVec[8]))\n"
    " :formula (and (= (bvsmod x bv3[8]) bv1[8]) (bvlt x bv10[8]) (or (= x bv1[8]) (= x bv4[8]) (= x bv7[8]))))",
    "(benchmark e :logic QF_BV :extrapreds ((p) (q)) :formula (= p q (not p)))",
    "(benchmark e :logic QF_BV :extrafuns ((x BitVec[8])) :formula (= (rotate_right[3] (rotate_left[3] x)) (repeat[1] x)))",
    "(benchmark e :logic QF_BV :extrafuns ((x BitVec[4]))\n"
    " :formula (and (bvle x x) (bvge x x) (bvgt x bv0[4]) (bvlt bv0[4] x) (= (bvashr x bv1[4]) (bvlshr x bv1[4]))))",
    "(benchmark e :logic QF_BV :category { industrial } :difficulty { 3 } :extrafuns ((x BitVec[2]))\n"
    " :formula (xor (= x bv0[2]) (= x bv1[2]) (= x bv2[2])))",
    "(benchmark e :logic QF_BV :extrafuns ((x BitVec[8]))\n"
    " :formula (let (?a (bvadd x bv1[8])) (flet ($b (bvugt ?a x)) (if_then_else $b (= (ite $b ?a x) ?a) false))))",
    "(benchmark e :logic QF_BV :extrafuns ((x BitVec[6]) (y BitVec[6])) :formula (not (= (bvmul x y) (bvmul y x))))",
    "(benchmark e :logic QF_BV :extrafuns ((x BitVec[4])) :formula (and (bvsge x bv8[4]) (bvsle x bv15[4]) (not (bvsgt x bv15[4]))))",
    "(benchmark e :logic QF_BV :extrapreds ((p)) :formula (iff p p (not (not p))) :formula (implies p (or p)))",
    "(benchmark e :logic QF_BV :extrafuns ((x BitVec[8]) (y BitVec[8]))\n"
    " :assumption (= (bvxnor x y) (bvnot (bvxor x y))) :formula (distinct x y (bvnand x y) (bvnor x y)) :status sat)",
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

const char* const kExtendedTokens[] = {
    "bvsmod", "bvlt", "bvle", "bvgt", "bvge", "bvbin0101", "bvhexff", "bvbin", "bvhex", ":category",
    ":difficulty", "{ x }", "rotate_right[3]", "repeat[2]", "repeat[0]", "(or p)", "(and)", "(xor p)",
    "(= p p p)", "(distinct p p)", "[1073741823]", "[1073741824]", "BitVec[0]", "bv0[1073741823]",
};

const char* const kNumbers[] = {"0", "1", "2", "7", "8", "31", "32", "33", "63", "64", "65", "255", "256",
                                "4294967294", "4294967295", "4294967296", "18446744073709551616", "-1", "+1"};

const char* const kWrappers[][2] = {
    {"(not ", ")"}, {"(bvnot ", ")"}, {"(bvneg ", ")"}, {"(extract[3:0] ", ")"}, {"(zero_extend[4] ", ")"},
    {"(sign_extend[1] ", ")"}, {"(= ", " bv0[8])"}, {"(and ", " true)"}, {"(ite true ", " x)"},
    {"(let (?w x) ", ")"}, {"(flet ($g true) ", ")"}, {"(", " :named)"}, {"((", "))"},
    {"(concat ", " bit1)"}, {"(bvadd ", " bv1[8])"}, {"(iff ", " true false)"}, {"(distinct ", " x x)"},
};

const char* const kDeepWrappers[][2] = {
    {"(not ", ")"}, {"(bvnot ", ")"}, {"(let (?z bv0[1]) ", ")"}, {"(flet ($z true) ", ")"},
    {"(and true ", ")"}, {"(", ")"}, {"(rotate_left[1] ", ")"}, {"(extract[0:0] ", ")"},
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool endsWith(const std::string& s, const char* suffix) {
    size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// Regular files of at most maxBytes, sorted; below subfolders too when deep.
std::vector<std::string> corpusFiles(const std::string& root, bool deep, size_t maxBytes) {
    std::vector<std::string> files, folders{root};
    while (!folders.empty()) {
        std::string dir = folders.back();
        folders.pop_back();
        DIR* d = opendir(dir.c_str());
        if (!d) continue;
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            std::string path = dir + "/" + name;
            struct stat st;
            if (stat(path.c_str(), &st) != 0) continue;
            if (S_ISDIR(st.st_mode) && deep) folders.push_back(path);
            else if (S_ISREG(st.st_mode) && static_cast<size_t>(st.st_size) <= maxBytes) files.push_back(path);
        }
        closedir(d);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// ---------------------------------------------------------------- SMT-LIB 1 mutation

struct Span1 {
    size_t begin, end;
};

// Token boundaries: runs of word characters, single punctuation, whitespace.
std::vector<Span1> tokens(const std::string& s) {
    std::vector<Span1> v;
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
std::vector<Span1> groups1(const std::string& s) {
    std::vector<Span1> v;
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

// Byte, token and subexpression mutations of SMT-LIB 1 text. For the
// extended reader it also inserts the constructs only that reader knows and
// nests subexpressions up to 100,000 levels deep.
class Mutator {
public:
    Mutator(uint64_t seed, bool extended) : rng(seed), extended(extended) {}

    std::string mutate(const std::string& parent, const std::vector<std::string>& pool) {
        std::string s = parent;
        int rounds = 1 + static_cast<int>(rng.below(4));
        for (int r = 0; r < rounds; r++) once(s, pool);
        size_t cap = extended ? Smt2Mutator::kMaxScript : 200000;
        if (s.size() > cap) s.resize(cap);
        return s;
    }

    Prng& random() { return rng; }

private:
    Prng rng;
    bool extended;

    template <size_t N>
    const char* pick(const char* const (&table)[N]) { return table[rng.below(N)]; }

    const char* token() {
        if (extended && rng.chance(25)) return pick(kExtendedTokens);
        return pick(kTokens);
    }

    void once(std::string& s, const std::vector<std::string>& pool) {
        std::vector<Span1> t = tokens(s);
        switch (rng.below(extended ? 11 : 10)) {
            case 0:
                if (!s.empty()) s[rng.below(s.size())] = static_cast<char>(rng.below(256));
                break;
            case 1: {
                size_t at = t.empty() ? 0 : t[rng.below(t.size())].begin;
                s.insert(at, std::string(" ") + token() + " ");
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
                Span1 x = t[rng.below(t.size())];
                s.replace(x.begin, x.end - x.begin, token());
                break;
            }
            case 4: numeral(s, t); break;
            case 5: splice(s, pool); break;
            case 6: {
                std::vector<Span1> g = groups1(s);
                if (g.empty()) break;
                Span1 x = g[rng.below(g.size())];
                std::string inner = s.substr(x.begin, x.end - x.begin);
                s.insert(x.end, " " + inner);
                break;
            }
            case 7: {
                std::vector<Span1> g = groups1(s);
                if (g.empty()) break;
                Span1 x = g[rng.below(g.size())];
                const char* const* w = kWrappers[rng.below(std::size(kWrappers))];
                s.insert(x.end, w[1]);
                s.insert(x.begin, w[0]);
                break;
            }
            case 8: {
                std::vector<Span1> g = groups1(s);
                if (g.size() < 2) break;
                Span1 a = g[rng.below(g.size())], b = g[rng.below(g.size())];
                if (a.end <= b.begin || b.end <= a.begin) {
                    if (b.begin < a.begin) std::swap(a, b);
                    std::string sa = s.substr(a.begin, a.end - a.begin), sb = s.substr(b.begin, b.end - b.begin);
                    s.replace(b.begin, b.end - b.begin, sa);
                    s.replace(a.begin, a.end - a.begin, sb);
                }
                break;
            }
            case 10: nestDeeply(s); break;
            default: {
                if (t.empty()) break;
                Span1 x = t[rng.below(t.size())];
                s.erase(x.begin, x.end - x.begin);
                break;
            }
        }
    }

    void numeral(std::string& s, const std::vector<Span1>& t) {
        std::vector<Span1> digits;
        for (const Span1& x : t)
            if (std::isdigit(static_cast<unsigned char>(s[x.end - 1]))) digits.push_back(x);
        if (digits.empty()) return;
        Span1 x = digits[rng.below(digits.size())];
        size_t begin = x.begin;
        while (begin < x.end && !std::isdigit(static_cast<unsigned char>(s[begin]))) begin++;
        s.replace(begin, x.end - begin, pick(kNumbers));
    }

    void splice(std::string& s, const std::vector<std::string>& pool) {
        const std::string& donor = pool[rng.below(pool.size())];
        std::vector<Span1> mine = groups1(s), theirs = groups1(donor);
        if (mine.empty() || theirs.empty()) return;
        Span1 a = mine[rng.below(mine.size())], b = theirs[rng.below(theirs.size())];
        s.replace(a.begin, a.end - a.begin, donor.substr(b.begin, b.end - b.begin));
    }

    void nestDeeply(std::string& s) {
        std::vector<Span1> g = groups1(s);
        if (g.empty()) return;
        Span1 x = g[rng.below(g.size())];
        static const int kDepths[] = {100, 1000, 10000, 100000};
        int depth = kDepths[rng.below(std::size(kDepths))];
        const char* const* w = kDeepWrappers[rng.below(std::size(kDeepWrappers))];
        std::string before, after;
        for (int i = 0; i < depth; i++) {
            before += w[0];
            after += w[1];
        }
        if (s.size() + before.size() + after.size() > Smt2Mutator::kMaxScript) return;
        s.insert(x.end, after);
        s.insert(x.begin, before);
    }
};

// ---------------------------------------------------------------- seeds per language

struct Seed {
    std::string text;
    std::string answers;  // SMT-LIB 2: the expected answers
    bool checked = false;
};

// The answer a corpus script states with (set-info :status sat|unsat), when
// it has exactly one check-sat; else "".
std::string statedAnswer(const std::string& text) {
    std::vector<Token> t = tokenize(text);
    if (checkSatOffsets(text, t).size() != 1) return "";
    for (size_t i = 0; i + 2 < t.size(); i++) {
        if (t[i].kind != Tok::Keyword || tokenText(text, t[i]) != ":status") continue;
        size_t k = i + 1;
        while (k < t.size() && t[k].kind == Tok::Space) k++;
        if (k < t.size() && t[k].kind == Tok::Symbol) {
            std::string word = tokenText(text, t[k]);
            if (word == "sat" || word == "unsat") return word;
        }
    }
    return "";
}

std::vector<Seed> initialCorpus(const Options& o) {
    std::vector<Seed> corpus;
    if (o.language == Language::Script) {
        for (const Script& s : builtinScripts()) corpus.push_back({s.text, s.answers, s.checked});
        std::vector<std::string> files;
        for (const std::string& dir : o.corpora)
            for (const std::string& f : corpusFiles(dir, false, 1 << 16))
                if (endsWith(f, ".smt2")) files.push_back(f);
        if (const char* extra = std::getenv("TORVA_FUZZ_CORPUS"))
            for (const std::string& f : corpusFiles(extra, true, 1 << 18))
                if (endsWith(f, ".smt2")) files.push_back(f);
        for (const std::string& f : files) {
            std::string text = readFile(f);
            std::string stated = statedAnswer(text);
            corpus.push_back({text, stated, false});
        }
        return corpus;
    }
    for (const char* s : kSamples) corpus.push_back({s, "", false});
    if (o.language == Language::Extended)
        for (const char* s : kExtendedSamples) corpus.push_back({s, "", false});
    for (const std::string& dir : o.corpora)
        for (const std::string& f : corpusFiles(dir, false, 1 << 16))
            if (!endsWith(f, ".smt2")) corpus.push_back({readFile(f), "", false});
    for (uint64_t i = 0; i < 60; i++) {
        torva_random::GenSettings s;
        s.shape = static_cast<torva_random::Shape>(i % 3);
        s.maxWidth = 16;
        s.depth = 2;
        s.decorate = i % 2 == 0;
        corpus.push_back({torva_random::generate(o.seed * 1000 + i, s).bench.text(), "", false});
    }
    return corpus;
}

// ---------------------------------------------------------------- running

// How the program is asked to read the input. Scripts are read by name
// (.smt2), with --smt2, or from a pipe fed in random chunks (so tokens and
// commands straddle reads); extended benchmarks sometimes print their model,
// and are read by the default reader too for comparison (Plain).
enum class Way { ByName, Switch, Pipe, Model, Plain };

struct Job {
    pid_t pid = -1, feeder = -1;
    Way way = Way::ByName;
    const Seed* expect = nullptr;  // the seed whose answers the run must give
    uint64_t chunkSeed = 0;
    std::string input;
    std::string inputPath, outPath, errPath;
    std::chrono::steady_clock::time_point started;
};

std::vector<std::string> arguments(Language l, const Job& j) {
    switch (l) {
        case Language::Benchmark: return {j.inputPath};
        case Language::Extended:
            if (j.way == Way::Plain) return {j.inputPath};
            if (j.way == Way::Model) return {"--extended", "-m", j.inputPath};
            return {"--extended", j.inputPath};
        case Language::Script:
            if (j.way == Way::Switch) return {"--smt2", j.inputPath};
            if (j.way == Way::Pipe) return {"-"};
            return {j.inputPath};
    }
    return {};
}

std::string commandLine(const Options& o, const Job& j, const std::string& file) {
    std::string line = "torva";
    for (const std::string& a : arguments(o.language, j)) line += " " + (a == j.inputPath ? file : a);
    if (j.way == Way::Pipe) line += " < " + file;
    return line;
}

class Runner {
public:
    Runner(const Options& o, const std::string& work) : o(o), work(work), scratch(work + "/cwd") {
        mkdir(scratch.c_str(), 0755);
    }

    // Writes the input and starts the program on it.
    void start(Job& j) {
        {
            std::ofstream(j.inputPath, std::ios::binary) << j.input;
        }
        int pipeFds[2] = {-1, -1};
        if (j.way == Way::Pipe && pipe2(pipeFds, O_CLOEXEC) != 0) j.way = Way::ByName;
        j.started = std::chrono::steady_clock::now();
        j.pid = fork();
        if (j.pid == 0) exec(j, pipeFds[0]);
        if (j.way == Way::Pipe) {
            j.feeder = fork();
            if (j.feeder == 0) feed(j, pipeFds[0], pipeFds[1]);
            close(pipeFds[0]);
            close(pipeFds[1]);
        }
    }

    // Waits for the program, killing it when it runs far beyond its CPU
    // limit in wall-clock time (a process that sleeps or blocks).
    RunEnd finish(Job& j) {
        RunEnd r;
        for (;;) {
            pid_t done = waitpid(j.pid, &r.status, WNOHANG);
            if (done == j.pid) break;
            auto elapsed = std::chrono::steady_clock::now() - j.started;
            if (!r.wallKilled && elapsed > std::chrono::seconds(4 * o.cpuSeconds + 10)) {
                kill(j.pid, SIGKILL);
                r.wallKilled = true;
            }
            usleep(2000);
        }
        if (j.feeder > 0) {
            kill(j.feeder, SIGKILL);
            waitpid(j.feeder, nullptr, 0);
            j.feeder = -1;
        }
        r.out = readFile(j.outPath);
        r.err = readFile(j.errPath);
        return r;
    }

    RunEnd run(Job& j) {
        start(j);
        return finish(j);
    }

    // Removes what runs left in the scratch folder (files named by
    // :regular-output-channel) and the folder itself.
    void clean() {
        for (const std::string& f : corpusFiles(scratch, false, ~size_t(0))) std::remove(f.c_str());
        rmdir(scratch.c_str());
    }

private:
    const Options& o;
    std::string work, scratch;

    void setLimits() {
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

    [[noreturn]] void exec(const Job& j, int pipeRead) {
        int in = j.way == Way::Pipe ? pipeRead : open("/dev/null", O_RDONLY);
        int out = open(j.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(j.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (chdir(scratch.c_str()) != 0) _exit(126);
        std::string asan = "detect_leaks=0:abort_on_error=1:hard_rss_limit_mb=" + std::to_string(o.memoryMb);
        setenv("ASAN_OPTIONS", asan.c_str(), 1);
        setenv("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1", 1);
        std::vector<std::string> args = arguments(o.language, j);
        std::vector<char*> argv{const_cast<char*>(o.binary.c_str())};
        for (std::string& a : args) argv.push_back(&a[0]);
        argv.push_back(nullptr);
        setLimits();  // last: nothing is allocated under the limits before exec
        execv(o.binary.c_str(), argv.data());
        _exit(127);
    }

    // Writes the input into the pipe in up to 32 chunks with short pauses.
    [[noreturn]] void feed(const Job& j, int pipeRead, int pipeWrite) {
        close(pipeRead);
        Prng rng(j.chunkSeed);
        size_t chunks = 1 + rng.below(32), at = 0;
        for (size_t c = 0; c < chunks && at < j.input.size(); c++) {
            size_t left = j.input.size() - at;
            size_t n = c + 1 == chunks ? left : std::min(left, 1 + static_cast<size_t>(rng.below(2 * left / (chunks - c) + 1)));
            ssize_t w = write(pipeWrite, j.input.data() + at, n);
            if (w <= 0) _exit(0);
            at += static_cast<size_t>(w);
            usleep(static_cast<useconds_t>(rng.below(3) * 500));
        }
        while (at < j.input.size()) {
            ssize_t w = write(pipeWrite, j.input.data() + at, j.input.size() - at);
            if (w <= 0) break;
            at += static_cast<size_t>(w);
        }
        _exit(0);
    }
};

struct Judged {
    Verdict verdict;
    std::string input;  // the input to keep for a fault (a prefix may replace the run's)
};

class Judge {
public:
    Judge(const Options& o, Runner& runner, const std::string& work) : o(o), runner(runner), work(work) {}

    Judged judge(const Job& j, const RunEnd& r) {
        switch (o.language) {
            case Language::Benchmark: return {classifyBenchmark(r, hasHugeNumber(j.input)), j.input};
            case Language::Extended: return judgeExtended(j, r);
            case Language::Script: break;
        }
        Verdict v = classifyScript(r, scriptFacts(j.input));
        if (v.outcome != Outcome::OverLimit) return {v, j.input};
        return judgeOverLimit(j, r, v);
    }

private:
    const Options& o;
    Runner& runner;
    std::string work;

    // The extended reader reads everything the default reader reads, with
    // the same meaning: where the default reader answers, the extended one
    // must give the same answer. The default reader may answer UNSAT as soon
    // as the assertions read so far are contradictory, before the rest of
    // the input, so only its SAT answers vouch for the whole input.
    Judged judgeExtended(const Job& j, const RunEnd& r) {
        bool huge = hasHugeNumber(j.input);
        Verdict v = classifyExtended(r, huge);
        if (v.outcome != Outcome::Result && v.outcome != Outcome::ParseError) return {v, j.input};
        Job plain = j;
        plain.way = Way::Plain;
        std::string slot = work + "/plain";
        plain.inputPath = slot + inputSuffix(o.language);
        plain.outPath = slot + ".out";
        plain.errPath = slot + ".err";
        RunEnd pr = runner.run(plain);
        if (classifyBenchmark(pr, huge).outcome != Outcome::Result) return {v, j.input};
        std::string expected = resultOf(pr.out);
        if (v.outcome == Outcome::ParseError && expected == "SAT")
            return {{Outcome::Fault, "--extended rejects a benchmark the default reader answers"}, j.input};
        if (v.outcome == Outcome::Result && resultOf(r.out) != expected)
            return {{Outcome::Fault, "--extended answers otherwise than the default reader (" + expected + ")"}, j.input};
        return {v, j.input};
    }

    static std::string resultOf(const std::string& out) {
        if (out.find("Result: UNSAT") != std::string::npos) return "UNSAT";
        if (out.find("Result: SAT") != std::string::npos) return "SAT";
        return "";
    }

    // Inputs with huge constants may legitimately exhaust the limits, and so
    // may a search. A script runs command by command, so a run over a limit
    // is a hard instance only if it got there inside a check-sat. The rule,
    // conservative on purpose: take the first check-sat whose answer was not
    // printed (there must be one, and the responses must be on standard
    // output), cut the script just before it and run that prefix with the
    // same limits. If the prefix ends within them, the resources went into
    // that check-sat. If there is no such check-sat or the prefix is over a
    // limit too, the front end used them: a fault unless a constant is huge.
    // A fault of the prefix itself is reported with the prefix as the input.
    Judged judgeOverLimit(const Job& j, const RunEnd& r, const Verdict& v) {
        std::vector<Token> t = tokenize(j.input);
        auto smallOrHuge = [&](const std::string& why) {
            return hasHugeConstant(j.input, t) ? Judged{{Outcome::Resource, why}, j.input}
                                               : Judged{{Outcome::Fault, why + " on a small input"}, j.input};
        };
        if (scriptFacts(j.input).redirected) return smallOrHuge(v.why);
        size_t answered = answersOf(parseResponses(r.out)).size();
        std::vector<size_t> checks = checkSatOffsets(j.input, t);
        if (answered >= checks.size()) return smallOrHuge(v.why + " outside any check-sat");
        Job prefix = j;
        prefix.input = j.input.substr(0, checks[answered]);
        std::string slot = work + "/prefix";
        prefix.inputPath = slot + inputSuffix(o.language);
        prefix.outPath = slot + ".out";
        prefix.errPath = slot + ".err";
        RunEnd pr = runner.run(prefix);
        Verdict pv = classifyScript(pr, scriptFacts(prefix.input));
        if (pv.outcome == Outcome::Fault) return {pv, prefix.input};
        if (pv.outcome != Outcome::OverLimit) return {{Outcome::Resource, v.why + " in a check-sat"}, j.input};
        return smallOrHuge(v.why + " before the pending check-sat");
    }
};

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
        else if (a == "--minimize") o.minimize = v;
        else if (a == "--language") {
            if (v == "smt1") o.language = Language::Benchmark;
            else if (v == "extended") o.language = Language::Extended;
            else if (v == "smt2") o.language = Language::Script;
            else return false;
        } else return false;
    }
    return !o.binary.empty() && o.jobs > 0 && o.cpuSeconds > 0;
}

Way wayFor(Language l, Prng& rng) {
    uint64_t r = rng.below(10);
    if (l == Language::Script) return r < 5 ? Way::ByName : r < 7 ? Way::Switch : Way::Pipe;
    if (l == Language::Extended && r < 3) return Way::Model;
    return Way::ByName;
}

std::string joined(const std::vector<std::string>& words) {
    std::string s;
    for (const std::string& w : words) s += (s.empty() ? "" : " ") + w;
    return s;
}

// ---------------------------------------------------------------- minimizing

// Shrinks a fault input while the run still ends in a fault of the same
// kind: first the tail after the shortest failing prefix of tokens goes,
// then balanced groups and single tokens, largest first.
int minimize(const Options& o, const std::string& work, Runner& runner, Judge& judge) {
    Job j;
    j.input = readFile(o.minimize);
    std::string slot = work + "/min";
    j.inputPath = slot + inputSuffix(o.language);
    j.outPath = slot + ".out";
    j.errPath = slot + ".err";
    Judged target = judge.judge(j, runner.run(j));
    if (target.verdict.outcome != Outcome::Fault) {
        std::cerr << "not a fault: " << outcomeName(target.verdict.outcome) << "\n";
        return 2;
    }
    std::cerr << "fault: " << target.verdict.why << "\n";
    j.input = target.input;
    int runs = 0;
    auto stillFails = [&](const std::string& candidate) {
        Job trial = j;
        trial.input = candidate;
        Judged v = judge.judge(trial, runner.run(trial));
        runs++;
        if (v.verdict.outcome != Outcome::Fault || v.verdict.why != target.verdict.why) return false;
        j.input = v.input;
        return true;
    };
    // The shortest failing prefix, by bisection over token boundaries.
    std::vector<Token> t = tokenize(j.input);
    size_t failing = t.size(), passing = 0;
    std::string whole = j.input;
    while (failing - passing > 1) {
        size_t mid = passing + (failing - passing) / 2;
        if (stillFails(whole.substr(0, t[mid].begin))) failing = mid;
        else passing = mid;
    }
    if (failing < t.size()) j.input = whole.substr(0, t[failing].begin);
    else j.input = whole;
    // Cuts largest first; after a successful cut the pass goes on from the
    // same place in the new list, and ends after a pass without one.
    size_t from = 0;
    bool progress = true;
    while (progress && runs < 3000) {
        progress = false;
        t = tokenize(j.input);
        std::vector<Span> cuts = groups(t);
        for (const Token& k : t)
            if (k.kind != Tok::Space) cuts.push_back({k.begin, k.end});
        std::stable_sort(cuts.begin(), cuts.end(),
                         [](const Span& a, const Span& b) { return a.end - a.begin > b.end - b.begin; });
        for (size_t i = from; i < cuts.size() && runs < 3000; i++) {
            if (stillFails(j.input.substr(0, cuts[i].begin) + j.input.substr(cuts[i].end))) {
                from = i;
                progress = true;
                break;
            }
        }
        if (!progress && from > 0) {
            from = 0;
            progress = true;
        }
    }
    std::ofstream(o.minimize + ".min", std::ios::binary) << j.input;
    std::cout << j.input << "\n";
    std::cerr << "minimized to " << j.input.size() << " bytes in " << runs << " runs: " << o.minimize << ".min\n";
    return 0;
}

}  // namespace

int runReaderFuzzing(int argc, char** argv) {
    Options o;
    if (!parseOptions(argc, argv, o)) {
        std::cerr << "usage: torva-fuzz readers --binary PATH [--language smt1|smt2|extended] [--corpus DIR]...\n"
                     "                          [--out DIR] [--seed N] [--seconds N] [--cpu-seconds N]\n"
                     "                          [--memory-mb N] [--jobs N] [--asan] [--minimize FAULT-FILE]\n";
        return 2;
    }
    char tmpl[] = "/tmp/torva-fuzz-XXXXXX";
    if (!mkdtemp(tmpl)) {
        std::perror("mkdtemp");
        return 2;
    }
    std::string work = tmpl;
    if (o.binary[0] != '/') {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) o.binary = std::string(cwd) + "/" + o.binary;
    }
    Runner runner(o, work);
    Judge judge(o, runner, work);
    if (!o.minimize.empty()) {
        int status = minimize(o, work, runner, judge);
        for (const char* suffix : {".smt", ".smt2", ".txt", ".out", ".err"})
            for (const char* slot : {"/min", "/prefix", "/plain"}) std::remove((work + slot + suffix).c_str());
        runner.clean();
        rmdir(work.c_str());
        return status;
    }
    mkdir(o.out.c_str(), 0755);

    std::vector<Seed> seeds = initialCorpus(o);
    std::vector<std::string> pool;
    std::vector<const Seed*> checked;  // seeds with known answers, for answer-keeping variants
    for (const Seed& s : seeds) {
        pool.push_back(s.text);
        if (s.checked) checked.push_back(&s);
    }
    Mutator mutator(o.seed, o.language == Language::Extended);
    Smt2Mutator scriptMutator(o.seed);
    Prng& rng = o.language == Language::Script ? scriptMutator.random() : mutator.random();
    const std::string name = languageName(o.language);
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
            j.inputPath = slot + inputSuffix(o.language);
            j.outPath = slot + ".out";
            j.errPath = slot + ".err";
            const std::string& parent = pool[rng.below(pool.size())];
            if (next < seeds.size()) {
                j.input = seeds[next].text;
                j.expect = &seeds[next];
            } else if (o.language == Language::Script && !checked.empty() && rng.chance(15)) {
                j.expect = checked[rng.below(checked.size())];
                j.input = scriptMutator.equivalent(j.expect->text);
            } else if (o.language == Language::Script) {
                j.input = scriptMutator.mutate(parent, pool);
            } else {
                j.input = mutator.mutate(parent, pool);
            }
            j.way = next < seeds.size() && o.language == Language::Script ? static_cast<Way>(next % 3) : wayFor(o.language, rng);
            if (j.way == Way::Switch) j.inputPath = slot + ".txt";  // --smt2 reads any name
            j.chunkSeed = rng.next();
            runner.start(j);
            running.push_back(j);
            next++;
        }
        if (running.empty()) break;
        // Results are taken in submission order, so the pool evolves the same
        // way for a given seed whatever the timing.
        Job j = running.front();
        running.pop_front();
        RunEnd r = runner.finish(j);
        Judged judged = judge.judge(j, r);
        Verdict& v = judged.verdict;
        std::vector<std::string> answers;
        if (o.language == Language::Script) answers = answersOf(parseResponses(r.out));
        if (j.expect != nullptr && v.outcome != Outcome::Fault && v.outcome != Outcome::Resource &&
            !scriptFacts(j.input).redirected) {
            const Seed& s = *j.expect;
            bool variant = j.input != s.text;
            bool errorFree = s.checked && v.outcome == Outcome::ErrorLine;
            bool wrong = s.checked && joined(answers) != s.answers;
            bool contradicted = !s.checked && !s.answers.empty() && answers.size() == 1 && answers[0] != "unknown" &&
                                answers[0] != s.answers;
            std::string what = variant ? "an answer-keeping variant of a built-in script" : "a built-in script";
            if (errorFree) v = {Outcome::Fault, what + " ended in an error"};
            else if (wrong) v = {Outcome::Fault, "wrong answers on " + what + ": expected '" + s.answers + "'"};
            else if (contradicted) v = {Outcome::Fault, "answer contradicts the stated status " + s.answers};
        }
        counts[v.outcome]++;
        runs++;
        // Mutants that went deep become parents: those that ran to their
        // end, and a share of the scripts that answered before an error
        // (most mutants of an erroneous script stop at the same error).
        bool deep = v.outcome == Outcome::Result || v.outcome == Outcome::FatalReport ||
                    (v.outcome == Outcome::ErrorLine && !answers.empty() && rng.chance(10));
        if (deep && pool.size() < 4000 && j.input.size() < 20000) pool.push_back(j.input);
        if (v.outcome != Outcome::Fault) continue;
        faults++;
        int& seen = faultKinds[v.why];
        if (++seen > 5) continue;
        std::string base = o.out + "/" + name + "-fault-" + std::to_string(faults);
        std::string file = base + inputSuffix(o.language);
        std::ofstream(file, std::ios::binary) << judged.input;
        std::ofstream(base + ".txt") << "fault: " << v.why << "\ncommand: " << commandLine(o, j, file)
                                     << "\nstandard output:\n" << tail(r.out, 3000) << "\nstandard error:\n"
                                     << tail(r.err, 6000) << "\n";
        std::cout << "FAULT " << v.why << " (kept as " << file << ")" << std::endl;
    }
    for (const char* suffix : {".smt", ".smt2", ".txt", ".out", ".err"}) {
        for (int k = 0; k <= o.jobs; k++) std::remove((work + "/job" + std::to_string(k) + suffix).c_str());
        std::remove((work + "/prefix" + suffix).c_str());
        std::remove((work + "/plain" + suffix).c_str());
    }
    runner.clean();
    rmdir(work.c_str());

    std::cout << "fuzzing " << name << ": " << runs << " runs in " << o.seconds << " s (seed " << o.seed << ")\n";
    for (const auto& c : counts) std::cout << "  " << outcomeName(c.first) << ": " << c.second << "\n";
    for (const auto& k : faultKinds) std::cout << "  fault kind: " << k.first << " x" << k.second << "\n";
    std::cout << "fuzz " << name << ": " << runs - faults << " passed, " << faults << " failed" << std::endl;
    return faults ? 1 : 0;
}
