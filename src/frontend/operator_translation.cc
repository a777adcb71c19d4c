// Operator translation: turns one SMT-LIB operator application into
// generator operations and returns the result signal. Also owns the six
// operator-name tables (SMT-LIB name -> internal operation name).
//
// Invariants: operands stay owned by the caller and are never modified; the
// returned record is new and owned by the caller; every intermediate record
// made here (wide ADD/MUL outputs, iff/distinct/implies helpers) is released
// before returning, its CNF variables staying with the generator. Names are
// compared case-sensitively; a name found in a table is never looked up
// further, so a wrong operand count there is fatal.
#include <utility>

#include "containers/check.h"
#include "frontend/smt2xml.h"
#include "generator/generator_torva.h"

OperatorTable op1BoolModules, op1Modules, op2BoolModules, op2BoolModulesBool, op2Modules, op3Modules;

void fillOperatorTables() {
    op1BoolModules = {{"not", "NOT"}, {"bvredor", "ORreduce"}, {"bvredand", "ANDreduce"}};
    op1Modules = {{"bvneg", "NEG"}, {"bvnot", "NOT"}};
    op2BoolModules = {{"bvcomp", "EQUAL"},       {"bvslt", "SLESS"},    {"bvsle", "SLESSEQUAL"},
                      {"bvsgt", "SGREATER"},     {"bvsge", "SGREATEREQUAL"}, {"bvult", "LESS"},
                      {"bvule", "LESSEQUAL"},    {"bvugt", "GREATER"},  {"bvuge", "GREATEREQUAL"},
                      {"bvlt", "LESS"},          {"bvle", "LESSEQUAL"}, {"bvgt", "GREATER"},
                      {"bvge", "GREATEREQUAL"}};
    op2BoolModulesBool = {{"or", "OR"}, {"and", "AND"}, {"xor", "XOR"}};
    op2Modules = {{"bvadd", "ADD"},       {"bvsub", "SUB"},          {"bvmul", "MUL"},
                  {"bvand", "AND"},       {"bvor", "OR"},            {"bvxor", "XOR"},
                  {"bvxnor", "NXOR"},     {"bvnand", "NAND"},        {"bvnor", "NOR"},
                  {"bvlshr", "SHR"},      {"bvshl", "SHL"},          {"bvashr", "SHR"},
                  {"sign_extend", "SignExtend"}, {"zero_extend", "ZeroExtend"}, {"bvudiv", "DIV"},
                  {"bvsdiv", "SDIV"},     {"bvurem", "REM"},         {"bvsrem", "SREM"}};
    op3Modules.clear();
}

namespace {
typedef std::vector<Signal*> Operands;

// Each check reports its own fixed line number.
const int kLineUnaryBoolCount = 212;
const int kLineUnaryCount = 223;
const int kLineCompareCount = 234;
const int kLineConnectiveCount = 245;
const int kLineConnectiveOp0 = 248;
const int kLineConnectiveOp1 = 250;
const int kLineBinaryCount = 261;
const int kLineConcatCount = 289;
const int kLineIffCount = 301;
const int kLineDistinctCount = 315;
const int kLineImpliesCount = 337;
const int kLineIteCount = 352;
const int kLineIteCondition = 354;
const int kLineIteWidths = 356;
const int kLineUnsupported = 371;

[[noreturn]] void fail(int line, const std::string& message) { torva::fatalReport("smt2xml", line, message); }

// Refusals of an operator or of its operands name the reader that takes them.
const char* const kExtendedHint = "(torva --extended reads the whole SMT-LIB 1.2 QF_BV language)";

[[noreturn]] void refuse(int line, const std::string& message) {
    torva::fatalReport("smt2xml", line, message, kExtendedHint);
}

void requireCount(const Operands& ops, size_t count, int line) {
    if (ops.size() != count) refuse(line, "ops != " + std::to_string(count) + std::to_string(ops.size()));
}

void requireAtLeastTwo(const Operands& ops, int line) {
    if (ops.size() < 2) fail(line, "ops < 2" + std::to_string(ops.size()));
}

bool isBool(const Signal* sig) { return sig->kind == SIGNAL_BOOL; }

Signal* unaryOp(const std::string& op, Signal* result, Signal* a) {
    output->addOp1(op, result->cnfVars, a->cnfVars, "");
    return result;
}

Signal* binaryOp(const std::string& op, Signal* result, Signal* a, Signal* b) {
    output->addOp2(op, result->cnfVars, a->cnfVars, b->cnfVars, 0);
    return result;
}

// The generator's output of an addition is one bit wider and that of a
// multiplication twice as wide as the operands; the term keeps the low bits.
unsigned int generatorWidth(const std::string& op, unsigned int w) {
    if (op == "MUL") return 2 * w;
    if (op == "ADD") return w + 1;
    return w;
}

Signal* bitvectorOp(const std::string& op, Signal* a, Signal* b) {
    unsigned int w = a->bitsize;
    unsigned int width = generatorWidth(op, w);
    Signal* wide = binaryOp(op, newSignal(static_cast<int>(width), true), a, b);
    if (width == w) return wide;
    std::vector<unsigned int> low(wide->cnfVars.begin(), wide->cnfVars.begin() + w);
    delete wide;
    return newSignal(std::move(low));
}

Signal* concat(Signal* high, Signal* low) {
    std::vector<unsigned int> bits = low->cnfVars;
    bits.insert(bits.end(), high->cnfVars.begin(), high->cnfVars.end());
    return newSignal(std::move(bits));
}

// Conjunction of the booleans in `terms` (non-empty), left to right. Takes
// ownership of the records in `terms`.
Signal* conjunctionChain(Operands& terms) {
    Signal* acc = terms[0];
    for (size_t k = 1; k < terms.size(); ++k) {
        Signal* conj = binaryOp("AND", newSignalBool(true), acc, terms[k]);
        delete acc;
        delete terms[k];
        acc = conj;
    }
    return acc;
}

Signal* iff(const Operands& ops) {
    Operands equalities;
    for (size_t i = 1; i < ops.size(); ++i) equalities.push_back(binaryOp("EQUAL", newSignalBool(true), ops[0], ops[i]));
    return conjunctionChain(equalities);
}

Signal* distinct(const Operands& ops) {
    Operands differences;
    for (size_t i = 0; i < ops.size(); ++i) {
        for (size_t j = i + 1; j < ops.size(); ++j) {
            Signal* equal = binaryOp("EQUAL", newSignalBool(true), ops[i], ops[j]);
            differences.push_back(unaryOp("NOT", newSignalBool(true), equal));
            delete equal;
        }
    }
    return conjunctionChain(differences);
}

Signal* implies(Signal* a, Signal* b) {
    Signal* result = newSignalBool(true);
    Signal* notA = unaryOp("NOT", newSignalBool(true), a);
    binaryOp("OR", result, notA, b);
    delete notA;
    return result;
}

Signal* ite(const std::string& name, const Operands& ops) {
    requireCount(ops, 3, kLineIteCount);
    Signal* cond = ops[0];
    Signal* thenSig = ops[1];
    Signal* elseSig = ops[2];
    if (!isBool(cond)) refuse(kLineIteCondition, "op0 is not a bool: " + name);
    if (thenSig->bitsize != elseSig->bitsize) fail(kLineIteWidths, "then and else have differen bitsize");
    Signal* result = isBool(thenSig) ? newSignalBool(true) : newSignal(static_cast<int>(thenSig->bitsize), true);
    output->addOp3("ITE", result->cnfVars, cond->cnfVars, thenSig->cnfVars, elseSig->cnfVars);
    return result;
}

const std::string* lookup(const OperatorTable& table, const std::string& name) {
    auto it = table.find(name);
    return it == table.end() ? nullptr : &it->second;
}
}  // namespace

Signal* generateOp(const std::string& name, std::vector<Signal*>* operands) {
    const Operands& ops = *operands;
    if (const std::string* op = lookup(op1BoolModules, name)) {
        requireCount(ops, 1, kLineUnaryBoolCount);
        return unaryOp(*op, newSignalBool(true), ops[0]);
    }
    if (const std::string* op = lookup(op1Modules, name)) {
        requireCount(ops, 1, kLineUnaryCount);
        return unaryOp(*op, newSignal(static_cast<int>(ops[0]->bitsize), true), ops[0]);
    }
    if (const std::string* op = lookup(op2BoolModules, name)) {
        requireCount(ops, 2, kLineCompareCount);
        return binaryOp(*op, newSignalBool(true), ops[0], ops[1]);
    }
    if (const std::string* op = lookup(op2BoolModulesBool, name)) {
        requireCount(ops, 2, kLineConnectiveCount);
        if (!isBool(ops[0])) refuse(kLineConnectiveOp0, "op0 is not a bool: " + name);
        if (!isBool(ops[1])) refuse(kLineConnectiveOp1, "op1 is not a bool: " + name);
        return binaryOp(*op, newSignalBool(true), ops[0], ops[1]);
    }
    if (const std::string* op = lookup(op2Modules, name)) {
        requireCount(ops, 2, kLineBinaryCount);
        return bitvectorOp(*op, ops[0], ops[1]);
    }
    if (name == "concat") {
        requireCount(ops, 2, kLineConcatCount);
        return concat(ops[0], ops[1]);
    }
    if (name == "iff") {
        requireAtLeastTwo(ops, kLineIffCount);
        return iff(ops);
    }
    if (name == "distinct") {
        requireAtLeastTwo(ops, kLineDistinctCount);
        return distinct(ops);
    }
    if (name == "implies") {
        requireCount(ops, 2, kLineImpliesCount);
        return implies(ops[0], ops[1]);
    }
    if (name == "ite" || name == "if_then_else") return ite(name, ops);
    refuse(kLineUnsupported, "operator not supported: " + name);
}
