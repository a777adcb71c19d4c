// Scanner: token classes, longest-match edge cases, keyword classification
// in any letter case, line counting, and the lexical and read errors.
#include <gmpxx.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "frontend/lexer.h"

namespace {
struct ScannedToken {
    int code;
    std::string text;  // spelling, or the decimal value of a number
    int line;          // the line the scanner stood on
    bool operator==(const ScannedToken& o) const { return code == o.code && text == o.text && line == o.line; }
};

std::ostream& operator<<(std::ostream& os, const ScannedToken& t) {
    return os << "{" << t.code << ", \"" << t.text << "\", line " << t.line << "}";
}

using Tokens = std::vector<ScannedToken>;

// Scans `input` held in memory to its end. A spelling or number is taken
// over and freed like the parser does.
Tokens scan(const std::string& input, const char* name = "input.smt") {
    FILE* in = fmemopen(const_cast<char*>(input.data()), input.size(), "r");
    startLexer(in, name);
    Tokens tokens;
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

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
}  // namespace

TEST(Lexer, TokensValuesAndLines) {
    const std::pair<std::string, Tokens> cases[] = {
        {"bv12[32]", {{NUMERAL, "12", 1}, {'[', "", 1}, {NUMERAL, "32", 1}, {']', "", 1}}},
        {"bv5 5 bv007 -7 -0",
         {{NUMERAL, "5", 1}, {NUMERAL, "5", 1}, {NUMERAL, "7", 1}, {NUMERAL, "-7", 1}, {NUMERAL, "0", 1}}},
        {"123456789012345678901234567890 bv340282366920938463463374607431768211456",
         {{NUMERAL, "123456789012345678901234567890", 1}, {NUMERAL, "340282366920938463463374607431768211456", 1}}},
        // A word that merely starts like a numeral, bit or logic name is a word.
        {"bv5x 1x bv", {{IDENTIFIER, "bv5x", 1}, {NUMERAL, "1", 1}, {IDENTIFIER, "x", 1}, {IDENTIFIER, "bv", 1}}},
        {"bit0 bit9 bit12 bit", {{BIT, "0", 1}, {BIT, "9", 1}, {IDENTIFIER, "bit12", 1}, {IDENTIFIER, "bit", 1}}},
        {"QF_BV QF_BVx qf_bv", {{TK_QF_BV, "", 1}, {IDENTIFIER, "QF_BVx", 1}, {IDENTIFIER, "qf_bv", 1}}},
        {":logic :foo :123", {{K_LOGIC, "", 1}, {ATTRIBUTE, "", 1}, {':', "", 1}, {NUMERAL, "123", 1}}},
        {"?x $p x.y'z_1 ?and",
         {{TERM_VAR, "?x", 1}, {FORMULA_VAR, "$p", 1}, {IDENTIFIER, "x.y'z_1", 1}, {TERM_VAR, "?and", 1}}},
        {"[7:0]()=",
         {{'[', "", 1}, {NUMERAL, "7", 1}, {':', "", 1}, {NUMERAL, "0", 1}, {']', "", 1}, {'(', "", 1},
          {')', "", 1}, {'=', "", 1}}},
        {"IF_THEN_ELSE BvAnd and LET",
         {{K_ITE, "IF_THEN_ELSE", 1}, {K_AND, "BvAnd", 1}, {K_AND, "and", 1}, {K_LET, "", 1}}},
        {"shift_left0 Shift_Right0 bvlt BitVec bitvec32",
         {{K_BVSHL, "shift_left0", 1}, {K_BVLSHR, "Shift_Right0", 1}, {IDENTIFIER, "bvlt", 1}, {K_BITVEC, "", 1},
          {IDENTIFIER, "bitvec32", 1}}},
        {"\"a\nb\\\nc\" x", {{STRING, "", 3}, {IDENTIFIER, "x", 3}}},
        {"; two words;\n\n x", {{COMMENT, " two words;", 2}, {IDENTIFIER, "x", 3}}},
        {";\n", {{COMMENT, "", 2}}},
        // An escaped brace does not close a user value; a run of backslashes
        // before a brace escapes it as well.
        {"{a\\}b\n} x", {{USER_VALUE, "", 2}, {IDENTIFIER, "x", 2}}},
        {"{\\\\}}x", {{USER_VALUE, "", 1}, {IDENTIFIER, "x", 1}}},
        {"{a\\b} {}", {{USER_VALUE, "", 1}, {USER_VALUE, "", 1}}},
        // Unterminated constructs and a final comment without newline run to
        // the end of the input and yield nothing.
        {"x ; last line", {{IDENTIFIER, "x", 1}}},
        {"x \"never closed\n(", {{IDENTIFIER, "x", 1}}},
        {"x {open \\}", {{IDENTIFIER, "x", 1}}},
        {"", {}},
        // Each scan starts over at line 1.
        {"\t\n\n y", {{IDENTIFIER, "y", 3}}},
        {"y", {{IDENTIFIER, "y", 1}}},
    };
    for (const auto& [input, tokens] : cases) EXPECT_EQ(scan(input), tokens) << input;
}

TEST(Lexer, KeywordsInAnyCase) {
    // Binary search needs the table strictly ascending under the folded order.
    for (int i = 1; i < keywordCount; ++i)
        EXPECT_LT(compareFolded(keywords[i - 1].text, keywords[i].text), 0) << keywords[i].text;
    for (const Keyword& k : keywords) {
        for (const std::string& written : {std::string(k.text), upper(k.text)}) {
            Tokens tokens = scan(written);
            ASSERT_EQ(tokens.size(), 1u) << written;
            EXPECT_EQ(tokens[0].code, k.token) << written;
            EXPECT_EQ(tokens[0].text, k.spelling ? written : "") << written;
        }
    }
}

TEST(LexerDeathTest, ErrorsEndTheRun) {
    const std::pair<std::string, std::string> cases[] = {
        {"x-y", "Syntax error at in.smt:1"},
        {"- 7", "Syntax error at in.smt:1"},
        {"1.5", "Syntax error at in.smt:1"},
        {"a\nb\n  ?", "Syntax error at in.smt:3"},
        {"$ p", "Syntax error at in.smt:1"},
        {"x\r\ny", "Syntax error at in.smt:1"},
        {std::string("x\0y", 3), "Syntax error at in.smt:1"},
        {"\n\xff\xfe", "Syntax error at in.smt:2"},
        {"}", "Syntax error at in.smt:1"},
        {"+5", "invalid numeral at in.smt:1"},
    };
    for (const auto& [input, report] : cases)
        EXPECT_EXIT(scan(input, "in.smt"), testing::ExitedWithCode(1), testing::Eq("ERROR: " + report + "\n"))
            << input;
    // A directory opens as a stream but fails on the first read.
    EXPECT_EXIT(
        {
            FILE* dir = std::fopen("/", "r");
            startLexer(dir, "/");
            yylex();
        },
        testing::ExitedWithCode(2), testing::Eq("input in flex scanner failed\n"));
}
