// The data side of the front end: signal creation, the variable table, the
// source of fresh CNF variables, operator translation and the parse entry.
// Every fatal error here is reported with the source name "smt2xml".
#pragma once

#include <gmpxx.h>

#include <map>
#include <string>
#include <vector>

#include "frontend/signal.h"
#include "solver/solver.h"

class GeneratorTORVA;

// Signals and the variable table.
Signal* newSignal(int bitsize, bool reg);
Signal* newSignal(std::vector<unsigned int> vars);
Signal* newConst(int bitsize, mpz_class v);
Signal* newSignalBool(bool reg);
Signal* newConstBool(bool b);
void addVariable(std::string name, Signal* sig);
Signal* getvar(std::string name);
void removeVariable(std::string name);
void clearVariables();
unsigned int newCNFVariable();
Solver* solver();
void setSolver(Solver* s);
GeneratorTORVA* out();

extern unsigned int idcounter;
extern std::map<std::string, Signal*> variables;
extern GeneratorTORVA* output;

// Operator translation and its name tables.
typedef std::map<std::string, std::string> OperatorTable;
extern OperatorTable op1BoolModules, op1Modules, op2BoolModules, op2BoolModulesBool, op2Modules, op3Modules;
void fillOperatorTables();
Signal* generateOp(const std::string& name, std::vector<Signal*>* ops);

// Parse entry: false only when the file cannot be opened.
bool parseSMT(Solver& s, char* path);
