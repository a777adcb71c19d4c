// Tokens of the extended reader. The longest match wins, as in the basic
// reader's scanner: "bv5x" is a word, "1x" the numeral 1 and the word x, and
// "bit12" a word. Carriage returns count as white space here.
#include "frontend/extended/scanner.h"

#include <cstdio>

namespace torva::extended {
namespace {
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isWordChar(char c) { return isLetter(c) || isDigit(c) || c == '_' || c == '.' || c == '\''; }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!isDigit(c)) return false;
    return true;
}
}  // namespace

Scanner::Scanner(const char* text, size_t size, std::vector<std::string>& comments)
    : text_(text), size_(size), comments_(comments) {}

void Scanner::skipSpaceAndComments() {
    while (!atEnd()) {
        char c = text_[pos_];
        if (isSpace(c)) {
            if (c == '\n') ++line_;
            ++pos_;
        } else if (c == ';') {
            size_t start = ++pos_;
            while (!atEnd() && text_[pos_] != '\n') ++pos_;
            if (atEnd()) return;
            comments_.emplace_back(text_ + start, pos_ - start);
            ++pos_;
            ++line_;
        } else {
            return;
        }
    }
}

void Scanner::scanWordChars() {
    while (!atEnd() && isWordChar(text_[pos_])) ++pos_;
}

Token Scanner::scanWord(Token token) {
    size_t start = pos_;
    if (!isLetter(text_[pos_])) ++pos_;  // the ':', '?' or '$' prefix
    scanWordChars();
    token.text = std::string_view(text_ + start, pos_ - start);
    token.type = text_[start] == ':' ? TokenType::Attribute : TokenType::Word;
    if (token.text.size() > 2 && token.text.substr(0, 2) == "bv" && allDigits(token.text.substr(2))) {
        token.type = TokenType::Numeral;
        token.text.remove_prefix(2);
    }
    return token;
}

Token Scanner::scanNumeral(Token token) {
    size_t start = pos_++;
    while (!atEnd() && isDigit(text_[pos_])) ++pos_;
    token.type = TokenType::Numeral;
    token.text = std::string_view(text_ + start, pos_ - start);
    return token;
}

Token Scanner::scanString(Token token) {
    size_t start = ++pos_;
    while (!atEnd() && text_[pos_] != '"') {
        if (text_[pos_] == '\n') ++line_;
        ++pos_;
    }
    token.type = TokenType::String;
    token.text = std::string_view(text_ + start, pos_ - start);
    token.closed = !atEnd();
    if (token.closed) ++pos_;
    return token;
}

Token Scanner::scanUserValue(Token token) {
    size_t start = ++pos_;
    while (!atEnd() && text_[pos_] != '}') {
        if (text_[pos_] == '\\') {
            while (!atEnd() && text_[pos_] == '\\') ++pos_;
            if (!atEnd() && text_[pos_] == '}') ++pos_;
            continue;
        }
        if (text_[pos_] == '\n') ++line_;
        ++pos_;
    }
    token.type = TokenType::UserValue;
    token.text = std::string_view(text_ + start, pos_ - start);
    token.closed = !atEnd();
    if (token.closed) ++pos_;
    return token;
}

Token Scanner::next() {
    skipSpaceAndComments();
    Token token;
    token.line = line_;
    if (atEnd()) return token;
    char c = text_[pos_];
    if (isLetter(c) || ((c == ':' || c == '?' || c == '$') && isLetter(peekChar(1)))) return scanWord(token);
    if (isDigit(c) || ((c == '-' || c == '+') && isDigit(peekChar(1)))) return scanNumeral(token);
    if (c == '"') return scanString(token);
    if (c == '{') return scanUserValue(token);
    token.text = std::string_view(text_ + pos_, 1);
    ++pos_;
    switch (c) {
        case '(': token.type = TokenType::LParen; break;
        case ')': token.type = TokenType::RParen; break;
        case '[': token.type = TokenType::LBracket; break;
        case ']': token.type = TokenType::RBracket; break;
        case ':': token.type = TokenType::Colon; break;
        case '=': token.type = TokenType::Word; break;
        default: token.type = TokenType::Invalid; break;
    }
    return token;
}

std::string describe(const Token& token) {
    switch (token.type) {
        case TokenType::End: return "end of input";
        case TokenType::String: return "a string";
        case TokenType::UserValue: return "a user value";
        case TokenType::Invalid: {
            unsigned char c = static_cast<unsigned char>(token.text[0]);
            if (c >= 32 && c < 127) return std::string("character '") + token.text[0] + "'";
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            return std::string("character ") + code;
        }
        default: break;
    }
    std::string_view shown = token.text.substr(0, 40);
    std::string text = "'" + std::string(shown) + (shown.size() < token.text.size() ? "...'" : "'");
    return token.type == TokenType::Numeral ? "numeral " + text : text;
}

}  // namespace torva::extended
