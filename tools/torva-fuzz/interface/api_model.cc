// The model-based tester of the C++ interface: the calls, the model of the
// solver (terms evaluated on 64-bit words, scopes, brute force), the
// generator of sequences, the shrinker and the printer of GoogleTest cases.
// An array or a unary function over narrow bit vectors is a word too: its
// table, the entry of each index (argument) k in bits [k e, (k + 1) e) for
// elements (results) of e bits, so that equal arrays are equal words and
// brute force enumerates arrays and functions like any variable.
// Invariant: the model never asks the solver under test; it asks fresh
// solvers only for answers it cannot compute itself.
#include "interface/api_model.h"

#include <torva/torva.hpp>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "words.h"

namespace torva_api_model {

namespace {

using torva::Kind;
using torva::Result;
using torva::Solver;
using torva::Term;

constexpr uint32_t kMaxWidth = 24;      // the widest term the generator makes
constexpr uint32_t kFreeBitBudget = 14;  // variable bits a sequence may declare
constexpr uint32_t kMaxFreeBits = 20;    // brute force refuses more
constexpr size_t kMaxText = 4000;        // longer texts of terms are not compared

// The text with every (let ((_let_N X)) body) replaced by body with X in
// place of each use of _let_N: what the term reads as, written out in full.
std::string withoutLets(std::string text) {
    const std::string head = "(let ((";
    while (text.compare(0, head.size(), head) == 0) {
        size_t nameEnd = text.find(' ', head.size());
        std::string name = text.substr(head.size(), nameEnd - head.size());
        size_t defEnd = nameEnd + 1;
        for (int depth = 0; defEnd < text.size(); defEnd++) {
            if (text[defEnd] == '(') depth++;
            if (text[defEnd] == ')' && depth-- == 0) break;
        }
        std::string definition = text.substr(nameEnd + 1, defEnd - nameEnd - 1);
        std::string body = text.substr(defEnd + 3, text.size() - defEnd - 4);  // after ")) ", before the last ')'
        std::string expanded;
        for (size_t i = 0; i < body.size();) {
            bool use = body.compare(i, name.size(), name) == 0 &&
                       (i + name.size() == body.size() || body[i + name.size()] == ' ' || body[i + name.size()] == ')');
            expanded += use ? definition : std::string(1, body[i]);
            i += use ? name.size() : 1;
        }
        text = expanded;
    }
    return text;
}

// ---------------------------------------------------------------------------
// Sorts: 0 Bool, 1 to kMaxWidth a bit vector, and from kArraySort on an array
// or function sort with the widths of its index (argument) and element
// (result) packed in.

constexpr uint32_t kArraySort = 1u << 16, kFunctionSort = 1u << 17;
constexpr uint32_t kMaxTableBits = 8;  // the widest table the generator makes

bool isCompound(uint32_t sort) { return sort >= kArraySort; }
uint32_t compoundSort(bool array, uint32_t domain, uint32_t range) {
    return (array ? kArraySort : kFunctionSort) | domain << 8 | range;
}
uint32_t domainWidth(uint32_t sort) { return (sort >> 8) & 0xff; }
uint32_t rangeWidth(uint32_t sort) { return sort & 0xff; }
// The bits of a value of the sort.
uint32_t valueBits(uint32_t sort) {
    return isCompound(sort) ? rangeWidth(sort) << domainWidth(sort) : std::max<uint32_t>(sort, 1);
}

std::string bvSortText(uint32_t w) { return "(_ BitVec " + std::to_string(w) + ")"; }
// SMT-LIB 2 text of the sort, as Sort::toString writes it.
std::string sortText(uint32_t sort) {
    if (sort == 0) return "Bool";
    if (!isCompound(sort)) return bvSortText(sort);
    return std::string(sort & kArraySort ? "(Array " : "(-> ") + bvSortText(domainWidth(sort)) + " " +
           bvSortText(rangeWidth(sort)) + ")";
}

torva::Sort makeSort(Solver& s, uint32_t sort) {
    if (sort == 0) return s.mkBoolSort();
    if (!isCompound(sort)) return s.mkBvSort(sort);
    torva::Sort domain = s.mkBvSort(domainWidth(sort)), range = s.mkBvSort(rangeWidth(sort));
    return sort & kArraySort ? s.mkArraySort(domain, range) : s.mkFunctionSort({domain}, range);
}

// The C++ expression of makeSort in a printed case.
std::string sortExpression(uint32_t sort) {
    if (sort == 0) return "s.mkBoolSort()";
    if (!isCompound(sort)) return "s.mkBvSort(" + std::to_string(sort) + ")";
    std::string domain = "s.mkBvSort(" + std::to_string(domainWidth(sort)) + ")";
    std::string range = "s.mkBvSort(" + std::to_string(rangeWidth(sort)) + ")";
    return sort & kArraySort ? "s.mkArraySort(" + domain + ", " + range + ")"
                             : "s.mkFunctionSort({" + domain + "}, " + range + ")";
}

// ---------------------------------------------------------------------------
// Values: a bit vector is a uint64 masked to its width, a Boolean 0 or 1.

using torva_words::ashr;
using torva_words::mask;
using torva_words::neg;
using torva_words::rotateLeft;
using torva_words::sdiv;
using torva_words::signExtend;
using torva_words::smod;
using torva_words::srem;
using torva_words::toSigned;
using torva_words::udiv;
using torva_words::urem;

std::string digitsOf(uint64_t v, uint32_t base, uint32_t minDigits) {
    std::string s;
    do {
        s.push_back("0123456789abcdef"[v % base]);
        v /= base;
    } while (v != 0);
    while (s.size() < minDigits) s.push_back('0');
    return std::string(s.rbegin(), s.rend());
}

std::string indexText(const std::vector<uint32_t>& indices) {
    std::string s;
    for (size_t i = 0; i < indices.size(); ++i) s += (i ? " " : "") + std::to_string(indices[i]);
    return s;
}

// ---------------------------------------------------------------------------
// The recorded calls. A term-making call defines a handle; later calls name
// terms by handle. Replay, shrinking and printing all read this one form.

enum class Op : uint8_t {
    MkVar, MkValue, MkTerm, Misuse, Assert, Push, Pop, Check, GetValue, GetCore, Reset, SetOption, GetStats,
};

struct Call {
    Op op = Op::GetStats;
    int out = -1;                    // the handle a term-making call defines
    Kind kind = Kind::CONSTANT;      // MkTerm, Misuse
    std::vector<int> args;           // operands, the formula, assumptions, terms to value
    std::vector<uint32_t> indices;   // MkTerm, Misuse; MkValue: {base} of a digit string
    uint32_t width = 0;              // MkVar, MkValue, Misuse: 0 for Bool
    uint64_t number = 0;             // MkValue: the value; Push, Pop: the levels
    uint32_t variant = 0;            // which of the interface's equivalent ways the call takes
    std::string key, value;          // SetOption
};

// Misuse variants: each must throw torva::Error and change nothing.
enum MisuseVariant : uint32_t { kIllSortedTerm, kAssertNonBool, kAssumeNonBool, kValueTooWide, kMisuseVariants };

const char* const kKindNames[] = {
    "CONSTANT", "VARIABLE", "NOT", "AND", "OR", "XOR", "IMPLIES", "EQUAL", "DISTINCT", "ITE",
    "BV_CONCAT", "BV_EXTRACT", "BV_REPEAT", "BV_ZERO_EXTEND", "BV_SIGN_EXTEND", "BV_ROTATE_LEFT",
    "BV_ROTATE_RIGHT", "BV_NOT", "BV_AND", "BV_OR", "BV_XOR", "BV_NAND", "BV_NOR", "BV_XNOR", "BV_COMP",
    "BV_NEG", "BV_ADD", "BV_SUB", "BV_MUL", "BV_UDIV", "BV_UREM", "BV_SDIV", "BV_SREM", "BV_SMOD",
    "BV_SHL", "BV_LSHR", "BV_ASHR", "BV_ULT", "BV_ULE", "BV_UGT", "BV_UGE", "BV_SLT", "BV_SLE",
    "BV_SGT", "BV_SGE", "SELECT", "STORE", "CONST_ARRAY", "APPLY",
};
static_assert(sizeof(kKindNames) / sizeof(kKindNames[0]) == static_cast<size_t>(Kind::APPLY) + 1,
              "one name per kind");
const char* nameOf(Kind k) { return kKindNames[static_cast<size_t>(k)]; }

// The named helpers of mkTerm, by shape.
using Unary = Term (Solver::*)(const Term&);
using Binary = Term (Solver::*)(const Term&, const Term&);
using Indexed = Term (Solver::*)(uint32_t, const Term&);
struct Helper {
    Kind kind;
    const char* name;
    Unary unary;
    Binary binary;
    Indexed indexed;
};
const Helper kHelpers[] = {
    {Kind::NOT, "mkNot", &Solver::mkNot, nullptr, nullptr},
    {Kind::BV_NOT, "mkBvNot", &Solver::mkBvNot, nullptr, nullptr},
    {Kind::BV_NEG, "mkBvNeg", &Solver::mkBvNeg, nullptr, nullptr},
    {Kind::AND, "mkAnd", nullptr, &Solver::mkAnd, nullptr},
    {Kind::OR, "mkOr", nullptr, &Solver::mkOr, nullptr},
    {Kind::XOR, "mkXor", nullptr, &Solver::mkXor, nullptr},
    {Kind::IMPLIES, "mkImplies", nullptr, &Solver::mkImplies, nullptr},
    {Kind::EQUAL, "mkEqual", nullptr, &Solver::mkEqual, nullptr},
    {Kind::DISTINCT, "mkDistinct", nullptr, &Solver::mkDistinct, nullptr},
    {Kind::BV_CONCAT, "mkConcat", nullptr, &Solver::mkConcat, nullptr},
    {Kind::BV_AND, "mkBvAnd", nullptr, &Solver::mkBvAnd, nullptr},
    {Kind::BV_OR, "mkBvOr", nullptr, &Solver::mkBvOr, nullptr},
    {Kind::BV_XOR, "mkBvXor", nullptr, &Solver::mkBvXor, nullptr},
    {Kind::BV_ADD, "mkBvAdd", nullptr, &Solver::mkBvAdd, nullptr},
    {Kind::BV_SUB, "mkBvSub", nullptr, &Solver::mkBvSub, nullptr},
    {Kind::BV_MUL, "mkBvMul", nullptr, &Solver::mkBvMul, nullptr},
    {Kind::BV_UDIV, "mkBvUdiv", nullptr, &Solver::mkBvUdiv, nullptr},
    {Kind::BV_UREM, "mkBvUrem", nullptr, &Solver::mkBvUrem, nullptr},
    {Kind::BV_SDIV, "mkBvSdiv", nullptr, &Solver::mkBvSdiv, nullptr},
    {Kind::BV_SREM, "mkBvSrem", nullptr, &Solver::mkBvSrem, nullptr},
    {Kind::BV_SMOD, "mkBvSmod", nullptr, &Solver::mkBvSmod, nullptr},
    {Kind::BV_SHL, "mkBvShl", nullptr, &Solver::mkBvShl, nullptr},
    {Kind::BV_LSHR, "mkBvLshr", nullptr, &Solver::mkBvLshr, nullptr},
    {Kind::BV_ASHR, "mkBvAshr", nullptr, &Solver::mkBvAshr, nullptr},
    {Kind::BV_ULT, "mkBvUlt", nullptr, &Solver::mkBvUlt, nullptr},
    {Kind::BV_ULE, "mkBvUle", nullptr, &Solver::mkBvUle, nullptr},
    {Kind::BV_UGT, "mkBvUgt", nullptr, &Solver::mkBvUgt, nullptr},
    {Kind::BV_UGE, "mkBvUge", nullptr, &Solver::mkBvUge, nullptr},
    {Kind::BV_SLT, "mkBvSlt", nullptr, &Solver::mkBvSlt, nullptr},
    {Kind::BV_SLE, "mkBvSle", nullptr, &Solver::mkBvSle, nullptr},
    {Kind::BV_SGT, "mkBvSgt", nullptr, &Solver::mkBvSgt, nullptr},
    {Kind::BV_SGE, "mkBvSge", nullptr, &Solver::mkBvSge, nullptr},
    {Kind::BV_REPEAT, "mkRepeat", nullptr, nullptr, &Solver::mkRepeat},
    {Kind::BV_ZERO_EXTEND, "mkZeroExtend", nullptr, nullptr, &Solver::mkZeroExtend},
    {Kind::BV_SIGN_EXTEND, "mkSignExtend", nullptr, nullptr, &Solver::mkSignExtend},
    {Kind::BV_ROTATE_LEFT, "mkRotateLeft", nullptr, nullptr, &Solver::mkRotateLeft},
    {Kind::BV_ROTATE_RIGHT, "mkRotateRight", nullptr, nullptr, &Solver::mkRotateRight},
};

// The helper that makes this call, or null when it goes through mkTerm
// (variant 0, or a shape no helper has). Extract and ite have helpers of
// their own shape and are handled where this is read.
const Helper* helperFor(const Call& c) {
    if (c.variant == 0) return nullptr;
    for (const Helper& h : kHelpers) {
        if (h.kind != c.kind) continue;
        if (h.unary && c.args.size() == 1 && c.indices.empty()) return &h;
        if (h.binary && c.args.size() == 2 && c.indices.empty()) return &h;
        if (h.indexed && c.args.size() == 1 && c.indices.size() == 1) return &h;
    }
    return nullptr;
}
bool viaExtractHelper(const Call& c) {
    return c.variant != 0 && c.kind == Kind::BV_EXTRACT && c.args.size() == 1 && c.indices.size() == 2;
}
bool viaIteHelper(const Call& c) { return c.variant != 0 && c.kind == Kind::ITE && c.args.size() == 3; }

Term makeTerm(Solver& s, const Call& c, const std::vector<Term>& a) {
    if (viaExtractHelper(c)) return s.mkExtract(c.indices[0], c.indices[1], a[0]);
    if (viaIteHelper(c)) return s.mkIte(a[0], a[1], a[2]);
    if (const Helper* h = helperFor(c)) {
        if (h->unary) return (s.*h->unary)(a[0]);
        if (h->binary) return (s.*h->binary)(a[0], a[1]);
        return (s.*h->indexed)(c.indices[0], a[0]);
    }
    return s.mkTerm(c.kind, a, c.indices);
}

// Value variants: 0 mkBvValue(width, uint64) / mkTrue, mkFalse; 1
// mkBvValueInt64 / mkBoolean; 2 digits in base indices[0]; 3 mkBvZero, mkBvOne.
Term makeValue(Solver& s, const Call& c) {
    if (c.width == 0) return c.variant == 0 ? (c.number ? s.mkTrue() : s.mkFalse()) : s.mkBoolean(c.number != 0);
    switch (c.variant) {
        case 1: return s.mkBvValueInt64(c.width, toSigned(c.number, c.width));
        case 2: return s.mkBvValue(c.width, digitsOf(c.number, c.indices[0], 1), c.indices[0]);
        case 3: return c.number == 0 ? s.mkBvZero(c.width) : s.mkBvOne(c.width);
        default: return s.mkBvValue(c.width, c.number);
    }
}

std::string variableName(int handle) { return "x" + std::to_string(handle); }

Term makeVariable(Solver& s, const Call& c) { return s.mkConst(makeSort(s, c.width), variableName(c.out)); }

// The sort rules, for well-sorted operands: 0 is Bool.
uint32_t resultWidth(Kind k, const std::vector<uint32_t>& w, const std::vector<uint32_t>& idx) {
    switch (k) {
        case Kind::ITE: return w[1];
        case Kind::BV_CONCAT: {
            uint32_t sum = 0;
            for (uint32_t x : w) sum += x;
            return sum;
        }
        case Kind::BV_EXTRACT: return idx[0] - idx[1] + 1;
        case Kind::BV_REPEAT: return w[0] * idx[0];
        case Kind::BV_ZERO_EXTEND:
        case Kind::BV_SIGN_EXTEND: return w[0] + idx[0];
        case Kind::BV_COMP: return 1;
        case Kind::SELECT:
        case Kind::APPLY: return rangeWidth(w[0]);
        case Kind::STORE:
        case Kind::BV_ROTATE_LEFT:
        case Kind::BV_ROTATE_RIGHT:
        case Kind::BV_NOT:
        case Kind::BV_AND:
        case Kind::BV_OR:
        case Kind::BV_XOR:
        case Kind::BV_NAND:
        case Kind::BV_NOR:
        case Kind::BV_XNOR:
        case Kind::BV_NEG:
        case Kind::BV_ADD:
        case Kind::BV_SUB:
        case Kind::BV_MUL:
        case Kind::BV_UDIV:
        case Kind::BV_UREM:
        case Kind::BV_SDIV:
        case Kind::BV_SREM:
        case Kind::BV_SMOD:
        case Kind::BV_SHL:
        case Kind::BV_LSHR:
        case Kind::BV_ASHR: return w[0];
        default: return 0;
    }
}

// The width of every handle a sequence defines (-1 where none).
std::vector<int64_t> widthsOf(const std::vector<Call>& calls) {
    std::vector<int64_t> width;
    for (const Call& c : calls) {
        if (c.out < 0) continue;
        if (width.size() <= static_cast<size_t>(c.out)) width.resize(c.out + 1, -1);
        if (c.op != Op::MkTerm) {
            width[c.out] = c.width;
            continue;
        }
        std::vector<uint32_t> w;
        for (int a : c.args) w.push_back(static_cast<uint32_t>(width[a]));
        width[c.out] = resultWidth(c.kind, w, c.indices);
    }
    return width;
}

// ---------------------------------------------------------------------------
// The evaluator.

struct Node {
    bool defined = false;
    Call call;                         // the call that made it
    std::vector<uint32_t> argWidths;   // MkTerm
    uint32_t width = 0;
    Term term;
    std::string text;  // its SMT-LIB 2 text; empty when too long to keep
};

// The entry at `index` of a table of entries of `width` bits.
uint64_t tableEntry(uint64_t table, uint64_t index, uint32_t width) {
    return (table >> (index * width)) & mask(width);
}

template <class Cmp>
uint64_t chain(const Node& n, const std::vector<uint64_t>& val, Cmp cmp) {
    for (size_t i = 0; i + 1 < n.call.args.size(); ++i)
        if (!cmp(val[n.call.args[i]], val[n.call.args[i + 1]])) return 0;
    return 1;
}

template <class Op2>
uint64_t fold(const Node& n, const std::vector<uint64_t>& val, Op2 op) {
    uint64_t r = val[n.call.args[0]];
    for (size_t i = 1; i < n.call.args.size(); ++i) r = op(r, val[n.call.args[i]]);
    return r & mask(std::max<uint32_t>(n.width, 1));
}

uint64_t evalNode(const Node& n, const std::vector<uint64_t>& val) {
    const Call& c = n.call;
    auto at = [&](size_t i) { return val[c.args[i]]; };
    const uint32_t w = n.argWidths.empty() ? 0 : n.argWidths[0];
    const uint64_t m = mask(n.width);
    auto s = [w](uint64_t v) { return toSigned(v, w); };
    switch (c.kind) {
        case Kind::NOT: return !at(0);
        case Kind::AND: return fold(n, val, [](uint64_t a, uint64_t b) { return a & b; });
        case Kind::OR: return fold(n, val, [](uint64_t a, uint64_t b) { return a | b; });
        case Kind::XOR: return fold(n, val, [](uint64_t a, uint64_t b) { return a ^ b; });
        case Kind::IMPLIES: return !at(0) || at(1);
        case Kind::EQUAL: return chain(n, val, [](uint64_t a, uint64_t b) { return a == b; });
        case Kind::DISTINCT:
            for (size_t i = 0; i < c.args.size(); ++i)
                for (size_t j = i + 1; j < c.args.size(); ++j)
                    if (at(i) == at(j)) return 0;
            return 1;
        case Kind::ITE: return at(0) ? at(1) : at(2);
        case Kind::BV_CONCAT: {
            uint64_t r = 0;
            for (size_t i = 0; i < c.args.size(); ++i) r = (r << n.argWidths[i]) | at(i);
            return r;
        }
        case Kind::BV_EXTRACT: return (at(0) >> c.indices[1]) & m;
        case Kind::BV_REPEAT: {
            uint64_t r = 0;
            for (uint32_t k = 0; k < c.indices[0]; ++k) r = (r << w) | at(0);
            return r;
        }
        case Kind::BV_ZERO_EXTEND: return at(0);
        case Kind::BV_SIGN_EXTEND: return signExtend(at(0), w, n.width);
        case Kind::BV_ROTATE_LEFT: return rotateLeft(at(0), c.indices[0] % w, w);
        case Kind::BV_ROTATE_RIGHT: return rotateLeft(at(0), (w - c.indices[0] % w) % w, w);
        case Kind::BV_NOT: return ~at(0) & m;
        case Kind::BV_AND: return fold(n, val, [](uint64_t a, uint64_t b) { return a & b; });
        case Kind::BV_OR: return fold(n, val, [](uint64_t a, uint64_t b) { return a | b; });
        case Kind::BV_XOR: return fold(n, val, [](uint64_t a, uint64_t b) { return a ^ b; });
        case Kind::BV_NAND: return ~(at(0) & at(1)) & m;
        case Kind::BV_NOR: return ~(at(0) | at(1)) & m;
        case Kind::BV_XNOR: return ~(at(0) ^ at(1)) & m;
        case Kind::BV_COMP: return at(0) == at(1);
        case Kind::BV_NEG: return neg(at(0), w);
        case Kind::BV_ADD: return fold(n, val, [](uint64_t a, uint64_t b) { return a + b; });
        case Kind::BV_SUB: return (at(0) - at(1)) & m;
        case Kind::BV_MUL: return fold(n, val, [m](uint64_t a, uint64_t b) { return (a * b) & m; });
        case Kind::BV_UDIV: return udiv(at(0), at(1), w);
        case Kind::BV_UREM: return urem(at(0), at(1), w);
        case Kind::BV_SDIV: return sdiv(at(0), at(1), w);
        case Kind::BV_SREM: return srem(at(0), at(1), w);
        case Kind::BV_SMOD: return smod(at(0), at(1), w);
        case Kind::BV_SHL: return at(1) >= w ? 0 : (at(0) << at(1)) & m;
        case Kind::BV_LSHR: return at(1) >= w ? 0 : at(0) >> at(1);
        case Kind::BV_ASHR: return ashr(at(0), at(1), w);
        case Kind::BV_ULT: return chain(n, val, [](uint64_t a, uint64_t b) { return a < b; });
        case Kind::BV_ULE: return chain(n, val, [](uint64_t a, uint64_t b) { return a <= b; });
        case Kind::BV_UGT: return chain(n, val, [](uint64_t a, uint64_t b) { return a > b; });
        case Kind::BV_UGE: return chain(n, val, [](uint64_t a, uint64_t b) { return a >= b; });
        case Kind::BV_SLT: return chain(n, val, [&](uint64_t a, uint64_t b) { return s(a) < s(b); });
        case Kind::BV_SLE: return chain(n, val, [&](uint64_t a, uint64_t b) { return s(a) <= s(b); });
        case Kind::BV_SGT: return chain(n, val, [&](uint64_t a, uint64_t b) { return s(a) > s(b); });
        case Kind::BV_SGE: return chain(n, val, [&](uint64_t a, uint64_t b) { return s(a) >= s(b); });
        case Kind::SELECT:
        case Kind::APPLY: return tableEntry(at(0), at(1), rangeWidth(n.argWidths[0]));
        case Kind::STORE: {
            const uint32_t e = rangeWidth(n.width), shift = static_cast<uint32_t>(at(1)) * e;
            return (at(0) & ~(mask(e) << shift)) | at(2) << shift;
        }
        case Kind::CONSTANT:
        case Kind::VARIABLE:
        case Kind::CONST_ARRAY: break;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Running calls on a solver and on the model.

struct Failed {
    std::string category, detail;
};
[[noreturn]] void fail(const std::string& category, const std::string& detail) { throw Failed{category, detail}; }

template <class F>
void expectError(const std::string& what, F&& f) {
    try {
        f();
    } catch (const torva::Error&) {
        return;
    }
    fail("misuse", what + " did not throw torva::Error");
}

using Options = std::vector<std::pair<std::string, std::string>>;

// What a replay learns about each call, for printing it.
struct Note {
    bool skipped = false;       // not made: the interface leaves its answer open here
    bool expectError = false;   // a query outside its answer, which must throw
    bool sat = false;           // Check: the brute-force answer
    std::vector<int> live;      // Check, GetCore: the live assertions
    std::vector<int> assumed;   // GetCore: the assumptions of the check
    std::vector<int> base;      // GetCore: assertions outside all scopes, when cores are not produced
    Options options;            // Check: every option set so far
    uint32_t level = 0;         // the scope level after the call
    uint32_t width = 0;         // a term-making call: the width of its term
    std::string text;           // a term-making call: its text, when kept
    int alike = -1;             // a term-making call: the earlier term made alike
    Options stats;              // GetStats: the counters the model keeps
};


uint64_t parseDigits(const std::string& text, uint32_t base, const std::string& what) {
    if (text.empty() || text.size() > 64) fail("value", what + " gave the digits \"" + text + "\"");
    char* end = nullptr;
    uint64_t v = std::strtoull(text.c_str(), &end, static_cast<int>(base));
    if (*end != '\0' || text[0] == '-' || text[0] == '+') fail("value", what + " gave the digits \"" + text + "\"");
    return v;
}

// The value of `t` (of `width`, 0 for Bool) in the model of `s`, read by
// accessor `how`; every accessor's answer is checked for form.
uint64_t readValue(Solver& s, const Term& t, uint32_t width, uint32_t how) {
    const std::string what = "the value of " + t.toString();
    switch (how % 4) {
        case 1: {
            uint64_t v = s.getValueUint64(t);
            if (v > mask(width == 0 ? 1 : width)) fail("value", what + " as uint64 is too wide");
            return v;
        }
        case 2: {
            std::string text = s.getValueString(t);
            if (width == 0) {
                if (text != "true" && text != "false") fail("value", what + " is written \"" + text + "\"");
                return text == "true";
            }
            if (text.size() != width + 2 || text.compare(0, 2, "#b") != 0)
                fail("value", what + " is written \"" + text + "\"");
            return parseDigits(text.substr(2), 2, what);
        }
        case 3: {
            uint32_t base = (how / 4) % 2 ? 16 : 10;
            return parseDigits(s.getValueDigits(t, base), base, what + " in base " + std::to_string(base));
        }
        default: {
            Term v = s.getValue(t);
            if (v.getKind() != Kind::CONSTANT || v.getSort() != t.getSort())
                fail("value", what + " is not a constant of its sort: " + v.toString());
            if (width == 0) return v.getBooleanValue();
            return parseDigits(v.getBvValue(2), 2, what);
        }
    }
}

// The table of `t`, an array or function of `sort`, in the model of `s`:
// its entry at each index read by accessor `how`. An array's value term
// is checked to be written as its text.
uint64_t readTable(Solver& s, const Term& t, uint32_t sort, uint32_t how) {
    const bool array = (sort & kArraySort) != 0;
    if (array && how % 2 == 0 && s.getValue(t).toString() != s.getValueString(t))
        fail("value", "the value term of " + t.toString() + " is not written as its text");
    uint64_t table = 0;
    const uint32_t e = rangeWidth(sort);
    for (uint64_t k = 0; k < (uint64_t(1) << domainWidth(sort)); ++k) {
        Term at = s.mkBvValue(domainWidth(sort), k);
        Term entry = array ? s.mkSelect(t, at) : s.mkApply(t, {at});
        table |= readValue(s, entry, e, how + static_cast<uint32_t>(k)) << (k * e);
    }
    return table;
}

// readValue, or readTable for an array or function.
uint64_t readAny(Solver& s, const Term& t, uint32_t sort, uint32_t how) {
    return isCompound(sort) ? readTable(s, t, sort, how) : readValue(s, t, sort, how);
}

class Runner {
public:
    // Runs one call on the solver and the model; false when they disagree.
    bool run(const Call& call) {
        notes_.emplace_back();
        ++tally_.calls;
        try {
            dispatch(call, notes_.back());
            notes_.back().level = scopeLevel();
            return true;
        } catch (const Failed& f) {
            category_ = f.category;
            detail_ = f.detail;
        } catch (const torva::Error& e) {
            category_ = "error";
            detail_ = std::string("unexpected torva::Error: ") + e.what();
        } catch (const std::exception& e) {
            category_ = "exception";
            detail_ = std::string("unexpected exception: ") + e.what();
        }
        return false;
    }

    const std::string& category() const { return category_; }
    const std::string& detail() const { return detail_; }
    const std::vector<Note>& notes() const { return notes_; }
    const Tally& tally() const { return tally_; }
    uint32_t scopeLevel() const { return static_cast<uint32_t>(scopes_.size() - 1); }
    // The last check answered so and nothing that withdraws its answer came after.
    bool hasModel() const { return current_ && lastSat_; }
    bool hasCore() const { return current_ && !lastSat_; }

private:
    void dispatch(const Call& c, Note& note) {
        switch (c.op) {
            case Op::MkVar: define(c, makeVariable(solver_, c), note); break;
            case Op::MkValue: define(c, makeValue(solver_, c), note); break;
            case Op::MkTerm: define(c, makeTerm(solver_, c, termsOf(c.args)), note); break;
            case Op::Misuse: misuse(c); break;
            case Op::Assert:
                solver_.assertFormula(nodes_[c.args[0]].term);
                scopes_.back().push_back(c.args[0]);
                current_ = false;
                break;
            case Op::Push:
                solver_.push(static_cast<uint32_t>(c.number));
                scopes_.resize(scopes_.size() + c.number);
                current_ = false;
                expectScopeLevel("push");
                break;
            case Op::Pop: pop(c, note); break;
            case Op::Check: check(c, note); break;
            case Op::GetValue: getValues(c, note); break;
            case Op::GetCore: getCore(note); break;
            case Op::Reset:
                solver_.resetAssertions();
                scopes_.assign(1, {});
                current_ = false;
                expectScopeLevel("resetAssertions");
                expectAssertions(liveAssertions());
                break;
            case Op::SetOption: setOption(c); break;
            case Op::GetStats: getStatistics(note); break;
        }
    }

    std::vector<Term> termsOf(const std::vector<int>& handles) const {
        std::vector<Term> terms;
        for (int h : handles) terms.push_back(nodes_[h].term);
        return terms;
    }

    std::vector<int> liveAssertions() const {
        std::vector<int> live;
        for (const auto& scope : scopes_) live.insert(live.end(), scope.begin(), scope.end());
        return live;
    }

    std::string describe(int h) const { return "t" + std::to_string(h) + " = " + nodes_[h].term.toString(); }

    // Records a new term and checks what the interface says about it.
    void define(const Call& c, const Term& t, Note& note) {
        if (nodes_.size() <= static_cast<size_t>(c.out)) nodes_.resize(c.out + 1);
        Node& n = nodes_[c.out];
        n.defined = true;
        n.call = c;
        n.term = t;
        n.width = c.width;
        if (c.op == Op::MkTerm) {
            for (int a : c.args) n.argWidths.push_back(nodes_[a].width);
            n.width = resultWidth(c.kind, n.argWidths, c.indices);
        }
        n.text = note.text = textOf(n);
        note.width = n.width;
        expectSharing(n, note);
        expectShape(n);
    }

    // SMT-LIB 2 text with every shared operand written out at each use.
    std::string textOf(const Node& n) const {
        const Call& c = n.call;
        if (c.op == Op::MkVar) return variableName(c.out);
        if (c.op == Op::MkValue) return n.width == 0 ? (c.number ? "true" : "false") : "#b" + digitsOf(c.number, 2, n.width);
        std::string op = c.kind == Kind::APPLY ? "" : torva::kindName(c.kind);
        if (!c.indices.empty()) op = "(_ " + op + " " + indexText(c.indices) + ")";
        std::string text = "(" + op;
        for (int a : c.args) {
            if (nodes_[a].text.empty()) return "";
            text += (text.size() > 1 ? " " : "") + nodes_[a].text;
        }
        return text.size() > kMaxText ? "" : text + ")";
    }

    void expectShape(const Node& n) {
        const Term& t = n.term;
        const Call& c = n.call;
        const std::string what = "t" + std::to_string(c.out) + " = " + t.toString();
        if (t.getSort().toString() != sortText(n.width) || t.getSort() != makeSort(solver_, n.width)) fail("term", what + " has the sort " + t.getSort().toString());
        Kind expected = c.op == Op::MkVar ? Kind::VARIABLE : c.op == Op::MkValue ? Kind::CONSTANT : c.kind;
        if (t.getKind() != expected) fail("term", what + " has the kind " + nameOf(t.getKind()));
        if (!n.text.empty() && withoutLets(t.toString()) != n.text) fail("term", what + " is not written " + n.text);
        if (c.op == Op::MkVar && t.getSymbol() != variableName(c.out))
            fail("term", what + " has the symbol " + t.getSymbol());
        if (c.op == Op::MkValue) {
            uint64_t v = n.width == 0 ? t.getBooleanValue() : parseDigits(t.getBvValue(2), 2, what);
            if (v != c.number) fail("term", what + " is not the value " + std::to_string(c.number));
        }
        if (c.op != Op::MkTerm) return;
        if (t.getNumChildren() != c.args.size() || t.getChildren() != termsOf(c.args))
            fail("term", what + " does not have the operands it was made of");
        for (size_t i = 0; i < c.args.size(); ++i)
            if (t[i] != nodes_[c.args[i]].term) fail("term", what + " has another operand " + std::to_string(i));
        if (t.getIndices() != c.indices) fail("term", what + " does not have the indices it was made with");
    }

    // Terms made alike are one term; a variable is always a new one.
    void expectSharing(const Node& n, Note& note) {
        const Call& c = n.call;
        const bool fresh = seen_.insert(n.term).second;
        if (c.op == Op::MkVar && !fresh) fail("term", "the variable t" + std::to_string(c.out) + " is an old term");
        if (c.op == Op::MkVar && !latest_.isNull() && !(latest_ < n.term))
            fail("term", "the variable t" + std::to_string(c.out) + " does not come after " + latest_.toString() +
                             " in creation order");
        if (latest_.isNull() || latest_ < n.term) latest_ = n.term;
        if (c.op == Op::MkVar) return;
        std::ostringstream key;
        if (c.op == Op::MkValue) {
            key << "v " << c.width << ' ' << c.number;
        } else {
            key << nameOf(c.kind);
            for (int a : c.args) key << ' ' << nodes_[a].term.getId();
            for (uint32_t i : c.indices) key << " #" << i;
        }
        auto [it, first] = alike_.emplace(key.str(), c.out);
        if (!first) note.alike = it->second;
        if (!first && nodes_[it->second].term != n.term)
            fail("term", "t" + std::to_string(it->second) + " and t" + std::to_string(c.out) +
                             " were made alike but are different terms");
    }

    void expectScopeLevel(const std::string& after) {
        if (solver_.getScopeLevel() != scopeLevel())
            fail("scope", "after " + after + " the scope level is " + std::to_string(solver_.getScopeLevel()) +
                              ", not " + std::to_string(scopeLevel()));
    }

    void expectAssertions(const std::vector<int>& live) {
        if (solver_.getAssertions() != termsOf(live))
            fail("assertions", "getAssertions() is not the " + std::to_string(live.size()) + " live assertions");
    }

    void pop(const Call& c, Note& note) {
        if (c.number > scopeLevel()) {
            note.expectError = true;
            ++tally_.misuses;
            expectError("pop(" + std::to_string(c.number) + ") at level " + std::to_string(scopeLevel()),
                        [&] { solver_.pop(static_cast<uint32_t>(c.number)); });
            expectScopeLevel("a refused pop");
            return;
        }
        solver_.pop(static_cast<uint32_t>(c.number));
        scopes_.resize(scopes_.size() - c.number);
        current_ = false;
        expectScopeLevel("pop");
    }

    void misuse(const Call& c) {
        ++tally_.misuses;
        const std::vector<Term> args = termsOf(c.args);
        switch (c.variant) {
            case kIllSortedTerm:
                expectError(std::string("mkTerm(") + nameOf(c.kind) + ", ill-sorted operands or indices)",
                            [&] { solver_.mkTerm(c.kind, args, c.indices); });
                break;
            case kAssertNonBool:
                expectError("assertFormula of a bit vector", [&] { solver_.assertFormula(args[0]); });
                break;
            case kAssumeNonBool:
                expectError("checkSat assuming a bit vector", [&] { solver_.checkSat(args); });
                break;
            default:
                expectError("mkBvValue(" + std::to_string(c.width) + ", " + std::to_string(c.number) + ")",
                            [&] { solver_.mkBvValue(c.width, c.number); });
                break;
        }
        expectScopeLevel("a misuse");
        expectAssertions(liveAssertions());
    }

    // Every handle the formulas depend on, in creation order.
    std::vector<int> reachable(const std::vector<int>& roots) const {
        std::vector<char> mark(nodes_.size(), 0);
        std::vector<int> stack(roots.begin(), roots.end()), order;
        while (!stack.empty()) {
            int h = stack.back();
            stack.pop_back();
            if (mark[h]) continue;
            mark[h] = 1;
            order.push_back(h);
            if (nodes_[h].call.op == Op::MkTerm)
                for (int a : nodes_[h].call.args) stack.push_back(a);
        }
        std::sort(order.begin(), order.end());
        return order;
    }

    // Evaluates `order` (creation order) with the variables' values in `val`.
    void evaluate(const std::vector<int>& order, std::vector<uint64_t>& val) const {
        for (int h : order) {
            const Node& n = nodes_[h];
            if (n.call.op == Op::MkValue) val[h] = n.call.number;
            if (n.call.op == Op::MkTerm) val[h] = evalNode(n, val);
        }
    }

    std::vector<int> variablesOf(const std::vector<int>& order) const {
        std::vector<int> vars;
        for (int h : order)
            if (nodes_[h].call.op == Op::MkVar) vars.push_back(h);
        return vars;
    }

    uint32_t bitsOf(int var) const { return valueBits(nodes_[var].width); }

    // Brute force: some assignment of the variables makes every formula true.
    bool satisfiable(const std::vector<int>& formulas) const {
        const std::vector<int> order = reachable(formulas);
        const std::vector<int> vars = variablesOf(order);
        uint32_t bits = 0;
        for (int v : vars) bits += bitsOf(v);
        if (bits > kMaxFreeBits) fail("setup", std::to_string(bits) + " free bits are too many for brute force");
        std::vector<uint64_t> val(nodes_.size(), 0);
        for (uint64_t a = 0; a < (uint64_t(1) << bits); ++a) {
            uint64_t rest = a;
            for (int v : vars) {
                val[v] = rest & mask(bitsOf(v));
                rest >>= bitsOf(v);
            }
            evaluate(order, val);
            bool all = true;
            for (int f : formulas) all = all && val[f];
            if (all) return true;
        }
        return false;
    }

    // The model of `s`, read through `terms` (this runner's terms or their
    // copies in another solver), makes every formula true, and `s` agrees.
    void expectModel(Solver& s, const std::vector<Term>& terms, const std::vector<int>& formulas, uint32_t how,
                     const std::string& whose) const {
        const std::vector<int> order = reachable(formulas);
        std::vector<uint64_t> val(nodes_.size(), 0);
        std::ostringstream model;
        for (int v : variablesOf(order)) {
            val[v] = readAny(s, terms[v], nodes_[v].width, how++);
            model << " x" << v << "=" << val[v];
        }
        evaluate(order, val);
        for (int f : formulas) {
            if (!val[f]) fail("model", whose + " model falsifies " + describe(f) + ";" + model.str());
            if (!readValue(s, terms[f], 0, how++)) fail("model", whose + " model values " + describe(f) + " false");
        }
    }

    std::string checkText(const std::vector<int>& assumed, bool sat) const {
        std::ostringstream out;
        out << "checkSat with " << liveAssertions().size() << " live assertions and " << assumed.size()
            << " assumptions is " << (sat ? "sat" : "unsat") << " by brute force";
        return out.str();
    }

    void check(const Call& c, Note& note) {
        const std::vector<int> live = liveAssertions();
        std::vector<int> formulas = live;
        formulas.insert(formulas.end(), c.args.begin(), c.args.end());
        const bool sat = satisfiable(formulas);
        note.live = live;
        note.sat = sat;
        note.options = options_;
        const std::vector<Term> assumptions = termsOf(c.args);
        Result r = c.variant == 0 && assumptions.empty() ? solver_.checkSat() : solver_.checkSat(assumptions);
        answered_ = current_ = true;
        lastSat_ = r == Result::Sat;
        lastAssumed_ = c.args;
        ++tally_.checks;
        ++(sat ? tally_.sat : tally_.unsat);
        std::string reason = r == Result::Unknown ? " (" + solver_.getReasonUnknown() + ")" : "";
        if (r != (sat ? Result::Sat : Result::Unsat))
            fail("answer", checkText(c.args, sat) + ", the solver answered " + torva::resultName(r) + reason);
        if (sat) {
            std::vector<Term> terms(nodes_.size());
            for (size_t h = 0; h < nodes_.size(); ++h) terms[h] = nodes_[h].term;
            expectModel(solver_, terms, formulas, c.variant, "the");
        }
        expectAssertions(live);
        expectFreshAgrees(live, c.args, sat, c.variant);
    }

    // Builds handle `h` and what it depends on in another solver.
    Term rebuild(Solver& s, int h, std::vector<Term>& built) const {
        if (!built[h].isNull()) return built[h];
        const Call& c = nodes_[h].call;
        if (c.op == Op::MkVar) return built[h] = makeVariable(s, c);
        if (c.op == Op::MkValue) return built[h] = makeValue(s, c);
        std::vector<Term> args;
        for (int a : c.args) args.push_back(rebuild(s, a, built));
        return built[h] = makeTerm(s, c, args);
    }

    void expectFreshAgrees(const std::vector<int>& live, const std::vector<int>& assumed, bool sat, uint32_t how) {
        ++tally_.fresh;
        Solver fresh;
        for (const auto& [key, value] : options_) fresh.setOption(key, value);
        std::vector<Term> built(nodes_.size());
        for (int a : live) fresh.assertFormula(rebuild(fresh, a, built));
        std::vector<Term> assumptions;
        for (int a : assumed) assumptions.push_back(rebuild(fresh, a, built));
        Result r = fresh.checkSat(assumptions);
        if (r != (sat ? Result::Sat : Result::Unsat))
            fail("fresh", checkText(assumed, sat) + ", a fresh solver with the live assertions answered " +
                              torva::resultName(r));
        if (!sat) return;
        std::vector<int> formulas = live;
        formulas.insert(formulas.end(), assumed.begin(), assumed.end());
        for (int h : reachable(formulas)) rebuild(fresh, h, built);
        expectModel(fresh, built, formulas, how + 1, "a fresh solver's");
    }

    void getValues(const Call& c, Note& note) {
        if (answered_ && !current_) {
            note.skipped = true;
            return;
        }
        const std::vector<Term> terms = termsOf(c.args);
        if (!answered_ || !lastSat_) {
            note.expectError = true;
            ++tally_.misuses;
            expectError("getValue without a model", [&] { solver_.getValue(terms[0]); });
            return;
        }
        const std::vector<int> order = reachable(c.args);
        std::vector<uint64_t> val(nodes_.size(), 0);
        uint32_t how = c.variant;
        for (int v : variablesOf(order)) val[v] = readAny(solver_, nodes_[v].term, nodes_[v].width, how++);
        evaluate(order, val);
        std::vector<Term> values;
        if (c.variant % 2) values = solver_.getValue(terms);
        if (c.variant % 2 && values.size() != terms.size()) fail("value", "getValue of a list has another length");
        for (size_t i = 0; i < c.args.size(); ++i) {
            ++tally_.values;
            const Node& n = nodes_[c.args[i]];
            uint64_t got = readValue(solver_, n.term, n.width, how++);
            if (c.variant % 2 && values[i] != solver_.getValue(n.term))
                fail("value", "getValue of a list disagrees with getValue of " + describe(c.args[i]));
            if (got != val[c.args[i]])
                fail("value", "the model values " + describe(c.args[i]) + " as " + std::to_string(got) +
                                  ", its operands' values make it " + std::to_string(val[c.args[i]]));
        }
    }

    // Maps terms the solver returned back to the handles among `allowed`.
    std::vector<int> handlesAmong(const std::vector<Term>& terms, const std::vector<int>& allowed,
                                  const std::string& what) const {
        std::vector<int> handles;
        for (const Term& t : terms) {
            auto it = std::find_if(allowed.begin(), allowed.end(), [&](int h) { return nodes_[h].term == t; });
            if (it == allowed.end()) fail("core", what + " holds " + t.toString() + ", which is not among them");
            handles.push_back(*it);
        }
        return handles;
    }

    void getCore(Note& note) {
        if (answered_ && !current_) {
            note.skipped = true;
            return;
        }
        if (!answered_ || lastSat_) {
            note.expectError = true;
            ++tally_.misuses;
            expectError("getUnsatCore without an unsat answer", [&] { solver_.getUnsatCore(); });
            expectError("getUnsatAssumptions without an unsat answer", [&] { solver_.getUnsatAssumptions(); });
            return;
        }
        ++tally_.cores;
        note.live = liveAssertions();
        note.assumed = lastAssumed_;
        if (solver_.getOption("produce-unsat-cores") != "true") note.base = scopes_[0];
        std::vector<int> core = handlesAmong(solver_.getUnsatCore(), note.live, "the core of the live assertions");
        std::vector<int> assumed = handlesAmong(solver_.getUnsatAssumptions(), lastAssumed_, "the unsat assumptions");
        core.insert(core.end(), assumed.begin(), assumed.end());
        core.insert(core.end(), note.base.begin(), note.base.end());
        if (satisfiable(core))
            fail("core", "the core, the unsat assumptions" + std::string(note.base.empty() ? "" : " and the base assertions") +
                             " are satisfiable together (" + std::to_string(core.size()) + " formulas)");
    }

    void setOption(const Call& c) {
        solver_.setOption(c.key, c.value);
        options_.emplace_back(c.key, c.value);
        current_ = false;
        std::string read = solver_.getOption(c.key);
        if (read != c.value) fail("option", "getOption(\"" + c.key + "\") is \"" + read + "\" after setting \"" + c.value + "\"");
    }

    // The counters the model keeps too agree with it.
    void getStatistics(Note& note) {
        std::map<std::string, std::string> stats = solver_.getStatistics();
        for (const auto& [key, value] : stats)
            if (key.empty() || value.empty()) fail("statistics", "statistic \"" + key + "\" has no name or no value");
        const std::pair<const char*, uint64_t> expected[] = {
            {"checks", tally_.checks}, {"checks sat", tally_.sat}, {"checks unsat", tally_.unsat},
            {"checks unknown", 0}, {"assertions", liveAssertions().size()}, {"scope level", scopeLevel()},
        };
        for (const auto& [key, count] : expected) note.stats.emplace_back(key, std::to_string(count));
        for (const auto& [key, count] : expected) {
            auto it = stats.find(key);
            if (it == stats.end()) fail("statistics", std::string("getStatistics() has no \"") + key + "\"");
            if (it->second != std::to_string(count))
                fail("statistics", std::string("statistic \"") + key + "\" is " + it->second + ", not " + std::to_string(count));
        }
    }

    Solver solver_;
    std::vector<Node> nodes_;
    std::vector<std::vector<int>> scopes_{1};
    Options options_;
    std::map<std::string, int> alike_;
    std::unordered_set<Term> seen_;
    Term latest_;  // the latest in creation order of the terms seen
    bool answered_ = false, current_ = false, lastSat_ = false;
    std::vector<int> lastAssumed_;
    std::vector<Note> notes_;
    Tally tally_;
    std::string category_, detail_;
};

// ---------------------------------------------------------------------------
// Generating sequences.

struct OptionChoice {
    const char* key;
    std::vector<const char*> values;
};
const std::vector<const char*> kBool = {"true", "false"};
const OptionChoice kOptions[] = {
    {"preset", {"classic", "clauses", "modules", "fast"}},
    {"incremental", kBool},
    {"simplify", kBool},
    {"produce-unsat-cores", kBool},
    {"produce-unsat-cores", kBool},
    {"engine", {"core", "cadical"}},
    {"search.decisions", {"modules", "activity"}},
    {"search.restarts", {"classic", "luby", "glucose"}},
    {"search.phase", {"classic", "saved", "target"}},
    {"search.learnts", {"classic", "tiered"}},
    {"simplify.subst", kBool},
    {"simplify.probe", kBool},
    {"simplify.propagate", kBool},
    {"simplify.unconstrained", kBool},
    {"simplify.rewrite", kBool},
    {"simplify.linear", kBool},
    {"toClses.iteCls", kBool},
    {"toClses.shiftCls", kBool},
    {"toClses.mulSubModule", kBool},
    {"toClses.andCls", kBool},
    {"toClses.xorCls", kBool},
    {"toClses.orCls", kBool},
    {"toClses.invCls", kBool},
    {"toClses.addCls", kBool},
};

const Kind kConnectives[] = {Kind::NOT, Kind::AND, Kind::OR, Kind::XOR, Kind::IMPLIES, Kind::ITE,
                             Kind::EQUAL, Kind::DISTINCT};
const Kind kAtoms[] = {Kind::EQUAL, Kind::DISTINCT, Kind::BV_ULT, Kind::BV_ULE, Kind::BV_UGT, Kind::BV_UGE,
                       Kind::BV_SLT, Kind::BV_SLE, Kind::BV_SGT, Kind::BV_SGE};
const Kind kVectorKinds[] = {
    Kind::BV_CONCAT, Kind::BV_EXTRACT, Kind::BV_REPEAT, Kind::BV_ZERO_EXTEND, Kind::BV_SIGN_EXTEND,
    Kind::BV_ROTATE_LEFT, Kind::BV_ROTATE_RIGHT, Kind::BV_NOT, Kind::BV_AND, Kind::BV_OR, Kind::BV_XOR,
    Kind::BV_NAND, Kind::BV_NOR, Kind::BV_XNOR, Kind::BV_COMP, Kind::BV_NEG, Kind::BV_ADD, Kind::BV_SUB,
    Kind::BV_MUL, Kind::BV_UDIV, Kind::BV_UREM, Kind::BV_SDIV, Kind::BV_SREM, Kind::BV_SMOD, Kind::BV_SHL,
    Kind::BV_LSHR, Kind::BV_ASHR, Kind::ITE,
};
// The kinds that take more than two operands.
bool chainable(Kind k) {
    switch (k) {
        case Kind::AND: case Kind::OR: case Kind::XOR: case Kind::EQUAL: case Kind::DISTINCT:
        case Kind::BV_AND: case Kind::BV_OR: case Kind::BV_XOR: case Kind::BV_ADD: case Kind::BV_MUL:
        case Kind::BV_CONCAT: return true;
        default: return false;
    }
}

class Generator {
public:
    explicit Generator(uint64_t seed) : rng_(seed), bitsLeft_(6 + seed % (kFreeBitBudget - 5)) {}

    // The next calls, for a runner in this state: a term-making call brings
    // the operands it needs.
    std::vector<Call> next(const Runner& r) {
        std::vector<Call> out;
        if (pool_[0].empty() && bvTerms_.empty()) {
            variable(0, out);
            if (chance(0.5)) tableVariable(out);
            variable(1 + below(std::min<uint32_t>(6, bitsLeft_)), out);
            while (bitsLeft_ > 0 && chance(0.6)) variable(1 + below(std::min<uint32_t>(6, bitsLeft_)), out);
            return out;
        }
        const bool afterCheck = afterCheck_;
        afterCheck_ = false;
        if (afterCheck && r.hasModel() && chance(0.8)) return {values()};
        if (afterCheck && r.hasCore() && chance(0.8)) return {simple(Op::GetCore)};
        uint32_t roll = below(100);
        if (roll < 36) term(out);
        else if (roll < 40) value(randomWidth(), out);
        else if (roll < 42 && bitsLeft_ > 0) variable(below(std::min<uint32_t>(6, bitsLeft_) + 1), out);
        else if (roll < 43) tableVariable(out);
        else if (roll < 56) assertion(out);
        else if (roll < 62) out.push_back(levels(Op::Push, 1 + below(chance(0.8) ? 1 : 3)));
        else if (roll < 68) out.push_back(levels(Op::Pop, 1 + below(r.scopeLevel() + 1)));
        else if (roll < 81) check(out);
        else if (roll < 83) out.push_back(simple(Op::Reset));
        else if (roll < 88) out.push_back(option());
        else if (roll < 91) out.push_back(simple(Op::GetStats));
        else if (roll < 95) misuse(out);
        else if (roll < 98) out.push_back(values());
        else out.push_back(simple(Op::GetCore));
        return out;
    }

private:
    uint32_t below(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
    // Later terms are likelier: they are the larger ones.
    int pick(const std::vector<int>& pool) { return pool[std::max(below(pool.size()), below(pool.size()))]; }
    uint32_t randomWidth() { return widthOf_[pick(bvTerms_)]; }

    Call simple(Op op) {
        Call c;
        c.op = op;
        return c;
    }
    Call levels(Op op, uint32_t n) {
        Call c = simple(op);
        c.number = n;
        return c;
    }

    int define(Call c, uint32_t width, std::vector<Call>& out) {
        c.out = static_cast<int>(widthOf_.size());
        widthOf_.push_back(width);
        (width == 0 ? pool_[0] : isCompound(width) ? tables_ : bvTerms_).push_back(c.out);
        if (width != 0) pool_[width].push_back(c.out);
        out.push_back(c);
        return c.out;
    }

    int variable(uint32_t width, std::vector<Call>& out) {
        bitsLeft_ -= std::min(bitsLeft_, valueBits(width));
        Call c = simple(Op::MkVar);
        c.width = width;
        return define(c, width, out);
    }

    int value(uint32_t width, std::vector<Call>& out) {
        Call c = simple(Op::MkValue);
        c.width = width;
        const uint64_t m = mask(width == 0 ? 1 : width);
        const uint64_t special[] = {0, 1, m, m >> 1, (m >> 1) + 1};
        c.number = (chance(0.5) ? special[below(5)] : rng_()) & m;
        c.variant = below(width == 0 ? 2 : c.number <= 1 ? 4 : 3);
        if (c.variant == 2) c.indices = {std::vector<uint32_t>{2, 10, 16}[below(3)]};
        return define(c, width, out);
    }

    // An array or a function, when a table fits in the bits left but one:
    // the smallest, of 1-bit entries at 1-bit indices, when the one drawn
    // does not.
    void tableVariable(std::vector<Call>& out) {
        uint32_t domain = 1 + below(2), range = 1 + below(2);
        if ((range << domain) >= std::min(bitsLeft_, kMaxTableBits + 1)) domain = range = 1;
        if (bitsLeft_ >= 3) variable(compoundSort(chance(0.6), domain, range), out);
    }

    int operand(uint32_t width, std::vector<Call>& out) {
        std::vector<int>& pool = pool_[width];
        if (pool.empty() || chance(0.15)) return value(width, out);
        return pick(pool);
    }

    int boolOperand(std::vector<Call>& out) {
        if (!pool_[0].empty() && chance(0.8)) return pick(pool_[0]);
        return atom(out);
    }

    int make(Kind kind, std::vector<int> args, std::vector<uint32_t> indices, std::vector<Call>& out) {
        Call c = simple(Op::MkTerm);
        c.kind = kind;
        c.args = std::move(args);
        c.indices = std::move(indices);
        c.variant = below(2);
        std::vector<uint32_t> w;
        for (int a : c.args) w.push_back(widthOf_[a]);
        uint32_t width = resultWidth(kind, w, c.indices);
        return define(c, width, out);
    }

    size_t arity(Kind k) { return chainable(k) && chance(0.25) ? 3 : 2; }

    int atom(std::vector<Call>& out) {
        Kind k = kAtoms[below(sizeof(kAtoms) / sizeof(kAtoms[0]))];
        uint32_t width = k <= Kind::DISTINCT && chance(0.2) ? 0 : randomWidth();
        std::vector<int> args;
        for (size_t i = 0, n = arity(k); i < n; ++i) args.push_back(operand(width, out));
        return make(k, args, {}, out);
    }

    int connective(std::vector<Call>& out) {
        Kind k = kConnectives[below(sizeof(kConnectives) / sizeof(kConnectives[0]))];
        size_t n = k == Kind::NOT ? 1 : k == Kind::ITE ? 3 : k == Kind::IMPLIES ? 2 : arity(k);
        std::vector<int> args;
        for (size_t i = 0; i < n; ++i) args.push_back(boolOperand(out));
        return make(k, args, {}, out);
    }

    int vectorTerm(std::vector<Call>& out) {
        Kind k = kVectorKinds[below(sizeof(kVectorKinds) / sizeof(kVectorKinds[0]))];
        int a = pick(bvTerms_);
        uint32_t w = widthOf_[a];
        switch (k) {
            case Kind::BV_CONCAT: {
                int b = pick(bvTerms_);
                if (w + widthOf_[b] > kMaxWidth) return make(Kind::BV_EXTRACT, {a}, {w - 1, w / 2}, out);
                return make(k, {a, b}, {}, out);
            }
            case Kind::BV_EXTRACT: {
                uint32_t hi = below(w);
                return make(k, {a}, {hi, below(hi + 1)}, out);
            }
            case Kind::BV_REPEAT: return make(k, {a}, {1 + below(std::min<uint32_t>(3, kMaxWidth / w))}, out);
            case Kind::BV_ZERO_EXTEND:
            case Kind::BV_SIGN_EXTEND: return make(k, {a}, {below(std::min<uint32_t>(5, kMaxWidth - w + 1))}, out);
            case Kind::BV_ROTATE_LEFT:
            case Kind::BV_ROTATE_RIGHT: return make(k, {a}, {below(2 * w + 1)}, out);
            case Kind::BV_NOT:
            case Kind::BV_NEG: return make(k, {a}, {}, out);
            case Kind::ITE: {
                int cond = boolOperand(out);
                return make(k, {cond, a, operand(w, out)}, {}, out);
            }
            default: {
                std::vector<int> args = {a};
                for (size_t i = 1, n = arity(k); i < n; ++i) args.push_back(operand(w, out));
                return make(k, args, {}, out);
            }
        }
    }

    // A read or a write of an array, an application of a function, or a
    // comparison or choice of arrays.
    int tableTerm(std::vector<Call>& out) {
        int a = pick(tables_);
        const uint32_t sort = widthOf_[a];
        if (sort & kFunctionSort) return make(Kind::APPLY, {a, operand(domainWidth(sort), out)}, {}, out);
        const int b = pick(pool_[sort]);
        switch (below(5)) {
            case 0: return make(Kind::STORE, {a, operand(domainWidth(sort), out), operand(rangeWidth(sort), out)}, {}, out);
            case 1: return make(chance(0.5) ? Kind::EQUAL : Kind::DISTINCT, {a, b}, {}, out);
            case 2: return make(Kind::ITE, {boolOperand(out), a, b}, {}, out);
            default: return make(Kind::SELECT, {a, operand(domainWidth(sort), out)}, {}, out);
        }
    }

    void term(std::vector<Call>& out) {
        if (!tables_.empty() && chance(0.4)) tableTerm(out);
        else if (chance(0.55)) vectorTerm(out);
        else if (pool_[0].size() >= 2 && chance(0.4)) connective(out);
        else atom(out);
    }

    void assertion(std::vector<Call>& out) {
        Call c = simple(Op::Assert);
        c.args = {chance(0.3) ? atom(out) : boolOperand(out)};
        out.push_back(c);
    }

    void check(std::vector<Call>& out) {
        Call c = simple(Op::Check);
        c.variant = below(8);
        if (chance(0.5)) {
            for (uint32_t i = 0, n = 1 + below(3); i < n; ++i) {
                int a = boolOperand(out);
                c.args.push_back(chance(0.3) ? make(Kind::NOT, {a}, {}, out) : a);
            }
        }
        out.push_back(c);
        afterCheck_ = true;
    }

    Call values() {
        Call c = simple(Op::GetValue);
        c.variant = below(8);
        for (uint32_t i = 0, n = 1 + below(4); i < n; ++i)
            c.args.push_back(chance(0.3) && !pool_[0].empty() ? pick(pool_[0]) : pick(bvTerms_));
        return c;
    }

    Call option() {
        const OptionChoice& o = kOptions[below(sizeof(kOptions) / sizeof(kOptions[0]))];
        Call c = simple(Op::SetOption);
        c.key = o.key;
        c.value = o.values[below(o.values.size())];
        return c;
    }

    // A call the interface must refuse.
    void misuse(std::vector<Call>& out) {
        Call c = simple(Op::Misuse);
        c.variant = below(kMisuseVariants);
        int a = pick(bvTerms_);
        uint32_t w = widthOf_[a];
        c.args = {a};
        if (c.variant == kValueTooWide) {
            c.args.clear();
            c.width = w;
            c.number = uint64_t(1) << w;
        } else if (c.variant == kIllSortedTerm) {
            illSorted(c, a, w, out);
        }
        out.push_back(c);
    }

    void illSorted(Call& c, int a, uint32_t w, std::vector<Call>& out) {
        switch (below(9)) {
            case 0: c.kind = Kind::BV_ADD, c.args = {a, operand(w == kMaxWidth ? w - 1 : w + 1, out)}; break;
            case 1: c.kind = Kind::BV_EXTRACT, c.indices = {w, 0}; break;
            case 2: c.kind = Kind::BV_EXTRACT, c.indices = {0, 1}; break;
            case 3: c.kind = Kind::BV_REPEAT, c.indices = {0}; break;
            case 4: c.kind = Kind::AND, c.args = {boolOperand(out)}; break;
            case 5: c.kind = Kind::NOT; break;
            case 6: c.kind = Kind::ITE, c.args = {a, a, a}; break;
            case 7: c.kind = Kind::BV_ROTATE_LEFT; break;
            default: c.kind = Kind::EQUAL, c.args = {a, boolOperand(out)}; break;
        }
    }

    std::mt19937_64 rng_;
    uint32_t bitsLeft_;
    std::vector<uint32_t> widthOf_;             // by handle
    std::map<uint32_t, std::vector<int>> pool_;  // by width; 0 holds the Boolean terms
    std::vector<int> bvTerms_;
    std::vector<int> tables_;  // the arrays and functions
    bool afterCheck_ = false;  // the last calls made were a check
};

// ---------------------------------------------------------------------------
// Replaying and shrinking.

// The category of the first disagreement of a replay, empty when none.
std::string failureOf(const std::vector<Call>& calls) {
    Runner r;
    for (const Call& c : calls)
        if (!r.run(c)) return r.category();
    return "";
}

// Drops what names a handle no earlier call defines: a term-making call or an
// assertion whole, single assumptions and valued terms.
std::vector<Call> normalized(const std::vector<Call>& calls) {
    std::set<int> defined;
    std::vector<Call> out;
    auto known = [&](int h) { return defined.count(h) != 0; };
    for (Call c : calls) {
        if (c.op == Op::Check || c.op == Op::GetValue) {
            c.args.erase(std::remove_if(c.args.begin(), c.args.end(), [&](int h) { return !known(h); }), c.args.end());
            if (c.op == Op::GetValue && c.args.empty()) continue;
        } else if (!std::all_of(c.args.begin(), c.args.end(), known)) {
            continue;
        }
        if (c.out >= 0) defined.insert(c.out);
        out.push_back(c);
    }
    return out;
}

class Shrinker {
public:
    Shrinker(std::vector<Call> calls, std::string category) : calls_(std::move(calls)), category_(std::move(category)) {}

    std::vector<Call> shrunk() {
        bool progress = true;
        while (progress && replays_ < kMaxReplays) {
            progress = dropChunks();
            progress = replaceByOperands() || progress;
            progress = dropArguments() || progress;
        }
        return calls_;
    }

private:
    static constexpr int kMaxReplays = 4000;

    bool accept(const std::vector<Call>& candidate) {
        std::vector<Call> c = normalized(candidate);
        if (c.size() > calls_.size() || replays_ >= kMaxReplays) return false;
        ++replays_;
        if (failureOf(c) != category_) return false;
        calls_ = std::move(c);
        return true;
    }

    bool dropChunks() {
        bool progress = false;
        for (size_t chunk = std::max<size_t>(calls_.size() / 2, 1); chunk >= 1; chunk /= 2) {
            for (size_t i = 0; i + chunk <= calls_.size();) {
                std::vector<Call> c = calls_;
                c.erase(c.begin() + i, c.begin() + i + chunk);
                if (accept(c)) progress = true;
                else i += chunk;
            }
            if (chunk == 1) break;
        }
        return progress;
    }

    // Every use of a term replaced by one of its operands of the same sort.
    bool replaceByOperands() {
        bool progress = false;
        for (size_t i = 0; i < calls_.size(); ++i) {
            if (calls_[i].op != Op::MkTerm) continue;
            const std::vector<int64_t> width = widthsOf(calls_);
            const Call made = calls_[i];
            for (int a : std::set<int>(made.args.begin(), made.args.end())) {
                if (width[a] != width[made.out]) continue;
                std::vector<Call> c = calls_;
                c.erase(c.begin() + i);
                for (Call& user : c)
                    for (int& h : user.args)
                        if (h == made.out) h = a;
                if (accept(c)) {
                    progress = true;
                    --i;
                    break;
                }
            }
        }
        return progress;
    }

    // Single assumptions and valued terms out; levels of push and pop down to one.
    bool dropArguments() {
        bool progress = false;
        for (size_t i = 0; i < calls_.size(); ++i) {
            const Op op = calls_[i].op;
            if ((op == Op::Push || op == Op::Pop) && calls_[i].number > 1) {
                std::vector<Call> c = calls_;
                c[i].number = 1;
                progress = accept(c) || progress;
            }
            if (op != Op::Check && op != Op::GetValue) continue;
            for (size_t j = 0; j < calls_[i].args.size() && calls_[i].args.size() > (op == Op::GetValue ? 1u : 0u);) {
                std::vector<Call> c = calls_;
                c[i].args.erase(c[i].args.begin() + j);
                if (accept(c)) progress = true;
                else ++j;
            }
        }
        return progress;
    }

    std::vector<Call> calls_;
    std::string category_;
    int replays_ = 0;
};

// ---------------------------------------------------------------------------
// Printing a sequence as a GoogleTest case.

// The helpers of a printed case: they check values, models, cores and fresh
// answers with solvers of their own, so the case needs no model of its own.
const char* const kPrintedHelpers = R"(// Copies terms of one solver into another; the terms already in `done` are replaced.
struct Copy {
    torva::Solver& to;
    std::map<torva::Term, torva::Term> done;
    torva::Sort copySort(const torva::Sort& sort) {
        if (sort.isBool()) return to.mkBoolSort();
        if (sort.isBv()) return to.mkBvSort(sort.getBvWidth());
        if (sort.isArray()) return to.mkArraySort(copySort(sort.getArrayIndexSort()), copySort(sort.getArrayElementSort()));
        std::vector<torva::Sort> domain;
        for (const torva::Sort& d : sort.getFunctionDomainSorts()) domain.push_back(copySort(d));
        return to.mkFunctionSort(domain, copySort(sort.getFunctionCodomainSort()));
    }
    torva::Term operator()(const torva::Term& t) {
        auto found = done.find(t);
        if (found != done.end()) return found->second;
        torva::Sort sort = t.getSort();
        torva::Term copy;
        if (t.getKind() == torva::Kind::CONSTANT) {
            copy = sort.isBool() ? to.mkBoolean(t.getBooleanValue()) : to.mkBvValue(sort.getBvWidth(), t.getBvValue(2), 2);
        } else if (t.getKind() == torva::Kind::VARIABLE) {
            copy = to.mkConst(copySort(sort), t.getSymbol());
        } else if (t.getKind() == torva::Kind::CONST_ARRAY) {
            copy = to.mkConstArray(copySort(sort), (*this)(t[0]));
        } else {
            std::vector<torva::Term> args;
            for (const torva::Term& child : t.getChildren()) args.push_back((*this)(child));
            copy = to.mkTerm(t.getKind(), args, t.getIndices());
        }
        done[t] = copy;
        return copy;
    }
};

void collect(const torva::Term& t, torva::Kind kind, std::set<torva::Term>& seen, std::set<torva::Term>& found) {
    if (!seen.insert(t).second) return;
    if (t.getKind() == kind) found.insert(t);
    for (const torva::Term& child : t.getChildren()) collect(child, kind, seen, found);
}

// The value of `t` with its variables fixed to their values in the model of `s`, by another solver;
// a function is fixed at each of its applications in `t`.
std::string valueUnderModel(torva::Solver& s, const torva::Term& t) {
    std::set<torva::Term> seen, vars, applications;
    collect(t, torva::Kind::VARIABLE, seen, vars);
    seen.clear();
    collect(t, torva::Kind::APPLY, seen, applications);
    torva::Solver evaluator;
    Copy copy{evaluator, {}};
    for (const torva::Term& v : vars) {
        if (v.getSort().isFunction()) continue;
        torva::Term value = copy(s.getValue(v));
        copy.done[v] = value;
    }
    for (const torva::Term& a : applications) evaluator.assertFormula(evaluator.mkEqual(copy(a), copy(s.getValue(a))));
    torva::Term ground = copy(t);
    EXPECT_EQ(evaluator.checkSat(), torva::Result::Sat);
    return evaluator.getValueString(ground);
}

void expectValueUnderModel(torva::Solver& s, const torva::Term& t) {
    EXPECT_EQ(s.getValueString(t), valueUnderModel(s, t)) << t;
}

void expectModelSatisfies(torva::Solver& s, const std::vector<torva::Term>& formulas) {
    for (const torva::Term& f : formulas) EXPECT_EQ(valueUnderModel(s, f), "true") << f;
}

using Options = std::vector<std::pair<std::string, std::string>>;

// The answer of a new solver with these options, assertions and assumptions alone.
torva::Result freshAnswer(const Options& options, const std::vector<torva::Term>& assertions,
                          const std::vector<torva::Term>& assumptions) {
    torva::Solver fresh;
    for (const auto& option : options) fresh.setOption(option.first, option.second);
    Copy copy{fresh, {}};
    for (const torva::Term& a : assertions) fresh.assertFormula(copy(a));
    std::vector<torva::Term> assumed;
    for (const torva::Term& a : assumptions) assumed.push_back(copy(a));
    return fresh.checkSat(assumed);
}

bool contains(const std::vector<torva::Term>& terms, const torva::Term& t) {
    return std::find(terms.begin(), terms.end(), t) != terms.end();
}

// The core and the unsat assumptions of the last check are among the live assertions and the
// assumptions, and unsatisfiable together with the base-level assertions given.
void expectCoreUnsat(torva::Solver& s, const std::vector<torva::Term>& live, const std::vector<torva::Term>& assumed,
                     const std::vector<torva::Term>& base) {
    std::vector<torva::Term> core = s.getUnsatCore();
    std::vector<torva::Term> unsatAssumptions = s.getUnsatAssumptions();
    for (const torva::Term& t : core) EXPECT_TRUE(contains(live, t)) << t;
    for (const torva::Term& t : unsatAssumptions) EXPECT_TRUE(contains(assumed, t)) << t;
    core.insert(core.end(), base.begin(), base.end());
    EXPECT_EQ(freshAnswer({}, core, unsatAssumptions), torva::Result::Unsat);
}
)";

std::string termList(const std::vector<int>& handles) {
    std::string s = "{";
    for (size_t i = 0; i < handles.size(); ++i) s += (i ? ", t" : "t") + std::to_string(handles[i]);
    return s + "}";
}

std::string indexList(const std::vector<uint32_t>& indices) {
    std::string s = "{";
    for (size_t i = 0; i < indices.size(); ++i) s += (i ? ", " : "") + std::to_string(indices[i]);
    return s + "}";
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

std::string valueExpression(const Call& c) {
    const std::string w = std::to_string(c.width);
    if (c.width == 0) {
        if (c.variant == 0) return c.number ? "s.mkTrue()" : "s.mkFalse()";
        return std::string("s.mkBoolean(") + (c.number ? "true" : "false") + ")";
    }
    switch (c.variant) {
        case 1: return "s.mkBvValueInt64(" + w + ", " + std::to_string(toSigned(c.number, c.width)) + "LL)";
        case 2:
            return "s.mkBvValue(" + w + ", std::string(" + quoted(digitsOf(c.number, c.indices[0], 1)) + "), " +
                   std::to_string(c.indices[0]) + ")";
        case 3: return (c.number == 0 ? "s.mkBvZero(" : "s.mkBvOne(") + w + ")";
        default: return "s.mkBvValue(" + w + ", uint64_t(" + std::to_string(c.number) + "u))";
    }
}

std::string termExpression(const Call& c) {
    auto arg = [&](size_t i) { return "t" + std::to_string(c.args[i]); };
    if (viaExtractHelper(c))
        return "s.mkExtract(" + std::to_string(c.indices[0]) + ", " + std::to_string(c.indices[1]) + ", " + arg(0) + ")";
    if (viaIteHelper(c)) return "s.mkIte(" + arg(0) + ", " + arg(1) + ", " + arg(2) + ")";
    if (const Helper* h = helperFor(c)) {
        if (h->unary) return std::string("s.") + h->name + "(" + arg(0) + ")";
        if (h->binary) return std::string("s.") + h->name + "(" + arg(0) + ", " + arg(1) + ")";
        return std::string("s.") + h->name + "(" + std::to_string(c.indices[0]) + ", " + arg(0) + ")";
    }
    return std::string("s.mkTerm(torva::Kind::") + nameOf(c.kind) + ", " + termList(c.args) + ", " +
           indexList(c.indices) + ")";
}

std::string misuseStatement(const Call& c) {
    switch (c.variant) {
        case kIllSortedTerm:
            return "EXPECT_THROW(s.mkTerm(torva::Kind::" + std::string(nameOf(c.kind)) + ", " + termList(c.args) + ", " +
                   indexList(c.indices) + "), torva::Error);";
        case kAssertNonBool: return "EXPECT_THROW(s.assertFormula(t" + std::to_string(c.args[0]) + "), torva::Error);";
        case kAssumeNonBool: return "EXPECT_THROW(s.checkSat(" + termList(c.args) + "), torva::Error);";
        default:
            return "EXPECT_THROW(s.mkBvValue(" + std::to_string(c.width) + ", uint64_t(" + std::to_string(c.number) +
                   "u)), torva::Error);";
    }
}

std::string optionList(const Options& options) {
    std::string s = "{";
    for (size_t i = 0; i < options.size(); ++i)
        s += (i ? ", {" : "{") + quoted(options[i].first) + ", " + quoted(options[i].second) + "}";
    return s + "}";
}

void printCheck(std::ostream& out, const Call& c, const Note& n) {
    const std::string expected = n.sat ? "torva::Result::Sat" : "torva::Result::Unsat";
    const std::string call = c.variant == 0 && c.args.empty() ? "s.checkSat()" : "s.checkSat(" + termList(c.args) + ")";
    out << "    EXPECT_EQ(" << call << ", " << expected << ");\n";
    std::vector<int> formulas = n.live;
    formulas.insert(formulas.end(), c.args.begin(), c.args.end());
    if (n.sat) out << "    expectModelSatisfies(s, " << termList(formulas) << ");\n";
    out << "    EXPECT_EQ(s.getAssertions(), (std::vector<torva::Term>" << termList(n.live) << "));\n";
    out << "    EXPECT_EQ(freshAnswer(" << optionList(n.options) << ", " << termList(n.live) << ", "
        << termList(c.args) << "), " << expected << ");\n";
}

// What the model says about the term a call made.
void printShape(std::ostream& out, const Call& c, const Note& n) {
    const std::string t = "    EXPECT_EQ(t" + std::to_string(c.out);
    const Kind kind = c.op == Op::MkVar ? Kind::VARIABLE : c.op == Op::MkValue ? Kind::CONSTANT : c.kind;
    out << t << ".getKind(), torva::Kind::" << nameOf(kind) << ");\n";
    out << t << ".getSort(), " << sortExpression(n.width) << ");\n";
    if (c.op == Op::MkTerm) {
        out << t << ".getChildren(), (std::vector<torva::Term>" << termList(c.args) << "));\n";
        out << t << ".getIndices(), (std::vector<uint32_t>" << indexList(c.indices) << "));\n";
    }
    if (!n.text.empty()) out << t << ".toString(), " << quoted(n.text) << ");\n";
    if (n.alike >= 0) out << t << ", t" << n.alike << ");\n";
}

void printCall(std::ostream& out, const Call& c, const Note& n) {
    const std::string t = "t" + std::to_string(c.out);
    switch (c.op) {
        case Op::MkVar:
            out << "    torva::Term " << t << " = s.mkConst(" << sortExpression(c.width) << ", "
                << quoted(variableName(c.out)) << ");\n";
            break;
        case Op::MkValue: out << "    torva::Term " << t << " = " << valueExpression(c) << ";\n"; break;
        case Op::MkTerm: out << "    torva::Term " << t << " = " << termExpression(c) << ";\n"; break;
        case Op::Misuse: out << "    " << misuseStatement(c) << "\n"; break;
        case Op::Assert: out << "    s.assertFormula(t" << c.args[0] << ");\n"; break;
        case Op::Push:
            out << "    s.push(" << c.number << ");\n";
            out << "    EXPECT_EQ(s.getScopeLevel(), " << n.level << "u);\n";
            break;
        case Op::Pop:
            if (n.expectError) out << "    EXPECT_THROW(s.pop(" << c.number << "), torva::Error);\n";
            else out << "    s.pop(" << c.number << ");\n";
            out << "    EXPECT_EQ(s.getScopeLevel(), " << n.level << "u);\n";
            break;
        case Op::Check: printCheck(out, c, n); break;
        case Op::GetValue:
            if (n.skipped) break;
            if (n.expectError) {
                out << "    EXPECT_THROW(s.getValue(t" << c.args[0] << "), torva::Error);\n";
                break;
            }
            for (int h : c.args) out << "    expectValueUnderModel(s, t" << h << ");\n";
            break;
        case Op::GetCore:
            if (n.skipped) break;
            if (n.expectError) {
                out << "    EXPECT_THROW(s.getUnsatCore(), torva::Error);\n";
                out << "    EXPECT_THROW(s.getUnsatAssumptions(), torva::Error);\n";
                break;
            }
            out << "    expectCoreUnsat(s, " << termList(n.live) << ", " << termList(n.assumed) << ", "
                << termList(n.base) << ");\n";
            break;
        case Op::Reset: out << "    s.resetAssertions();\n"; break;
        case Op::SetOption:
            out << "    s.setOption(" << quoted(c.key) << ", " << quoted(c.value) << ");\n";
            out << "    EXPECT_EQ(s.getOption(" << quoted(c.key) << "), " << quoted(c.value) << ");\n";
            break;
        case Op::GetStats:
            for (const auto& [key, count] : n.stats)
                out << "    EXPECT_EQ(s.getStatistics().at(" << quoted(key) << "), " << quoted(count) << ");\n";
            break;
    }
}

std::string commented(const std::string& text) {
    std::string out = "// ";
    for (char ch : text) out += ch == '\n' ? std::string("\n// ") : std::string(1, ch);
    return out + "\n";
}

std::string printedCase(const std::vector<Call>& calls, uint64_t seed, const std::string& failure) {
    Runner r;
    for (const Call& c : calls) r.run(c);
    std::ostringstream out;
    const std::string name = "Seed" + std::to_string(seed);
    out << commented("A call sequence of the interface's model-based test (seed " + std::to_string(seed) +
                     "), shrunk; it failed so:\n" + failure);
    out << "#include <gtest/gtest.h>\n#include <torva/torva.hpp>\n\n#include <algorithm>\n#include <map>\n"
           "#include <set>\n#include <string>\n#include <utility>\n#include <vector>\n\n";
    out << "namespace api_failure_" << seed << " {\n\n" << kPrintedHelpers << "\n}  // namespace api_failure_" << seed
        << "\n\n";
    out << "TEST(ApiModelFailure, " << name << ") {\n    using namespace api_failure_" << seed << ";\n"
        << "    torva::Solver s;\n";
    for (size_t i = 0; i < calls.size(); ++i) printCall(out, calls[i], r.notes()[i]);
    if (!calls.empty() && calls.back().out >= 0) printShape(out, calls.back(), r.notes().back());
    out << "}\n";
    return out.str();
}

// Generates and runs one sequence; the calls up to the first disagreement.
std::vector<Call> generateAndRun(uint64_t seed, Runner& r, std::string& failure) {
    Generator g(seed);
    std::vector<Call> calls;
    const size_t length = 20 + seed % 41;
    while (calls.size() < length) {
        for (const Call& c : g.next(r)) {
            calls.push_back(c);
            if (!r.run(c)) {
                failure = r.category() + ": " + r.detail();
                return calls;
            }
        }
    }
    return calls;
}

}  // namespace

SequenceOutcome runSequence(uint64_t seed, Tally& totals) {
    SequenceOutcome outcome;
    Runner r;
    std::vector<Call> calls = generateAndRun(seed, r, outcome.failure);
    outcome.calls = calls.size();
    totals.add(r.tally());
    if (outcome.failure.empty()) return outcome;
    std::vector<Call> shrunk = Shrinker(calls, r.category()).shrunk();
    Runner replay;
    size_t failing = 0;
    while (failing < shrunk.size() && replay.run(shrunk[failing])) ++failing;
    shrunk.resize(std::min(failing + 1, shrunk.size()));
    outcome.shrunkCalls = shrunk.size();
    outcome.shrunkFailure = replay.category() + ": " + replay.detail();
    outcome.printedCase = printedCase(shrunk, seed, outcome.shrunkFailure);
    return outcome;
}

}  // namespace torva_api_model
