// The symbol table of the SMT-LIB 2 reader: every symbol of the script is
// interned once (|x| and x are the same symbol) and carries what it means
// right now: the innermost let binding or function parameter, the function
// (declared constant, definition or :named term) and the sort it names, and
// whether it is a reserved word or a built-in operator. Lookup hashes the
// bytes of the name, so it never allocates for a symbol already known.
// Symbol ids are handed out in interning order; only the last symbol can be
// released again, so ids stay dense.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "terms/kind.h"

namespace torva::smt2 {

// Reserved words and the symbols with a fixed meaning.
enum class Word : uint8_t {
    None,
    // Commands.
    SetLogic, SetOption, SetInfo, GetInfo, DeclareFun, DeclareConst, DefineFun, DefineSort, Assert, CheckSat,
    CheckSatAssuming, Push, Pop, GetModel, GetValue, GetAssignment, GetUnsatCore, GetUnsatAssumptions, Echo, Reset,
    ResetAssertions, Exit,
    OtherCommand,  // a command of the language this reader does not support
    // Term and sort syntax.
    Let, Bang, Underscore, As, Forall, Exists, Match, Par, True, False, Bool, BitVec, Array, Const,
};

inline bool isCommand(Word w) { return w >= Word::SetLogic && w <= Word::OtherCommand; }

struct Symbol {
    uint32_t nameOffset;
    uint32_t nameSize;
    uint32_t hash;
    int32_t let = -1;   // innermost binding (index into the reader's binding stack)
    int32_t fun = -1;   // the function of this name in scope
    int32_t sort = -1;  // the sort definition of this name in scope
    uint32_t pending = 0;  // let bindings of this name read but not yet in scope
    Word word = Word::None;
    bool isOperator = false;
    terms::Kind op = terms::Kind::Const;  // the built-in operator when isOperator
};

class SymbolTable {
public:
    SymbolTable();

    uint32_t intern(std::string_view name);
    Symbol& operator[](uint32_t id) { return symbols_[id]; }
    const Symbol& operator[](uint32_t id) const { return symbols_[id]; }
    std::string_view name(uint32_t id) const;
    // Removes the symbol interned last when nothing gives it a meaning (a
    // let variable whose scope ended): scripts that bind a fresh name in
    // every let keep only the names in scope.
    void releaseIfLastAndUnused(uint32_t id);
    // Forgets every binding, function and sort (the fixed meanings stay).
    void clearMeanings();
    size_t memoryBytes() const;

private:
    void grow();
    void define(const char* name, Word word);
    void eraseSlot(size_t slot);

    std::string names_;
    std::vector<Symbol> symbols_;
    std::vector<uint32_t> slots_;  // 1 + symbol id, 0 when empty; size a power of two
};

// True when the name can be written without bars.
bool isSimpleSymbol(std::string_view name);

}  // namespace torva::smt2
