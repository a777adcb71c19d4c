// The front end's entry: prepares the operator tables, the solver and the
// one generator of the run, parses the benchmark file (translating and
// asserting as it goes) and completes the translation. The generator exists
// exactly while the parser runs; it is destroyed once the solver holds the
// whole problem.
#include <cstdio>

#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "frontend/smt2xml.h"
#include "generator/generator_torva.h"

bool parseSMT(Solver& s, char* path) {
    fillOperatorTables();
    setSolver(&s);
    output = new GeneratorTORVA("dummy", &s, newCNFVariable);
    std::puts("parsing");
    output->addModule("main");

    FILE* in = std::fopen(path, "r");
    if (!in) {
        std::fprintf(stderr, "Error: Could not open smt file: %s\n", path);
        return false;
    }
    startLexer(in, path);
    yyparse();
    stopLexer();
    std::fclose(in);

    output->leaveModule();
    output->setTopModule("main");
    output->write("dummy.torva");
    delete output;
    output = nullptr;
    return true;
}
