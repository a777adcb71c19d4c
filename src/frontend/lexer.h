// The benchmark scanner's interface: the keyword table, word classification,
// the scanner's position (file name and current line) and its start. Token
// codes and the token value slot `yylval` come from the generated parse.hh.
// The keyword table is sorted under case-insensitive comparison so that
// `lookup` can search it by halving.
#pragma once

#include <cstdio>

#include "parse.hh"

struct Keyword {
    const char* text;
    int token;
    bool spelling;  // the word's text is handed to the parser
};

const int keywordCount = 62;
extern const Keyword keywords[keywordCount];

// Case-insensitive order of the keyword table: ASCII letters folded to lower
// case, then byte order. Negative, zero or positive like strcmp.
int compareFolded(const char* a, const char* b);

// Classifies a word (optionally prefixed by ':', '?' or '$') and returns its
// token; stores a heap copy of the word in `value.text` when the parser needs
// the spelling.
int lookup(const char* word, YYSTYPE& value);

extern int yylineno;
extern const char* yyfilename;

int yylex();
// Points the scanner at a fresh stream at line 1; `name` is quoted by
// parse-error reports.
void startLexer(FILE* in, const char* name);
// Releases the scanner's buffers after a run.
void stopLexer();
