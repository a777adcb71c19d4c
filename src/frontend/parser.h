// The benchmark parser's interface: the parse run, its error report and the
// release of operand lists. Every error ends the process, so `yyparse`
// returns only after a complete benchmark.
#pragma once

#include <gmpxx.h>

#include <vector>

#include "frontend/signal.h"

// Parses the whole input of the scanner (see startLexer), translating and
// asserting while it goes.
int yyparse();

// Parse-error report: "ERROR: Syntax error at <file>:<line>" for "syntax
// error", "ERROR: <msg> at <file>:<line>" otherwise, on standard error; then
// the process exits with status 1.
[[noreturn]] void yyerror(const char* msg);

// Releases every record of the list that the variable table does not own,
// then the list.
void deleteList(std::vector<Signal*>* list);

// Widths of the sorts of the declaration being parsed.
extern std::vector<mpz_class> OpStack;
