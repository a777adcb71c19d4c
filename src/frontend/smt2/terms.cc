// Reading terms and sorts into the term graph. parseTerm never recurses: a
// term that opens a construct pushes a frame and continues with the next
// token, a finished term is handed to the frame on top, which either waits
// for more (operands, bindings) or completes and hands its own result down.
// Let bindings are parsed in the outer scope and activated together when the
// binding list closes; a defined function's application is its body with the
// parameters substituted.
#include <gmpxx.h>

#include <cstring>
#include <limits>
#include <stdexcept>
#include <unordered_map>

#include "frontend/smt2/session.h"
#include "terms/substitute.h"

namespace torva::smt2 {
namespace {

// Long literals are cut in messages.
std::string shortened(std::string_view text) {
    constexpr size_t kMax = 24;
    if (text.size() <= kMax) return std::string(text);
    return std::string(text.substr(0, kMax)) + "...";
}

// The value of a numeral, or false when it exceeds max.
bool numeralAtMost(std::string_view digits, uint64_t max, uint64_t& value) {
    value = 0;
    for (char c : digits) {
        uint64_t d = static_cast<uint64_t>(c - '0');
        if (value > (max - d) / 10) return false;
        value = value * 10 + d;
    }
    return true;
}

bool isBvConstantName(std::string_view name) {
    if (name.size() < 3 || name[0] != 'b' || name[1] != 'v') return false;
    for (size_t i = 2; i < name.size(); i++)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

std::string plural(uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string Session::sortName(Sort sort) const { return store_->sortName(sort); }

std::string Session::symbolText(uint32_t symbol) const {
    std::string_view name = symbols_.name(symbol);
    if (isSimpleSymbol(name)) return std::string(name);
    return "|" + std::string(name) + "|";
}

Sort Session::readWidth(const Token& t) {
    if (t.kind != TokenKind::Numeral) fail(t, "expected a bit-vector width");
    uint64_t width;
    if (!numeralAtMost(t.text(), terms::kMaxWidth, width) || width == 0)
        fail(t, "bit-vector width " + shortened(t.text()) + " is out of range (1 to " +
                    std::to_string(terms::kMaxWidth) + ")");
    return static_cast<Sort>(width);
}

uint32_t Session::readIndex(const Token& t) {
    uint64_t value;
    if (!numeralAtMost(t.text(), std::numeric_limits<uint32_t>::max(), value))
        fail(t, "index " + shortened(t.text()) + " is too large");
    return static_cast<uint32_t>(value);
}

uint64_t Session::readCount(const Token& t) {
    uint64_t value;
    if (!numeralAtMost(t.text(), std::numeric_limits<uint32_t>::max(), value))
        fail(t, "numeral " + shortened(t.text()) + " is too large");
    return value;
}

Sort Session::parseSort(Token t) {
    if (t.kind == TokenKind::Symbol) {
        uint32_t s = symbolId(t);
        const Symbol& sym = symbols_[s];
        if (sym.word == Word::Bool) return terms::kBool;
        if (sym.sort >= 0) return sorts_[sym.sort].sort;
        if (sym.word == Word::BitVec) fail(t, "BitVec needs a width, as in (_ BitVec 8)");
        fail(t, "unknown sort " + symbolText(s));
    }
    if (t.kind != TokenKind::LParen) fail(t, "expected a sort");
    Token u = expect(TokenKind::Symbol, "'_' in a sort");
    if (symbols_[symbolId(u)].word == Word::Array) return arraySort(u);
    if (symbols_[symbolId(u)].word != Word::Underscore) fail(u, "expected '_' in a sort");
    Token b = expect(TokenKind::Symbol, "BitVec");
    uint32_t s = symbolId(b);
    if (symbols_[s].word != Word::BitVec) fail(b, "unknown sort " + symbolText(s));
    Sort width = readWidth(next());
    expectClose();
    return width;
}

// (Array index element), after "(Array".
Sort Session::arraySort(const Token& head) {
    if (!arraysAllowed_) fail(head, "arrays are not part of the logic " + logic_);
    Sort index = parseSort(next());
    Sort element = parseSort(next());
    expectClose();
    try {
        return store_->mkArraySort(index, element);
    } catch (const terms::SortError& e) {
        fail(head, e.what());
    }
}

TermId Session::parseTerm(Token t) {
    const size_t bottom = frames_.size();
    for (;;) {
        TermId value;
        if (!startTerm(t, value)) {
            t = next();
            continue;
        }
        // Hand the finished term down until a frame needs another term.
        for (;;) {
            if (frames_.size() == bottom) return value;
            Frame& f = frames_.back();
            if (f.kind == FrameKind::Apply) {
                operands_.push_back(value);
                t = next();
                if (t.kind != TokenKind::RParen) break;
                value = finishApplication();
            } else if (f.kind == FrameKind::LetBinding) {
                bindings_.back().term = value;
                expectClose();
                t = next();
                if (t.kind == TokenKind::LParen) {
                    openBinding();
                } else if (t.kind == TokenKind::RParen) {
                    activateBindings(f.base, f.line, f.column);
                    f.kind = FrameKind::LetBody;
                } else {
                    fail(t, "expected '(' or ')' in the bindings of let");
                }
                t = next();
                break;
            } else if (f.kind == FrameKind::LetBody) {
                expectClose();
                closeBindings(f.base);
                frames_.pop_back();
            } else {
                frames_.pop_back();
                readAttributes(value);
            }
        }
    }
}

// Starts the term whose first token is t: true with the value when the term
// is complete, false when a frame was opened and waits for its next token.
bool Session::startTerm(const Token& t, TermId& value) {
    switch (t.kind) {
        case TokenKind::Symbol: value = atom(t); return true;
        case TokenKind::Binary:
        case TokenKind::Hex: value = literal(t); return true;
        case TokenKind::RParen:
            if (!frames_.empty() && frames_.back().kind == FrameKind::Apply &&
                operands_.size() == frames_.back().base) {
                value = finishApplication();  // reports the missing operands
                return true;
            }
            fail(t, "expected a term");
        case TokenKind::Numeral: fail(t, "a numeral is not a term here; write #b..., #x... or (_ bvN w)");
        case TokenKind::Decimal: fail(t, "decimals are not terms of QF_BV");
        case TokenKind::String: fail(t, "string literals are not terms of QF_BV");
        case TokenKind::Keyword: fail(t, "expected a term, not a keyword");
        case TokenKind::End: fail(t, "unexpected end of input");
        case TokenKind::LParen: break;
    }
    Token head = next();
    if (head.kind == TokenKind::LParen) {
        openIndexedApplication(t, head);
        return false;
    }
    if (head.kind != TokenKind::Symbol) fail(head, "expected an operator or a function after '('");
    uint32_t s = symbolId(head);
    switch (symbols_[s].word) {
        case Word::Let: openLet(t); return false;
        case Word::Bang: {
            Frame f{};
            f.kind = FrameKind::Named;
            f.line = t.line;
            f.column = t.column;
            frames_.push_back(f);
            return false;
        }
        case Word::Underscore: value = indexedConstant(); return true;
        case Word::Forall:
        case Word::Exists: fail(head, "quantifiers are not supported in QF_BV");
        case Word::As:
        case Word::Match:
        case Word::Par: fail(head, symbolText(s) + " is not supported in QF_BV");
        default: openApplication(t, head, s); return false;
    }
}

TermId Session::atom(const Token& t) {
    uint32_t s = symbolId(t);
    const Symbol& sym = symbols_[s];
    if (sym.let >= 0) return bindings_[sym.let].term;
    if (sym.fun >= 0) {
        const Function& f = functions_[sym.fun];
        if (f.paramCount > 0)
            fail(t, symbolText(s) + " expects " + plural(f.paramCount, "argument", "arguments") + ", got 0");
        return f.term;
    }
    if (sym.word == Word::True) return store_->mkBool(true);
    if (sym.word == Word::False) return store_->mkBool(false);
    if (sym.isOperator) fail(t, symbolText(s) + " must be applied to operands");
    if (sym.word == Word::Bool || sym.word == Word::BitVec) fail(t, symbolText(s) + " is a sort, not a term");
    if (sym.word != Word::None) fail(t, symbolText(s) + " is a reserved word, not a term");
    fail(t, "unknown symbol " + symbolText(s));
}

TermId Session::literal(const Token& t) {
    std::string_view digits = t.text();
    const bool binary = t.kind == TokenKind::Binary;
    const uint64_t bitsPerDigit = binary ? 1 : 4;
    if (digits.size() > terms::kMaxWidth / bitsPerDigit)
        fail(t, "the literal is wider than " + std::to_string(terms::kMaxWidth) + " bits");
    auto width = static_cast<Sort>(digits.size() * bitsPerDigit);
    mpz_class value;
    if (width <= 64) {
        uint64_t v = 0;
        for (char c : digits) {
            uint64_t d = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
            v = (v << bitsPerDigit) | d;
        }
        static_assert(sizeof(unsigned long) >= sizeof(uint64_t), "64-bit values fit an unsigned long");
        mpz_set_ui(value.get_mpz_t(), static_cast<unsigned long>(v));
    } else {
        value.set_str(std::string(digits), binary ? 2 : 16);
    }
    return store_->mkConst(width, value);
}

// (_ bvN w), after "(_".
TermId Session::indexedConstant() {
    Token n = expect(TokenKind::Symbol, "an identifier after '_'");
    if (!isBvConstantName(n.text())) {
        uint32_t s = symbolId(n);
        const Symbol& sym = symbols_[s];
        if (sym.isOperator && terms::kindInfo(sym.op).numIndices > 0)
            fail(n, symbolText(s) + " is an operator: apply it as ((_ " + symbolText(s) + " ...) t)");
        fail(n, "unknown indexed identifier " + symbolText(s));
    }
    std::string digits(n.text().substr(2));
    Sort width = readWidth(next());
    expectClose();
    mpz_class value(digits, 10);
    if (mpz_sizeinbase(value.get_mpz_t(), 2) > width)
        fail(n, "bv" + shortened(digits) + " does not fit in " + plural(width, "bit", "bits"));
    return store_->mkConst(width, value);
}

// (let (, the first binding's '(' still to come.
void Session::openLet(const Token& open) {
    expect(TokenKind::LParen, "'(' after let");
    Frame f{};
    f.kind = FrameKind::LetBinding;
    f.line = open.line;
    f.column = open.column;
    f.base = static_cast<uint32_t>(bindings_.size());
    frames_.push_back(f);
    Token t = next();
    if (t.kind == TokenKind::RParen) fail(t, "let needs at least one binding");
    if (t.kind != TokenKind::LParen) fail(t, "expected '(' starting a binding");
    openBinding();
}

// The variable of a binding whose '(' was read; its term comes next.
void Session::openBinding() {
    Token v = expect(TokenKind::Symbol, "a variable name");
    uint32_t s = symbolId(v);
    if (symbols_[s].word != Word::None) fail(v, "let cannot bind the reserved word " + symbolText(s));
    if (bindings_.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw std::length_error("too many let bindings");
    ++symbols_[s].pending;
    bindings_.push_back({s, 0, -1});
}

void Session::activateBindings(uint32_t base, uint32_t line, uint32_t column) {
    for (size_t i = base; i < bindings_.size(); i++) {
        Binding& b = bindings_[i];
        Symbol& sym = symbols_[b.symbol];
        --sym.pending;
        if (sym.let >= static_cast<int32_t>(base)) fail(line, column, symbolText(b.symbol) + " is bound twice");
        b.previous = sym.let;
        sym.let = static_cast<int32_t>(i);
    }
}

// After an error: every binding on the stack leaves scope, whether it was
// active (the symbol's innermost binding) or still pending.
void Session::abandonBindings() {
    for (size_t i = bindings_.size(); i > 0; i--) {
        const Binding& b = bindings_[i - 1];
        Symbol& sym = symbols_[b.symbol];
        if (sym.let == static_cast<int32_t>(i - 1))
            sym.let = b.previous;
        else if (sym.pending > 0)
            --sym.pending;
        symbols_.releaseIfLastAndUnused(b.symbol);
    }
    bindings_.clear();
}

void Session::closeBindings(uint32_t base) {
    for (size_t i = bindings_.size(); i > base; i--) {
        const Binding& b = bindings_[i - 1];
        symbols_[b.symbol].let = b.previous;
        symbols_.releaseIfLastAndUnused(b.symbol);
    }
    bindings_.resize(base);
}

void Session::openApplication(const Token& open, const Token& head, uint32_t s) {
    const Symbol& sym = symbols_[s];
    Frame f{};
    f.kind = FrameKind::Apply;
    f.line = open.line;
    f.column = open.column;
    f.base = static_cast<uint32_t>(operands_.size());
    if (sym.let >= 0) fail(head, symbolText(s) + " is not a function");
    if (sym.fun >= 0) {
        if (functions_[sym.fun].paramCount == 0) fail(head, symbolText(s) + " is not a function");
        f.isFunction = true;
        f.function = static_cast<uint32_t>(sym.fun);
    } else if (sym.isOperator) {
        if (terms::kindInfo(sym.op).numIndices > 0)
            fail(head, symbolText(s) + " needs indices: write ((_ " + symbolText(s) + " ...) t)");
        f.op = sym.op;
    } else if (sym.word != Word::None) {
        fail(head, symbolText(s) + " is not a function");
    } else {
        fail(head, "unknown symbol " + symbolText(s));
    }
    frames_.push_back(f);
}

// ((_ name index...) operand...), after the two opening parentheses.
void Session::openIndexedApplication(const Token& open, const Token& inner) {
    Token u = expect(TokenKind::Symbol, "'_' starting an indexed operator");
    if (symbols_[symbolId(u)].word == Word::As) {
        openConstantArray(open, u);
        return;
    }
    if (symbols_[symbolId(u)].word != Word::Underscore) fail(u, "expected '_' starting an indexed operator");
    Token n = expect(TokenKind::Symbol, "an indexed operator name");
    uint32_t s = symbolId(n);
    const Symbol& sym = symbols_[s];
    if (!sym.isOperator || terms::kindInfo(sym.op).numIndices == 0) {
        if (isBvConstantName(n.text())) fail(n, "(_ " + symbolText(s) + " ...) is a constant, not an operator");
        fail(n, "unknown indexed operator " + symbolText(s));
    }
    Frame f{};
    f.kind = FrameKind::Apply;
    f.op = sym.op;
    f.line = open.line;
    f.column = open.column;
    f.base = static_cast<uint32_t>(operands_.size());
    const unsigned wanted = terms::kindInfo(sym.op).numIndices;
    uint64_t got = 0;
    for (Token t = next(); t.kind != TokenKind::RParen; t = next()) {
        if (t.kind != TokenKind::Numeral) fail(t, "expected a numeral index of " + symbolText(s));
        uint32_t index = readIndex(t);
        if (got < 2) f.indices[got] = index;
        ++got;
    }
    if (got != wanted)
        fail(inner, symbolText(s) + " expects " + plural(wanted, "index", "indices") + ", got " + std::to_string(got));
    f.numIndices = static_cast<uint8_t>(wanted);
    frames_.push_back(f);
}

// ((as const (Array I E)) e), after "((as".
void Session::openConstantArray(const Token& open, const Token& as) {
    Token c = expect(TokenKind::Symbol, "const after as");
    if (symbols_[symbolId(c)].word != Word::Const) fail(c, "only (as const ...) is supported");
    Token sortStart = next();
    Sort sort = parseSort(sortStart);
    expectClose();
    if (!store_->isArraySort(sort)) fail(sortStart, "(as const ...) needs an array sort, got " + sortName(sort));
    (void)as;
    Frame f{};
    f.kind = FrameKind::Apply;
    f.op = terms::Kind::ConstArray;
    f.line = open.line;
    f.column = open.column;
    f.base = static_cast<uint32_t>(operands_.size());
    f.indices[0] = sort;
    f.numIndices = 1;
    frames_.push_back(f);
}

// Completes the application on top of the frame stack, its ')' read.
TermId Session::finishApplication() {
    const Frame f = frames_.back();
    frames_.pop_back();
    const TermId* args = operands_.data() + f.base;
    const size_t numArgs = operands_.size() - f.base;
    TermId result;
    if (f.isFunction) {
        result = applyFunction(f, args, numArgs);
    } else {
        const terms::KindInfo& info = terms::kindInfo(f.op);
        const bool nary = info.chain != terms::Chain::None;
        const std::string name = f.op == terms::Kind::ConstArray ? "(as const " + sortName(f.indices[0]) + ")" : info.name;
        if (nary ? numArgs < info.minArgs : numArgs != info.minArgs)
            fail(f.line, f.column,
                 name + " expects " + (nary ? "at least " : "") +
                     plural(info.minArgs, "operand", "operands") + ", got " + std::to_string(numArgs));
        try {
            result = store_->mk(f.op, args, numArgs, f.indices, f.numIndices);
        } catch (const terms::SortError& e) {
            fail(f.line, f.column, e.what());
        }
    }
    operands_.resize(f.base);
    return result;
}

TermId Session::applyFunction(const Frame& f, const TermId* args, size_t numArgs) {
    const Function& fn = functions_[f.function];
    const std::string name = symbolText(fn.symbol);
    if (numArgs != fn.paramCount)
        fail(f.line, f.column,
             name + " expects " + plural(fn.paramCount, "argument", "arguments") + ", got " + std::to_string(numArgs));
    if (fn.kind == FunctionKind::Declared) {
        std::vector<TermId> operands{fn.term};
        operands.insert(operands.end(), args, args + numArgs);
        try {
            return store_->mk(terms::Kind::Apply, operands);
        } catch (const terms::SortError& e) {
            fail(f.line, f.column, e.what());
        }
    }
    std::unordered_map<TermId, TermId> replacement;
    replacement.reserve(numArgs);
    for (size_t i = 0; i < numArgs; i++) {
        TermId param = params_[fn.paramBegin + i];
        if (store_->sort(args[i]) != store_->sort(param))
            fail(f.line, f.column,
                 "argument " + std::to_string(i + 1) + " of " + name + " must have sort " +
                     sortName(store_->sort(param)) + ", got " + sortName(store_->sort(args[i])));
        replacement.emplace(param, args[i]);
    }
    return terms::substitute(*store_, fn.term, replacement);
}

// The attributes of (! t ...), after t; :named defines a name for t.
void Session::readAttributes(TermId value) {
    Token t = next();
    if (t.kind == TokenKind::RParen) fail(t, "an annotation needs at least one attribute");
    while (t.kind != TokenKind::RParen) {
        if (t.kind != TokenKind::Keyword) fail(t, "expected an attribute keyword or ')'");
        const bool named = t.text() == "named";
        Token v = next();
        if (named) {
            if (v.kind != TokenKind::Symbol) fail(v, "expected a name after :named");
            if (inParameterizedBody_) fail(v, ":named cannot be used in the body of a function with parameters");
            uint32_t s = symbolId(v);
            checkDeclarable(s, v);
            addFunction(s, FunctionKind::Named, value, 0, 0);
            t = next();
        } else if (v.kind == TokenKind::Keyword || v.kind == TokenKind::RParen) {
            t = v;
        } else {
            skipValue(v);
            t = next();
        }
    }
}

}  // namespace torva::smt2
