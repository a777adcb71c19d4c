// The one table of kind properties, a row per Kind in enum order, and the
// lookup of a kind by its SMT-LIB 2 name. The row count is checked against
// kNumKinds at compile time and every row's kind against its position, so a
// table out of step with the enum cannot go unnoticed.
#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "terms/kind.h"

namespace torva::terms {
namespace {

constexpr uint8_t kNoIndex = 0;

constexpr KindInfo kTable[] = {
    {Kind::Const, "", 0, kNoIndex, Chain::None, false},
    {Kind::Variable, "", 0, kNoIndex, Chain::None, false},
    {Kind::Not, "not", 1, kNoIndex, Chain::None, false},
    {Kind::And, "and", 2, kNoIndex, Chain::LeftAssoc, true},
    {Kind::Or, "or", 2, kNoIndex, Chain::LeftAssoc, true},
    {Kind::Xor, "xor", 2, kNoIndex, Chain::LeftAssoc, true},
    {Kind::Implies, "=>", 2, kNoIndex, Chain::RightAssoc, false},
    {Kind::Equal, "=", 2, kNoIndex, Chain::Chainable, true},
    {Kind::Distinct, "distinct", 2, kNoIndex, Chain::Pairwise, true},
    {Kind::Ite, "ite", 3, kNoIndex, Chain::None, false},
    {Kind::Concat, "concat", 2, kNoIndex, Chain::LeftAssoc, false},
    {Kind::Extract, "extract", 1, 2, Chain::None, false},
    {Kind::Repeat, "repeat", 1, 1, Chain::None, false},
    {Kind::ZeroExtend, "zero_extend", 1, 1, Chain::None, false},
    {Kind::SignExtend, "sign_extend", 1, 1, Chain::None, false},
    {Kind::RotateLeft, "rotate_left", 1, 1, Chain::None, false},
    {Kind::RotateRight, "rotate_right", 1, 1, Chain::None, false},
    {Kind::BvNot, "bvnot", 1, kNoIndex, Chain::None, false},
    {Kind::BvAnd, "bvand", 2, kNoIndex, Chain::LeftAssoc, true},
    {Kind::BvOr, "bvor", 2, kNoIndex, Chain::LeftAssoc, true},
    {Kind::BvXor, "bvxor", 2, kNoIndex, Chain::LeftAssoc, true},
    {Kind::BvNand, "bvnand", 2, kNoIndex, Chain::None, true},
    {Kind::BvNor, "bvnor", 2, kNoIndex, Chain::None, true},
    {Kind::BvXnor, "bvxnor", 2, kNoIndex, Chain::None, true},
    {Kind::BvComp, "bvcomp", 2, kNoIndex, Chain::None, true},
    {Kind::BvNeg, "bvneg", 1, kNoIndex, Chain::None, false},
    {Kind::BvAdd, "bvadd", 2, kNoIndex, Chain::LeftAssoc, true},
    {Kind::BvSub, "bvsub", 2, kNoIndex, Chain::LeftAssoc, false},
    {Kind::BvMul, "bvmul", 2, kNoIndex, Chain::LeftAssoc, true},
    {Kind::BvUdiv, "bvudiv", 2, kNoIndex, Chain::None, false},
    {Kind::BvUrem, "bvurem", 2, kNoIndex, Chain::None, false},
    {Kind::BvSdiv, "bvsdiv", 2, kNoIndex, Chain::None, false},
    {Kind::BvSrem, "bvsrem", 2, kNoIndex, Chain::None, false},
    {Kind::BvSmod, "bvsmod", 2, kNoIndex, Chain::None, false},
    {Kind::BvShl, "bvshl", 2, kNoIndex, Chain::None, false},
    {Kind::BvLshr, "bvlshr", 2, kNoIndex, Chain::None, false},
    {Kind::BvAshr, "bvashr", 2, kNoIndex, Chain::None, false},
    {Kind::BvUlt, "bvult", 2, kNoIndex, Chain::None, false},
    {Kind::BvUle, "bvule", 2, kNoIndex, Chain::None, false},
    {Kind::BvUgt, "bvugt", 2, kNoIndex, Chain::None, false},
    {Kind::BvUge, "bvuge", 2, kNoIndex, Chain::None, false},
    {Kind::BvSlt, "bvslt", 2, kNoIndex, Chain::None, false},
    {Kind::BvSle, "bvsle", 2, kNoIndex, Chain::None, false},
    {Kind::BvSgt, "bvsgt", 2, kNoIndex, Chain::None, false},
    {Kind::BvSge, "bvsge", 2, kNoIndex, Chain::None, false},
    {Kind::Select, "select", 2, kNoIndex, Chain::None, false},
    {Kind::Store, "store", 3, kNoIndex, Chain::None, false},
    {Kind::ConstArray, "", 1, 1, Chain::None, false},
    {Kind::Apply, "", 1, kNoIndex, Chain::None, false},
};
static_assert(sizeof(kTable) / sizeof(kTable[0]) == kNumKinds, "one row per Kind");

constexpr bool rowsInEnumOrder() {
    for (int i = 0; i < kNumKinds; i++)
        if (static_cast<int>(kTable[i].kind) != i) return false;
    return true;
}
static_assert(rowsInEnumOrder(), "row i of the kind table describes kind i");

using NameEntry = std::pair<std::string_view, Kind>;

std::vector<NameEntry> sortedNames() {
    std::vector<NameEntry> names;
    for (const KindInfo& row : kTable)
        if (row.name[0] != '\0') names.emplace_back(row.name, row.kind);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

const KindInfo& kindInfo(Kind k) {
    auto i = static_cast<unsigned>(k);
    if (i >= static_cast<unsigned>(kNumKinds)) throw std::out_of_range("kindInfo: no such kind");
    return kTable[i];
}

bool kindByName(const char* name, Kind& kind) {
    static const std::vector<NameEntry> names = sortedNames();
    if (name == nullptr || name[0] == '\0') return false;
    std::string_view key(name);
    auto it = std::lower_bound(names.begin(), names.end(), key,
                               [](const NameEntry& e, std::string_view k) { return e.first < k; });
    if (it == names.end() || it->first != key) return false;
    kind = it->second;
    return true;
}

}  // namespace torva::terms
