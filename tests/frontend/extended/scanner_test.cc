// The extended reader's scanner: the token forms it shares with the basic
// reader's scanner (longest match, numerals, prefixed words, punctuation),
// strings, user values and comments with their line counting, and that it
// never reads past the end of an input that is not NUL-terminated.
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
    bool operator==(const Seen& o) const { return type == o.type && text == o.text && line == o.line; }
};

std::ostream& operator<<(std::ostream& os, const Seen& s) {
    return os << "{" << static_cast<int>(s.type) << " '" << s.text << "' " << s.line << "}";
}

const TokenType W = TokenType::Word, N = TokenType::Numeral, A = TokenType::Attribute;

// The tokens of the text, scanned from a buffer of exactly its size.
std::vector<Seen> scan(const std::string& text, std::vector<std::string>* comments = nullptr) {
    std::unique_ptr<char[]> exact(new char[text.size() + 1]);
    std::copy(text.begin(), text.end(), exact.get());
    std::vector<std::string> ignored;
    Scanner scanner(exact.get(), text.size(), comments ? *comments : ignored);
    std::vector<Seen> seen;
    for (Token t = scanner.next(); t.type != TokenType::End; t = scanner.next())
        seen.push_back({t.type, std::string(t.text), t.line});
    return seen;
}
}  // namespace

TEST(ExtendedScanner, NumeralsWordsAndPunctuation) {
    using V = std::vector<Seen>;
    EXPECT_EQ(scan("bv12[32]"), (V{{N, "12", 1}, {TokenType::LBracket, "[", 1}, {N, "32", 1},
                                   {TokenType::RBracket, "]", 1}}));
    EXPECT_EQ(scan("bv5 5 -7 +3 bv007"), (V{{N, "5", 1}, {N, "5", 1}, {N, "-7", 1}, {N, "+3", 1}, {N, "007", 1}}));
    EXPECT_EQ(scan("bv5x 1x bv bit1 bit12 bvbin01"),
              (V{{W, "bv5x", 1}, {N, "1", 1}, {W, "x", 1}, {W, "bv", 1}, {W, "bit1", 1}, {W, "bit12", 1},
                 {W, "bvbin01", 1}}));
    EXPECT_EQ(scan(":logic :123 ?x $p x.y'z_1 =x"),
              (V{{A, ":logic", 1}, {TokenType::Colon, ":", 1}, {N, "123", 1}, {W, "?x", 1}, {W, "$p", 1},
                 {W, "x.y'z_1", 1}, {W, "=", 1}, {W, "x", 1}}));
    EXPECT_EQ(scan("[7:0]()"), (V{{TokenType::LBracket, "[", 1}, {N, "7", 1}, {TokenType::Colon, ":", 1},
                                  {N, "0", 1}, {TokenType::RBracket, "]", 1}, {TokenType::LParen, "(", 1},
                                  {TokenType::RParen, ")", 1}}));
    // A prefix or sign not followed by what it must precede starts no token.
    EXPECT_EQ(scan("? $ - x-y #"),
              (V{{TokenType::Invalid, "?", 1}, {TokenType::Invalid, "$", 1}, {TokenType::Invalid, "-", 1},
                 {W, "x", 1}, {TokenType::Invalid, "-", 1}, {W, "y", 1}, {TokenType::Invalid, "#", 1}}));
}

TEST(ExtendedScanner, TextsCommentsAndLines) {
    using V = std::vector<Seen>;
    EXPECT_EQ(scan("\"a\nb\\\nc\" x"), (V{{TokenType::String, "a\nb\\\nc", 1}, {W, "x", 3}}));
    EXPECT_EQ(scan("{a\\}b\n} x"), (V{{TokenType::UserValue, "a\\}b\n", 1}, {W, "x", 2}}));
    EXPECT_EQ(scan("{\\\\}}x"), (V{{TokenType::UserValue, "\\\\}", 1}, {W, "x", 1}}));
    EXPECT_EQ(scan("{a\\b} {}"), (V{{TokenType::UserValue, "a\\b", 1}, {TokenType::UserValue, "", 1}}));
    EXPECT_EQ(scan("x\r\ny\n\n z"), (V{{W, "x", 1}, {W, "y", 2}, {W, "z", 4}}));

    std::vector<std::string> comments;
    EXPECT_EQ(scan("; one ;\n x ;\n;two\n ;three", &comments), (V{{W, "x", 2}}));
    EXPECT_EQ(comments, (std::vector<std::string>{" one ;", "", "two"}));

    // Unterminated texts run to the end of the input.
    std::vector<char> flags;
    for (const std::string text : {"\"abc", "{abc\\}", "{abc\\", "\"\n"}) {
        std::vector<std::string> ignored;
        Scanner scanner(text.data(), text.size(), ignored);
        Token t = scanner.next();
        flags.push_back(t.closed);
        EXPECT_EQ(scanner.next().type, TokenType::End) << text;
    }
    EXPECT_EQ(flags, (std::vector<char>{false, false, false, false}));
}
