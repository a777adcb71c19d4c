// The SMT-LIB 2 scanner. It reads the input with read(2) into one buffer as
// the parser asks for tokens, so a script arriving over a pipe is tokenised
// as far as it has arrived and never waits for more than the token at hand.
// A token points into the buffer and stays valid until the next call of
// next(); nothing is allocated per token. Lines and columns are 1-based and
// count bytes. Lexical errors are thrown as ScriptError at their position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace torva::smt2 {

// An error in the script: the position it is reported at and a sentence.
struct ScriptError {
    uint32_t line;
    uint32_t column;
    std::string message;
    bool lexical = false;  // the scanner's: the input cannot be read on from here
};

enum class TokenKind : uint8_t { LParen, RParen, Symbol, Keyword, Numeral, Decimal, Binary, Hex, String, End };

struct Token {
    TokenKind kind = TokenKind::End;
    uint8_t prefix = 0;  // bytes of the written form before the text ("|", "#b", ":", "\"")
    uint8_t suffix = 0;  // bytes after it ("|", "\"")
    uint32_t line = 0;
    uint32_t column = 0;
    const char* begin = nullptr;  // the token as written
    size_t size = 0;

    // The token as written, e.g. |a b|, #b0101, "say ""hi""".
    std::string_view raw() const { return {begin, size}; }
    // Symbol: the name without bars; Keyword: the name without ':';
    // Binary/Hex: the digits; String: the contents with "" escapes kept;
    // Numeral/Decimal: the digits.
    std::string_view text() const { return {begin + prefix, size - prefix - suffix}; }
};

class Scanner {
public:
    explicit Scanner(int fd);

    Token next();
    // From now on the written form of every token is appended to *text,
    // tokens separated by one space except after '(' and before ')';
    // nullptr stops it.
    void capture(std::string* text) { capture_ = text; }
    size_t bufferBytes() const { return capacity_; }
    // Parentheses opened and not yet closed by the tokens read so far.
    uint64_t depth() const { return depth_; }

private:
    bool fill();
    void skipSpaceAndComments();
    void scanSymbolChars();
    void scanDelimited(char close, Token& t);
    void scanNumber(Token& t);
    void scanLiteral(Token& t);
    void newline() { ++line_; lineStart_ = base_ + pos_; }
    uint32_t column() const { return static_cast<uint32_t>(base_ + pos_ - lineStart_ + 1); }
    [[noreturn]] void fail(uint32_t line, uint32_t column, std::string message) const;
    void appendCapture(const Token& t);

    int fd_;
    std::unique_ptr<char[]> buffer_;
    size_t capacity_;
    size_t start_ = 0;  // first byte still needed (start of the current token)
    size_t pos_ = 0;
    size_t end_ = 0;
    size_t base_ = 0;  // input offset of buffer_[0]
    bool eof_ = false;
    uint32_t line_ = 1;
    size_t lineStart_ = 0;  // input offset of the first byte of the current line
    std::string* capture_ = nullptr;
    uint64_t depth_ = 0;
};

}  // namespace torva::smt2
