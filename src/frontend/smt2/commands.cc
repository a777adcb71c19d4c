// The commands of an SMT-LIB 2 script. A command is read completely, up to
// its closing parenthesis, before it takes effect, and every response is
// flushed at once. A model is kept from a sat answer until the next command
// that changes the assertion stack; the exit status follows the last
// check-sat answer. Under continued execution a failed command that would
// have changed the assertions leaves the problem weaker than the one sent:
// until a pop below its scope or a reset, sat is answered unknown.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "containers/memory.h"
#include "frontend/smt2/session.h"
#include "terms/evaluator.h"

namespace torva::smt2 {
namespace {

std::string unescapeString(std::string_view text) {
    std::string s;
    for (size_t i = 0; i < text.size(); i++) {
        s.push_back(text[i]);
        if (text[i] == '"') i++;  // "" stands for one quote
    }
    return s;
}

// Megabytes with two decimals, as statistics give memory.
std::string megabytes(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

std::string quoted(std::string_view text) {
    std::string s = "\"";
    for (char c : text) {
        if (c == '"') s.push_back('"');
        s.push_back(c);
    }
    return s + "\"";
}

Failure failureOf(Word command) {
    switch (command) {
        case Word::Assert:
        case Word::DeclareFun:
        case Word::DeclareConst:
        case Word::DefineFun:
        case Word::DefineSort: return Failure::LostChange;
        case Word::Push: return Failure::LostScope;
        case Word::Pop: return Failure::KeptAssertions;
        // An unknown name may be a misspelt assert.
        default: return isCommand(command) ? Failure::Harmless : Failure::LostChange;
    }
}

}  // namespace

Session::Session(terms::QueryFunction check, std::FILE* out)
    : check_(std::move(check)),
      initialOut_(out),
      out_(out),
      diagnostic_(stderr),
      store_(std::make_unique<terms::TermStore>()) {}

Session::~Session() {
    setChannel(out_, initialOut_);
    setChannel(diagnostic_, stderr);
}

size_t Session::tableBytes() const {
    return symbols_.memoryBytes() + functions_.capacity() * sizeof(Function) + params_.capacity() * sizeof(TermId) +
           sorts_.capacity() * sizeof(SortDefinition) + assertions_.capacity() * sizeof(TermId) +
           levels_.capacity() * sizeof(Level) + frames_.capacity() * sizeof(Frame) +
           operands_.capacity() * sizeof(TermId) + bindings_.capacity() * sizeof(Binding) +
           (scanner_ ? scanner_->bufferBytes() : 0);
}

// Each command runs on its own: an error is answered with (error "...") and,
// under continued execution, the rest of the command is skipped and the
// next one read, and a failure that weakens the problem marks the session
// incomplete. A lexical error (the input cannot be tokenised on) and running
// out of memory end the script whatever the error behaviour.
int Session::run(int fd) {
    scanner_ = std::make_unique<Scanner>(fd);
    bool recovering = false;
    for (;;) {
        uint32_t line = 1, column = 1;
        std::string message;
        bool fatal = errorBehavior_ == ErrorBehavior::ImmediateExit;
        try {
            if (recovering) recoverFromError();  // skipping may meet a lexical error too
            recovering = false;
            if (!runCommand()) return hadError_ ? 1 : status_;
            continue;
        } catch (const ScriptError& e) {
            line = e.line;
            column = e.column;
            message = e.message;
            fatal = fatal || e.lexical;
        } catch (const std::bad_alloc&) {
            // Written without building a string: memory is exhausted.
            std::fprintf(out_, "(error \"%u:%u: out of memory\")\n", commandLine_, commandColumn_);
            std::fflush(out_);
            return 1;
        } catch (const std::exception& e) {
            line = commandLine_;
            column = commandColumn_;
            message = e.what();
        }
        respond("(error " + quoted(std::to_string(line) + ":" + std::to_string(column) + ": " + message) + ")");
        hadError_ = true;
        if (fatal) return 1;
        markIncomplete();
        recovering = true;
    }
}

// One mark covers every deeper one, so only the lowest depth is kept, with
// the first command that failed there.
void Session::markIncomplete() {
    if (running_ == Failure::Harmless) return;
    uint64_t depth = running_ == Failure::LostChange ? depth_ : 0;
    if (!incomplete_.active || depth < incomplete_.depth)
        incomplete_ = Incomplete{true, false, depth, commandLine_, commandColumn_};
    if (running_ == Failure::KeptAssertions) incomplete_.keptAssertions = true;
}

bool Session::distrusts(terms::Answer answer) const {
    if (!incomplete_.active) return false;
    // After a failed pop the assertions include some the script withdrew, so
    // unsat may be about a stronger problem than the one meant.
    return answer == terms::Answer::Sat || (answer == terms::Answer::Unsat && incomplete_.keptAssertions);
}

// Skips the rest of the failed command and drops what reading it left
// half-built: open frames, operands, let bindings, a capture.
void Session::recoverFromError() {
    scanner_->capture(nullptr);
    frames_.clear();
    operands_.clear();
    abandonBindings();
    inParameterizedBody_ = false;
    while (scanner_->depth() > 0 && next().kind != TokenKind::End) {
    }
}

void Session::fail(uint32_t line, uint32_t column, std::string message) const {
    throw ScriptError{line, column, std::move(message)};
}

void Session::fail(const Token& at, std::string message) const {
    fail(at.line, at.column, at.kind == TokenKind::End ? "unexpected end of input" : std::move(message));
}

Token Session::expect(TokenKind kind, const char* what) {
    Token t = next();
    if (t.kind != kind) fail(t, std::string("expected ") + what);
    return t;
}

void Session::expectClose() { expect(TokenKind::RParen, "')'"); }

void Session::respond(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

void Session::success() {
    if (printSuccess_) respond("success");
}

// An attribute value or an argument that is skipped: one token or a
// balanced parenthesised list.
void Session::skipValue(Token t) {
    if (t.kind == TokenKind::End) fail(t, "unexpected end of input");
    if (t.kind != TokenKind::LParen) return;
    for (uint64_t depth = 1; depth > 0;) {
        Token u = next();
        if (u.kind == TokenKind::End) fail(u, "unexpected end of input");
        if (u.kind == TokenKind::LParen) ++depth;
        if (u.kind == TokenKind::RParen) --depth;
    }
}

void Session::checkDeclarable(uint32_t symbol, const Token& at) const {
    const Symbol& sym = symbols_[symbol];
    if (sym.word != Word::None) fail(at, symbolText(symbol) + " is a reserved word");
    if (sym.isOperator) fail(at, symbolText(symbol) + " is a built-in operator");
    if (sym.fun >= 0) fail(at, symbolText(symbol) + " is already declared");
}

void Session::addFunction(uint32_t symbol, FunctionKind kind, TermId term, uint32_t paramBegin, uint32_t paramCount) {
    if (functions_.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw std::length_error("too many declarations");
    symbols_[symbol].fun = static_cast<int32_t>(functions_.size());
    functions_.push_back({symbol, kind, term, paramBegin, paramCount});
}

bool Session::runCommand() {
    running_ = Failure::Harmless;
    Token open = next();
    if (open.kind == TokenKind::End) return false;
    if (open.kind != TokenKind::LParen) fail(open, "expected '(' starting a command");
    commandLine_ = open.line;
    commandColumn_ = open.column;
    Token name = expect(TokenKind::Symbol, "a command name");
    uint32_t s = symbolId(name);
    running_ = failureOf(symbols_[s].word);
    switch (symbols_[s].word) {
        case Word::SetLogic: runSetLogic(); break;
        case Word::SetOption: runSetOption(); break;
        case Word::SetInfo: {
            expect(TokenKind::Keyword, "a keyword after set-info");
            Token value = next();
            if (value.kind != TokenKind::RParen) {
                skipValue(value);
                expectClose();
            }
            success();
            break;
        }
        case Word::GetInfo: runGetInfo(); break;
        case Word::DeclareFun: runDeclare(false); break;
        case Word::DeclareConst: runDeclare(true); break;
        case Word::DefineFun: runDefineFun(); break;
        case Word::DefineSort: runDefineSort(); break;
        case Word::Assert: runAssert(); break;
        case Word::CheckSat: runCheckSat(false); break;
        case Word::CheckSatAssuming: runCheckSat(true); break;
        case Word::Push: runPushPop(true); break;
        case Word::Pop: runPushPop(false); break;
        case Word::GetModel: runGetModel(); break;
        case Word::GetValue: runGetValue(); break;
        case Word::GetAssignment: runGetAssignment(); break;
        case Word::GetUnsatCore: runGetUnsatCore(); break;
        case Word::GetUnsatAssumptions: runGetUnsatAssumptions(); break;
        case Word::Echo: runEcho(); break;
        case Word::Reset:
            expectClose();
            success();
            reset();
            break;
        case Word::ResetAssertions:
            expectClose();
            resetAssertions();
            success();
            break;
        case Word::Exit:
            expectClose();
            success();
            return false;
        case Word::OtherCommand: runOtherCommand(); break;
        default: fail(name, "unknown command " + symbolText(s));
    }
    return true;
}

void Session::runSetLogic() {
    Token name = expect(TokenKind::Symbol, "a logic name");
    std::string logic(name.text());
    if (logic != "QF_BV" && logic != "QF_ABV" && logic != "QF_UFBV" && logic != "QF_AUFBV" && logic != "ALL")
        fail(name, "logic " + symbolText(symbolId(name)) +
                       " is not supported (QF_BV, QF_ABV, QF_UFBV, QF_AUFBV and ALL are)");
    expectClose();
    if (logicSet_) fail(commandLine_, commandColumn_, "the logic is already set");
    logicSet_ = true;
    logic_ = logic;
    arraysAllowed_ = logic == "QF_ABV" || logic == "QF_AUFBV" || logic == "ALL";
    functionsAllowed_ = logic == "QF_UFBV" || logic == "QF_AUFBV" || logic == "ALL";
    success();
}

void Session::runSetOption() {
    Token key = expect(TokenKind::Keyword, "an option keyword");
    const std::string option(key.text());
    Token value = next();
    if (option == "print-success" || option == "produce-models" || option == "produce-assignments" ||
        option == "produce-unsat-cores" || option == "produce-unsat-assumptions") {
        Word w = value.kind == TokenKind::Symbol ? symbols_[symbolId(value)].word : Word::None;
        if (w != Word::True && w != Word::False) fail(value, "option :" + option + " expects true or false");
        expectClose();
        bool on = w == Word::True;
        if (option == "print-success") printSuccess_ = on;
        if (option == "produce-unsat-cores") produceUnsatCores_ = on;
        if (option == "produce-unsat-assumptions") produceUnsatAssumptions_ = on;
        success();
    } else if (option == "regular-output-channel" || option == "diagnostic-output-channel") {
        if (value.kind != TokenKind::String) fail(value, "option :" + option + " expects a string");
        std::FILE* channel = openChannel(value);
        expectClose();
        setChannel(option == "regular-output-channel" ? out_ : diagnostic_, channel);
        success();
    } else {
        if (value.kind != TokenKind::RParen) {
            skipValue(value);
            expectClose();
        }
        respond("unsupported");
    }
}

// "stdout" is the stream the script started with.
std::FILE* Session::openChannel(const Token& name) {
    std::string path = unescapeString(name.text());
    if (path == "stdout") return initialOut_;
    if (path == "stderr") return stderr;
    std::FILE* f = std::fopen(path.c_str(), "a");
    if (f == nullptr) fail(name, "cannot open " + path + " for writing: " + std::strerror(errno));
    return f;
}

void Session::setChannel(std::FILE*& channel, std::FILE* opened) {
    if (channel == opened) return;
    if (channel != initialOut_ && channel != stderr) std::fclose(channel);
    channel = opened;
}

void Session::runGetInfo() {
    Token key = expect(TokenKind::Keyword, "a keyword after get-info");
    const std::string flag(key.text());
    expectClose();
    if (flag == "name") {
        respond("(:name \"torva\")");
    } else if (flag == "version") {
        respond("(:version \"0.3\")");
    } else if (flag == "authors") {
        respond("(:authors \"the torva developers\")");
    } else if (flag == "error-behavior") {
        respond(errorBehavior_ == ErrorBehavior::ImmediateExit ? "(:error-behavior immediate-exit)"
                                                               : "(:error-behavior continued-execution)");
    } else if (flag == "all-statistics") {
        respond("(:all-statistics (:checks " + std::to_string(checks_) + " :sat " + std::to_string(satChecks_) +
                " :unsat " + std::to_string(unsatChecks_) + " :unknown " +
                std::to_string(checks_ - satChecks_ - unsatChecks_) + " :assertions " +
                std::to_string(assertions_.size()) + " :scopes " + std::to_string(depth_) + " :conflicts " +
                std::to_string(conflicts_) + " :decisions " + std::to_string(decisions_) + " :propagations " +
                std::to_string(propagations_) + " :sat-variables " + std::to_string(satVariables_) +
                " :sat-clauses " + std::to_string(satClauses_) + " :terms " + std::to_string(store_->size()) +
                " :memory " + megabytes(peakMemoryBytes()) + "))");
    } else if (flag == "reason-unknown") {
        if (!lastUnknown_) fail(commandLine_, commandColumn_, "get-info :reason-unknown is only allowed after unknown");
        std::string reason = reasonUnknown_.empty() ? "incomplete" : reasonUnknown_;
        respond("(:reason-unknown " + (isSimpleSymbol(reason) ? reason : quoted(reason)) + ")");
    } else {
        respond("unsupported");
    }
}

void Session::runDeclare(bool isConst) {
    Token name = expect(TokenKind::Symbol, "a symbol to declare");
    uint32_t s = symbolId(name);
    std::vector<Sort> domain;
    if (!isConst) {
        expect(TokenKind::LParen, "'(' starting the argument sorts");
        for (Token t = next(); t.kind != TokenKind::RParen; t = next()) {
            if (!functionsAllowed_) fail(t, "functions with arguments are not part of the logic " + logic_);
            domain.push_back(parseSort(t));
        }
    }
    Sort sort = parseSort(next());
    expectClose();
    checkDeclarable(s, name);
    if (!domain.empty()) {
        try {
            sort = store_->mkFunctionSort(domain, sort);
        } catch (const terms::SortError& e) {
            fail(name, e.what());
        }
    }
    addFunction(s, FunctionKind::Declared, store_->mkVar(sort, std::string(symbols_.name(s))), 0,
                static_cast<uint32_t>(domain.size()));
    forgetLastCheck();
    success();
}

void Session::runDefineFun() {
    Token name = expect(TokenKind::Symbol, "a symbol to define");
    uint32_t s = symbolId(name);
    expect(TokenKind::LParen, "'(' starting the parameter list");
    const auto paramBegin = static_cast<uint32_t>(params_.size());
    const auto bindingBase = static_cast<uint32_t>(bindings_.size());
    for (Token t = next(); t.kind != TokenKind::RParen; t = next()) {
        if (t.kind != TokenKind::LParen) fail(t, "expected '(' starting a parameter or ')'");
        Token p = expect(TokenKind::Symbol, "a parameter name");
        uint32_t ps = symbolId(p);
        if (symbols_[ps].word != Word::None) fail(p, symbolText(ps) + " is a reserved word");
        Sort sort = parseSort(next());
        expectClose();
        TermId var = store_->mkVar(sort, std::string(symbols_.name(ps)));
        params_.push_back(var);
        ++symbols_[ps].pending;
        bindings_.push_back({ps, var, -1});
    }
    const auto paramCount = static_cast<uint32_t>(params_.size() - paramBegin);
    activateBindings(bindingBase, commandLine_, commandColumn_);
    Sort declared = parseSort(next());
    Token first = next();
    inParameterizedBody_ = paramCount > 0;
    TermId body = parseTerm(first);
    inParameterizedBody_ = false;
    closeBindings(bindingBase);
    if (store_->sort(body) != declared)
        fail(first, "the body of " + symbolText(s) + " has sort " + sortName(store_->sort(body)) + ", not " +
                        sortName(declared));
    expectClose();
    checkDeclarable(s, name);
    addFunction(s, FunctionKind::Defined, body, paramBegin, paramCount);
    forgetLastCheck();
    success();
}

void Session::runDefineSort() {
    Token name = expect(TokenKind::Symbol, "a sort name to define");
    uint32_t s = symbolId(name);
    expect(TokenKind::LParen, "'(' starting the sort parameters");
    Token t = next();
    if (t.kind != TokenKind::RParen) fail(t, "sort parameters are not supported");
    Sort sort = parseSort(next());
    expectClose();
    const Symbol& sym = symbols_[s];
    if (sym.word != Word::None) fail(name, symbolText(s) + " is a reserved word");
    if (sym.sort >= 0) fail(name, "sort " + symbolText(s) + " is already defined");
    symbols_[s].sort = static_cast<int32_t>(sorts_.size());
    sorts_.push_back({s, sort});
    forgetLastCheck();
    success();
}

void Session::runAssert() {
    Token first = next();
    const size_t functionsBefore = functions_.size();
    TermId a = parseTerm(first);
    if (!store_->isBool(a)) fail(first, "assert expects a Boolean term, got one of sort " + sortName(store_->sort(a)));
    expectClose();
    // (assert (! t :named n)) names the assertion n.
    int32_t name = -1;
    for (size_t i = functionsBefore; i < functions_.size(); i++)
        if (functions_[i].kind == FunctionKind::Named && functions_[i].term == a)
            name = static_cast<int32_t>(functions_[i].symbol);
    assertions_.push_back(a);
    assertionNames_.push_back(name);
    forgetLastCheck();
    success();
}

void Session::runCheckSat(bool withAssumptions) {
    std::vector<TermId> assumptions;
    std::vector<std::string> written;
    if (withAssumptions) {
        expect(TokenKind::LParen, "'(' starting the assumptions");
        Token t;
        TermId a;
        while (nextWrittenTerm(t, a)) {
            if (!store_->isBool(a))
                fail(t, "an assumption must be Boolean, got a term of sort " + sortName(store_->sort(a)));
            assumptions.push_back(a);
            written.push_back(captured_);
        }
    }
    expectClose();
    check(assumptions);
    lastAssumptions_ = std::move(written);
}

void Session::check(const std::vector<TermId>& assumptions) {
    // Cores may name any assertion, so none is permanent while they are asked for.
    size_t permanent = produceUnsatCores_ ? 0 : levels_.empty() ? assertions_.size() : levels_.front().assertions;
    terms::CheckOutcome outcome = check_(*store_, terms::CheckQuery{assertions_, permanent, generation_, assumptions});
    if (distrusts(outcome.answer)) {
        outcome.answer = terms::Answer::Unknown;
        outcome.reason = "incomplete: the command at " + std::to_string(incomplete_.line) + ":" +
                         std::to_string(incomplete_.column) + " failed";
    }
    ++checks_;
    conflicts_ += outcome.conflicts;
    decisions_ += outcome.decisions;
    propagations_ += outcome.propagations;
    satVariables_ = outcome.satVariables;
    satClauses_ = outcome.satClauses;
    satChecks_ += outcome.answer == terms::Answer::Sat;
    unsatChecks_ += outcome.answer == terms::Answer::Unsat;
    modelValid_ = outcome.answer == terms::Answer::Sat;
    lastUnsat_ = outcome.answer == terms::Answer::Unsat;
    coreAssertions_ = std::move(outcome.coreAssertions);
    coreAssumptions_ = std::move(outcome.coreAssumptions);
    model_ = modelValid_ ? std::move(outcome.model) : terms::Model();
    lastUnknown_ = outcome.answer == terms::Answer::Unknown;
    reasonUnknown_ = outcome.reason;
    switch (outcome.answer) {
        case terms::Answer::Sat:
            status_ = 10;
            respond("sat");
            break;
        case terms::Answer::Unsat:
            status_ = 20;
            respond("unsat");
            break;
        case terms::Answer::Unknown:
            status_ = 0;
            respond("unknown");
            break;
    }
}

void Session::runPushPop(bool isPush) {
    Token t = next();
    uint64_t count = 1;
    if (t.kind != TokenKind::RParen) {
        if (t.kind != TokenKind::Numeral) fail(t, "expected a numeral or ')'");
        count = readCount(t);
        expectClose();
    }
    if (isPush) {
        push(count);
    } else {
        if (count > depth_)
            fail(commandLine_, commandColumn_,
                 "cannot pop " + std::to_string(count) + " levels: only " + std::to_string(depth_) + " pushed");
        pop(count);
    }
    forgetLastCheck();
    success();
}

void Session::push(uint64_t count) {
    if (count == 0) return;
    Level now{assertions_.size(), functions_.size(), params_.size(), sorts_.size(), count};
    if (!levels_.empty()) {
        Level& last = levels_.back();
        if (last.assertions == now.assertions && last.functions == now.functions && last.params == now.params &&
            last.sorts == now.sorts) {
            last.count += count;
            depth_ += count;
            return;
        }
    }
    levels_.push_back(now);
    depth_ += count;
}

void Session::pop(uint64_t count) {
    depth_ -= count;
    if (incomplete_.active && depth_ < incomplete_.depth) clearIncomplete();
    while (count > 0) {
        Level& level = levels_.back();
        uint64_t taken = std::min(count, level.count);
        count -= taken;
        level.count -= taken;
        truncateTo(level);
        if (level.count == 0) levels_.pop_back();
    }
}

// Drops everything added after the sizes of the level.
void Session::truncateTo(const Level& level) {
    assertions_.resize(level.assertions);
    assertionNames_.resize(level.assertions);
    for (size_t i = functions_.size(); i > level.functions; i--) symbols_[functions_[i - 1].symbol].fun = -1;
    functions_.resize(level.functions);
    params_.resize(level.params);
    for (size_t i = sorts_.size(); i > level.sorts; i--) symbols_[sorts_[i - 1].symbol].sort = -1;
    sorts_.resize(level.sorts);
}

void Session::resetAssertions() {
    pop(depth_);
    truncateTo(Level{0, 0, 0, 0, 0});
    forgetLastCheck();
    clearIncomplete();
    ++generation_;
}

void Session::reset() {
    resetAssertions();
    store_ = std::make_unique<terms::TermStore>();
    symbols_.clearMeanings();
    frames_.clear();
    operands_.clear();
    bindings_.clear();
    printSuccess_ = false;
    produceUnsatCores_ = false;
    produceUnsatAssumptions_ = false;
    logicSet_ = false;
    logic_ = "ALL";
    arraysAllowed_ = functionsAllowed_ = true;
    lastUnknown_ = false;
    model_ = terms::Model();
    reasonUnknown_.clear();
    setChannel(out_, initialOut_);
    setChannel(diagnostic_, stderr);
}

void Session::requireModel(const char* command) const {
    if (!modelValid_) fail(commandLine_, commandColumn_, std::string(command) + " is only allowed after sat");
}

const terms::TableValue& Session::modelTable(TermId variable) const {
    static const terms::TableValue none;
    auto it = std::lower_bound(model_.tables.begin(), model_.tables.end(), variable,
                               [](const std::pair<TermId, terms::TableValue>& v, TermId id) { return v.first < id; });
    return it != model_.tables.end() && it->first == variable ? it->second : none;
}

// (define-fun name params sort value) of a declared symbol in the model.
std::string Session::modelDefinition(const Function& f) const {
    Sort sort = store_->sort(f.term);
    std::string head = "(define-fun " + symbolText(f.symbol) + " ";
    if (store_->isFunctionSort(sort)) {
        const terms::CompoundSort& parts = store_->compound(sort);
        std::vector<std::string> params;
        std::string list;
        for (size_t i = 0; i < parts.domain.size(); i++) {
            params.push_back("x!" + std::to_string(i + 1));
            list += std::string(i ? " " : "") + "(" + params.back() + " " + sortName(parts.domain[i]) + ")";
        }
        return head + "(" + list + ") " + sortName(parts.codomain) + " " +
               terms::formatFunctionBody(*store_, sort, modelTable(f.term), params) + ")";
    }
    if (store_->isArraySort(sort))
        return head + "() " + sortName(sort) + " " + terms::formatArray(*store_, sort, modelTable(f.term)) + ")";
    return head + "() " + sortName(sort) + " " + terms::formatValue(sort, modelValue(f.term)) + ")";
}

const mpz_class& Session::modelValue(TermId variable) const {
    static const mpz_class zero;
    auto it = std::lower_bound(model_.values.begin(), model_.values.end(), variable,
                               [](const std::pair<TermId, mpz_class>& v, TermId id) { return v.first < id; });
    return it != model_.values.end() && it->first == variable ? it->second : zero;
}

void Session::runGetModel() {
    expectClose();
    requireModel("get-model");
    std::string text = "(\n";
    for (const Function& f : functions_) {
        if (f.kind != FunctionKind::Declared) continue;
        text += "  " + modelDefinition(f) + "\n";
    }
    respond(text + ")");
}

// The next term of a list, its text as written in captured_; false at the
// list's ')' (then in at).
bool Session::nextWrittenTerm(Token& at, TermId& term) {
    captured_.clear();
    scanner_->capture(&captured_);
    at = next();
    if (at.kind != TokenKind::RParen) term = parseTerm(at);
    scanner_->capture(nullptr);
    return at.kind != TokenKind::RParen;
}

void Session::runGetValue() {
    expect(TokenKind::LParen, "'(' starting the terms");
    std::vector<std::pair<std::string, TermId>> terms;
    Token t;
    TermId value;
    while (nextWrittenTerm(t, value)) terms.emplace_back(captured_, value);
    if (terms.empty()) fail(t, "get-value needs at least one term");
    expectClose();
    requireModel("get-value");
    terms::Evaluator evaluator(*store_);
    terms::loadModel(evaluator, model_);
    std::string text = "(";
    for (const auto& [source, term] : terms) {
        if (text.size() > 1) text += " ";
        Sort sort = store_->sort(term);
        text += "(" + source + " " +
                (store_->isArraySort(sort) ? terms::formatArray(*store_, sort, evaluator.table(term))
                                           : terms::formatValue(sort, evaluator.value(term))) +
                ")";
    }
    respond(text + ")");
}

void Session::runGetAssignment() {
    expectClose();
    requireModel("get-assignment");
    terms::Evaluator evaluator(*store_);
    terms::loadModel(evaluator, model_);
    std::string text = "(";
    for (const Function& f : functions_) {
        if (f.kind != FunctionKind::Named || !store_->isBool(f.term)) continue;
        if (text.size() > 1) text += " ";
        text += "(" + symbolText(f.symbol) + " " + (evaluator.value(f.term) != 0 ? "true" : "false") + ")";
    }
    respond(text + ")");
}

void Session::runEcho() {
    Token s = expect(TokenKind::String, "a string after echo");
    std::string text(s.raw());
    expectClose();
    respond(text);
}

void Session::requireUnsat(const char* command, bool produced, const char* option) const {
    if (!produced)
        fail(commandLine_, commandColumn_, std::string(command) + " needs (set-option :" + option + " true)");
    if (!lastUnsat_) fail(commandLine_, commandColumn_, std::string(command) + " is only allowed after unsat");
}

// The names of the named assertions the refutation used.
void Session::runGetUnsatCore() {
    expectClose();
    requireUnsat("get-unsat-core", produceUnsatCores_, "produce-unsat-cores");
    std::string text = "(";
    for (size_t i : coreAssertions_) {
        if (assertionNames_[i] < 0) continue;
        if (text.size() > 1) text += " ";
        text += symbolText(static_cast<uint32_t>(assertionNames_[i]));
    }
    respond(text + ")");
}

// The assumptions of the last check-sat-assuming that its refutation used,
// as they were written.
void Session::runGetUnsatAssumptions() {
    expectClose();
    requireUnsat("get-unsat-assumptions", produceUnsatAssumptions_, "produce-unsat-assumptions");
    std::string text = "(";
    for (size_t i : coreAssumptions_) {
        if (i >= lastAssumptions_.size()) continue;
        if (text.size() > 1) text += " ";
        text += lastAssumptions_[i];
    }
    respond(text + ")");
}

// A command of the language this reader does not implement: its arguments
// are skipped and it is answered unsupported.
void Session::runOtherCommand() {
    for (Token t = next(); t.kind != TokenKind::RParen; t = next()) skipValue(t);
    respond("unsupported");
}

}  // namespace torva::smt2
