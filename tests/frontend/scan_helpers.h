// Test helpers for the scanner: runs it over text held in memory and
// collects every token with its value and the line the scanner stood on.
#pragma once

#include <gmpxx.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "frontend/lexer.h"

struct ScannedToken {
    int code;
    std::string text;  // spelling, or the decimal value of a number
    int line;

    bool operator==(const ScannedToken& o) const { return code == o.code && text == o.text && line == o.line; }
};

inline std::ostream& operator<<(std::ostream& os, const ScannedToken& t) {
    return os << "{" << t.code << ", \"" << t.text << "\", line " << t.line << "}";
}

// Scans `input` to its end. Numbers are printed in decimal; a spelling is
// taken over and freed like the parser does.
inline std::vector<ScannedToken> scan(const std::string& input, const char* name = "input.smt") {
    FILE* in = fmemopen(const_cast<char*>(input.data()), input.size(), "r");
    startLexer(in, name);
    std::vector<ScannedToken> tokens;
    for (;;) {
        yylval.text = nullptr;
        int code = yylex();
        if (code == 0) break;
        std::string text;
        if (code == NUMERAL || code == BIT) {
            text = yylval.number->get_str();
            delete yylval.number;
        } else if (yylval.text) {
            text = yylval.text;
            std::free(yylval.text);
        }
        tokens.push_back({code, text, yylineno});
    }
    stopLexer();
    std::fclose(in);
    return tokens;
}
