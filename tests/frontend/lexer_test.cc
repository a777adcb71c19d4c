// Scanner: the token classes a parse cannot tell apart (longest match,
// prefixed words, texts running to the end of the input), keyword lookup in
// any letter case, and the lexical and read errors.
#include <gmpxx.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "frontend/lexer.h"

namespace {
// Token code, spelling (or the decimal value of a number), and the line the
// scanner stood on.
using Tokens = std::vector<std::tuple<int, std::string, int>>;

// Scans `input` held in memory to its end, taking over and freeing each
// spelling or number like the parser does.
Tokens scan(const std::string& input) {
    FILE* in = fmemopen(const_cast<char*>(input.data()), input.size(), "r");
    startLexer(in, "in.smt");
    Tokens tokens;
    for (int code; (yylval.text = nullptr, code = yylex()) != 0;) {
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
}  // namespace

TEST(Lexer, TokensValuesAndLines) {
    const std::pair<std::string, Tokens> cases[] = {
        {"bv5 bv007 -7 -0", {{NUMERAL, "5", 1}, {NUMERAL, "7", 1}, {NUMERAL, "-7", 1}, {NUMERAL, "0", 1}}},
        // A word that merely starts like a numeral, bit or logic name is a word.
        {"bv5x 1x bv", {{IDENTIFIER, "bv5x", 1}, {NUMERAL, "1", 1}, {IDENTIFIER, "x", 1}, {IDENTIFIER, "bv", 1}}},
        {"bit0 bit9 bit12 bit", {{BIT, "0", 1}, {BIT, "9", 1}, {IDENTIFIER, "bit12", 1}, {IDENTIFIER, "bit", 1}}},
        {"QF_BV QF_BVx qf_bv :logic :foo :1",
         {{TK_QF_BV, "", 1}, {IDENTIFIER, "QF_BVx", 1}, {IDENTIFIER, "qf_bv", 1}, {K_LOGIC, "", 1},
          {ATTRIBUTE, "", 1}, {':', "", 1}, {NUMERAL, "1", 1}}},
        {"?x $p x.y'z_1 ?and",
         {{TERM_VAR, "?x", 1}, {FORMULA_VAR, "$p", 1}, {IDENTIFIER, "x.y'z_1", 1}, {TERM_VAR, "?and", 1}}},
        {"\"a\nb\\\nc\" x", {{STRING, "", 3}, {IDENTIFIER, "x", 3}}},
        {"; two words;\n\n x", {{COMMENT, " two words;", 2}, {IDENTIFIER, "x", 3}}},
        // A run of backslashes before a brace escapes it too.
        {"{\\\\}}x {a\\b} {}", {{USER_VALUE, "", 1}, {IDENTIFIER, "x", 1}, {USER_VALUE, "", 1}, {USER_VALUE, "", 1}}},
        // Unterminated texts and a last comment run to the end and yield nothing.
        {"x ; last line", {{IDENTIFIER, "x", 1}}},
        {"x \"never closed\n(", {{IDENTIFIER, "x", 1}}},
        {"x {open \\}", {{IDENTIFIER, "x", 1}}},
        // Each scan starts over at line 1.
        {"\t\n\n y", {{IDENTIFIER, "y", 3}}},
        {"y", {{IDENTIFIER, "y", 1}}},
    };
    for (const auto& [input, tokens] : cases) EXPECT_EQ(scan(input), tokens) << input;
}

TEST(Lexer, KeywordsInAnyCase) {
    // Lookup halves the table, which must be strictly ascending when folded.
    for (int i = 1; i < keywordCount; ++i)
        EXPECT_LT(compareFolded(keywords[i - 1].text, keywords[i].text), 0) << keywords[i].text;
    for (const Keyword& k : keywords) {
        std::string upper = k.text;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (const std::string& written : {std::string(k.text), upper})
            EXPECT_EQ(scan(written), (Tokens{{k.token, k.spelling ? written : "", 1}})) << written;
    }
}

TEST(LexerDeathTest, ErrorsEndTheRun) {
    const std::pair<std::string, std::string> cases[] = {
        {"x-y", "Syntax error at in.smt:1"},
        {"a\nb\n  ?", "Syntax error at in.smt:3"},
        {"x\r\ny", "Syntax error at in.smt:1"},
        {std::string("x\0y", 3), "Syntax error at in.smt:1"},
        {"+5", "invalid numeral at in.smt:1"},
    };
    for (const auto& [input, report] : cases)
        EXPECT_EXIT(scan(input), testing::ExitedWithCode(1), testing::Eq("ERROR: " + report + "\n")) << input;
    // A directory opens as a stream but fails on the first read.
    EXPECT_EXIT(
        {
            startLexer(std::fopen("/", "r"), "/");
            yylex();
        },
        testing::ExitedWithCode(2), testing::Eq("input in flex scanner failed\n"));
}
