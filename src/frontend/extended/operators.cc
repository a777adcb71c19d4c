// The operator table of the extended reader and the construction of
// applications, with the 1-bit reading of Booleans as the fallback when the
// application as written is ill-sorted. Older spellings map to their kinds:
// shift_left0 is bvshl, shift_right0 bvlshr, bvlt/bvle/bvgt/bvge the unsigned
// comparisons, iff is = on formulas and if_then_else is ite.
#include "frontend/extended/operators.h"

#include <cstring>
#include <unordered_map>

namespace torva::extended {
namespace {
using terms::Kind;
using terms::SortError;
using terms::TermId;
using terms::TermStore;

constexpr OperandSorts F = OperandSorts::Formulas;
constexpr OperandSorts V = OperandSorts::Vectors;
constexpr Construction N = Construction::Node;

const Operator kOperators[] = {
    {"not", Kind::Not, 0, F, N},
    {"and", Kind::And, 0, F, Construction::Junction},
    {"or", Kind::Or, 0, F, Construction::Junction},
    {"xor", Kind::Xor, 0, F, N},
    {"implies", Kind::Implies, 0, F, N},
    {"iff", Kind::Equal, 0, F, N},
    {"=", Kind::Equal, 0, OperandSorts::Alike, N},
    {"distinct", Kind::Distinct, 0, OperandSorts::Alike, N},
    {"ite", Kind::Ite, 0, OperandSorts::Ite, N},
    {"if_then_else", Kind::Ite, 0, OperandSorts::Ite, N},
    {"concat", Kind::Concat, 0, V, N},
    {"extract", Kind::Extract, 2, V, N},
    {"repeat", Kind::Repeat, 1, V, N},
    {"zero_extend", Kind::ZeroExtend, 1, V, N},
    {"sign_extend", Kind::SignExtend, 1, V, N},
    {"rotate_left", Kind::RotateLeft, 1, V, N},
    {"rotate_right", Kind::RotateRight, 1, V, N},
    {"bvnot", Kind::BvNot, 0, V, N},
    {"bvand", Kind::BvAnd, 0, V, N},
    {"bvor", Kind::BvOr, 0, V, N},
    {"bvxor", Kind::BvXor, 0, V, N},
    {"bvnand", Kind::BvNand, 0, V, N},
    {"bvnor", Kind::BvNor, 0, V, N},
    {"bvxnor", Kind::BvXnor, 0, V, N},
    {"bvcomp", Kind::BvComp, 0, V, N},
    {"bvneg", Kind::BvNeg, 0, V, N},
    {"bvadd", Kind::BvAdd, 0, V, N},
    {"bvsub", Kind::BvSub, 0, V, N},
    {"bvmul", Kind::BvMul, 0, V, N},
    {"bvudiv", Kind::BvUdiv, 0, V, N},
    {"bvurem", Kind::BvUrem, 0, V, N},
    {"bvsdiv", Kind::BvSdiv, 0, V, N},
    {"bvsrem", Kind::BvSrem, 0, V, N},
    {"bvsmod", Kind::BvSmod, 0, V, N},
    {"bvshl", Kind::BvShl, 0, V, Construction::Shift},
    {"shift_left0", Kind::BvShl, 0, V, Construction::Shift},
    {"bvlshr", Kind::BvLshr, 0, V, Construction::Shift},
    {"shift_right0", Kind::BvLshr, 0, V, Construction::Shift},
    {"bvashr", Kind::BvAshr, 0, V, Construction::Shift},
    {"bvult", Kind::BvUlt, 0, V, N},
    {"bvlt", Kind::BvUlt, 0, V, N},
    {"bvule", Kind::BvUle, 0, V, N},
    {"bvle", Kind::BvUle, 0, V, N},
    {"bvugt", Kind::BvUgt, 0, V, N},
    {"bvgt", Kind::BvUgt, 0, V, N},
    {"bvuge", Kind::BvUge, 0, V, N},
    {"bvge", Kind::BvUge, 0, V, N},
    {"bvslt", Kind::BvSlt, 0, V, N},
    {"bvsle", Kind::BvSle, 0, V, N},
    {"bvsgt", Kind::BvSgt, 0, V, N},
    {"bvsge", Kind::BvSge, 0, V, N},
    {"bvredor", Kind::BvComp, 0, V, Construction::ReduceOr},
    {"bvredand", Kind::BvComp, 0, V, Construction::ReduceAnd},
};

// No operator name is longer than this; longer words are no operators.
constexpr size_t kLongestName = 12;

const std::unordered_map<std::string, const Operator*>& operatorsByName() {
    static const std::unordered_map<std::string, const Operator*> table = [] {
        std::unordered_map<std::string, const Operator*> byName;
        for (const Operator& op : kOperators) byName.emplace(op.name, &op);
        return byName;
    }();
    return table;
}

std::string lowerCase(std::string_view word) {
    std::string lower(word);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

TermId bit(TermStore& store, bool value) { return store.mkConst(1, mpz_class(value ? 1 : 0)); }

TermId asVector(TermStore& store, TermId t) {
    return store.isBool(t) ? store.mk(Kind::Ite, {t, bit(store, true), bit(store, false)}) : t;
}

bool mixesSorts(const TermStore& store, const TermId* args, size_t count) {
    bool formula = false, vector = false;
    for (size_t i = 0; i < count; ++i) (store.isBool(args[i]) ? formula : vector) = true;
    return formula && vector;
}

// The operands under the 1-bit reading of Booleans.
std::vector<TermId> reread(TermStore& store, const Operator& op, std::vector<TermId> args) {
    size_t first = 0;
    switch (op.operands) {
        case OperandSorts::Formulas:
            for (TermId& t : args) t = asFormula(store, t);
            return args;
        case OperandSorts::Vectors:
            for (TermId& t : args) t = asVector(store, t);
            return args;
        case OperandSorts::Ite:
            if (args.empty()) return args;
            args[0] = asFormula(store, args[0]);
            first = 1;
            break;
        case OperandSorts::Alike: break;
    }
    if (mixesSorts(store, args.data() + first, args.size() - first))
        for (size_t i = first; i < args.size(); ++i) args[i] = asVector(store, args[i]);
    return args;
}

bool involvesOneBit(const TermStore& store, const std::vector<TermId>& args) {
    for (TermId t : args)
        if (store.sort(t) <= 1) return true;
    return false;
}

void requireFormulas(const TermStore& store, const Operator& op, const std::vector<TermId>& args) {
    for (TermId t : args)
        if (!store.isBool(t))
            throw SortError(std::string(op.name) + " expects formulas, got " + sortName(store.sort(t)));
}

TermId reduction(TermStore& store, const Operator& op, const std::vector<TermId>& args) {
    if (args.size() != 1)
        throw SortError(std::string(op.name) + " expects 1 operand, got " + std::to_string(args.size()));
    TermId x = args[0];
    if (store.isBool(x)) throw SortError(std::string(op.name) + " expects a bit-vector operand, got Bool");
    uint32_t w = store.width(x);
    bool any = op.construction == Construction::ReduceOr;
    mpz_class compared = any ? mpz_class(0) : (mpz_class(1) << w) - 1;
    TermId equal = store.mk(Kind::Equal, {x, store.mkConst(w, compared)});
    return store.mk(Kind::Ite, {equal, bit(store, !any), bit(store, any)});
}

// The benchmark language lets a shift amount have its own width; its full
// unsigned value counts. A narrower amount is zero-extended to the data's
// width; a narrower data word is extended (by its sign for bvashr) to the
// amount's width, shifted there, and cut back to its own width.
TermId shift(TermStore& store, const Operator& op, const std::vector<TermId>& args) {
    if (args.size() != 2 || store.isBool(args[0]) || store.isBool(args[1]) ||
        store.width(args[0]) == store.width(args[1]))
        return store.mk(op.kind, args);
    uint32_t data = store.width(args[0]), amount = store.width(args[1]);
    if (amount < data) return store.mk(op.kind, {args[0], store.mk(Kind::ZeroExtend, {args[1]}, {data - amount})});
    Kind widen = op.kind == Kind::BvAshr ? Kind::SignExtend : Kind::ZeroExtend;
    TermId wide = store.mk(op.kind, {store.mk(widen, {args[0]}, {amount - data}), args[1]});
    return store.mk(Kind::Extract, {wide}, {data - 1, 0});
}

TermId build(TermStore& store, const Operator& op, const std::vector<TermId>& args, const uint32_t* indices) {
    if (op.operands == OperandSorts::Formulas) requireFormulas(store, op, args);
    switch (op.construction) {
        case Construction::Junction:
            if (args.empty()) throw SortError(std::string(op.name) + " expects at least 1 operand, got 0");
            if (args.size() == 1) return args[0];
            break;
        case Construction::ReduceOr:
        case Construction::ReduceAnd: return reduction(store, op, args);
        case Construction::Shift: return shift(store, op, args);
        case Construction::Node: break;
    }
    return store.mk(op.kind, args.data(), args.size(), indices, op.numIndices);
}
}  // namespace

const Operator* findOperator(std::string_view word) {
    if (word.size() > kLongestName) return nullptr;
    const auto& table = operatorsByName();
    auto it = table.find(lowerCase(word));
    return it == table.end() ? nullptr : it->second;
}

TermId asFormula(TermStore& store, TermId t) {
    return !store.isBool(t) && store.width(t) == 1 ? store.mk(Kind::Equal, {t, bit(store, true)}) : t;
}

TermId applyOperator(TermStore& store, const Operator& op, const std::vector<TermId>& operands,
                     const uint32_t* indices) {
    try {
        return build(store, op, operands, indices);
    } catch (const SortError&) {
        if (!involvesOneBit(store, operands)) throw;
        std::vector<TermId> oneBit = reread(store, op, operands);
        if (oneBit == operands) throw;
        try {
            return build(store, op, oneBit, indices);
        } catch (const SortError&) {
        }
        throw;  // the error of the application as written
    }
}

std::string sortName(terms::Sort sort) {
    return sort == terms::kBool ? std::string("Bool") : "BitVec[" + std::to_string(sort) + "]";
}

}  // namespace torva::extended
