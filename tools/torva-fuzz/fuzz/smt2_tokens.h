// A lenient SMT-LIB 2 tokeniser for the fuzzer. It cuts any byte string,
// however malformed, into tokens whose spans cover the text exactly and in
// order (an unterminated string or |symbol| runs to the end, a byte that
// starts no token is a one-byte Other), so mutations can work on token and
// subterm boundaries of broken input too. It also finds balanced groups and
// the top-level check-sat commands. Nothing here recurses on nesting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torva_fuzz {

enum class Tok : uint8_t {
    Open, Close, Symbol, Quoted, Numeral, Decimal, Binary, Hex, String, Keyword, Comment, Space, Other,
};

struct Token {
    Tok kind;
    size_t begin, end;
};

struct Span {
    size_t begin, end;
};

std::vector<Token> tokenize(const std::string& text);

// Every balanced parenthesised group (innermost first), as byte spans.
std::vector<Span> groups(const std::vector<Token>& tokens);

// Byte offsets of the '(' of every top-level check-sat and
// check-sat-assuming command, in order.
std::vector<size_t> checkSatOffsets(const std::string& text, const std::vector<Token>& tokens);

// A numeral of 1000 or more, or a #b/#x literal of more than 1000 bits:
// such inputs may legitimately need more memory or time than the limits.
bool hasHugeConstant(const std::string& text, const std::vector<Token>& tokens);

inline std::string tokenText(const std::string& text, const Token& t) {
    return text.substr(t.begin, t.end - t.begin);
}

}  // namespace torva_fuzz
