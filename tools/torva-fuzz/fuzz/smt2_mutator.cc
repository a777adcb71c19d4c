// The SMT-LIB 2 mutations. Each round re-tokenises the script, picks one
// mutation and applies it to byte spans of tokens or balanced groups; a
// mutation that finds nothing to work on leaves the script unchanged. Name
// tables are sorted vectors, so the choice sequence depends on the seed and
// the text only.
#include "fuzz/smt2_mutator.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <set>

namespace torva_fuzz {
namespace {

const char* const kOperators[] = {
    "not", "and", "or", "xor", "=>", "=", "distinct", "ite", "concat", "extract", "repeat", "zero_extend",
    "sign_extend", "rotate_left", "rotate_right", "bvnot", "bvand", "bvor", "bvxor", "bvnand", "bvnor",
    "bvxnor", "bvcomp", "bvneg", "bvadd", "bvsub", "bvmul", "bvudiv", "bvurem", "bvsdiv", "bvsrem", "bvsmod",
    "bvshl", "bvlshr", "bvashr", "bvult", "bvule", "bvugt", "bvuge", "bvslt", "bvsle", "bvsgt", "bvsge",
};

const char* const kReserved[] = {
    "_", "!", "let", "as", "forall", "exists", "match", "par", "Bool", "BitVec", "true", "false",
    "NUMERAL", "DECIMAL", "STRING", "Int", "Array",
};

const char* const kCommands[] = {
    "assert", "check-sat", "check-sat-assuming", "declare-const", "declare-fun", "declare-sort", "define-fun",
    "define-fun-rec", "define-sort", "echo", "exit", "get-assertions", "get-assignment", "get-info", "get-model",
    "get-option", "get-proof", "get-unsat-assumptions", "get-unsat-core", "get-value", "pop", "push", "reset",
    "reset-assertions", "set-info", "set-logic", "set-option", "QF_BV", "ALL", "QF_ABV",
};

const char* const kOddSymbols[] = {
    "bv5", "bvx", "x!1", "|x|", "||", "|a b|", "|unterminated", "-1", "+1", "#b", "bv", "BITVEC", "Not",
    "bvAdd", "fz", "|(|", "|)|", "|;|", "|\"|", "...", "x.y", "?x", "$f",
};

const char* const kNumbers[] = {
    "0", "1", "2", "3", "4", "7", "8", "15", "16", "31", "32", "33", "63", "64", "65", "127", "128", "255",
    "256", "999", "1000", "65535", "65536", "1073741823", "1073741824", "2147483647", "2147483648",
    "4294967295", "4294967296", "18446744073709551615", "18446744073709551616",
    "340282366920938463463374607431768211456", "00", "01", "-1", "-0", "1.5", "0.0",
};

const char* const kLiterals[] = {
    "#b", "#x", "#b0", "#b1", "#b2", "#xg", "#xF", "#x00000000000000000", "#B01", "(_ bv0 0)", "(_ bv1 1)",
    "(_ bv256 8)", "(_ bv255 8)", "(_ bv18446744073709551616 64)", "(_ bv5 4294967296)", "(_ bv-1 8)",
    "(_ bv 8)", "(_ bv1)", "(_ bv1 1 1)", "(_ bv01 8)", "(_ bv1 (_ BitVec 8))", "true", "false", "1", "2.0",
    "\"s\"",
};

const char* const kKeywords[] = {
    ":named", ":pattern", ":produce-models", ":produce-assignments", ":print-success",
    ":diagnostic-output-channel", ":regular-output-channel", ":name", ":version", ":authors",
    ":error-behavior", ":reason-unknown", ":all-statistics", ":status", ":source", ":smt-lib-version",
    ":random-seed", ":", ":named :named", ":interactive-mode", ":produce-unsat-cores", ":global-declarations",
};

const char* const kStrings[] = {
    "\"\"", "\"a\"\"b\"", "\"unterminated", "\"line\nbreak\"", "\"\"\"", "\"stdout\"", "\"stderr\"",
    "\"(error \"\"x\"\")\"", "\"\\\"", "\"\t\x01\x7f\"",
};

const char* const kCommandTexts[] = {
    "(push 1)", "(pop 1)", "(push 0)", "(pop 0)", "(push 3)", "(pop 2)", "(push)", "(pop)", "(reset)",
    "(reset-assertions)", "(check-sat)", "(check-sat)", "(get-model)", "(get-model)", "(get-assignment)",
    "(get-info :reason-unknown)", "(get-info :name)", "(exit)", "(set-option :print-success true)",
    "(set-option :produce-models false)", "(set-option :produce-models true)",
    "(set-option :produce-assignments true)", "(set-logic QF_BV)", "(set-logic QF_LIA)", "(echo \"x\")",
    "(set-info :status unsat)", "(check-sat-assuming ())", "(get-value ())", "(get-assertions)",
    "(declare-fun f ((_ BitVec 8)) (_ BitVec 8))", "(define-sort S (X) X)", "(get-option :produce-models)",
    "(declare-const fz (_ BitVec 8))", "(declare-const fz Bool)", "(define-sort fz () (_ BitVec 3))",
    "(get-unsat-core)", "(push 4294967296)", "(pop 4294967295)",
};

// Single wrappers around a term T; "@" stands for another term of the text.
const char* const kWraps[][2] = {
    {"(let ((fz @)) ", ")"}, {"(let ((fz ", ")) fz)"}, {"(! ", " :named fz)"}, {"(! ", " :pattern (@))"},
    {"(ite true ", " @)"}, {"(ite @ ", " @)"}, {"(ite false @ ", ")"}, {"(not ", ")"}, {"(bvnot ", ")"},
    {"(bvneg ", ")"}, {"((_ extract 0 0) ", ")"}, {"((_ zero_extend 3) ", ")"}, {"((_ sign_extend 0) ", ")"},
    {"((_ repeat 2) ", ")"}, {"(concat ", " @)"}, {"(= ", " @)"}, {"(distinct ", " @)"}, {"(bvadd ", " @)"},
    {"(bvcomp ", " @)"}, {"(and ", " @)"}, {"(=> ", " @)"}, {"((_ rotate_left 4294967295) ", ")"},
    {"(", ")"}, {"(_ ", ")"}, {"(as ", " Bool)"}, {"(let () ", ")"}, {"(let ((@ @)) ", ")"},
};

// Wrappers that keep the sort of what they wrap (or make it one bit), for
// deep nesting.
const char* const kDeepWraps[][2] = {
    {"(not ", ")"}, {"(bvnot ", ")"}, {"(bvneg ", ")"}, {"((_ rotate_left 1) ", ")"},
    {"((_ zero_extend 0) ", ")"}, {"((_ extract 0 0) ", ")"}, {"(let ((fz true)) ", ")"}, {"(", ")"},
    {"(and true ", ")"}, {"(=> false ", ")"}, {"(! ", " :pattern (x))"}, {"(ite true ", " fz)"},
};

const int kDepths[] = {64, 1000, 10000, 100000};

bool isOperator(const std::string& word) {
    for (const char* w : kOperators)
        if (word == w) return true;
    return false;
}

bool inTable(const std::string& word) {
    if (isOperator(word)) return true;
    for (const char* w : kReserved)
        if (word == w) return true;
    for (const char* w : kCommands)
        if (word == w) return true;
    return false;
}

bool isSignificant(Tok k) { return k != Tok::Space && k != Tok::Comment; }

size_t nextSignificant(const std::vector<Token>& t, size_t i) {
    while (i < t.size() && !isSignificant(t[i].kind)) i++;
    return i;
}

// The span of the term or group that starts at token i.
Span itemAt(const std::vector<Token>& t, size_t i) {
    if (t[i].kind != Tok::Open) return {t[i].begin, t[i].end};
    size_t depth = 0;
    for (size_t k = i; k < t.size(); k++) {
        if (t[k].kind == Tok::Open) depth++;
        if (t[k].kind == Tok::Close && --depth == 0) return {t[i].begin, t[k].end};
    }
    return {t[i].begin, t.back().end};
}

// Top-level commands as (token index of '(', head word).
std::vector<std::pair<size_t, std::string>> commandHeads(const std::string& s, const std::vector<Token>& t) {
    std::vector<std::pair<size_t, std::string>> heads;
    size_t depth = 0;
    for (size_t i = 0; i < t.size(); i++) {
        if (t[i].kind == Tok::Close && depth > 0) depth--;
        if (t[i].kind != Tok::Open || depth++ != 0) continue;
        size_t h = nextSignificant(t, i + 1);
        if (h < t.size() && t[h].kind == Tok::Symbol) heads.emplace_back(i, tokenText(s, t[h]));
    }
    return heads;
}

std::string binaryDigits(uint64_t value, unsigned width) {
    std::string digits;
    for (unsigned i = width; i-- > 0;) digits += static_cast<char>('0' + ((value >> i) & 1));
    return digits;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    size_t at = 0;
    while ((at = text.find(from, at)) != std::string::npos) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

}  // namespace

struct Smt2Mutator::View {
    std::vector<Token> tokens;
    std::vector<Span> commands;  // top-level groups
    std::vector<Span> subterms;  // groups inside a command
    std::vector<Span> all;       // every group
    std::vector<size_t> atoms;   // token indices: symbols outside head position, literals, numerals
    std::vector<size_t> symbols, numerals, literals, strings, keywords, parens;
    std::vector<std::string> names;  // user symbols of the text, sorted and unique

    explicit View(const std::string& s) : tokens(tokenize(s)) {
        std::vector<size_t> open;
        std::set<std::string> seen;
        Tok previous = Tok::Space;
        for (size_t i = 0; i < tokens.size(); i++) {
            const Token& t = tokens[i];
            switch (t.kind) {
                case Tok::Open:
                    open.push_back(t.begin);
                    parens.push_back(i);
                    break;
                case Tok::Close:
                    parens.push_back(i);
                    if (!open.empty()) {
                        Span g{open.back(), t.end};
                        open.pop_back();
                        all.push_back(g);
                        (open.empty() ? commands : subterms).push_back(g);
                    }
                    break;
                case Tok::Symbol:
                case Tok::Quoted: {
                    symbols.push_back(i);
                    if (previous != Tok::Open) atoms.push_back(i);
                    std::string word = tokenText(s, t);
                    if (!inTable(word)) seen.insert(word);
                    break;
                }
                case Tok::Numeral:
                case Tok::Decimal:
                    numerals.push_back(i);
                    atoms.push_back(i);
                    break;
                case Tok::Binary:
                case Tok::Hex:
                    literals.push_back(i);
                    atoms.push_back(i);
                    break;
                case Tok::String: strings.push_back(i); break;
                case Tok::Keyword: keywords.push_back(i); break;
                default: break;
            }
            if (isSignificant(t.kind)) previous = t.kind;
        }
        names.assign(seen.begin(), seen.end());
    }
};

std::string Smt2Mutator::mutate(const std::string& parent, const std::vector<std::string>& pool) {
    std::string s = parent;
    static const int kRounds[] = {1, 1, 1, 1, 2, 2, 3, 4};
    int rounds = kRounds[rng.below(std::size(kRounds))];
    for (int r = 0; r < rounds; r++) once(s, pool);
    if (s.size() > kMaxScript) s.resize(kMaxScript);
    return s;
}

void Smt2Mutator::once(std::string& s, const std::vector<std::string>& pool) {
    View v(s);
    switch (rng.below(20)) {
        case 0:
        case 1: replaceSymbol(s, v); break;
        case 2:
        case 3: changeNumber(s, v); break;
        case 4: changeLiteral(s, v); break;
        case 5: duplicateGroup(s, v); break;
        case 6: deleteGroup(s, v); break;
        case 7: swapGroups(s, v); break;
        case 8: splice(s, v, pool); break;
        case 9:
        case 10: wrapTerm(s, v); break;
        case 11: nestDeeply(s, v); break;
        case 12: truncate(s, v); break;
        case 13: unbalance(s, v); break;
        case 14:
        case 15: insertCommand(s, v); break;
        case 16: changeStringOrQuote(s, v); break;
        case 17: changeKeyword(s, v); break;
        case 18: damageBytes(s, v); break;
        default:
            if (rng.coin()) replaceTermByTerm(s, v);
            else insertCommentOrJoin(s, v);
            break;
    }
}

std::string Smt2Mutator::equivalent(const std::string& script) {
    std::string s = script;
    int rounds = 1 + static_cast<int>(rng.below(3));
    for (int r = 0; r < rounds; r++) {
        View v(s);
        switch (rng.below(5)) {
            case 0: quoteName(s, v); break;
            case 1: wrapAssertion(s, v); break;
            case 2: insertEmptyScope(s, v); break;
            case 3: respellLiteral(s, v); break;
            default: insertSpacing(s, v); break;
        }
    }
    return s;
}

// ---------------------------------------------------------------- helpers

// A group inside a command or an atom in term position.
Span Smt2Mutator::randomTerm(const View& v) {
    bool useGroup = !v.subterms.empty() && (v.atoms.empty() || rng.coin());
    if (useGroup) return v.subterms[rng.below(v.subterms.size())];
    if (v.atoms.empty()) return {0, 0};
    const Token& t = v.tokens[v.atoms[rng.below(v.atoms.size())]];
    return {t.begin, t.end};
}

std::string Smt2Mutator::termText(const std::string& s, const View& v) {
    Span t = randomTerm(v);
    if (t.end == t.begin) return rng.coin() ? "true" : "#b0";
    return s.substr(t.begin, t.end - t.begin);
}

std::string Smt2Mutator::freshName() {
    static const char* const kStems[] = {"fz", "x", "p", "v", "|fz q|"};
    std::string stem = kStems[rng.below(std::size(kStems))];
    if (stem[0] == '|' || rng.coin()) return stem;
    return stem + std::to_string(rng.below(4));
}

std::string Smt2Mutator::randomLiteral() {
    if (rng.chance(40)) return kLiterals[rng.below(std::size(kLiterals))];
    unsigned width = rng.chance(90) ? 1 + static_cast<unsigned>(rng.below(70)) : 1001 + static_cast<unsigned>(rng.below(600));
    if (rng.coin()) {
        std::string lit = "#b";
        for (unsigned i = 0; i < width; i++) lit += static_cast<char>('0' + rng.below(2));
        return lit;
    }
    if (rng.coin()) {
        std::string lit = "#x";
        for (unsigned i = 0; i < (width + 3) / 4; i++) lit += "0123456789abcdefABCDEF"[rng.below(22)];
        return lit;
    }
    uint64_t value = rng.chance(80) ? rng.below(uint64_t(1) << std::min(width, 63u)) : rng.next();
    return "(_ bv" + std::to_string(value) + " " + std::to_string(width) + ")";
}

// The start of a random token, or the end of the text.
size_t Smt2Mutator::boundary(const View& v) {
    size_t i = rng.below(v.tokens.size() + 1);
    return i == v.tokens.size() ? (v.tokens.empty() ? 0 : v.tokens.back().end) : v.tokens[i].begin;
}

// Between two top-level commands (or at either end).
size_t Smt2Mutator::commandBoundary(const View& v) {
    size_t i = rng.below(v.commands.size() + 1);
    return i == v.commands.size() ? (v.commands.empty() ? 0 : v.commands.back().end) : v.commands[i].begin;
}

// ---------------------------------------------------------------- rewrites that keep the answers

void Smt2Mutator::quoteName(std::string& s, const View& v) {
    std::vector<std::string> plain;
    for (const std::string& name : v.names)
        if (name[0] != '|') plain.push_back(name);
    if (plain.empty()) return;
    const std::string name = plain[rng.below(plain.size())];
    for (size_t i = v.tokens.size(); i-- > 0;) {
        const Token& t = v.tokens[i];
        if (t.kind == Tok::Symbol && tokenText(s, t) == name) s.replace(t.begin, t.end - t.begin, "|" + name + "|");
    }
}

void Smt2Mutator::wrapAssertion(std::string& s, const View& v) {
    std::vector<Span> formulas;
    for (const auto& [open, head] : commandHeads(s, v.tokens)) {
        if (head != "assert") continue;
        size_t f = nextSignificant(v.tokens, nextSignificant(v.tokens, open + 1) + 1);
        if (f < v.tokens.size() && v.tokens[f].kind != Tok::Close) formulas.push_back(itemAt(v.tokens, f));
    }
    if (formulas.empty()) return;
    Span f = formulas[rng.below(formulas.size())];
    static const char* const kKeep[][2] = {
        {"(not (not ", "))"}, {"(and ", " true)"}, {"(let ((fzq true)) ", ")"}, {"(! ", " :named fzq@)"},
        {"(=> true ", ")"}, {"(ite ", " true false)"},
    };
    const char* const* w = kKeep[rng.below(std::size(kKeep))];
    s.insert(f.end, replaceAll(w[1], "@", std::to_string(names++)));
    s.insert(f.begin, w[0]);
}

void Smt2Mutator::insertEmptyScope(std::string& s, const View& v) {
    std::vector<size_t> at;
    for (const auto& [open, head] : commandHeads(s, v.tokens))
        if (head == "assert" || head == "check-sat" || head == "check-sat-assuming" || head == "push" ||
            head.compare(0, 7, "declare") == 0 || head.compare(0, 6, "define") == 0)
            at.push_back(v.tokens[open].begin);
    if (at.empty()) return;
    s.insert(at[rng.below(at.size())], "(push 1)(pop 1)");
}

void Smt2Mutator::respellLiteral(std::string& s, const View& v) {
    std::vector<size_t> literals;
    for (size_t i : v.literals)
        if (v.tokens[i].end - v.tokens[i].begin > 2) literals.push_back(i);
    if (literals.empty()) return;
    const Token& t = v.tokens[literals[rng.below(literals.size())]];
    std::string digits = s.substr(t.begin + 2, t.end - t.begin - 2);
    bool binary = t.kind == Tok::Binary;
    size_t width = binary ? digits.size() : 4 * digits.size();
    std::string spelled;
    if (width <= 64 && rng.coin()) {
        uint64_t value = std::strtoull(digits.c_str(), nullptr, binary ? 2 : 16);
        spelled = "(_ bv" + std::to_string(value) + " " + std::to_string(width) + ")";
    } else if (binary && width % 4 == 0) {
        static const char kHex[] = "0123456789abcdef";
        spelled = "#x";
        for (size_t i = 0; i < digits.size(); i += 4) spelled += kHex[std::strtoul(digits.substr(i, 4).c_str(), nullptr, 2)];
    } else if (!binary) {
        spelled = "#b";
        for (char c : digits) spelled += binaryDigits(std::strtoul(std::string(1, c).c_str(), nullptr, 16), 4);
    } else {
        return;
    }
    s.replace(t.begin, t.end - t.begin, spelled);
}

void Smt2Mutator::insertSpacing(std::string& s, const View& v) {
    static const char* const kSpacing[] = {" ", "\n", " ; a ( comment ) with \" and |\n", "\t\r\n  ", ";\n"};
    if (v.tokens.empty()) return;
    const Token& t = v.tokens[rng.below(v.tokens.size())];
    if (t.kind == Tok::Comment) return;
    s.insert(t.end, kSpacing[rng.below(std::size(kSpacing))]);
}

// ---------------------------------------------------------------- mutations

// An operator mostly gives way to another operator and a user name to
// another name, so the script stays close to well sorted; commands, sort
// words and other reserved words are picked less often.
void Smt2Mutator::replaceSymbol(std::string& s, const View& v) {
    if (v.symbols.empty()) return;
    const Token* t = &v.tokens[v.symbols[rng.below(v.symbols.size())]];
    if (inTable(tokenText(s, *t)) && !isOperator(tokenText(s, *t)) && rng.chance(70))
        t = &v.tokens[v.symbols[rng.below(v.symbols.size())]];
    std::string old = tokenText(s, *t), word;
    uint64_t which = rng.below(100);
    if (isOperator(old) && which < 85) which = 0;
    else if (!inTable(old) && !v.names.empty() && which < 70) which = 50;
    if (which < 45) word = kOperators[rng.below(std::size(kOperators))];
    else if (which < 75 && !v.names.empty()) word = v.names[rng.below(v.names.size())];
    else if (which < 85) word = kReserved[rng.below(std::size(kReserved))];
    else if (which < 92) word = kCommands[rng.below(std::size(kCommands))];
    else if (which < 99) word = kOddSymbols[rng.below(std::size(kOddSymbols))];
    else word = std::string(rng.coin() ? 2000 : 1100000, 'y');  // the reader's buffer starts at 1 MiB
    s.replace(t->begin, t->end - t->begin, word);
}

void Smt2Mutator::changeNumber(std::string& s, const View& v) {
    if (v.numerals.empty()) {
        changeLiteral(s, v);
        return;
    }
    const Token& t = v.tokens[v.numerals[rng.below(v.numerals.size())]];
    std::string number = tokenText(s, t);
    if (rng.chance(25) && number.size() < 9 && t.kind == Tok::Numeral) {
        long value = std::stol(number) + (rng.coin() ? 1 : -1);
        number = std::to_string(value);
    } else {
        number = kNumbers[rng.below(std::size(kNumbers))];
    }
    s.replace(t.begin, t.end - t.begin, number);
}

void Smt2Mutator::changeLiteral(std::string& s, const View& v) {
    if (v.literals.empty()) return;
    const Token& t = v.tokens[v.literals[rng.below(v.literals.size())]];
    s.replace(t.begin, t.end - t.begin, randomLiteral());
}

void Smt2Mutator::duplicateGroup(std::string& s, const View& v) {
    if (v.all.empty()) return;
    Span g = v.all[rng.below(v.all.size())];
    std::string copy = s.substr(g.begin, g.end - g.begin);
    s.insert(g.end, " " + copy);
}

void Smt2Mutator::deleteGroup(std::string& s, const View& v) {
    if (v.all.empty()) return;
    Span g = v.all[rng.below(v.all.size())];
    s.erase(g.begin, g.end - g.begin);
}

void Smt2Mutator::swapGroups(std::string& s, const View& v) {
    const std::vector<Span>& from = rng.coin() && v.commands.size() >= 2 ? v.commands : v.all;
    if (from.size() < 2) return;
    Span a = from[rng.below(from.size())], b = from[rng.below(from.size())];
    if (!(a.end <= b.begin || b.end <= a.begin)) return;
    if (b.begin < a.begin) std::swap(a, b);
    std::string sa = s.substr(a.begin, a.end - a.begin), sb = s.substr(b.begin, b.end - b.begin);
    s.replace(b.begin, b.end - b.begin, sa);
    s.replace(a.begin, a.end - a.begin, sb);
}

// A donor's subterm replaces one of ours, or a donor's command is inserted
// between two of ours.
void Smt2Mutator::splice(std::string& s, const View& v, const std::vector<std::string>& pool) {
    if (pool.empty()) return;
    const std::string& donor = pool[rng.below(pool.size())];
    if (donor.size() > (1u << 20)) return;
    View d(donor);
    if (rng.coin()) {
        if (d.commands.empty()) return;
        Span c = d.commands[rng.below(d.commands.size())];
        s.insert(commandBoundary(v), "\n" + donor.substr(c.begin, c.end - c.begin) + "\n");
        return;
    }
    Span mine = randomTerm(v), theirs = randomTerm(d);
    if (mine.end == mine.begin || theirs.end == theirs.begin) return;
    s.replace(mine.begin, mine.end - mine.begin, donor.substr(theirs.begin, theirs.end - theirs.begin));
}

void Smt2Mutator::wrapTerm(std::string& s, const View& v) {
    Span t = randomTerm(v);
    if (t.end == t.begin) return;
    const char* const* w = kWraps[rng.below(std::size(kWraps))];
    std::string name = freshName();
    std::string before = replaceAll(replaceAll(w[0], "fz", name), "@", termText(s, v));
    std::string after = replaceAll(replaceAll(w[1], "fz", name), "@", termText(s, v));
    s.insert(t.end, after);
    s.insert(t.begin, before);
}

// Up to 100,000 levels: one wrapper repeated, a let chain that rebinds one
// name (or binds a new name to the previous one) at every level, or opening
// parentheses only.
void Smt2Mutator::nestDeeply(std::string& s, const View& v) {
    Span t = randomTerm(v);
    if (t.end == t.begin) return;
    int depth = kDepths[rng.below(std::size(kDepths))];
    std::string inner = s.substr(t.begin, t.end - t.begin);
    std::string before, after;
    switch (rng.below(5)) {
        case 0: {
            before = "(let ((fz " + inner + ")) ";
            for (int i = 0; i < depth; i++) before += "(let ((fz fz)) ";
            inner = "fz";
            after = std::string(static_cast<size_t>(depth) + 1, ')');
            break;
        }
        case 1: {
            before = "(let ((fz0 " + inner + ")) ";
            for (int i = 1; i <= depth; i++)
                before += "(let ((fz" + std::to_string(i) + " fz" + std::to_string(i - 1) + ")) ";
            inner = "fz" + std::to_string(depth);
            after = std::string(static_cast<size_t>(depth) + 1, ')');
            break;
        }
        case 2: before = std::string(static_cast<size_t>(depth), '('); break;
        default: {
            const char* const* w = kDeepWraps[rng.below(std::size(kDeepWraps))];
            for (int i = 0; i < depth; i++) {
                before += w[0];
                after += w[1];
            }
            break;
        }
    }
    if (s.size() + before.size() + after.size() > kMaxScript) return;
    s.replace(t.begin, t.end - t.begin, before + inner + after);
}

void Smt2Mutator::truncate(std::string& s, const View& v) {
    if (v.tokens.empty()) return;
    s.resize(v.tokens[rng.below(v.tokens.size())].begin);
}

void Smt2Mutator::unbalance(std::string& s, const View& v) {
    switch (rng.below(4)) {
        case 0:
            if (!v.parens.empty()) {
                const Token& t = v.tokens[v.parens[rng.below(v.parens.size())]];
                s.erase(t.begin, 1);
            }
            break;
        case 1: s.insert(boundary(v), rng.coin() ? "(" : ")"); break;
        case 2: s.append(static_cast<size_t>(1 + rng.below(1000)), ')'); break;
        default: s.insert(commandBoundary(v), std::string(1 + rng.below(3), '(')); break;
    }
}

void Smt2Mutator::insertCommand(std::string& s, const View& v) {
    std::string command;
    switch (rng.below(6)) {
        case 0: command = "(get-value (" + termText(s, v) + "))"; break;
        case 1: command = "(assert " + termText(s, v) + ")"; break;
        case 2: command = "(check-sat-assuming (" + termText(s, v) + "))"; break;
        case 3:
            command = "(declare-const " + (v.names.empty() || rng.coin() ? freshName() : v.names[rng.below(v.names.size())]) +
                      (rng.coin() ? " Bool)" : " (_ BitVec " + std::string(kNumbers[rng.below(12)]) + "))");
            break;
        default: command = kCommandTexts[rng.below(std::size(kCommandTexts))]; break;
    }
    size_t at = rng.chance(75) ? commandBoundary(v) : boundary(v);
    s.insert(at, "\n" + command + "\n");
}

void Smt2Mutator::changeStringOrQuote(std::string& s, const View& v) {
    if (!v.strings.empty() && (v.symbols.empty() || rng.coin())) {
        const Token& t = v.tokens[v.strings[rng.below(v.strings.size())]];
        size_t length = rng.chance(80) ? 5000 + rng.below(5000) : 1100000;
        std::string text = rng.chance(90) ? kStrings[rng.below(std::size(kStrings))]
                                          : "\"" + std::string(length, 'z') + "\"";
        s.replace(t.begin, t.end - t.begin, text);
        return;
    }
    if (v.symbols.empty()) return;
    const Token& t = v.tokens[v.symbols[rng.below(v.symbols.size())]];
    std::string word = tokenText(s, t);
    if (t.kind == Tok::Quoted) {
        bool closed = word.size() >= 2 && word.back() == '|';
        std::string inner = word.substr(1, word.size() - (closed ? 2 : 1));
        word = rng.coin() ? inner : "|" + inner + (rng.coin() ? " \n" : "");
    } else {
        word = rng.chance(80) ? "|" + word + "|" : "|" + word;
    }
    s.replace(t.begin, t.end - t.begin, word);
}

void Smt2Mutator::changeKeyword(std::string& s, const View& v) {
    const char* keyword = kKeywords[rng.below(std::size(kKeywords))];
    if (v.keywords.empty()) {
        s.insert(boundary(v), std::string(" ") + keyword + " ");
        return;
    }
    const Token& t = v.tokens[v.keywords[rng.below(v.keywords.size())]];
    s.replace(t.begin, t.end - t.begin, keyword);
}

void Smt2Mutator::damageBytes(std::string& s, const View& v) {
    switch (rng.below(4)) {
        case 0:
            if (!s.empty()) s[rng.below(s.size())] = static_cast<char>(rng.below(256));
            break;
        case 1: {
            static const char kSpecial[] = {'\0', '\x80', '\xff', '\x7f', '\\', '"', '|', ';', '#', ':', '\r'};
            s.insert(s.begin() + static_cast<long>(boundary(v)), kSpecial[rng.below(sizeof kSpecial)]);
            break;
        }
        case 2:
            if (!v.tokens.empty()) {
                size_t first = rng.below(v.tokens.size());
                size_t last = std::min(v.tokens.size() - 1, first + rng.below(3));
                s.erase(v.tokens[first].begin, v.tokens[last].end - v.tokens[first].begin);
            }
            break;
        default:
            if (!v.tokens.empty()) {
                const Token& t = v.tokens[rng.below(v.tokens.size())];
                s.insert(t.end, s.substr(t.begin, t.end - t.begin));
            }
            break;
    }
}

// A subterm gives way to another term of the script (an atom for a group or
// the other way round), a literal, or a freshly named symbol.
void Smt2Mutator::replaceTermByTerm(std::string& s, const View& v) {
    Span t = randomTerm(v);
    if (t.end == t.begin) return;
    std::string by;
    switch (rng.below(3)) {
        case 0: by = termText(s, v); break;
        case 1: by = randomLiteral(); break;
        default: by = freshName(); break;
    }
    s.replace(t.begin, t.end - t.begin, by);
}

// A comment (with parentheses and quotes in it) between tokens, or two
// neighbouring tokens glued together.
void Smt2Mutator::insertCommentOrJoin(std::string& s, const View& v) {
    if (rng.coin()) {
        static const char* const kComments[] = {"; ) ( \" |\n", ";", "; comment without newline", ";;\n;\n"};
        s.insert(boundary(v), kComments[rng.below(std::size(kComments))]);
        return;
    }
    std::vector<size_t> spaces;
    for (size_t i = 0; i < v.tokens.size(); i++)
        if (v.tokens[i].kind == Tok::Space) spaces.push_back(i);
    if (spaces.empty()) return;
    const Token& t = v.tokens[spaces[rng.below(spaces.size())]];
    s.erase(t.begin, t.end - t.begin);
}

}  // namespace torva_fuzz
