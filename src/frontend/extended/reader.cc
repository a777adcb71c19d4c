// The extended benchmark reader: the benchmark's attributes, declarations
// and formulas, read into the term graph. Formulas and terms are read by one
// loop over an explicit stack of open parentheses (applications, let/flet
// scopes and parenthesised atoms), so nesting depth costs heap, not stack.
//
// Invariants: every open parenthesis has one frame; the operands of the open
// applications lie on one shared stack, each frame's from its `first` on; a
// let/flet name is bound exactly from the end of its bound expression to the
// closing parenthesis of its scope, and the binding it shadowed comes back
// then. Names are case-sensitive and kept as views into the input, which
// outlives the reader; keywords, operators and sorts are read in any letter
// case, as the basic reader's keyword table reads them.
#include <gmpxx.h>

#include <cstring>
#include <deque>
#include <new>
#include <unordered_map>

#include "frontend/extended/benchmark.h"
#include "frontend/extended/operators.h"
#include "frontend/extended/scanner.h"

namespace torva::extended {
namespace {
using terms::Sort;
using terms::SortError;
using terms::TermId;
using terms::TermStore;

struct InputError {
    std::string message;
    uint32_t line;
};

[[noreturn]] void fail(const std::string& message, uint32_t line) { throw InputError{message, line}; }
[[noreturn]] void unexpected(const Token& token) { fail("Syntax error, unexpected " + describe(token), token.line); }

bool foldedEquals(std::string_view word, const char* lower) {
    size_t i = 0;
    for (; i < word.size() && lower[i]; ++i) {
        char c = word[i] >= 'A' && word[i] <= 'Z' ? static_cast<char>(word[i] - 'A' + 'a') : word[i];
        if (c != lower[i]) return false;
    }
    return i == word.size() && !lower[i];
}

bool startsWith(std::string_view word, std::string_view prefix) { return word.substr(0, prefix.size()) == prefix; }

bool onlyDigitsOf(std::string_view s, const char* digits) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::strchr(digits, c)) return false;
    return true;
}

// A name for an error message, cut short when it is long.
std::string quoted(std::string_view word) {
    std::string_view shown = word.substr(0, 60);
    return "'" + std::string(shown) + (shown.size() < word.size() ? "...'" : "'");
}

// The constants spelled as words: true, false, bit0 ... bit9 (the digit's
// low bit, as in the basic reader), bvbin followed by binary digits (one bit
// each) and bvhex followed by hexadecimal digits (four bits each).
bool constantWord(std::string_view word, Sort& sort, mpz_class& value) {
    if (foldedEquals(word, "true") || foldedEquals(word, "false")) {
        sort = terms::kBool;
        value = foldedEquals(word, "true") ? 1 : 0;
        return true;
    }
    if (word.size() == 4 && startsWith(word, "bit") && onlyDigitsOf(word.substr(3), "0123456789")) {
        sort = 1;
        value = (word[3] - '0') % 2;
        return true;
    }
    bool binary = startsWith(word, "bvbin") && onlyDigitsOf(word.substr(5), "01");
    bool hex = startsWith(word, "bvhex") && onlyDigitsOf(word.substr(5), "0123456789abcdefABCDEF");
    if (!binary && !hex) return false;
    std::string digits(word.substr(5));
    uint64_t width = uint64_t(digits.size()) * (binary ? 1 : 4);
    if (width > terms::kMaxWidth) return false;
    sort = static_cast<Sort>(width);
    value.set_str(digits, binary ? 2 : 16);
    return true;
}

// A name that can be declared: no constant spelling that always means a
// constant.
bool reservedName(std::string_view word) {
    return foldedEquals(word, "true") || foldedEquals(word, "false") ||
           (word.size() == 4 && startsWith(word, "bit") && word[3] >= '0' && word[3] <= '9');
}

enum class FrameType : uint8_t { Apply, Group, Let };

struct Frame {
    Frame(FrameType type, uint32_t line, uint32_t first) : type(type), line(line), first(first) {}

    FrameType type;
    uint8_t stage = 0;      // Let: 0 reading the bound expression, 1 the body, 2 done
    bool annotated = false;  // only annotations and ')' may follow
    uint32_t line;          // of the operator, the let, or the opening parenthesis
    uint32_t first;         // this frame's values on the operand stack start here
    const Operator* op = nullptr;
    uint32_t indices[2] = {0, 0};
    std::string_view word;  // Let: the bound name; Group: the word it was opened with
};

struct Binding {
    std::string_view name;
    TermId shadowed;
    bool shadows;
};

class Reader {
public:
    Reader(const char* text, size_t size, TermStore& store, Benchmark& out)
        : scanner_(text, size, out.comments), store_(store), out_(out) {}

    void readBenchmark();

private:
    Token next();
    const Token& peek();
    Token expect(TokenType type);
    uint32_t readNumber(const char* what);
    void skipAnnotationValue();

    void readAttribute(const Token& attribute);
    void readDeclarations(bool predicates);
    void readDeclaration(bool predicates);
    Sort readSort(const Token& word);
    void declare(const Token& name, Sort sort);
    void readAssertion(const Token& attribute);

    TermId readExpression();
    void open(Token paren);
    void openLet(const Token& let, char prefix);
    void openApplication(const Operator& op, const Token& head);
    void pushGroup(uint32_t line, std::string_view word);
    TermId close(const Token& paren);
    void deliver(TermId value, const Token& last);
    void annotate(const Token& attribute);
    TermId atom(const Token& token);
    bool lookUp(std::string_view word, TermId& term);
    TermId numeralConstant(const Token& numeral);
    void bind(std::string_view name, TermId value);
    void unbind();

    Scanner scanner_;
    Token peeked_;
    bool hasPeeked_ = false;
    TermStore& store_;
    Benchmark& out_;
    std::unordered_map<std::string_view, TermId> names_;  // keys point into the input
    std::vector<Binding> bindings_;
    std::deque<Frame> frames_;  // no moves as it grows a million deep
    std::vector<TermId> operands_;
    std::vector<TermId> args_;
};

Token Reader::next() {
    if (hasPeeked_) {
        hasPeeked_ = false;
        return peeked_;
    }
    return scanner_.next();
}

const Token& Reader::peek() {
    if (!hasPeeked_) {
        peeked_ = scanner_.next();
        hasPeeked_ = true;
    }
    return peeked_;
}

Token Reader::expect(TokenType type) {
    Token token = next();
    if (token.type != type) unexpected(token);
    return token;
}

// Text that runs to the end of the input ends it, as in the basic reader.
bool endsInput(const Token& token) {
    return token.type == TokenType::End ||
           ((token.type == TokenType::String || token.type == TokenType::UserValue) && !token.closed);
}

void requireClosed(const Token& token) {
    if (token.closed) return;
    fail(token.type == TokenType::String ? "unterminated string" : "unterminated user value", token.line);
}

// Widths, indices and counts are read by their magnitude (a '-' sign is
// ignored, as in the basic reader).
uint32_t Reader::readNumber(const char* what) {
    Token number = expect(TokenType::Numeral);
    std::string_view digits = number.text;
    if (digits[0] == '-' || digits[0] == '+') digits.remove_prefix(1);
    while (digits.size() > 1 && digits[0] == '0') digits.remove_prefix(1);
    uint64_t value = 0;
    for (char c : digits) {
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > UINT32_MAX)
            fail(std::string(what) + " " + std::string(number.text.substr(0, 40)) + " is too large", number.line);
    }
    return static_cast<uint32_t>(value);
}

void Reader::skipAnnotationValue() {
    if (peek().type == TokenType::UserValue) requireClosed(next());
}

void Reader::readBenchmark() {
    Token token = next();
    if (endsInput(token)) return;
    if (token.type != TokenType::LParen) unexpected(token);
    token = next();
    if (token.type != TokenType::Word || !foldedEquals(token.text, "benchmark")) unexpected(token);
    expect(TokenType::Word);
    for (token = next(); token.type != TokenType::RParen; token = next()) {
        if (token.type != TokenType::Attribute) unexpected(token);
        readAttribute(token);
    }
    token = next();
    if (!endsInput(token)) fail("Syntax error, unexpected " + describe(token) + " after the benchmark", token.line);
}

void Reader::readAttribute(const Token& attribute) {
    std::string_view name = attribute.text;
    if (foldedEquals(name, ":logic")) {
        Token logic = expect(TokenType::Word);
        if (logic.text != "QF_BV") fail("logic " + quoted(logic.text) + " is not supported (only QF_BV)", logic.line);
    } else if (foldedEquals(name, ":extrafuns")) {
        readDeclarations(false);
    } else if (foldedEquals(name, ":extrapreds")) {
        readDeclarations(true);
    } else if (foldedEquals(name, ":extrasorts")) {
        fail("extrasorts attribute not supported", attribute.line);
    } else if (foldedEquals(name, ":assumption") || foldedEquals(name, ":formula")) {
        readAssertion(attribute);
    } else if (foldedEquals(name, ":status")) {
        Token status = expect(TokenType::Word);
        bool known = status.text == "sat" || status.text == "unsat" || status.text == "unknown";
        out_.status = known ? std::string(status.text) : std::string();
    } else {
        TokenType value = peek().type;
        if (value == TokenType::UserValue || value == TokenType::String || value == TokenType::Word ||
            value == TokenType::Numeral)
            requireClosed(next());
    }
}

void Reader::readDeclarations(bool predicates) {
    expect(TokenType::LParen);
    for (Token token = next(); token.type != TokenType::RParen; token = next()) {
        if (token.type != TokenType::LParen) unexpected(token);
        readDeclaration(predicates);
    }
}

// (name sort... annotation...): a function has one sort, a predicate none.
void Reader::readDeclaration(bool predicates) {
    Token name = expect(TokenType::Word);
    if (name.text[0] == '?' || name.text[0] == '$' || name.text == "=") unexpected(name);
    std::vector<Sort> sorts;
    bool annotated = false;
    for (Token token = next(); token.type != TokenType::RParen; token = next()) {
        if (token.type == TokenType::Attribute) {
            annotated = true;
            skipAnnotationValue();
        } else if (token.type == TokenType::Word && !annotated) {
            sorts.push_back(readSort(token));
        } else {
            unexpected(token);
        }
    }
    if (sorts.size() > (predicates ? 0u : 1u)) fail("uninterpreted functions not supported", name.line);
    if (sorts.empty() && !predicates) fail("function " + quoted(name.text) + " has no sort", name.line);
    declare(name, predicates ? terms::kBool : sorts[0]);
}

Sort Reader::readSort(const Token& word) {
    if (foldedEquals(word.text, "bool")) return terms::kBool;
    if (!foldedEquals(word.text, "bitvec")) fail("unknown sort " + quoted(word.text), word.line);
    expect(TokenType::LBracket);
    uint32_t width = readNumber("width");
    expect(TokenType::RBracket);
    if (width == 0 || width > terms::kMaxWidth)
        fail("bit-vector width " + std::to_string(width) + " is not between 1 and " + std::to_string(terms::kMaxWidth),
             word.line);
    return width;
}

void Reader::declare(const Token& name, Sort sort) {
    if (reservedName(name.text)) fail(quoted(name.text) + " is a constant and cannot be declared", name.line);
    if (names_.count(name.text)) fail(quoted(name.text) + " is declared twice", name.line);
    std::string text(name.text);
    TermId variable = store_.mkVar(sort, text);
    names_.emplace(name.text, variable);
    out_.declarations.push_back({std::move(text), variable});
}

void Reader::readAssertion(const Token& attribute) {
    uint32_t line = peek().line;
    TermId formula = asFormula(store_, readExpression());
    if (!store_.isBool(formula))
        fail("the " + std::string(attribute.text.substr(1)) + " is a " + sortName(store_.sort(formula)) +
                 " term, not a formula",
             line);
    out_.assertions.push_back(formula);
}

TermId Reader::readExpression() {
    for (;;) {
        Token token = next();
        TermId value;
        switch (token.type) {
            case TokenType::LParen: open(token); continue;
            case TokenType::RParen:
                if (frames_.empty()) unexpected(token);
                value = close(token);
                break;
            case TokenType::Attribute:
                if (frames_.empty()) unexpected(token);
                annotate(token);
                continue;
            case TokenType::Word:
            case TokenType::Numeral: value = atom(token); break;
            default: unexpected(token);
        }
        if (frames_.empty()) return value;
        deliver(value, token);
    }
}

// After '(': nested parentheses, a let or flet, an operator, or an atom
// with annotations.
void Reader::open(Token paren) {
    Token head = next();
    while (head.type == TokenType::LParen) {
        pushGroup(paren.line, {});
        paren = head;
        head = next();
    }
    if (head.type == TokenType::Numeral) {
        pushGroup(paren.line, {});
        operands_.push_back(numeralConstant(head));
        return;
    }
    if (head.type != TokenType::Word) unexpected(head);
    if (foldedEquals(head.text, "let")) return openLet(head, '?');
    if (foldedEquals(head.text, "flet")) return openLet(head, '$');
    if (const Operator* op = findOperator(head.text)) return openApplication(*op, head);
    TermId value;
    if (!lookUp(head.text, value)) fail("unknown operator " + quoted(head.text), head.line);
    pushGroup(paren.line, head.text);
    operands_.push_back(value);
}

void Reader::pushGroup(uint32_t line, std::string_view word) {
    Frame frame(FrameType::Group, line, static_cast<uint32_t>(operands_.size()));
    frame.word = word;
    frames_.push_back(frame);
}

// (let (?x t) body) and (flet ($f F) body).
void Reader::openLet(const Token& let, char prefix) {
    expect(TokenType::LParen);
    Token name = next();
    if (name.type != TokenType::Word || name.text[0] != prefix)
        fail("Syntax error, " + std::string(let.text) + " binds a name starting with '" + prefix + "', found " +
                 describe(name),
             name.line);
    Frame frame(FrameType::Let, let.line, static_cast<uint32_t>(operands_.size()));
    frame.word = name.text;
    frames_.push_back(frame);
}

void Reader::openApplication(const Operator& op, const Token& head) {
    Frame frame(FrameType::Apply, head.line, static_cast<uint32_t>(operands_.size()));
    frame.op = &op;
    if (op.numIndices > 0) {
        expect(TokenType::LBracket);
        frame.indices[0] = readNumber("index");
        if (op.numIndices > 1) {
            expect(TokenType::Colon);
            frame.indices[1] = readNumber("index");
        }
        expect(TokenType::RBracket);
    }
    frames_.push_back(frame);
}

TermId Reader::close(const Token& paren) {
    Frame frame = frames_.back();
    frames_.pop_back();
    auto firstOperand = operands_.begin() + frame.first;
    if (frame.type == FrameType::Apply) {
        args_.assign(firstOperand, operands_.end());
        operands_.erase(firstOperand, operands_.end());
        try {
            return applyOperator(store_, *frame.op, args_, frame.indices);
        } catch (const SortError& error) {
            fail(error.what(), frame.line);
        }
    }
    if (firstOperand == operands_.end() || (frame.type == FrameType::Let && frame.stage != 2)) unexpected(paren);
    TermId value = *firstOperand;
    operands_.erase(firstOperand, operands_.end());
    if (frame.type == FrameType::Let) unbind();
    return value;
}

void Reader::deliver(TermId value, const Token& last) {
    Frame& frame = frames_.back();
    if (frame.annotated) fail("Syntax error, operand after an annotation", last.line);
    switch (frame.type) {
        case FrameType::Apply: break;
        case FrameType::Group:
            if (operands_.size() > frame.first) {
                if (frame.word.empty()) fail("Syntax error, a parenthesised term takes one operand", last.line);
                fail(quoted(frame.word) + " is not an operator", frame.line);
            }
            break;
        case FrameType::Let:
            if (frame.stage == 0) {
                Token paren = next();
                if (paren.type != TokenType::RParen) unexpected(paren);
                bind(frame.word, value);
                frame.stage = 1;
                return;
            }
            if (frame.stage == 2) fail("Syntax error, " + quoted(frame.word) + " has its body already", last.line);
            frame.stage = 2;
            break;
    }
    operands_.push_back(value);
}

void Reader::annotate(const Token& attribute) {
    Frame& frame = frames_.back();
    bool ready = frame.type == FrameType::Apply ||
                 (frame.type == FrameType::Group && operands_.size() > frame.first) ||
                 (frame.type == FrameType::Let && frame.stage == 2);
    if (!ready) unexpected(attribute);
    frame.annotated = true;
    skipAnnotationValue();
}

bool Reader::lookUp(std::string_view word, TermId& term) {
    auto it = names_.find(word);
    if (it != names_.end()) {
        term = it->second;
        return true;
    }
    Sort sort;
    mpz_class value;
    if (!constantWord(word, sort, value)) return false;
    term = sort == terms::kBool ? store_.mkBool(value != 0) : store_.mkConst(sort, value);
    return true;
}

TermId Reader::atom(const Token& token) {
    if (token.type == TokenType::Numeral) return numeralConstant(token);
    TermId term;
    if (lookUp(token.text, term)) return term;
    if (findOperator(token.text) || foldedEquals(token.text, "let") || foldedEquals(token.text, "flet"))
        fail(quoted(token.text) + " needs operands: write (" + std::string(token.text) + " ...)", token.line);
    fail("unknown name " + quoted(token.text), token.line);
}

// N[w] and bvN[w]; a numeral without a width is a 32-bit constant. Values
// are taken modulo 2^w, as the basic reader keeps only the low bits.
TermId Reader::numeralConstant(const Token& numeral) {
    std::string_view digits = numeral.text;
    if (digits[0] == '+') digits.remove_prefix(1);
    mpz_class value(std::string(digits), 10);
    if (value < 0) fail("the constant " + std::string(numeral.text) + " is negative", numeral.line);
    uint32_t width = 32;
    if (peek().type == TokenType::LBracket) {
        next();
        width = readNumber("width");
        expect(TokenType::RBracket);
    }
    if (width == 0 || width > terms::kMaxWidth)
        fail("bit-vector width " + std::to_string(width) + " is not between 1 and " + std::to_string(terms::kMaxWidth),
             numeral.line);
    mpz_fdiv_r_2exp(value.get_mpz_t(), value.get_mpz_t(), width);
    return store_.mkConst(width, value);
}

void Reader::bind(std::string_view name, TermId value) {
    auto [it, inserted] = names_.try_emplace(name, value);
    bindings_.push_back({it->first, inserted ? value : it->second, !inserted});
    it->second = value;
}

void Reader::unbind() {
    const Binding& binding = bindings_.back();
    if (binding.shadows)
        names_[binding.name] = binding.shadowed;
    else
        names_.erase(binding.name);
    bindings_.pop_back();
}
}  // namespace

bool parseBenchmark(const char* text, size_t size, const std::string& fileName, TermStore& store, Benchmark& out,
                    std::string& error) {
    std::string message;
    uint32_t line = 0;
    try {
        Reader reader(text, size, store, out);
        reader.readBenchmark();
        return true;
    } catch (const InputError& e) {
        message = e.message;
        line = e.line;
    } catch (const std::bad_alloc&) {
        message = "out of memory while reading the benchmark";
    }
    error = "ERROR: " + message + " at " + fileName + ":" + std::to_string(line);
    return false;
}

}  // namespace torva::extended
