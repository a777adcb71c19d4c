// The state of one running SMT-LIB 2 script and the reader that changes it:
// the term graph, the symbols with their current meanings, the assertion
// stack with its push levels, the options, the outcome of the last check and
// whether a failed command left the assertions weaker than the script meant.
//
// Terms are read without recursion: an explicit stack of frames holds the
// open applications, lets and annotations, the operands of the open
// applications sit on one operand stack, and let bindings on one binding
// stack whose entries are chained per symbol (Symbol::let), so closing a let
// costs the number of its bindings. Everything a level adds (assertions,
// functions, sorts) is appended, so a pop truncates back to the level's sizes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "frontend/smt2/scanner.h"
#include "frontend/smt2/script.h"
#include "frontend/smt2/symbols.h"
#include "terms/evaluator.h"
#include "terms/model.h"
#include "terms/term_store.h"

namespace torva::smt2 {

using terms::Sort;
using terms::TermId;

enum class FunctionKind : uint8_t { Declared, Defined, Named };

struct Function {
    uint32_t symbol;
    FunctionKind kind;
    TermId term;          // the variable (of a function sort for a function), the body or the named term
    uint32_t paramBegin;  // Defined: its parameter variables are params_[paramBegin, paramBegin + paramCount)
    uint32_t paramCount;
};

struct SortDefinition {
    uint32_t symbol;
    Sort sort;
};

struct Binding {
    uint32_t symbol;
    TermId term;
    int32_t previous;  // the binding of the symbol this one shadows, or -1
};

// The sizes at a push; `count` pushes in a row with nothing in between share
// one entry.
struct Level {
    size_t assertions;
    size_t functions;
    size_t params;
    size_t sorts;
    uint64_t count;
};

// What the failure of a command does to the problem torva holds.
enum class Failure : uint8_t {
    Harmless,        // the assertions are as the script meant them
    LostChange,      // an assertion, declaration or definition is missing (or a misspelt command)
    LostScope,       // a push failed: the script's scopes no longer line up with torva's
    KeptAssertions,  // a pop failed: the scopes are misaligned and assertions remain
};

// The mark a failed command leaves: the lowest scope depth at which one ran
// and the position of the first such command there.
struct Incomplete {
    bool active = false;
    bool keptAssertions = false;  // a pop failed: unsat cannot be trusted either
    uint64_t depth = 0;
    uint32_t line = 0;
    uint32_t column = 0;
};

enum class FrameKind : uint8_t { Apply, LetBinding, LetBody, Named };

struct Frame {
    FrameKind kind;
    bool isFunction;  // Apply: of a defined function rather than an operator
    uint8_t numIndices;
    terms::Kind op;
    uint32_t line;  // of the '(' that opened the frame
    uint32_t column;
    uint32_t function;  // Apply of a defined function: its index in functions_
    uint32_t base;      // Apply: its first operand in operands_; lets: their first binding
    uint32_t indices[2];
};

class Session {
public:
    Session(terms::QueryFunction check, std::FILE* out);
    ~Session();

    int run(int fd);
    void setErrorBehavior(ErrorBehavior behavior) { errorBehavior_ = behavior; }
    const terms::TermStore& store() const { return *store_; }
    size_t tableBytes() const;

private:
    // Commands (commands.cc).
    bool runCommand();
    void markIncomplete();
    void clearIncomplete() { incomplete_ = Incomplete(); }
    bool distrusts(terms::Answer answer) const;
    void runSetLogic();
    void runSetOption();
    void runGetInfo();
    void runDeclare(bool isConst);
    void runDefineFun();
    void runDefineSort();
    void runAssert();
    void runCheckSat(bool withAssumptions);
    void runPushPop(bool isPush);
    void runGetModel();
    void runGetValue();
    void runGetAssignment();
    bool nextWrittenTerm(Token& at, TermId& term);
    void runGetUnsatCore();
    void runGetUnsatAssumptions();
    void requireUnsat(const char* command, bool produced, const char* option) const;
    void recoverFromError();
    // The assertion stack changed: the last check's model and core are gone.
    void forgetLastCheck() { modelValid_ = lastUnsat_ = false; }
    void abandonBindings();
    void runEcho();
    void runOtherCommand();
    void reset();
    void resetAssertions();
    void push(uint64_t count);
    void pop(uint64_t count);
    void truncateTo(const Level& level);
    void check(const std::vector<TermId>& assumptions);
    void requireModel(const char* command) const;
    const mpz_class& modelValue(TermId variable) const;
    std::FILE* openChannel(const Token& name);
    void setChannel(std::FILE*& channel, std::FILE* opened);
    void respond(const std::string& text);
    void success();

    // Shared reading helpers (commands.cc).
    Token next() { return scanner_->next(); }
    Token expect(TokenKind kind, const char* what);
    void expectClose();
    uint32_t symbolId(const Token& t) { return symbols_.intern(t.text()); }
    void checkDeclarable(uint32_t symbol, const Token& at) const;
    void addFunction(uint32_t symbol, FunctionKind kind, TermId term, uint32_t paramBegin, uint32_t paramCount);
    void skipValue(Token t);
    [[noreturn]] void fail(uint32_t line, uint32_t column, std::string message) const;
    // At the end of the input every error is "unexpected end of input".
    [[noreturn]] void fail(const Token& at, std::string message) const;

    // Terms and sorts (terms.cc).
    TermId parseTerm(Token t);
    Sort parseSort(Token t);
    bool startTerm(const Token& t, TermId& value);
    TermId atom(const Token& t);
    TermId literal(const Token& t);
    TermId indexedConstant();
    void openLet(const Token& open);
    void openBinding();
    void openApplication(const Token& open, const Token& head, uint32_t symbol);
    void openIndexedApplication(const Token& open, const Token& inner);
    TermId finishApplication();
    TermId applyFunction(const Frame& f, const TermId* args, size_t numArgs);
    void activateBindings(uint32_t base, uint32_t line, uint32_t column);
    void closeBindings(uint32_t base);
    void readAttributes(TermId value);
    Sort readWidth(const Token& t);
    uint32_t readIndex(const Token& t);
    uint64_t readCount(const Token& t);
    std::string sortName(Sort sort) const;
    const terms::TableValue& modelTable(TermId variable) const;
    std::string modelDefinition(const Function& f) const;
    Sort arraySort(const Token& head);
    void openConstantArray(const Token& open, const Token& as);
    std::string symbolText(uint32_t symbol) const;

    terms::QueryFunction check_;
    std::FILE* const initialOut_;
    std::FILE* out_;
    std::FILE* diagnostic_;  // kept open as set; errors go to out_
    std::unique_ptr<Scanner> scanner_;
    std::unique_ptr<terms::TermStore> store_;
    SymbolTable symbols_;

    std::vector<Function> functions_;
    std::vector<TermId> params_;
    std::vector<SortDefinition> sorts_;
    std::vector<TermId> assertions_;
    std::vector<int32_t> assertionNames_;  // per assertion: the symbol of its top-level :named, or -1
    std::vector<Level> levels_;
    uint64_t depth_ = 0;
    // Changes whenever assertions at level 0 are withdrawn or the store is
    // replaced: what the check function keeps of the permanent assertions
    // is then stale.
    uint64_t generation_ = 0;

    std::vector<Frame> frames_;
    std::vector<TermId> operands_;
    std::vector<Binding> bindings_;
    bool inParameterizedBody_ = false;
    std::string captured_;  // source text of the get-value term being read

    bool printSuccess_ = false;
    bool produceUnsatCores_ = false;
    bool produceUnsatAssumptions_ = false;
    ErrorBehavior errorBehavior_ = ErrorBehavior::ImmediateExit;
    bool hadError_ = false;
    bool logicSet_ = false;
    // What the declared logic admits beyond bit-vectors (all without one).
    std::string logic_ = "ALL";
    bool arraysAllowed_ = true, functionsAllowed_ = true;
    bool lastUnknown_ = false;  // the last check-sat answered unknown
    bool modelValid_ = false;
    bool lastUnsat_ = false;  // the last check-sat answered unsat
    std::vector<std::string> lastAssumptions_;  // its assumptions as written
    std::vector<size_t> coreAssertions_;        // and the parts its refutation used
    std::vector<size_t> coreAssumptions_;
    terms::Model model_;
    std::string reasonUnknown_;
    int status_ = 0;
    uint64_t checks_ = 0;
    uint64_t satChecks_ = 0;
    uint64_t conflicts_ = 0, decisions_ = 0, propagations_ = 0;  // of all checks
    uint64_t satVariables_ = 0, satClauses_ = 0;                // held after the last check
    uint64_t unsatChecks_ = 0;
    uint32_t commandLine_ = 1;
    uint32_t commandColumn_ = 1;
    Failure running_ = Failure::Harmless;  // what a failure of the running command would do
    Incomplete incomplete_;
};

}  // namespace torva::smt2
