// The fuzzer's SMT-LIB 2 tokeniser: one left-to-right pass, every byte in
// exactly one token, spans in text order. The token rules follow the
// language's lexical syntax, leniently: what the reader rejects still gets a
// span here.
#include "fuzz/smt2_tokens.h"

#include <cstring>

namespace torva_fuzz {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isSymbolChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c) || (c != '\0' && std::strchr("~!@$%^&*_-+=<>.?/", c));
}

// End of the token that starts at `i` (i < text.size()), and its kind.
size_t scan(const std::string& s, size_t i, Tok& kind) {
    const size_t n = s.size();
    char c = s[i];
    size_t j = i + 1;
    if (isSpace(c)) {
        kind = Tok::Space;
        while (j < n && isSpace(s[j])) j++;
    } else if (c == '(' || c == ')') {
        kind = c == '(' ? Tok::Open : Tok::Close;
    } else if (c == ';') {
        kind = Tok::Comment;
        while (j < n && s[j] != '\n') j++;
    } else if (c == '"') {
        kind = Tok::String;
        while (j < n) {
            if (s[j] != '"') {
                j++;
            } else if (j + 1 < n && s[j + 1] == '"') {
                j += 2;
            } else {
                j++;
                break;
            }
        }
    } else if (c == '|') {
        kind = Tok::Quoted;
        while (j < n && s[j] != '|') j++;
        if (j < n) j++;
    } else if (c == '#' && j < n && (s[j] == 'b' || s[j] == 'x')) {
        kind = s[j] == 'b' ? Tok::Binary : Tok::Hex;
        j++;
        while (j < n && (kind == Tok::Binary ? s[j] == '0' || s[j] == '1' : isHexDigit(s[j]))) j++;
    } else if (isDigit(c)) {
        kind = Tok::Numeral;
        while (j < n && isDigit(s[j])) j++;
        if (j + 1 < n && s[j] == '.' && isDigit(s[j + 1])) {
            kind = Tok::Decimal;
            j++;
            while (j < n && isDigit(s[j])) j++;
        }
    } else if (c == ':' && j < n && isSymbolChar(s[j])) {
        kind = Tok::Keyword;
        while (j < n && isSymbolChar(s[j])) j++;
    } else if (isSymbolChar(c)) {
        kind = Tok::Symbol;
        while (j < n && isSymbolChar(s[j])) j++;
    } else {
        kind = Tok::Other;
    }
    return j;
}

bool isCheckSat(const std::string& s, const Token& t) {
    if (t.kind != Tok::Symbol) return false;
    std::string word = tokenText(s, t);
    return word == "check-sat" || word == "check-sat-assuming";
}

}  // namespace

std::vector<Token> tokenize(const std::string& text) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < text.size()) {
        Tok kind;
        size_t end = scan(text, i, kind);
        tokens.push_back({kind, i, end});
        i = end;
    }
    return tokens;
}

std::vector<Span> groups(const std::vector<Token>& tokens) {
    std::vector<Span> spans;
    std::vector<size_t> open;
    for (const Token& t : tokens) {
        if (t.kind == Tok::Open) {
            open.push_back(t.begin);
        } else if (t.kind == Tok::Close && !open.empty()) {
            spans.push_back({open.back(), t.end});
            open.pop_back();
        }
    }
    return spans;
}

std::vector<size_t> checkSatOffsets(const std::string& text, const std::vector<Token>& tokens) {
    std::vector<size_t> offsets;
    size_t depth = 0;
    for (size_t i = 0; i < tokens.size(); i++) {
        const Token& t = tokens[i];
        if (t.kind == Tok::Close) {
            if (depth > 0) depth--;
            continue;
        }
        if (t.kind != Tok::Open) continue;
        if (depth++ != 0) continue;
        size_t k = i + 1;
        while (k < tokens.size() && (tokens[k].kind == Tok::Space || tokens[k].kind == Tok::Comment)) k++;
        if (k < tokens.size() && isCheckSat(text, tokens[k])) offsets.push_back(t.begin);
    }
    return offsets;
}

bool hasHugeConstant(const std::string& text, const std::vector<Token>& tokens) {
    for (const Token& t : tokens) {
        size_t length = t.end - t.begin;
        if (t.kind == Tok::Binary && length > 2 + 1000) return true;
        if (t.kind == Tok::Hex && length > 2 + 250) return true;
        if (t.kind != Tok::Numeral && t.kind != Tok::Decimal) continue;
        size_t first = t.begin;
        while (first + 1 < t.end && text[first] == '0') first++;
        size_t digits = first;
        while (digits < t.end && isDigit(text[digits])) digits++;
        if (digits - first >= 4) return true;
    }
    return false;
}

}  // namespace torva_fuzz
