// The extended benchmark reader: the whole SMT-LIB 1.2 QF_BV language, read
// from text in memory into the term graph. Everything the basic reader
// accepts reads the same here, with the same meaning; its refusals (n-ary
// connectives, Boolean "=", arithmetic shifts, rotations, ...) are read too.
// The reader never recurses on the nesting of its input, and a bad input
// gives one error line, never a partial benchmark that looks complete.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "terms/term_store.h"

namespace torva::extended {

// A declared function (bit-vector or Boolean) or predicate and its variable.
struct Declaration {
    std::string name;
    terms::TermId term;
};

struct Benchmark {
    std::vector<Declaration> declarations;   // :extrafuns and :extrapreds, in declaration order
    std::vector<terms::TermId> assertions;   // every :assumption and :formula, in input order
    std::vector<std::string> comments;       // the text after ';' of each comment line, in input order
    std::string status;                      // "sat", "unsat", "unknown" or "" when not given
};

// Parses the benchmark text into `store` and `out`. On an error returns false
// and sets `error` to one line, "ERROR: Syntax error, <detail> at
// <file>:<line>" or "ERROR: <message> at <file>:<line>", naming the line of
// the offending token; `out` is then incomplete.
bool parseBenchmark(const char* text, size_t size, const std::string& fileName, terms::TermStore& store,
                    Benchmark& out, std::string& error);

}  // namespace torva::extended
