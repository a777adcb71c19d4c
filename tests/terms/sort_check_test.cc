// Sort rules of construction: well-sorted applications get their result
// sorts, and ill-sorted ones the exact message of their fault (one row per
// check: wrong sorts, widths and counts, extract out of range, widths
// overflowing kMaxWidth or 32 bits); constants and variables must fit
// their sorts; misuse of the interface is refused.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "terms/term_store.h"

using namespace torva::terms;

namespace {

using K = Kind;

struct Case {
    Kind kind;
    std::vector<std::string> args;
    std::vector<uint32_t> indices;
    int64_t sort;         // expected result sort, or kFails for a SortError
    const char* message;  // the start of the error's text
};

constexpr int64_t kFails = -1;
constexpr uint32_t kWidest = kMaxWidth;

// "half" and "hl" are 2^29 and 2^29 - 1 wide: together they meet kMaxWidth.
const Case kCases[] = {
    {K::And, {"b", "b", "b"}, {}, kBool, ""}, {K::Equal, {"x4", "y4", "x4"}, {}, kBool, ""},
    {K::Distinct, {"b", "b"}, {}, kBool, ""}, {K::Ite, {"b", "x4", "y4"}, {}, 4, ""},
    {K::Ite, {"b", "b", "b"}, {}, kBool, ""}, {K::Concat, {"x1", "x4", "x8"}, {}, 13, ""},
    {K::Concat, {"half", "hl"}, {}, kWidest, ""}, {K::Extract, {"x4"}, {2, 2}, 1, ""},
    {K::Extract, {"widest"}, {kWidest - 1, 0}, kWidest, ""}, {K::Repeat, {"hl"}, {2}, kWidest - 1, ""},
    {K::ZeroExtend, {"widest"}, {0}, kWidest, ""}, {K::SignExtend, {"x1"}, {kWidest - 1}, kWidest, ""},
    {K::RotateRight, {"x8"}, {UINT32_MAX}, 8, ""}, {K::BvNeg, {"x8"}, {}, 8, ""},
    {K::BvSub, {"x4", "y4", "x4", "x4"}, {}, 4, ""}, {K::BvComp, {"x4", "y4"}, {}, 1, ""},
    {K::BvSge, {"x1", "x1"}, {}, kBool, ""},

    {K::Or, {"b", "x1"}, {}, kFails, "or expects Boolean operands, got (_ BitVec 1)"},
    {K::And, {"b"}, {}, kFails, "and expects at least 2 operands, got 1"},
    {K::Not, {"b", "b"}, {}, kFails, "not expects 1 operand, got 2"},
    {K::Ite, {"b", "b"}, {}, kFails, "ite expects 3 operands, got 2"},
    {K::Equal, {"x4", "x8"}, {}, kFails, "= expects operands of one sort, got (_ BitVec 4) and (_ BitVec 8)"},
    {K::Distinct, {"b", "b", "x1"}, {}, kFails, "distinct expects operands of one sort, got Bool and (_ BitVec 1)"},
    {K::Ite, {"x1", "x4", "x4"}, {}, kFails, "ite expects a Boolean condition, got (_ BitVec 1)"},
    {K::Ite, {"b", "x4", "x8"}, {}, kFails, "ite expects branches of one sort, got (_ BitVec 4) and (_ BitVec 8)"},
    {K::Concat, {"b", "x4"}, {}, kFails, "concat expects bit-vector operands, got Bool"},
    {K::Concat, {"widest", "x1"}, {}, kFails, "concat result width 1073741824 exceeds the maximum width 1073741823"},
    {K::Extract, {"x4"}, {4, 0}, kFails, "extract index 4 is out of range for a bit-vector of width 4"},
    {K::Extract, {"x4"}, {1, 2}, kFails, "extract expects its first index at least its second, got 1 and 2"},
    {K::Extract, {"x4"}, {3}, kFails, "extract expects 2 indices, got 1"},
    {K::Extract, {"b"}, {0, 0}, kFails, "extract expects bit-vector operands, got Bool"},
    {K::Repeat, {"x4"}, {0}, kFails, "repeat expects a count of at least 1, got 0"},
    {K::Repeat, {"x4"}, {}, kFails, "repeat expects 1 index, got 0"},
    {K::Repeat, {"x4"}, {UINT32_MAX}, kFails, "repeat result width 17179869180 exceeds the maximum width"},
    {K::ZeroExtend, {"widest"}, {1}, kFails, "zero_extend result width 1073741824 exceeds the maximum width"},
    {K::SignExtend, {"x1"}, {UINT32_MAX}, kFails, "sign_extend result width 4294967296 exceeds the maximum"},
    {K::RotateLeft, {"b"}, {1}, kFails, "rotate_left expects bit-vector operands, got Bool"},
    {K::BvAdd, {"x4", "y4"}, {1}, kFails, "bvadd takes no indices, got 1"},
    {K::BvMul, {"x4", "y4", "x8"}, {}, kFails, "bvmul expects operands of equal width, got 4 and 8"},
    {K::BvAnd, {"b", "b"}, {}, kFails, "bvand expects bit-vector operands, got Bool"},
    {K::BvNand, {"x4", "y4", "x4"}, {}, kFails, "bvnand expects 2 operands, got 3"},
    {K::BvComp, {"x4", "x8"}, {}, kFails, "bvcomp expects operands of equal width, got 4 and 8"},
    {K::BvSle, {"b", "b"}, {}, kFails, "bvsle expects bit-vector operands, got Bool"},
};

}  // namespace

TEST(SortCheck, ApplicationsGetTheirSortOrAnExactError) {
    TermStore store;
    const std::map<std::string, TermId> named = {
        {"b", store.mkVar(kBool, "b")},   {"x1", store.mkVar(1, "x1")},
        {"x4", store.mkVar(4, "x4")},     {"y4", store.mkVar(4, "y4")},
        {"x8", store.mkVar(8, "x8")},     {"half", store.mkVar(1u << 29, "half")},
        {"hl", store.mkVar((1u << 29) - 1, "hl")}, {"widest", store.mkVar(kMaxWidth, "widest")}};
    for (const Case& c : kCases) {
        std::vector<TermId> args;
        std::string shown = kindName(c.kind);
        for (const std::string& a : c.args) {
            args.push_back(named.at(a));
            shown += " " + a;
        }
        SCOPED_TRACE(shown);
        size_t before = store.size();
        if (c.sort == kFails) {
            try {
                store.mk(c.kind, args, c.indices);
                ADD_FAILURE() << "no SortError";
            } catch (const SortError& e) {
                EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
            }
            EXPECT_EQ(store.size(), before) << "a refused application left a node";
            continue;
        }
        TermId t = store.mk(c.kind, args, c.indices);
        EXPECT_EQ(store.sort(t), static_cast<Sort>(c.sort));
        EXPECT_EQ(std::vector<TermId>(store.args(t), store.args(t) + store.numArgs(t)), args);
        std::vector<uint32_t> indices;
        for (uint32_t i = 0; i < store.numIndices(t); i++) indices.push_back(store.index(t, i));
        EXPECT_EQ(indices, c.indices);
    }
}

TEST(SortCheck, ConstantsAndVariablesMustFitTheirSort) {
    TermStore store;
    const mpz_class two64 = mpz_class(1) << 64;
    const struct {
        Sort sort;
        mpz_class value;
        const char* message;  // "" when accepted
    } cases[] = {
        {kBool, 1, ""}, {4, 15, ""}, {64, two64 - 1, ""}, {kMaxWidth, 0, ""},
        {kBool, 2, "a Boolean constant must be 0 or 1, got 2"},
        {4, 16, "the constant 16 does not fit in (_ BitVec 4)"},
        {4, -1, "the constant -1 does not fit in (_ BitVec 4)"},
        {64, two64, "the constant 18446744073709551616 does not fit in (_ BitVec 64)"},
        {100, mpz_class(1) << 200, "the constant of 201 bits does not fit in (_ BitVec 100)"},
        {kMaxWidth + 1, 0, "bit-vector width 1073741824 exceeds the maximum width 1073741823"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.get_str() + " of width " + std::to_string(c.sort));
        if (c.message[0] != '\0') {
            try {
                store.mkConst(c.sort, c.value);
                ADD_FAILURE() << "no SortError";
            } catch (const SortError& e) {
                EXPECT_EQ(std::string(e.what()), c.message);
            }
            continue;
        }
        TermId t = store.mkConst(c.sort, c.value);
        EXPECT_EQ(store.kind(t), K::Const);
        EXPECT_EQ(store.sort(t), c.sort);
        EXPECT_EQ(store.value(t), c.value);
    }
    EXPECT_EQ(store.sort(store.mkVar(kMaxWidth, "w")), kMaxWidth);
    EXPECT_THROW(store.mkVar(kMaxWidth + 1, "w"), SortError);
    EXPECT_THROW(store.mkVar(UINT32_MAX, "w"), SortError);
}

TEST(SortCheck, MisuseOfTheInterfaceIsRefused) {
    TermStore store;
    TermId x = store.mkVar(4, "x");
    EXPECT_THROW(store.mk(K::Const, {}), std::invalid_argument);
    EXPECT_THROW(store.mk(K::Variable, {}), std::invalid_argument);
    EXPECT_THROW(store.mk(K::BvAdd, {x, x + 1}), std::out_of_range);
    EXPECT_THROW(store.value(x), std::invalid_argument);
    EXPECT_THROW(store.name(store.mkBool(true)), std::invalid_argument);
    EXPECT_THROW(store.index(x, 0), std::out_of_range);
    EXPECT_THROW(store.kind(99), std::out_of_range);
    EXPECT_EQ(store.size(), 2u);
}
