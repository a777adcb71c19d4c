// Interning by open addressing with linear probing over FNV-1a hashes of
// the name bytes (never of addresses); the table is kept at most half full
// and deletions shift the rest of a probe run back instead of leaving
// tombstones. The reserved words and the operator names of the kind table
// are interned first.
#include "frontend/smt2/symbols.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace torva::smt2 {
namespace {

uint32_t hashName(std::string_view name) {
    uint32_t h = 2166136261u;
    for (char c : name) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    // Multiplication only carries upwards; fold the high bits into the low
    // ones that pick the slot.
    h ^= h >> 16;
    h *= 0x85ebca6bu;
    return h ^ (h >> 13);
}

const struct {
    const char* name;
    Word word;
} kWords[] = {
    {"set-logic", Word::SetLogic},
    {"set-option", Word::SetOption},
    {"set-info", Word::SetInfo},
    {"get-info", Word::GetInfo},
    {"declare-fun", Word::DeclareFun},
    {"declare-const", Word::DeclareConst},
    {"define-fun", Word::DefineFun},
    {"define-sort", Word::DefineSort},
    {"assert", Word::Assert},
    {"check-sat", Word::CheckSat},
    {"check-sat-assuming", Word::CheckSatAssuming},
    {"push", Word::Push},
    {"pop", Word::Pop},
    {"get-model", Word::GetModel},
    {"get-value", Word::GetValue},
    {"get-assignment", Word::GetAssignment},
    {"echo", Word::Echo},
    {"reset", Word::Reset},
    {"reset-assertions", Word::ResetAssertions},
    {"exit", Word::Exit},
    {"declare-sort", Word::OtherCommand},
    {"declare-datatype", Word::OtherCommand},
    {"declare-datatypes", Word::OtherCommand},
    {"define-fun-rec", Word::OtherCommand},
    {"define-funs-rec", Word::OtherCommand},
    {"get-assertions", Word::OtherCommand},
    {"get-option", Word::OtherCommand},
    {"get-proof", Word::OtherCommand},
    {"get-unsat-assumptions", Word::GetUnsatAssumptions},
    {"get-unsat-core", Word::GetUnsatCore},
    {"let", Word::Let},
    {"!", Word::Bang},
    {"_", Word::Underscore},
    {"as", Word::As},
    {"Array", Word::Array},
    {"const", Word::Const},
    {"forall", Word::Forall},
    {"exists", Word::Exists},
    {"match", Word::Match},
    {"par", Word::Par},
    {"true", Word::True},
    {"false", Word::False},
    {"Bool", Word::Bool},
    {"BitVec", Word::BitVec},
};

}  // namespace

SymbolTable::SymbolTable() : slots_(1024, 0) {
    for (const auto& w : kWords) define(w.name, w.word);
    for (int k = 0; k < terms::kNumKinds; k++) {
        const terms::KindInfo& info = terms::kindInfo(static_cast<terms::Kind>(k));
        if (info.name[0] == '\0') continue;
        Symbol& s = symbols_[intern(info.name)];
        s.isOperator = true;
        s.op = info.kind;
    }
}

void SymbolTable::define(const char* name, Word word) { symbols_[intern(name)].word = word; }

uint32_t SymbolTable::intern(std::string_view name) {
    uint32_t h = hashName(name);
    size_t mask = slots_.size() - 1;
    for (size_t i = h & mask;; i = (i + 1) & mask) {
        uint32_t slot = slots_[i];
        if (slot == 0) break;
        const Symbol& s = symbols_[slot - 1];
        if (s.hash == h && s.nameSize == name.size() &&
            std::memcmp(names_.data() + s.nameOffset, name.data(), name.size()) == 0)
            return slot - 1;
    }
    if (names_.size() + name.size() > std::numeric_limits<uint32_t>::max() ||
        symbols_.size() >= std::numeric_limits<uint32_t>::max() / 4)
        throw std::length_error("the script has too many symbols");
    Symbol s;
    s.nameOffset = static_cast<uint32_t>(names_.size());
    s.nameSize = static_cast<uint32_t>(name.size());
    s.hash = h;
    names_.append(name);
    auto id = static_cast<uint32_t>(symbols_.size());
    symbols_.push_back(s);
    if (2 * symbols_.size() > slots_.size()) {
        grow();
    } else {
        size_t i = h & mask;
        while (slots_[i] != 0) i = (i + 1) & mask;
        slots_[i] = id + 1;
    }
    return id;
}

void SymbolTable::grow() {
    slots_.assign(2 * slots_.size(), 0);
    size_t mask = slots_.size() - 1;
    for (size_t id = 0; id < symbols_.size(); id++) {
        size_t i = symbols_[id].hash & mask;
        while (slots_[i] != 0) i = (i + 1) & mask;
        slots_[i] = static_cast<uint32_t>(id + 1);
    }
}

void SymbolTable::releaseIfLastAndUnused(uint32_t id) {
    const Symbol& s = symbols_[id];
    if (id + 1 != symbols_.size() || s.let >= 0 || s.fun >= 0 || s.sort >= 0 || s.pending > 0 || s.word != Word::None ||
        s.isOperator)
        return;
    size_t mask = slots_.size() - 1;
    size_t i = s.hash & mask;
    while (slots_[i] != id + 1) i = (i + 1) & mask;
    eraseSlot(i);
    names_.resize(s.nameOffset);
    symbols_.pop_back();
}

// Empties a slot of the linear-probing table, moving later entries of the
// probe run back so that every entry stays reachable from its home slot.
void SymbolTable::eraseSlot(size_t slot) {
    size_t mask = slots_.size() - 1;
    size_t hole = slot;
    for (size_t j = (hole + 1) & mask; slots_[j] != 0; j = (j + 1) & mask) {
        size_t home = symbols_[slots_[j] - 1].hash & mask;
        // The entry at j may fill the hole unless its home lies cyclically in (hole, j].
        bool homeAfterHole = hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
        if (homeAfterHole) continue;
        slots_[hole] = slots_[j];
        hole = j;
    }
    slots_[hole] = 0;
}

std::string_view SymbolTable::name(uint32_t id) const {
    const Symbol& s = symbols_[id];
    return {names_.data() + s.nameOffset, s.nameSize};
}

void SymbolTable::clearMeanings() {
    for (Symbol& s : symbols_) {
        s.let = s.fun = s.sort = -1;
        s.pending = 0;
    }
}

size_t SymbolTable::memoryBytes() const {
    return names_.capacity() + symbols_.capacity() * sizeof(Symbol) + slots_.capacity() * sizeof(uint32_t);
}

bool isSimpleSymbol(std::string_view name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
    for (char c : name) {
        bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && (c == '\0' || std::strchr("~!@$%^&*_-+=<>.?/", c) == nullptr)) return false;
    }
    return true;
}

}  // namespace torva::smt2
