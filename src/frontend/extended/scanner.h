// The extended reader's scanner: splits benchmark text held in memory into
// tokens, with the token forms of the basic reader's scanner. Words are a
// letter and word characters (letters, digits, '_', '.', '\''), optionally
// prefixed by ':' (attributes), '?' or '$'; "bv" followed by digits only is a
// numeral, as is an optionally signed run of digits; "=" is a word of its own.
//
// Invariants: token texts point into the input, which outlives the scanner;
// every newline (also inside strings, user values and comments) advances the
// line count; the scanner never reads past the end of the input. Comments are
// skipped and their text (without ';') collected; a comment ended by the end
// of the input rather than a newline is dropped, as the basic reader does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace torva::extended {

enum class TokenType : uint8_t {
    End,
    LParen,
    RParen,
    LBracket,
    RBracket,
    Colon,      // ':' not followed by a letter, as in [7:0]
    Word,       // also ?x, $f and "="
    Attribute,  // ':' followed by a word
    Numeral,    // text is the signed digits, without a "bv" prefix
    String,     // "..." with no escapes
    UserValue,  // {...} where "\}" does not close
    Invalid,    // a character that starts no token; text is that character
};

struct Token {
    TokenType type = TokenType::End;
    std::string_view text;
    uint32_t line = 1;
    bool closed = true;  // String, UserValue: false when the input ended inside
};

class Scanner {
public:
    Scanner(const char* text, size_t size, std::vector<std::string>& comments);
    Token next();

private:
    bool atEnd() const { return pos_ >= size_; }
    char peekChar(size_t ahead = 0) const { return pos_ + ahead < size_ ? text_[pos_ + ahead] : '\0'; }
    void skipSpaceAndComments();
    void scanWordChars();
    Token scanWord(Token token);
    Token scanNumeral(Token token);
    Token scanString(Token token);
    Token scanUserValue(Token token);

    const char* text_;
    size_t size_;
    size_t pos_ = 0;
    uint32_t line_ = 1;
    std::vector<std::string>& comments_;
};

// Text of a token for error messages: "')'", "'bvadd'", "end of input".
std::string describe(const Token& token);

}  // namespace torva::extended
