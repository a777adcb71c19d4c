// The extended reader's scanner: the token forms it shares with the basic
// reader's scanner (longest match, numerals, prefixed words, punctuation),
// strings, user values and comments with their line counting, texts that run
// to the end of the input, and that it never reads past the end of an input
// that is not NUL-terminated.
#include <gtest/gtest.h>

#include <memory>

#include "frontend/extended/scanner.h"

using torva::extended::Scanner;
using torva::extended::Token;
using torva::extended::TokenType;

namespace {
struct Seen {
    TokenType type;
    std::string text;
    uint32_t line;
    bool closed = true;
    bool operator==(const Seen& o) const {
        return type == o.type && text == o.text && line == o.line && closed == o.closed;
    }
};

std::ostream& operator<<(std::ostream& os, const Seen& s) {
    return os << "{" << static_cast<int>(s.type) << " '" << s.text << "' " << s.line << (s.closed ? "" : " open")
              << "}";
}

// The tokens of the text, scanned from a buffer of exactly its size.
std::vector<Seen> scan(const std::string& text, std::vector<std::string>& comments) {
    std::unique_ptr<char[]> exact(new char[text.size()]);
    std::copy(text.begin(), text.end(), exact.get());
    Scanner scanner(exact.get(), text.size(), comments);
    std::vector<Seen> seen;
    for (Token t = scanner.next(); t.type != TokenType::End; t = scanner.next())
        seen.push_back({t.type, std::string(t.text), t.line, t.closed});
    return seen;
}
}  // namespace

TEST(ExtendedScanner, TokensLinesAndComments) {
    const TokenType W = TokenType::Word, N = TokenType::Numeral, I = TokenType::Invalid, S = TokenType::String,
                    U = TokenType::UserValue, L = TokenType::LBracket, R = TokenType::RBracket, C = TokenType::Colon,
                    A = TokenType::Attribute, O = TokenType::LParen, E = TokenType::RParen;
    const std::pair<std::string, std::vector<Seen>> cases[] = {
        {"bv12[32]", {{N, "12", 1}, {L, "[", 1}, {N, "32", 1}, {R, "]", 1}}},
        {"bv5 5 -7 +3 bv007", {{N, "5", 1}, {N, "5", 1}, {N, "-7", 1}, {N, "+3", 1}, {N, "007", 1}}},
        {"bv5x 1x bv bit1 bit12 bvbin01",
         {{W, "bv5x", 1}, {N, "1", 1}, {W, "x", 1}, {W, "bv", 1}, {W, "bit1", 1}, {W, "bit12", 1}, {W, "bvbin01", 1}}},
        {":logic :123 ?x $p x.y'z_1 =x",
         {{A, ":logic", 1}, {C, ":", 1}, {N, "123", 1}, {W, "?x", 1}, {W, "$p", 1}, {W, "x.y'z_1", 1}, {W, "=", 1},
          {W, "x", 1}}},
        {"[7:0]()", {{L, "[", 1}, {N, "7", 1}, {C, ":", 1}, {N, "0", 1}, {R, "]", 1}, {O, "(", 1}, {E, ")", 1}}},
        // A prefix or sign not followed by what it must precede starts no token.
        {"? $ - x-y #", {{I, "?", 1}, {I, "$", 1}, {I, "-", 1}, {W, "x", 1}, {I, "-", 1}, {W, "y", 1}, {I, "#", 1}}},
        {"\"a\nb\\\nc\" x", {{S, "a\nb\\\nc", 1}, {W, "x", 3}}},
        // An escaped brace does not close a user value; a run of backslashes
        // before a brace escapes it as well.
        {"{a\\}b\n} x", {{U, "a\\}b\n", 1}, {W, "x", 2}}},
        {"{\\\\}}x", {{U, "\\\\}", 1}, {W, "x", 1}}},
        {"{a\\b} {}", {{U, "a\\b", 1}, {U, "", 1}}},
        {"x\r\ny\n\n z", {{W, "x", 1}, {W, "y", 2}, {W, "z", 4}}},
        {"; one ;\n x ;\n;two\n ;three", {{W, "x", 2}}},
        // Unterminated texts run to the end of the input.
        {"\"abc", {{S, "abc", 1, false}}},
        {"{abc\\}", {{U, "abc\\}", 1, false}}},
        {"{abc\\", {{U, "abc\\", 1, false}}},
        {"\"\n", {{S, "\n", 1, false}}},
    };
    for (const auto& [text, tokens] : cases) {
        std::vector<std::string> comments;
        EXPECT_EQ(scan(text, comments), tokens) << text;
    }
    std::vector<std::string> comments;
    scan("; one ;\n x ;\n;two\n ;three", comments);
    EXPECT_EQ(comments, (std::vector<std::string>{" one ;", "", "two"}));
}
