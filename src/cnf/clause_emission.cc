// Clause hand-over and the one-bit Tseitin gates of the encoder. Every clause
// is built in CurrentClause as +v / -v literal codes and handed to the solver
// at once by cc(), which creates missing solver variables first; between two
// operations CurrentClause is empty. An unsatisfiable clause set ends the run.
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "cnf/verification_model_cnf.h"
#include "containers/check.h"
#include "generator/module_factory.h"

VerificationModelCNF::VerificationModelCNF(Solver& solver, std::function<unsigned int()> newCNFVariable)
    : solver(solver), newCNFVariable(std::move(newCNFVariable)) {}

void VerificationModelCNF::fail(int line, const std::string& message) {
    torva::fatalReport("VerificationModelCNF", line, message);
}

void VerificationModelCNF::reportUnsatisfiable() {
    std::fputs("Result: UNSATISFIABLE\n", stdout);
    std::fflush(stdout);
    std::exit(20);
}

void VerificationModelCNF::cc() {
    if (CurrentClause.empty()) fail(__LINE__, "CurrentClause ist leer");
    clauseLits.clear();
    for (int code : CurrentClause) {
        Var v = std::abs(code);
        while (v >= solver.nVars()) solver.newVar(true, true);
        clauseLits.push(Lit(v, code < 0));
    }
    if (!solver.addClause(clauseLits) && exitOnUnsatWhileBuilding) reportUnsatisfiable();
    CurrentClause.clear();
}

void VerificationModelCNF::emit(std::initializer_list<int> lits) {
    CurrentClause.insert(CurrentClause.end(), lits);
    cc();
}

VerificationModelCNF::Bits VerificationModelCNF::freshBits(std::size_t n) {
    Bits bits(n);
    for (unsigned int& v : bits) v = fresh();
    return bits;
}

unsigned int VerificationModelCNF::constantBit(bool value) {
    unsigned int v = fresh();
    emit({value ? int(v) : -int(v)});
    return v;
}

VerificationModelCNF::Bits VerificationModelCNF::constantOne(std::size_t n) {
    Bits one(n);
    for (std::size_t i = 0; i < n; i++) one[i] = constantBit(i == 0);
    return one;
}

void VerificationModelCNF::_insertAnd2(unsigned int a, unsigned int b, unsigned int o) {
    emit({-int(a), -int(b), int(o)});
    emit({int(a), -int(o)});
    emit({int(b), -int(o)});
}

void VerificationModelCNF::_insertOr2(unsigned int a, unsigned int b, unsigned int o) {
    emit({int(a), int(b), -int(o)});
    emit({-int(a), int(o)});
    emit({-int(b), int(o)});
}

void VerificationModelCNF::_insertNand2(unsigned int a, unsigned int b, unsigned int o) {
    emit({-int(a), -int(b), -int(o)});
    emit({int(a), int(o)});
    emit({int(b), int(o)});
}

void VerificationModelCNF::_insertNor2(unsigned int a, unsigned int b, unsigned int o) {
    emit({int(a), int(b), int(o)});
    emit({-int(a), -int(o)});
    emit({-int(b), -int(o)});
}

void VerificationModelCNF::_insertXor2(unsigned int a, unsigned int b, unsigned int o) {
    emit({int(a), int(b), -int(o)});
    emit({int(a), -int(b), int(o)});
    emit({-int(a), int(b), int(o)});
    emit({-int(a), -int(b), -int(o)});
}

void VerificationModelCNF::_insertNxor2(unsigned int a, unsigned int b, unsigned int o) {
    emit({int(a), int(b), int(o)});
    emit({int(a), -int(b), -int(o)});
    emit({-int(a), int(b), -int(o)});
    emit({-int(a), -int(b), int(o)});
}

void VerificationModelCNF::_insertMux(unsigned int s, unsigned int t, unsigned int e, unsigned int o) {
    emit({int(s), int(e), -int(o)});
    emit({int(s), -int(e), int(o)});
    emit({-int(s), int(t), -int(o)});
    emit({-int(s), -int(t), int(o)});
}

void VerificationModelCNF::_insertNot(unsigned int a, unsigned int o) {
    emit({int(a), int(o)});
    emit({-int(a), -int(o)});
}

void VerificationModelCNF::_insertIdentity(unsigned int a, unsigned int o) {
    emit({-int(a), int(o)});
    emit({int(a), -int(o)});
}

void VerificationModelCNF::_insertAndN(Bits& ins, unsigned int o) {
    if (ins.empty()) fail(__LINE__, "Groesse des EingangeVectors ist 0->nichts zu tun");
    for (unsigned int in : ins) CurrentClause.push_back(-int(in));
    CurrentClause.push_back(int(o));
    cc();
    for (unsigned int in : ins) emit({int(in), -int(o)});
}

void VerificationModelCNF::_insertOrN(Bits& ins, unsigned int o) {
    if (ins.empty()) fail(__LINE__, "Groesse des EingangeVectors ist 0->nichts zu tun");
    for (unsigned int in : ins) CurrentClause.push_back(int(in));
    CurrentClause.push_back(-int(o));
    cc();
    for (unsigned int in : ins) emit({-int(in), int(o)});
}

void VerificationModelCNF::_insertNotN(Bits& ins, Bits& outs) {
    if (ins.size() != outs.size()) fail(__LINE__, "Anzahl input und outputs ist unterschiedlich");
    for (std::size_t i = 0; i < ins.size(); i++) _insertNot(ins[i], outs[i]);
}
