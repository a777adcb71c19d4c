// Writing random benchmarks as SMT-LIB 2 scripts. Terms are written from an
// explicit stack of pending pieces, never by recursion. Definitions are
// tracked with the push level they were made at, so that a pop forgets them
// exactly as the reader does and a later use defines them again; every
// function name stands for one definition for the whole script.
#include "random/smt2_writer.h"

#include <algorithm>
#include <map>

#include "random/evaluator.h"
#include "random/prng.h"

namespace torva_random {

namespace {

const char* const kReserved[] = {"let", "par", "_", "!", "as", "forall", "exists", "match", "NUMERAL",
                                 "DECIMAL", "STRING", "BINARY", "HEXADECIMAL"};

bool simpleSymbolChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    for (char s : std::string("~!@$%^&*_-+=<>.?/"))
        if (c == s) return true;
    return false;
}

bool simpleSymbol(const std::string& name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
    for (const char* r : kReserved)
        if (name == r) return false;
    for (char c : name)
        if (!simpleSymbolChar(c)) return false;
    return true;
}

std::string sortText(unsigned width) { return width == 0 ? "Bool" : "(_ BitVec " + std::to_string(width) + ")"; }

std::string binaryDigits(uint64_t v, unsigned w) {
    std::string s;
    for (unsigned i = w; i-- > 0;) s += ((v >> i) & 1) ? '1' : '0';
    return s;
}

std::string hexDigits(uint64_t v, unsigned w) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    for (unsigned i = w / 4; i-- > 0;) s += kDigits[(v >> (4 * i)) & 15];
    return s;
}

// Operators whose nested applications may be written as one n-ary one:
// all of them are associative.
bool associative(Op op) {
    switch (op) {
        case Op::And:
        case Op::Or:
        case Op::Xor:
        case Op::Add:
        case Op::Mul:
        case Op::BvAnd:
        case Op::BvOr:
        case Op::BvXor:
        case Op::Concat: return true;
        default: return false;
    }
}

bool isBinding(Op op) { return op == Op::Let || op == Op::Flet; }
bool isShift(Op op) { return op == Op::Shl || op == Op::Lshr || op == Op::Ashr; }
bool isRef(Op op) { return op == Op::TermRef || op == Op::FormulaRef; }

// The operator part of an application: a name or an indexed "_" form.
std::string head(const Node& n) {
    auto indexedHead = [](const char* name, unsigned k) { return std::string("(_ ") + name + " " + std::to_string(k) + ")"; };
    switch (n.op) {
        case Op::Implies: return "=>";
        case Op::Iff: return "=";
        case Op::IteFormula:
        case Op::IteTerm: return "ite";
        case Op::Extract: return "(_ extract " + std::to_string(n.hi) + " " + std::to_string(n.lo) + ")";
        case Op::ZeroExtend: return indexedHead("zero_extend", n.hi);
        case Op::SignExtend: return indexedHead("sign_extend", n.hi);
        case Op::RotateLeft: return indexedHead("rotate_left", n.hi);
        case Op::RotateRight: return indexedHead("rotate_right", n.hi);
        case Op::Repeat: return indexedHead("repeat", n.hi);
        default: return opName(n.op);
    }
}

// The nodes below `root` (itself included), not entering the bound values
// of references: those belong to the binding.
std::vector<int> subtree(const Benchmark& b, int root) {
    std::vector<int> nodes, todo{root};
    while (!todo.empty()) {
        int i = todo.back();
        todo.pop_back();
        nodes.push_back(i);
        if (isRef(b.nodes[i].op)) continue;
        for (int k : b.nodes[i].kids) todo.push_back(k);
    }
    return nodes;
}

// True when every reference below `root` is to a binding below it.
bool closed(const Benchmark& b, int root) {
    std::vector<std::string> bound, used;
    for (int i : subtree(b, root)) {
        const Node& n = b.nodes[i];
        if (isBinding(n.op)) bound.push_back(n.name);
        if (isRef(n.op)) used.push_back(n.name);
    }
    for (const std::string& u : used)
        if (std::find(bound.begin(), bound.end(), u) == bound.end()) return false;
    return true;
}

bool refersToAny(const Benchmark& b, int root, const std::vector<std::string>& names) {
    for (int i : subtree(b, root))
        if (isRef(b.nodes[i].op) && std::find(names.begin(), names.end(), b.nodes[i].name) != names.end()) return true;
    return false;
}

// How an assertion is made to hold only under a check-sat-assuming literal.
enum class GuardKind {
    None,       // asserted
    Itself,     // a predicate or its negation, assumed instead of asserted
    Implied,    // (assert (=> g F)), assuming g
    Disjoined,  // (assert (or g F)), assuming (not g)
};

class Writer {
public:
    Writer(const Generated& g, uint64_t seed) : gen(g), bench(g.bench), rng(seed ^ 0x2545f4914f6cdd1dULL) {}

    Smt2Script write();

private:
    // How a term is written: whether definitions may be made for it, and
    // the parameter that stands for each declaration inside a define-fun.
    struct Mode {
        bool define = true;
        const std::vector<std::string>* params = nullptr;
    };
    // A pending piece of output: a node still to write, or text.
    struct Piece {
        int node;
        std::string text;
    };

    const Generated& gen;
    const Benchmark& bench;
    Prng rng;
    Smt2Script script;
    std::string out;
    int level = 0;
    std::map<std::string, int> live;                // function name -> push level of its definition
    std::map<std::string, std::string> wrappers;    // operator signature -> function name
    std::vector<int> hoisted;                       // let nodes whose bound value became a definition
    std::vector<std::string> wrapperDefinitions;    // made while writing the current command
    std::vector<GuardKind> guards;                  // per assertion
    struct Scope {
        int levels;     // opened by one push command or several in a row
        size_t active;  // assertions in force before it
    };
    std::vector<Scope> scopes;
    size_t active = 0;
    bool assuming = false;
    int definitionCount = 0;
    int amountCount = 0;

    std::string symbol(const std::string& name) {
        return simpleSymbol(name) && !rng.chance(15) ? name : "|" + name + "|";
    }
    std::string constant(const Node& n);
    std::string term(int root, const Mode& mode);
    void expand(int i, const Mode& mode, std::vector<Piece>& todo, std::string& text);
    void application(const std::string& name, const std::vector<int>& kids, std::vector<Piece>& todo);
    void shift(const std::string& name, const Node& n, std::vector<Piece>& todo);
    std::pair<std::string, std::string> fitAmount(const Node& n);
    std::vector<int> operands(int i);
    std::string wrapper(const Node& n);
    void bindings(int i, const Mode& mode, std::vector<Piece>& todo);
    void define(const std::string& name) { live[name] = level; }
    std::string flushDefinitions(const Mode& mode);

    void header();
    void declarations();
    void chooseGuards();
    std::string guardName(size_t a) const { return "guard" + std::to_string(a); }
    std::string literal(size_t a);
    void assertion(size_t a, bool negated);
    std::string formulaText(size_t a, std::string& definitions);
    void push();
    void pop();
    void check(int negated = -1);
    void query();
    void comment();
};

std::string Writer::constant(const Node& n) {
    if (n.width % 4 == 0 && rng.chance(35)) return "#x" + hexDigits(n.value, n.width);
    if (rng.chance(35)) return "(_ bv" + decimal(n.value) + " " + std::to_string(n.width) + ")";
    return "#b" + binaryDigits(n.value, n.width);
}

void Writer::application(const std::string& name, const std::vector<int>& kids, std::vector<Piece>& todo) {
    todo.push_back({-1, ")"});
    for (size_t k = kids.size(); k-- > 0;) {
        todo.push_back({kids[k], ""});
        todo.push_back({-1, " "});
    }
    todo.push_back({-1, "(" + name});
}

// A shift distance of another width than the shifted value, as the text
// before and after it that makes a distance of the value's width with the
// same effect: zero-extended when narrower; when wider, itself if below the
// width, else all ones (at least the width too).
std::pair<std::string, std::string> Writer::fitAmount(const Node& n) {
    unsigned w = n.width, aw = bench.nodes[n.kids[1]].width;
    if (aw == w) return {"", ""};
    if (aw < w) return {"((_ zero_extend " + std::to_string(w - aw) + ") ", ")"};
    std::string name = "amount" + std::to_string(amountCount++);
    return {"(let ((" + name + " ",
            ")) (ite (bvult " + name + " (_ bv" + std::to_string(w) + " " + std::to_string(aw) + ")) ((_ extract " +
                std::to_string(w - 1) + " 0) " + name + ") (_ bv" + decimal(bv::mask(w)) + " " + std::to_string(w) + ")))"};
}

void Writer::shift(const std::string& name, const Node& n, std::vector<Piece>& todo) {
    auto [before, after] = fitAmount(n);
    todo.push_back({-1, after + ")"});
    todo.push_back({n.kids[1], ""});
    todo.push_back({-1, " " + before});
    todo.push_back({n.kids[0], ""});
    todo.push_back({-1, "(" + name + " "});
}

// The operands of an application, with nested applications of the same
// associative operator (or the right spine of an implication, or the left
// spine of a subtraction) sometimes merged into one n-ary application.
std::vector<int> Writer::operands(int i) {
    const Node& n = bench.nodes[i];
    if (!rng.chance(50)) return n.kids;
    std::vector<int> flat;
    if (associative(n.op)) {
        std::vector<int> todo(n.kids.rbegin(), n.kids.rend());
        while (!todo.empty()) {
            int k = todo.back();
            todo.pop_back();
            if (bench.nodes[k].op == n.op)
                todo.insert(todo.end(), bench.nodes[k].kids.rbegin(), bench.nodes[k].kids.rend());
            else
                flat.push_back(k);
        }
    } else if (n.op == Op::Implies) {
        int rest = i;
        while (bench.nodes[rest].op == Op::Implies) {
            flat.push_back(bench.nodes[rest].kids[0]);
            rest = bench.nodes[rest].kids[1];
        }
        flat.push_back(rest);
    } else if (n.op == Op::Sub) {
        int first = i;
        std::vector<int> later;
        while (bench.nodes[first].op == Op::Sub) {
            later.push_back(bench.nodes[first].kids[1]);
            first = bench.nodes[first].kids[0];
        }
        flat.push_back(first);
        flat.insert(flat.end(), later.rbegin(), later.rend());
    } else {
        return n.kids;
    }
    return flat;
}

// A defined function that applies the node's operator to its parameters,
// defined once per push level where it is first used.
std::string Writer::wrapper(const Node& n) {
    std::string params, signature = head(n);
    for (size_t k = 0; k < n.kids.size(); k++) {
        unsigned w = bench.nodes[n.kids[k]].width;
        params += std::string(k ? " " : "") + "(arg" + std::to_string(k) + " " + sortText(w) + ")";
        signature += " " + std::to_string(w);
    }
    signature += " -> " + std::to_string(n.width);
    auto known = wrappers.find(signature);
    std::string name = known != wrappers.end() ? known->second : "fun" + std::to_string(wrappers.size());
    wrappers[signature] = name;
    if (live.count(name)) return name;
    define(name);
    std::string body = "(" + head(n);
    if (isShift(n.op)) {
        auto [before, after] = fitAmount(n);
        body += " arg0 " + before + "arg1" + after;
    } else {
        for (size_t k = 0; k < n.kids.size(); k++) body += " arg" + std::to_string(k);
    }
    wrapperDefinitions.push_back("(define-fun " + name + " (" + params + ") " + sortText(n.width) + " " + body + "))");
    return name;
}

// A let, merged with directly nested lets into one parallel let while their
// bound values do not read the names it binds; or, when its bound value is
// closed, a definition of the bound name and the body in place.
void Writer::bindings(int i, const Mode& mode, std::vector<Piece>& todo) {
    const Node& n = bench.nodes[i];
    if (mode.define && !mode.params && closed(bench, n.kids[0]) && rng.chance(20)) {
        if (!live.count(n.name)) {
            define(n.name);
            hoisted.push_back(i);
        }
        todo.push_back({n.kids[1], ""});
        return;
    }
    std::vector<int> chain{i};
    std::vector<std::string> names{n.name};
    for (;;) {
        int body = bench.nodes[chain.back()].kids[1];
        if (!isBinding(bench.nodes[body].op) || !rng.chance(50)) break;
        if (refersToAny(bench, bench.nodes[body].kids[0], names)) break;
        chain.push_back(body);
        names.push_back(bench.nodes[body].name);
    }
    todo.push_back({-1, ")"});
    todo.push_back({bench.nodes[chain.back()].kids[1], ""});
    todo.push_back({-1, ") "});
    for (size_t k = chain.size(); k-- > 0;) {
        todo.push_back({-1, ")"});
        todo.push_back({bench.nodes[chain[k]].kids[0], ""});
        todo.push_back({-1, std::string(k ? " (" : "(") + bench.nodes[chain[k]].name + " "});
    }
    todo.push_back({-1, "(let ("});
}

void Writer::expand(int i, const Mode& mode, std::vector<Piece>& todo, std::string& text) {
    const Node& n = bench.nodes[i];
    switch (n.op) {
        case Op::True: text += "true"; return;
        case Op::False: text += "false"; return;
        case Op::Pred:
        case Op::Var:
            text += mode.params ? (*mode.params)[n.decl] : symbol(bench.decls[n.decl].name);
            return;
        case Op::Const: text += constant(n); return;
        case Op::TermRef:
        case Op::FormulaRef: text += n.name; return;
        case Op::Let:
        case Op::Flet: bindings(i, mode, todo); return;
        default: break;
    }
    bool wrapped = mode.define && rng.chance(6);
    if (wrapped)
        application(wrapper(n), n.kids, todo);
    else if (isShift(n.op))
        shift(head(n), n, todo);
    else
        application(head(n), operands(i), todo);
}

std::string Writer::term(int root, const Mode& mode) {
    std::string text;
    std::vector<Piece> todo{{root, ""}};
    while (!todo.empty()) {
        Piece p = std::move(todo.back());
        todo.pop_back();
        if (p.node < 0)
            text += p.text;
        else
            expand(p.node, mode, todo, text);
    }
    return text;
}

// The definitions made while writing the current command: operator
// wrappers first (their bodies read only parameters), then the bound values
// made definitions, each before the definitions and the command that read it.
std::string Writer::flushDefinitions(const Mode& mode) {
    std::vector<std::string> values;
    for (size_t h = 0; h < hoisted.size(); h++) {
        const Node& let = bench.nodes[hoisted[h]];
        int bound = let.kids[0];
        values.push_back("(define-fun " + let.name + " () " + sortText(bench.nodes[bound].width) + " " +
                         term(bound, mode) + ")\n");
    }
    std::string text;
    for (const std::string& w : wrapperDefinitions) text += w + "\n";
    for (size_t h = values.size(); h-- > 0;) text += values[h];
    hoisted.clear();
    wrapperDefinitions.clear();
    return text;
}

void Writer::comment() {
    if (rng.chance(10)) out += "; (assert false) is only a comment\n";
}

void Writer::header() {
    if (rng.chance(30)) out += "; " + bench.name + "\n";
    if (rng.chance(50)) out += "(set-info :smt-lib-version 2.6)\n";
    out += "(set-option :produce-models true)\n";
    out += "(set-logic QF_BV)\n";
    if (rng.chance(30)) out += std::string("(set-info :status ") + (bench.expect == Expect::Sat ? "sat" : "unsat") + ")\n";
}

void Writer::declarations() {
    for (const Declaration& d : bench.decls) {
        std::string sort = sortText(d.predicate ? 0 : d.width);
        if (rng.coin())
            out += "(declare-const " + symbol(d.name) + " " + sort + ")\n";
        else
            out += "(declare-fun " + symbol(d.name) + " () " + sort + ")\n";
    }
    for (size_t a = 0; a < guards.size(); a++)
        if (guards[a] == GuardKind::Implied || guards[a] == GuardKind::Disjoined)
            out += "(declare-const " + guardName(a) + " Bool)\n";
}

// With check-sat-assuming, the benchmark's assumptions hold only under a
// literal of every check.
void Writer::chooseGuards() {
    guards.assign(bench.assertions.size(), GuardKind::None);
    assuming = rng.chance(25);
    if (!assuming) return;
    for (size_t a = 0; a < bench.assertions.size(); a++) {
        if (!bench.assertions[a].assumption && !rng.chance(10)) continue;
        const Node& n = bench.nodes[bench.assertions[a].node];
        bool predicate = n.op == Op::Pred || (n.op == Op::Not && bench.nodes[n.kids[0]].op == Op::Pred);
        if (predicate && rng.coin())
            guards[a] = GuardKind::Itself;
        else
            guards[a] = rng.coin() ? GuardKind::Implied : GuardKind::Disjoined;
    }
}

std::string Writer::literal(size_t a) {
    switch (guards[a]) {
        case GuardKind::Itself: return term(bench.assertions[a].node, Mode{false, nullptr});
        case GuardKind::Implied: return guardName(a);
        case GuardKind::Disjoined: return "(not " + guardName(a) + ")";
        case GuardKind::None: break;
    }
    return "";
}

// The text of an asserted formula, written in place or as the application
// of a definition whose parameters are the declarations it reads.
std::string Writer::formulaText(size_t a, std::string& definitions) {
    int root = bench.assertions[a].node;
    if (!rng.chance(12)) {
        std::string text = term(root, Mode{});
        definitions = flushDefinitions(Mode{});
        return text;
    }
    std::vector<int> read;
    for (int i : subtree(bench, root))
        if (bench.nodes[i].decl >= 0) read.push_back(bench.nodes[i].decl);
    std::sort(read.begin(), read.end());
    read.erase(std::unique(read.begin(), read.end()), read.end());
    for (size_t k = read.size(); k > 1; k--) std::swap(read[k - 1], read[rng.below(k)]);
    std::vector<std::string> params(bench.decls.size());
    std::string signature, call;
    for (int d : read) {
        params[d] = "arg" + std::to_string(d);
        unsigned w = bench.decls[d].predicate ? 0 : bench.decls[d].width;
        signature += std::string(signature.empty() ? "" : " ") + "(" + params[d] + " " + sortText(w) + ")";
        call += " " + symbol(bench.decls[d].name);
    }
    std::string name = "assertion" + std::to_string(definitionCount++);
    std::string body = term(root, Mode{true, &params});
    definitions = flushDefinitions(Mode{});
    definitions += "(define-fun " + name + " (" + signature + ") Bool " + body + ")\n";
    return read.empty() ? name : "(" + name + call + ")";
}

void Writer::assertion(size_t a, bool negated) {
    std::string definitions;
    std::string f = formulaText(a, definitions);
    out += definitions;
    comment();
    if (negated) {
        out += "(assert (not " + f + "))\n";
        return;
    }
    switch (guards[a]) {
        case GuardKind::Itself: return;
        case GuardKind::Implied: f = "(=> " + guardName(a) + " " + f + ")"; break;
        case GuardKind::Disjoined: f = "(or " + guardName(a) + " " + f + ")"; break;
        case GuardKind::None: break;
    }
    if (rng.chance(10)) f = "(! " + f + " :named named" + std::to_string(definitionCount++) + ")";
    out += "(assert " + f + ")\n";
}

void Writer::push() {
    int count = rng.range(1, 2);
    if (rng.coin()) {
        out += "(push " + std::to_string(count) + ")\n";
    } else {
        for (int k = 0; k < count; k++) out += "(push 1)\n";
    }
    scopes.push_back({count, active});
    level += count;
}

// Pops the levels the last push opened, forgetting the definitions and
// assertions made on them.
void Writer::pop() {
    Scope s = scopes.back();
    scopes.pop_back();
    level -= s.levels;
    out += "(pop " + std::to_string(s.levels) + ")\n";
    for (auto it = live.begin(); it != live.end();) it = it->second > level ? live.erase(it) : std::next(it);
    active = s.active;
}

void Writer::check(int negated) {
    if (!assuming) {
        out += "(check-sat)\n";
    } else {
        std::string literals;
        for (size_t a = 0; a < active; a++)
            if (guards[a] != GuardKind::None) literals += (literals.empty() ? "" : " ") + literal(a);
        out += "(check-sat-assuming (" + literals + "))\n";
    }
    Smt2Check c;
    c.expect = negated >= 0 ? Expect::Unsat : prefixExpectation(gen, active);
    for (size_t a = 0; a < active; a++) c.asserted.push_back(static_cast<int>(a));
    c.negated = negated;
    script.checks.push_back(c);
}

// get-value asks for every declaration and a few closed formulas and terms
// of the assertions, written without definitions (a definition after
// check-sat would end the model).
void Writer::query() {
    if (bench.expect != Expect::Sat) return;
    if (rng.coin()) {
        out += "(get-model)\n";
        script.query = Smt2Query::Model;
        return;
    }
    script.query = Smt2Query::Values;
    for (size_t d = 0; d < bench.decls.size(); d++) script.values.push_back({static_cast<int>(d), -1});
    for (size_t k = script.values.size(); k > 1; k--) std::swap(script.values[k - 1], script.values[rng.below(k)]);
    std::vector<int> candidates;
    for (const Assertion& a : bench.assertions)
        for (int i : subtree(bench, a.node))
            if (bench.nodes[i].decl < 0 && closed(bench, i)) candidates.push_back(i);
    int extra = candidates.empty() ? 0 : rng.range(0, 3);
    for (int e = 0; e < extra; e++) script.values.push_back({-1, candidates[rng.below(candidates.size())]});
    std::string terms;
    for (const ValueTerm& v : script.values)
        terms += (terms.empty() ? "" : " ") + (v.decl >= 0 ? symbol(bench.decls[v.decl].name) : term(v.node, Mode{false, nullptr}));
    out += "(get-value (" + terms + "))\n";
}

Smt2Script Writer::write() {
    chooseGuards();
    header();
    declarations();
    size_t n = bench.assertions.size();
    bool scoped = n > 0 && rng.chance(25);
    size_t first = scoped ? static_cast<size_t>(rng.below(n)) : n;
    for (; active < first; active++) assertion(active, false);
    if (scoped) {
        if (rng.coin() && prefixExpectation(gen, active) != Expect::Unknown) check();
        push();
        size_t from = active;
        for (; active < n; active++) assertion(active, false);
        check();
        pop();
        for (active = from; active < n; active++) assertion(active, false);
    }
    if (n > 0 && rng.chance(20)) {
        push();
        assertion(rng.below(n), false);
        check();
        pop();
    }
    std::vector<size_t> asserted;
    for (size_t a = 0; a < n; a++)
        if (guards[a] == GuardKind::None) asserted.push_back(a);
    if (!asserted.empty() && rng.chance(20)) {
        push();
        size_t negated = asserted[rng.below(asserted.size())];
        assertion(negated, true);
        check(static_cast<int>(negated));
        pop();
    }
    comment();
    check();
    query();
    if (rng.coin()) out += "(exit)\n";
    script.text = out;
    return script;
}

}  // namespace

Expect prefixExpectation(const Generated& g, size_t count) {
    const Benchmark& b = g.bench;
    if (count >= b.assertions.size() || b.expect == Expect::Sat) return b.expect;
    Benchmark prefix = b;
    prefix.assertions.resize(count);
    if (!g.planted.empty() && Evaluator(prefix).satisfies(g.planted)) return Expect::Sat;
    if (prefix.usedBits() <= 16) return countModels(prefix, 1) ? Expect::Sat : Expect::Unsat;
    return Expect::Unknown;
}

Smt2Script writeSmt2(const Generated& g, uint64_t seed) { return Writer(g, seed).write(); }

}  // namespace torva_random
