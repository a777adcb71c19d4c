// Tokens of SMT-LIB 2 over a growing read buffer. The bytes before the
// token being scanned are dropped whenever the buffer is full, so the buffer
// holds at most the longest token plus one read; positions are kept as input
// offsets so that compaction never disturbs them.
#include "frontend/smt2/scanner.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "containers/progress.h"

namespace torva::smt2 {
namespace {

constexpr size_t kInitialCapacity = 1 << 20;

enum CharClass : uint8_t { kSpace = 1, kSymbol = 2, kDigit = 4, kHex = 8 };

struct CharTable {
    uint8_t c[256] = {};
    constexpr CharTable() {
        c[static_cast<unsigned char>(' ')] = c[static_cast<unsigned char>('\t')] = kSpace;
        c[static_cast<unsigned char>('\r')] = c[static_cast<unsigned char>('\n')] = kSpace;
        for (int i = 'a'; i <= 'z'; i++) c[i] = kSymbol;
        for (int i = 'A'; i <= 'Z'; i++) c[i] = kSymbol;
        for (int i = '0'; i <= '9'; i++) c[i] = kSymbol | kDigit | kHex;
        for (int i = 'a'; i <= 'f'; i++) c[i] |= kHex;
        for (int i = 'A'; i <= 'F'; i++) c[i] |= kHex;
        const char* punctuation = "~!@$%^&*_-+=<>.?/";
        for (const char* p = punctuation; *p != '\0'; ++p) c[static_cast<unsigned char>(*p)] = kSymbol;
    }
};
constexpr CharTable kChars;

bool is(char ch, uint8_t cls) { return (kChars.c[static_cast<unsigned char>(ch)] & cls) != 0; }

std::string describe(char ch) {
    auto u = static_cast<unsigned char>(ch);
    char text[16];
    if (u >= 0x20 && u < 0x7f)
        std::snprintf(text, sizeof text, "'%c'", ch);
    else
        std::snprintf(text, sizeof text, "byte 0x%02x", u);
    return text;
}

}  // namespace

Scanner::Scanner(int fd) : fd_(fd), buffer_(new char[kInitialCapacity]), capacity_(kInitialCapacity) {}

void Scanner::fail(uint32_t line, uint32_t column, std::string message) const {
    throw ScriptError{line, column, std::move(message), true};
}

// Makes at least one more byte available at pos_ (== end_), keeping the
// bytes from start_ on; false at the end of the input.
bool Scanner::fill() {
    if (eof_) return false;
    if (start_ == end_) {
        base_ += end_;
        start_ = pos_ = end_ = 0;
    }
    if (end_ == capacity_) {
        if (start_ > 0) {
            std::memmove(buffer_.get(), buffer_.get() + start_, end_ - start_);
            base_ += start_;
            pos_ -= start_;
            end_ -= start_;
            start_ = 0;
        }
        if (end_ == capacity_) {
            std::unique_ptr<char[]> wider(new char[2 * capacity_]);
            std::memcpy(wider.get(), buffer_.get(), end_);
            buffer_ = std::move(wider);
            capacity_ *= 2;
        }
    }
    for (;;) {
        ssize_t n = read(fd_, buffer_.get() + end_, capacity_ - end_);
        if (n > 0) {
            progress::noteBytesRead(n);
            end_ += static_cast<size_t>(n);
            return true;
        }
        if (n == 0) {
            eof_ = true;
            return false;
        }
        if (errno != EINTR) fail(line_, column(), std::string("cannot read the input: ") + std::strerror(errno));
    }
}

void Scanner::skipSpaceAndComments() {
    for (;;) {
        start_ = pos_;
        if (pos_ == end_ && !fill()) return;
        char c = buffer_[pos_];
        if (c == '\n') {
            ++pos_;
            newline();
        } else if (is(c, kSpace)) {
            ++pos_;
        } else if (c == ';') {
            for (;;) {
                start_ = pos_;
                if (pos_ == end_ && !fill()) return;
                if (buffer_[pos_] == '\n') break;
                ++pos_;
            }
        } else {
            return;
        }
    }
}

void Scanner::scanSymbolChars() {
    while ((pos_ < end_ || fill()) && is(buffer_[pos_], kSymbol)) ++pos_;
}

// A string literal ("" stands for one quote) or a quoted symbol, from the
// opening delimiter at pos_ through the closing one.
void Scanner::scanDelimited(char close, Token& t) {
    const char* what = close == '"' ? "a string literal" : "a quoted symbol";
    ++pos_;
    for (;;) {
        if (pos_ == end_ && !fill()) fail(line_, column(), std::string("unexpected end of input inside ") + what);
        char c = buffer_[pos_++];
        if (c == '\n') {
            newline();
        } else if (c == close) {
            if (close != '"' || ((pos_ == end_ && !fill()) || buffer_[pos_] != '"')) break;
            ++pos_;
        } else if (c == '\\' && close == '|') {
            fail(t.line, t.column, "a quoted symbol cannot contain '\\'");
        }
    }
    t.prefix = 1;
    t.suffix = 1;
}

// A numeral or a decimal.
void Scanner::scanNumber(Token& t) {
    while ((pos_ < end_ || fill()) && is(buffer_[pos_], kDigit)) ++pos_;
    size_t integerDigits = pos_ - start_;
    t.kind = TokenKind::Numeral;
    if ((pos_ < end_ || fill()) && buffer_[pos_] == '.') {
        ++pos_;
        size_t fractionStart = pos_;
        while ((pos_ < end_ || fill()) && is(buffer_[pos_], kDigit)) ++pos_;
        if (pos_ == fractionStart) fail(t.line, t.column, "a decimal needs digits after '.'");
        t.kind = TokenKind::Decimal;
    }
    if (integerDigits > 1 && buffer_[start_] == '0') fail(t.line, t.column, "a numeral cannot have a leading zero");
    if ((pos_ < end_ || fill()) && is(buffer_[pos_], kSymbol))
        fail(t.line, t.column, "unexpected " + describe(buffer_[pos_]) + " after a number");
}

// #b followed by binary digits or #x followed by hexadecimal digits.
void Scanner::scanLiteral(Token& t) {
    ++pos_;
    if (pos_ == end_ && !fill()) fail(line_, column(), "unexpected end of input after '#'");
    char base = buffer_[pos_];
    if (base != 'b' && base != 'x') fail(t.line, t.column, "'#' must start a #b or #x literal");
    ++pos_;
    size_t digitsStart = pos_;
    while ((pos_ < end_ || fill()) &&
           (base == 'b' ? (buffer_[pos_] == '0' || buffer_[pos_] == '1') : is(buffer_[pos_], kHex)))
        ++pos_;
    const char* name = base == 'b' ? "binary" : "hexadecimal";
    if (pos_ == digitsStart) fail(t.line, t.column, std::string("a ") + name + " literal needs at least one digit");
    if ((pos_ < end_ || fill()) && is(buffer_[pos_], kSymbol))
        fail(t.line, t.column, "unexpected " + describe(buffer_[pos_]) + " in a " + name + " literal");
    t.kind = base == 'b' ? TokenKind::Binary : TokenKind::Hex;
    t.prefix = 2;
}

void Scanner::appendCapture(const Token& t) {
    if (!capture_->empty() && capture_->back() != '(' && t.kind != TokenKind::RParen) capture_->push_back(' ');
    capture_->append(t.begin, t.size);
}

Token Scanner::next() {
    skipSpaceAndComments();
    start_ = pos_;
    Token t;
    t.line = line_;
    t.column = column();
    if (pos_ == end_ && !fill()) return t;
    char c = buffer_[pos_];
    if (c == '(') {
        ++pos_;
        ++depth_;
        t.kind = TokenKind::LParen;
    } else if (c == ')') {
        ++pos_;
        if (depth_ > 0) --depth_;
        t.kind = TokenKind::RParen;
    } else if (c == '|') {
        scanDelimited('|', t);
        t.kind = TokenKind::Symbol;
    } else if (c == '"') {
        scanDelimited('"', t);
        t.kind = TokenKind::String;
    } else if (c == ':') {
        ++pos_;
        scanSymbolChars();
        if (pos_ == start_ + 1) fail(t.line, t.column, "':' must be followed by a keyword name");
        t.kind = TokenKind::Keyword;
        t.prefix = 1;
    } else if (c == '#') {
        scanLiteral(t);
    } else if (is(c, kDigit)) {
        scanNumber(t);
    } else if (is(c, kSymbol)) {
        scanSymbolChars();
        t.kind = TokenKind::Symbol;
    } else {
        fail(t.line, t.column, "unexpected " + describe(c));
    }
    t.begin = buffer_.get() + start_;
    t.size = pos_ - start_;
    if (capture_ != nullptr) appendCapture(t);
    return t;
}

}  // namespace torva::smt2
