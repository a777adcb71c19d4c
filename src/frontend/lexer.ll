%{
// The benchmark scanner: splits an SMT-LIB 1.x QF_BV benchmark into tokens
// for the parser. Words are classified through the sorted keyword table,
// numerals become heap big integers, spellings heap copies (the parser frees
// both). Every newline of the input, wherever it stands, advances
// `yylineno`. Strings, comments and user values run to the end of the input
// when unterminated; a comment hands the parser its text without the ';'.
// A character that starts no token is a syntax error; a read error ends the
// process with "input in flex scanner failed" and status 2.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "containers/progress.h"
#include "frontend/lexer.h"
#include "frontend/parser.h"

const char* yyfilename = "";

// Blocks are read through the stream, whatever kind of stream it is.
#define YY_INPUT(buf, result, max_size)                                                  \
    do {                                                                                 \
        (result) = static_cast<int>(std::fread(buf, 1, static_cast<size_t>(max_size), yyin)); \
        if ((result) == 0 && std::ferror(yyin)) YY_FATAL_ERROR("input in flex scanner failed"); \
        progress::noteBytesRead(result);                                                  \
    } while (0)

namespace {
// Numerals are read in base 10; GMP rejects a leading '+', which ends the run.
int numeral(const char* digits) {
    yylval.number = new mpz_class;
    if (mpz_set_str(yylval.number->get_mpz_t(), digits, 10) != 0) yyerror("invalid numeral");
    return NUMERAL;
}
}  // namespace
%}

%option noyywrap nounput noinput never-interactive batch 8bit yylineno nodefault full

WORDCHAR     [A-Za-z0-9_.']
USERCHAR     [^\\}]|\\+[^\\}]|\\+"}"

%%

[ \t\n]+                        ;
"QF_BV"                         return TK_QF_BV;
"bv"[0-9]+                      return numeral(yytext + 2);
"bit"[0-9]                      { yylval.number = new mpz_class(yytext[3] - '0'); return BIT; }
[:?$]?[A-Za-z]{WORDCHAR}*       return lookup(yytext, yylval);
[+-]?[0-9]+                     return numeral(yytext);
\"[^"]*\"                       return STRING;
\"[^"]*                         ;
";"[^\n]*\n                     { yylval.text = strndup(yytext + 1, yyleng - 2); return COMMENT; }
";"[^\n]*                       ;
"{"({USERCHAR})*"}"             return USER_VALUE;
"{"({USERCHAR})*\\*             ;
[()\[\]=:]                      return yytext[0];
.                               yyerror("syntax error");

%%

const Keyword keywords[keywordCount] = {
    {":assumption", K_ASSUMPTION, false},
    {":extrafuns", K_EXTRAFUNS, false},
    {":extrapreds", K_EXTRAPREDS, false},
    {":extrasorts", K_EXTRASORTS, false},
    {":formula", K_FORMULA, false},
    {":logic", K_LOGIC, false},
    {":notes", K_NOTES, false},
    {":source", K_SOURCE, false},
    {":status", K_STATUS, false},
    {"and", K_AND, true},
    {"benchmark", K_BENCHMARK, false},
    {"bitvec", K_BITVEC, false},
    {"bvadd", K_BVADD, true},
    {"bvand", K_AND, true},
    {"bvashr", K_BVASHR, true},
    {"bvcomp", K_BVCOMP, true},
    {"bvlshr", K_BVLSHR, true},
    {"bvmul", K_BVMUL, true},
    {"bvnand", K_BVNAND, true},
    {"bvneg", K_BVNEG, true},
    {"bvnor", K_BVNOR, true},
    {"bvnot", K_NOT, true},
    {"bvor", K_OR, true},
    {"bvredand", K_BVREDAND, true},
    {"bvredor", K_BVREDOR, true},
    {"bvsdiv", K_BVSDIV, true},
    {"bvsge", K_BVSGE, true},
    {"bvsgt", K_BVSGT, true},
    {"bvshl", K_BVSHL, true},
    {"bvsle", K_BVSLE, true},
    {"bvslt", K_BVSLT, true},
    {"bvsrem", K_BVSREM, true},
    {"bvsub", K_BVSUB, true},
    {"bvudiv", K_BVUDIV, true},
    {"bvuge", K_BVUGE, true},
    {"bvugt", K_BVUGT, true},
    {"bvule", K_BVULE, true},
    {"bvult", K_BVULT, true},
    {"bvurem", K_BVUREM, true},
    {"bvxnor", K_BVXNOR, true},
    {"bvxor", K_XOR, true},
    {"concat", K_CONCAT, true},
    {"distinct", K_DISTINCT, false},
    {"extract", K_EXTRACT, true},
    {"false", K_FALSE, false},
    {"flet", K_FLET, false},
    {"if_then_else", K_ITE, true},
    {"iff", K_IFF, true},
    {"implies", K_IMPLIES, true},
    {"ite", K_ITE, true},
    {"let", K_LET, false},
    {"not", K_NOT, true},
    {"or", K_OR, true},
    {"repeat", K_REPEAT, false},
    {"rotate_left", K_ROTATE_LEFT, false},
    {"rotate_right", K_ROTATE_RIGHT, false},
    {"shift_left0", K_BVSHL, true},
    {"shift_right0", K_BVLSHR, true},
    {"sign_extend", K_SIGN_EXTEND, true},
    {"true", K_TRUE, false},
    {"xor", K_XOR, true},
    {"zero_extend", K_ZERO_EXTEND, true},
};

namespace {
char foldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

const Keyword* findKeyword(const char* word) {
    int lo = 0, hi = keywordCount - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int order = compareFolded(word, keywords[mid].text);
        if (order == 0) return &keywords[mid];
        if (order < 0)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return nullptr;
}

int wordToken(char prefix) {
    switch (prefix) {
        case ':': return ATTRIBUTE;
        case '$': return FORMULA_VAR;
        case '?': return TERM_VAR;
        default: return IDENTIFIER;
    }
}
}  // namespace

int compareFolded(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(foldCase(*a));
        unsigned char y = static_cast<unsigned char>(foldCase(*b));
        if (x != y || x == 0) return x - y;
    }
}

int lookup(const char* word, YYSTYPE& value) {
    const Keyword* keyword = findKeyword(word);
    if (keyword && !keyword->spelling) return keyword->token;
    if (word[0] != ':') value.text = strdup(word);
    return keyword ? keyword->token : wordToken(word[0]);
}

void startLexer(FILE* in, const char* name) {
    yyfilename = name;
    yyrestart(in);
    yylineno = 1;
}

void stopLexer() { yylex_destroy(); }
