// Sorts, SMT-LIB 2 text and the reference semantics of array and function
// instances: reads and writes of cell tables, by plain masked arithmetic.
#include "random/array_instance.h"

#include <cstdlib>

#include "random/reachable.h"
#include "words.h"

namespace torva_random {

namespace bv = torva_words;

ArrayInstance::ArrayInstance() { sorts.push_back({}); }

int ArrayInstance::sortOf(const ArraySort& s) {
    for (size_t i = 0; i < sorts.size(); i++)
        if (sorts[i].kind == s.kind && sorts[i].width == s.width && sorts[i].domain == s.domain &&
            sorts[i].range == s.range)
            return static_cast<int>(i);
    sorts.push_back(s);
    return static_cast<int>(sorts.size()) - 1;
}

int ArrayInstance::add(const ANode& n) {
    nodes.push_back(n);
    return static_cast<int>(nodes.size()) - 1;
}

uint64_t ArrayInstance::cells(int sort) const {
    const ArraySort& s = sorts[sort];
    if (s.kind == ArraySort::Bool || s.kind == ArraySort::BitVec) return 1;
    uint64_t n = cells(s.range);
    for (int d : s.domain) n <<= d == 0 ? 1 : width(d);
    return n;
}

unsigned ArrayInstance::cellWidth(int sort) const {
    const ArraySort& s = sorts[sort];
    if (s.kind == ArraySort::Bool) return 1;
    return s.kind == ArraySort::BitVec ? s.width : cellWidth(s.range);
}

uint64_t ArrayInstance::bits(int sort) const { return cells(sort) * cellWidth(sort); }

bool ArrayInstance::hasArrays() const {
    for (const ADecl& d : decls)
        if (isArray(d.sort)) return true;
    return false;
}

bool ArrayInstance::hasFunctions() const {
    for (const ADecl& d : decls)
        if (isFunction(d.sort)) return true;
    return false;
}

std::string ArrayInstance::sortText(int sort) const {
    const ArraySort& s = sorts[sort];
    switch (s.kind) {
        case ArraySort::Bool: return "Bool";
        case ArraySort::BitVec: return "(_ BitVec " + std::to_string(s.width) + ")";
        case ArraySort::Array: return "(Array " + sortText(s.domain[0]) + " " + sortText(s.range) + ")";
        case ArraySort::Function: break;
    }
    return sortText(s.range);
}

std::string ArrayInstance::declaration(const ADecl& d) const {
    const ArraySort& s = sorts[d.sort];
    if (s.kind != ArraySort::Function) return "(declare-fun " + d.name + " () " + sortText(d.sort) + ")";
    std::string args;
    for (int a : s.domain) args += (args.empty() ? "" : " ") + sortText(a);
    return "(declare-fun " + d.name + " (" + args + ") " + sortText(s.range) + ")";
}

std::string ArrayInstance::logic() const {
    bool arrays = hasArrays(), functions = hasFunctions();
    return functions ? (arrays ? "QF_AUFBV" : "QF_UFBV") : "QF_ABV";
}

namespace {

const char* opText(AOp op) {
    switch (op) {
        case AOp::Not: return "not";
        case AOp::And: return "and";
        case AOp::Or: return "or";
        case AOp::Xor: return "xor";
        case AOp::Implies: return "=>";
        case AOp::Equal: return "=";
        case AOp::Distinct: return "distinct";
        case AOp::Ult: return "bvult";
        case AOp::Ule: return "bvule";
        case AOp::Slt: return "bvslt";
        case AOp::Ite: return "ite";
        case AOp::Select: return "select";
        case AOp::Store: return "store";
        case AOp::Add: return "bvadd";
        case AOp::Sub: return "bvsub";
        case AOp::Mul: return "bvmul";
        case AOp::BvAnd: return "bvand";
        case AOp::BvOr: return "bvor";
        case AOp::BvXor: return "bvxor";
        case AOp::BvNot: return "bvnot";
        case AOp::Neg: return "bvneg";
        case AOp::Concat: return "concat";
        default: return "?";
    }
}

std::string binary(uint64_t v, unsigned w) {
    std::string s = "#b";
    for (unsigned i = w; i-- > 0;) s += ((v >> i) & 1) ? '1' : '0';
    return s;
}

}  // namespace

std::string ArrayInstance::text(int node) const {
    const ANode& n = nodes[node];
    std::string head;
    switch (n.op) {
        case AOp::True: return "true";
        case AOp::False: return "false";
        case AOp::Var: return decls[n.decl].name;
        case AOp::Const: return n.sort == 0 ? (n.value ? "true" : "false") : binary(n.value, width(n.sort));
        case AOp::ConstArray: head = "(as const " + sortText(n.sort) + ")"; break;
        case AOp::Apply: head = decls[n.decl].name; break;
        case AOp::Extract: head = "(_ extract " + std::to_string(n.hi) + " " + std::to_string(n.lo) + ")"; break;
        case AOp::ZeroExtend: head = "(_ zero_extend " + std::to_string(n.hi) + ")"; break;
        default: head = opText(n.op); break;
    }
    std::string s = "(" + head;
    for (int k : n.kids) s += " " + text(k);
    return s + ")";
}

std::vector<bool> ArrayInstance::reads(const std::vector<int>& roots) const {
    std::vector<bool> used(decls.size(), false);
    visitReachable(nodes, roots, [&used](const ANode& n) {
        if (n.decl >= 0) used[n.decl] = true;
        return true;
    });
    return used;
}

uint64_t cellOffset(const ArrayInstance& inst, int arraySort, uint64_t index) {
    return index * inst.cells(inst.sorts[arraySort].range);
}

uint64_t argumentPosition(const ArrayInstance& inst, int functionSort, const std::vector<uint64_t>& args) {
    const ArraySort& s = inst.sorts[functionSort];
    uint64_t position = 0;
    for (size_t k = 0; k < args.size(); k++) {
        unsigned w = s.domain[k] == 0 ? 1 : inst.width(s.domain[k]);
        position = (position << w) | args[k];
    }
    return position;
}

void ArrayEvaluator::begin(const AAssignment& a) {
    current = &a;
    memo.resize(inst.nodes.size());
    done.assign(inst.nodes.size(), 0);
}

Value ArrayEvaluator::value(int node, const AAssignment& a) {
    begin(a);
    return eval(node);
}

uint64_t ArrayEvaluator::holding(const std::vector<int>& formulas, const AAssignment& a) {
    begin(a);
    uint64_t mask = 0;
    for (size_t k = 0; k < formulas.size(); k++)
        if (eval(formulas[k])[0]) mask |= 1ULL << k;
    return mask;
}

const Value& ArrayEvaluator::eval(int node) {
    if (!done[node]) {
        memo[node] = compute(inst.nodes[node]);
        done[node] = 1;
    }
    return memo[node];
}

Value ArrayEvaluator::compute(const ANode& n) {
    auto kid = [&](size_t k) { return eval(n.kids[k])[0]; };
    auto kidWidth = [&](size_t k) { return inst.width(inst.nodes[n.kids[k]].sort); };
    unsigned w = inst.width(n.sort);
    uint64_t m = bv::mask(w == 0 ? 1 : w);
    auto scalar = [&](uint64_t v) { return Value{v & m}; };
    switch (n.op) {
        case AOp::True: return {1};
        case AOp::False: return {0};
        case AOp::Not: return {!kid(0)};
        case AOp::And: return {kid(0) && kid(1)};
        case AOp::Or: return {kid(0) || kid(1)};
        case AOp::Xor: return {kid(0) != kid(1)};
        case AOp::Implies: return {!kid(0) || kid(1)};
        case AOp::Equal: return {eval(n.kids[0]) == eval(n.kids[1])};
        case AOp::Distinct:
            for (size_t i = 0; i < n.kids.size(); i++)
                for (size_t j = i + 1; j < n.kids.size(); j++)
                    if (eval(n.kids[i]) == eval(n.kids[j])) return {0};
            return {1};
        case AOp::Ult: return {kid(0) < kid(1)};
        case AOp::Ule: return {kid(0) <= kid(1)};
        case AOp::Slt: return {bv::toSigned(kid(0), kidWidth(0)) < bv::toSigned(kid(1), kidWidth(1))};
        case AOp::Var: return (*current)[n.decl];
        case AOp::Const: return {n.value};
        case AOp::Ite: return kid(0) ? eval(n.kids[1]) : eval(n.kids[2]);
        case AOp::Select: {
            const Value& array = eval(n.kids[0]);
            uint64_t at = cellOffset(inst, inst.nodes[n.kids[0]].sort, kid(1));
            return Value(array.begin() + static_cast<long>(at), array.begin() + static_cast<long>(at + inst.cells(n.sort)));
        }
        case AOp::Store: {
            Value array = eval(n.kids[0]);
            const Value& element = eval(n.kids[2]);
            uint64_t at = cellOffset(inst, n.sort, kid(1));
            for (size_t c = 0; c < element.size(); c++) array[at + c] = element[c];
            return array;
        }
        case AOp::ConstArray: {
            const Value& element = eval(n.kids[0]);
            Value array;
            for (uint64_t i = 0; i < inst.cells(n.sort); i += element.size())
                array.insert(array.end(), element.begin(), element.end());
            return array;
        }
        case AOp::Apply: {
            std::vector<uint64_t> args;
            for (size_t k = 0; k < n.kids.size(); k++) args.push_back(kid(k));
            return {(*current)[n.decl][argumentPosition(inst, inst.decls[n.decl].sort, args)]};
        }
        case AOp::Add: return scalar(kid(0) + kid(1));
        case AOp::Sub: return scalar(kid(0) - kid(1));
        case AOp::Mul: return scalar(kid(0) * kid(1));
        case AOp::BvAnd: return scalar(kid(0) & kid(1));
        case AOp::BvOr: return scalar(kid(0) | kid(1));
        case AOp::BvXor: return scalar(kid(0) ^ kid(1));
        case AOp::BvNot: return scalar(~kid(0));
        case AOp::Neg: return scalar(bv::neg(kid(0), w));
        case AOp::Extract: return scalar(kid(0) >> n.lo);
        case AOp::ZeroExtend: return {kid(0)};
        case AOp::Concat: return scalar((kid(0) << kidWidth(1)) | kid(1));
    }
    std::abort();
}

}  // namespace torva_random
