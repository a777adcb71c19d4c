// Scanner: token classes, longest-match edge cases, keyword classification,
// line counting and the lexical and read errors.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>

#include "frontend/lexer.h"
#include "scan_helpers.h"

namespace {
using Tokens = std::vector<ScannedToken>;

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Runs the scanner in a child process that must end with a parse error.
void expectLexicalError(const std::string& input, const std::string& report) {
    EXPECT_EXIT(scan(input, "in.smt"), testing::ExitedWithCode(1), testing::Eq(report)) << "input: " << input;
}
}  // namespace

TEST(Lexer, NumeralsAndBits) {
    EXPECT_EQ(scan("bv12[32]"), (Tokens{{NUMERAL, "12", 1}, {'[', "", 1}, {NUMERAL, "32", 1}, {']', "", 1}}));
    EXPECT_EQ(scan("bv5 5 bv007 -7 -0"),
              (Tokens{{NUMERAL, "5", 1}, {NUMERAL, "5", 1}, {NUMERAL, "7", 1}, {NUMERAL, "-7", 1}, {NUMERAL, "0", 1}}));
    EXPECT_EQ(scan("123456789012345678901234567890 bv340282366920938463463374607431768211456"),
              (Tokens{{NUMERAL, "123456789012345678901234567890", 1},
                      {NUMERAL, "340282366920938463463374607431768211456", 1}}));
    // A word that merely starts like a numeral, bit or logic name is a word.
    EXPECT_EQ(scan("bv5x 1x bv"), (Tokens{{IDENTIFIER, "bv5x", 1}, {NUMERAL, "1", 1}, {IDENTIFIER, "x", 1},
                                          {IDENTIFIER, "bv", 1}}));
    EXPECT_EQ(scan("bit0 bit9 bit12 bit"),
              (Tokens{{BIT, "0", 1}, {BIT, "9", 1}, {IDENTIFIER, "bit12", 1}, {IDENTIFIER, "bit", 1}}));
    EXPECT_EQ(scan("QF_BV QF_BVx qf_bv"),
              (Tokens{{TK_QF_BV, "", 1}, {IDENTIFIER, "QF_BVx", 1}, {IDENTIFIER, "qf_bv", 1}}));
}

TEST(Lexer, PrefixedWordsAndPunctuation) {
    EXPECT_EQ(scan(":logic :foo :123"),
              (Tokens{{K_LOGIC, "", 1}, {ATTRIBUTE, "", 1}, {':', "", 1}, {NUMERAL, "123", 1}}));
    EXPECT_EQ(scan("?x $p x.y'z_1 ?and"),
              (Tokens{{TERM_VAR, "?x", 1}, {FORMULA_VAR, "$p", 1}, {IDENTIFIER, "x.y'z_1", 1}, {TERM_VAR, "?and", 1}}));
    EXPECT_EQ(scan("[7:0]()="), (Tokens{{'[', "", 1}, {NUMERAL, "7", 1}, {':', "", 1}, {NUMERAL, "0", 1},
                                         {']', "", 1}, {'(', "", 1}, {')', "", 1}, {'=', "", 1}}));
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

    EXPECT_EQ(scan("IF_THEN_ELSE BvAnd and LET"),
              (Tokens{{K_ITE, "IF_THEN_ELSE", 1}, {K_AND, "BvAnd", 1}, {K_AND, "and", 1}, {K_LET, "", 1}}));
    EXPECT_EQ(scan("shift_left0 Shift_Right0 bvlt BitVec bitvec32"),
              (Tokens{{K_BVSHL, "shift_left0", 1}, {K_BVLSHR, "Shift_Right0", 1}, {IDENTIFIER, "bvlt", 1},
                      {K_BITVEC, "", 1}, {IDENTIFIER, "bitvec32", 1}}));
}

TEST(Lexer, StringsCommentsUserValuesAndLines) {
    EXPECT_EQ(scan("\"a\nb\\\nc\" x"), (Tokens{{STRING, "", 3}, {IDENTIFIER, "x", 3}}));
    EXPECT_EQ(scan("; two words;\n\n x"), (Tokens{{COMMENT, " two words;", 2}, {IDENTIFIER, "x", 3}}));
    EXPECT_EQ(scan(";\n"), (Tokens{{COMMENT, "", 2}}));
    // An escaped brace does not close a user value; a run of backslashes
    // before a brace escapes it as well.
    EXPECT_EQ(scan("{a\\}b\n} x"), (Tokens{{USER_VALUE, "", 2}, {IDENTIFIER, "x", 2}}));
    EXPECT_EQ(scan("{\\\\}}x"), (Tokens{{USER_VALUE, "", 1}, {IDENTIFIER, "x", 1}}));
    EXPECT_EQ(scan("{a\\b} {}"), (Tokens{{USER_VALUE, "", 1}, {USER_VALUE, "", 1}}));
    // Unterminated constructs and a final comment without newline run to the
    // end of the input and yield nothing.
    EXPECT_EQ(scan("x ; last line"), (Tokens{{IDENTIFIER, "x", 1}}));
    EXPECT_EQ(scan("x \"never closed\n("), (Tokens{{IDENTIFIER, "x", 1}}));
    EXPECT_EQ(scan("x {open \\}"), (Tokens{{IDENTIFIER, "x", 1}}));
    EXPECT_EQ(scan(""), Tokens{});
    // Each scan starts over at line 1.
    EXPECT_EQ(scan("\t\n\n y"), (Tokens{{IDENTIFIER, "y", 3}}));
    EXPECT_EQ(scan("y"), (Tokens{{IDENTIFIER, "y", 1}}));
}

TEST(LexerDeathTest, CharactersThatStartNoToken) {
    expectLexicalError("x-y", "ERROR: Syntax error at in.smt:1\n");
    expectLexicalError("- 7", "ERROR: Syntax error at in.smt:1\n");
    expectLexicalError("1.5", "ERROR: Syntax error at in.smt:1\n");
    expectLexicalError("a\nb\n  ?", "ERROR: Syntax error at in.smt:3\n");
    expectLexicalError("$ p", "ERROR: Syntax error at in.smt:1\n");
    expectLexicalError("x\r\ny", "ERROR: Syntax error at in.smt:1\n");
    expectLexicalError(std::string("x\0y", 3), "ERROR: Syntax error at in.smt:1\n");
    expectLexicalError("\n\xff\xfe", "ERROR: Syntax error at in.smt:2\n");
    expectLexicalError("}", "ERROR: Syntax error at in.smt:1\n");
    expectLexicalError("+5", "ERROR: invalid numeral at in.smt:1\n");
}

TEST(LexerDeathTest, ReadErrorEndsWithStatusTwo) {
    // A directory opens as a stream but fails on the first read.
    EXPECT_EXIT(
        {
            FILE* dir = std::fopen("/", "r");
            startLexer(dir, "/");
            yylex();
        },
        testing::ExitedWithCode(2), testing::Eq("input in flex scanner failed\n"));
}
