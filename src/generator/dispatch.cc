// Operation dispatch of GeneratorTORVA: routes each internal operation to the
// module factory or to the CNF encoder, as the configuration flag of its
// kind says; operations without a module kind always go to the encoder.
//
// Invariant: every operation handed to the encoder is counted once in the
// solver's nModulesAsClauses, after the encoder call; operations built as
// modules are not counted.
#include <climits>

#include "config.h"
#include "containers/check.h"
#include "generator/generator_torva.h"
#include "generator/module_factory.h"

namespace {
[[noreturn]] void fail(int line, const std::string& message) { torva::fatalReport("GeneratorTORVA", line, message); }

[[noreturn]] void unsupported(int line, const std::string& op) { fail(line, "operator not supported: " + op); }

// The distance of a constant shift: k's low 32 bits, once k is known to fit.
unsigned int shiftDistance(const mpz_class& k, int line) {
    if (mpz_cmp_ui(k.get_mpz_t(), UINT_MAX) > 0) fail(line, "constvalue to big for uint");
    return static_cast<unsigned int>(k.get_ui());
}
}  // namespace

bool GeneratorTORVA::addOp1(const std::string& op, std::vector<unsigned int>& out, std::vector<unsigned int>& in,
                            const std::string&) {
    if (op == "NOT") {
        if (!toClses.invCls) {
            getDataINV(*solver, out, in);
            return true;
        }
        cnf->insertNOT(in, out);
    } else if (op == "BUF") {
        if (!toClses.idCls) {
            getDataID(*solver, out, in);
            return true;
        }
        cnf->insertIdentity(in, out);
    } else if (op == "NEG") {
        cnf->_insertNEG(in, out);
    } else if (op == "SignExtend") {
        cnf->insertSignExtend(in, out);
    } else if (op == "ZeroExtend") {
        cnf->insertZeroExtend(in, out);
    } else {
        unsupported(120, op);
    }
    solver->nModulesAsClauses++;
    return true;
}

bool GeneratorTORVA::addOp2(const std::string& op, std::vector<unsigned int>& out, std::vector<unsigned int>& a,
                            std::vector<unsigned int>& b, mpz_class k) {
    if (op == "EQUAL") {
        if (!toClses.eqCls) {
            getDataEQ(*solver, out, a, b);
            return true;
        }
        cnf->insertEQUAL(a, b, out);
    } else if (op == "LESS") {
        cnf->_insertLESS(a, b, out, false);
    } else if (op == "SLESS") {
        cnf->_insertLESS(a, b, out, true);
    } else if (op == "LESSEQUAL") {
        cnf->insertLESSEQUAL(a, b, out, false);
    } else if (op == "SLESSEQUAL") {
        cnf->insertLESSEQUAL(a, b, out, true);
    } else if (op == "GREATER") {
        cnf->_insertLESS(b, a, out, false);
    } else if (op == "SGREATER") {
        cnf->_insertLESS(b, a, out, true);
    } else if (op == "GREATEREQUAL") {
        cnf->insertLESSEQUAL(b, a, out, false);
    } else if (op == "SGREATEREQUAL") {
        cnf->insertLESSEQUAL(b, a, out, true);
    } else if (op == "SHR") {
        if (!toClses.shiftCls) {
            getDataShift(*solver, a, b, out, false);
            return true;
        }
        cnf->_insertSHR(a, b, out);
    } else if (op == "SHRCONST") {
        cnf->insertSHRConst(a, shiftDistance(k, 160), out);
    } else if (op == "SHL") {
        if (!toClses.shiftCls) {
            getDataShift(*solver, a, b, out, true);
            return true;
        }
        cnf->_insertSHL(a, b, out);
    } else if (op == "SHLCONST") {
        cnf->insertSHLConst(a, shiftDistance(k, 168), out);
    } else if (op == "AND") {
        if (!toClses.andCls) {
            getDataAND(*solver, out, a, b);
            return true;
        }
        cnf->insertAND(a, b, out);
    } else if (op == "OR") {
        if (!toClses.orCls) {
            getDataOR(*solver, out, a, b);
            return true;
        }
        cnf->insertOR(a, b, out);
    } else if (op == "XOR") {
        if (!toClses.xorCls) {
            getDataXOR(*solver, out, a, b);
            return true;
        }
        cnf->insertXOR(a, b, out);
    } else if (op == "NAND") {
        cnf->insertNAND(a, b, out);
    } else if (op == "NOR") {
        cnf->insertNOR(a, b, out);
    } else if (op == "NXOR") {
        cnf->insertXNOR(a, b, out);
    } else if (op == "ADD") {
        if (!toClses.addCls) {
            getDataADD(*solver, out, a, b);
            return true;
        }
        cnf->_insertADD(a, b, out);
    } else if (op == "SUB") {
        cnf->insertSUB(a, b, out);
    } else if (op == "MUL") {
        if (!toClses.mulCls) {
            getDataMUL(*solver, out, a, b);
            return true;
        }
        cnf->_insertMUL(a, b, out, false);
    } else if (op == "DIV") {
        cnf->insertDIV(a, b, out, false);
    } else if (op == "SDIV") {
        cnf->insertDIV(a, b, out, true);
    } else if (op == "REM") {
        cnf->insertREM(a, b, out, false);
    } else if (op == "SREM") {
        cnf->insertREM(a, b, out, true);
    } else if (op == "SMOD") {
        cnf->insertMOD(a, b, out, true);
    } else {
        unsupported(215, op);
    }
    solver->nModulesAsClauses++;
    return true;
}

bool GeneratorTORVA::addOp3(const std::string& op, std::vector<unsigned int>& out, std::vector<unsigned int>& cond,
                            std::vector<unsigned int>& thenBits, std::vector<unsigned int>& elseBits) {
    if (op != "ITE") unsupported(233, op);
    if (!toClses.iteCls) {
        getDataITE(*solver, out, cond, thenBits, elseBits);
        return true;
    }
    cnf->_insertITE(cond[0], thenBits, elseBits, out);
    solver->nModulesAsClauses++;
    return true;
}
