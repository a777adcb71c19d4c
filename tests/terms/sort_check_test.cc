// Sort rules of construction: a table of well-sorted applications with their
// result sorts and of ill-sorted ones with the message they must give (wrong
// widths and counts, extract out of range, widths overflowing near
// kMaxWidth), and the range checks of constants and variables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "terms/term_store.h"

using namespace torva::terms;

namespace {

// Operands the cases refer to by name.
struct Operands {
    TermStore store;
    TermId b = store.mkVar(kBool, "b");
    TermId x1 = store.mkVar(1, "x1");
    TermId x4 = store.mkVar(4, "x4");
    TermId y4 = store.mkVar(4, "y4");
    TermId x8 = store.mkVar(8, "x8");
    TermId half = store.mkVar(1u << 29, "half");           // 2^29
    TermId halfLess = store.mkVar((1u << 29) - 1, "hl");   // 2^29 - 1
    TermId widest = store.mkVar(kMaxWidth, "widest");

    TermId byName(const std::string& n) const {
        if (n == "b") return b;
        if (n == "x1") return x1;
        if (n == "x4") return x4;
        if (n == "y4") return y4;
        if (n == "x8") return x8;
        if (n == "half") return half;
        if (n == "hl") return halfLess;
        return widest;
    }
};

struct Case {
    Kind kind;
    std::vector<std::string> args;
    std::vector<uint32_t> indices;
    int64_t sort;         // expected result sort, or -1 for a SortError
    const char* message;  // the error's text
};

constexpr int64_t kFails = -1;
constexpr uint32_t kWidest = kMaxWidth;

const Case kCases[] = {
    {Kind::Not, {"b"}, {}, kBool, ""},
    {Kind::And, {"b", "b", "b"}, {}, kBool, ""},
    {Kind::Implies, {"b", "b"}, {}, kBool, ""},
    {Kind::Xor, {"b", "b", "b", "b"}, {}, kBool, ""},
    {Kind::Equal, {"x4", "y4", "x4"}, {}, kBool, ""},
    {Kind::Equal, {"b", "b"}, {}, kBool, ""},
    {Kind::Distinct, {"x8", "x8"}, {}, kBool, ""},
    {Kind::Ite, {"b", "x4", "y4"}, {}, 4, ""},
    {Kind::Ite, {"b", "b", "b"}, {}, kBool, ""},
    {Kind::Concat, {"x4", "x8"}, {}, 12, ""},
    {Kind::Concat, {"x1", "x4", "x8"}, {}, 13, ""},
    {Kind::Concat, {"half", "hl"}, {}, kWidest, ""},
    {Kind::Extract, {"x4"}, {3, 0}, 4, ""},
    {Kind::Extract, {"x4"}, {2, 2}, 1, ""},
    {Kind::Extract, {"widest"}, {kWidest - 1, 0}, kWidest, ""},
    {Kind::Repeat, {"x4"}, {3}, 12, ""},
    {Kind::Repeat, {"hl"}, {2}, kWidest - 1, ""},
    {Kind::ZeroExtend, {"x4"}, {0}, 4, ""},
    {Kind::ZeroExtend, {"widest"}, {0}, kWidest, ""},
    {Kind::SignExtend, {"x4"}, {4}, 8, ""},
    {Kind::SignExtend, {"x1"}, {kWidest - 1}, kWidest, ""},
    {Kind::RotateLeft, {"x4"}, {100}, 4, ""},
    {Kind::RotateRight, {"x8"}, {UINT32_MAX}, 8, ""},
    {Kind::BvNot, {"x4"}, {}, 4, ""},
    {Kind::BvNeg, {"x8"}, {}, 8, ""},
    {Kind::BvAdd, {"x4", "y4", "x4"}, {}, 4, ""},
    {Kind::BvSub, {"x4", "y4", "x4", "x4"}, {}, 4, ""},
    {Kind::BvXnor, {"x4", "y4"}, {}, 4, ""},
    {Kind::BvComp, {"x4", "y4"}, {}, 1, ""},
    {Kind::BvSmod, {"x8", "x8"}, {}, 8, ""},
    {Kind::BvAshr, {"x4", "y4"}, {}, 4, ""},
    {Kind::BvUlt, {"x4", "y4"}, {}, kBool, ""},
    {Kind::BvSge, {"x1", "x1"}, {}, kBool, ""},

    {Kind::Not, {"x4"}, {}, kFails, "not expects Boolean operands, got (_ BitVec 4)"},
    {Kind::Or, {"b", "x1"}, {}, kFails, "or expects Boolean operands, got (_ BitVec 1)"},
    {Kind::And, {"b"}, {}, kFails, "and expects at least 2 operands, got 1"},
    {Kind::Not, {"b", "b"}, {}, kFails, "not expects 1 operand, got 2"},
    {Kind::Ite, {"b", "b"}, {}, kFails, "ite expects 3 operands, got 2"},
    {Kind::Equal, {"x4", "x8"}, {}, kFails, "= expects operands of one sort, got (_ BitVec 4) and (_ BitVec 8)"},
    {Kind::Distinct, {"b", "b", "x1"}, {}, kFails, "distinct expects operands of one sort, got Bool and (_ BitVec 1)"},
    {Kind::Ite, {"x1", "x4", "x4"}, {}, kFails, "ite expects a Boolean condition, got (_ BitVec 1)"},
    {Kind::Ite, {"b", "x4", "x8"}, {}, kFails, "ite expects branches of one sort, got (_ BitVec 4) and (_ BitVec 8)"},
    {Kind::Concat, {"b", "x4"}, {}, kFails, "concat expects bit-vector operands, got Bool"},
    {Kind::Concat, {"widest", "x1"}, {}, kFails, "concat result width 1073741824 exceeds the maximum width 1073741823"},
    {Kind::Concat, {"half", "half"}, {}, kFails, "concat result width 1073741824 exceeds the maximum width"},
    {Kind::Concat, {"x4"}, {}, kFails, "concat expects at least 2 operands, got 1"},
    {Kind::Extract, {"x4"}, {4, 0}, kFails, "extract index 4 is out of range for a bit-vector of width 4"},
    {Kind::Extract, {"x4"}, {1, 2}, kFails, "extract expects its first index at least its second, got 1 and 2"},
    {Kind::Extract, {"x4"}, {3}, kFails, "extract expects 2 indices, got 1"},
    {Kind::Extract, {"b"}, {0, 0}, kFails, "extract expects bit-vector operands, got Bool"},
    {Kind::Repeat, {"x4"}, {0}, kFails, "repeat expects a count of at least 1, got 0"},
    {Kind::Repeat, {"x4"}, {}, kFails, "repeat expects 1 index, got 0"},
    {Kind::Repeat, {"half"}, {2}, kFails, "repeat result width 1073741824 exceeds the maximum width"},
    {Kind::Repeat, {"x4"}, {UINT32_MAX}, kFails, "repeat result width 17179869180 exceeds the maximum width"},
    {Kind::ZeroExtend, {"widest"}, {1}, kFails, "zero_extend result width 1073741824 exceeds the maximum width"},
    {Kind::SignExtend, {"x1"}, {UINT32_MAX}, kFails, "sign_extend result width 4294967296 exceeds the maximum"},
    {Kind::RotateLeft, {"b"}, {1}, kFails, "rotate_left expects bit-vector operands, got Bool"},
    {Kind::BvAdd, {"x4", "y4"}, {1}, kFails, "bvadd takes no indices, got 1"},
    {Kind::BvAdd, {"x4", "x8"}, {}, kFails, "bvadd expects operands of equal width, got 4 and 8"},
    {Kind::BvMul, {"x4", "y4", "x8"}, {}, kFails, "bvmul expects operands of equal width, got 4 and 8"},
    {Kind::BvAnd, {"b", "b"}, {}, kFails, "bvand expects bit-vector operands, got Bool"},
    {Kind::BvNand, {"x4", "y4", "x4"}, {}, kFails, "bvnand expects 2 operands, got 3"},
    {Kind::BvUdiv, {"x4"}, {}, kFails, "bvudiv expects 2 operands, got 1"},
    {Kind::BvShl, {"x8", "x4"}, {}, kFails, "bvshl expects operands of equal width, got 8 and 4"},
    {Kind::BvComp, {"x4", "x8"}, {}, kFails, "bvcomp expects operands of equal width, got 4 and 8"},
    {Kind::BvUlt, {"x4", "y4", "x4"}, {}, kFails, "bvult expects 2 operands, got 3"},
    {Kind::BvSle, {"b", "b"}, {}, kFails, "bvsle expects bit-vector operands, got Bool"},
    {Kind::BvNeg, {"x4", "x4"}, {}, kFails, "bvneg expects 1 operand, got 2"},
};

}  // namespace

TEST(SortCheck, ApplicationsGetTheirSortOrAnExactError) {
    Operands ops;
    for (const Case& c : kCases) {
        std::vector<TermId> args;
        std::string shown = kindName(c.kind);
        for (const std::string& a : c.args) {
            args.push_back(ops.byName(a));
            shown += " " + a;
        }
        SCOPED_TRACE(shown);
        size_t before = ops.store.size();
        if (c.sort == kFails) {
            try {
                ops.store.mk(c.kind, args, c.indices);
                ADD_FAILURE() << "no SortError";
            } catch (const SortError& e) {
                EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
            }
            EXPECT_EQ(ops.store.size(), before) << "a refused application left a node";
        } else {
            TermId t = ops.store.mk(c.kind, args, c.indices);
            EXPECT_EQ(ops.store.sort(t), static_cast<Sort>(c.sort));
            EXPECT_EQ(ops.store.kind(t), c.kind);
            ASSERT_EQ(ops.store.numArgs(t), args.size());
            for (size_t i = 0; i < args.size(); i++) EXPECT_EQ(ops.store.arg(t, i), args[i]);
            ASSERT_EQ(ops.store.numIndices(t), c.indices.size());
            for (size_t i = 0; i < c.indices.size(); i++) EXPECT_EQ(ops.store.index(t, i), c.indices[i]);
        }
    }
}

TEST(SortCheck, ConstantsAndVariablesMustFitTheirSort) {
    TermStore store;
    struct ConstCase {
        Sort sort;
        mpz_class value;
        const char* message;  // "" when accepted
    };
    const mpz_class two64 = mpz_class(1) << 64;
    const ConstCase cases[] = {
        {kBool, 0, ""},
        {kBool, 1, ""},
        {kBool, 2, "a Boolean constant must be 0 or 1, got 2"},
        {kBool, -1, "a Boolean constant must be 0 or 1, got -1"},
        {1, 1, ""},
        {1, 2, "the constant 2 does not fit in (_ BitVec 1)"},
        {4, 15, ""},
        {4, 16, "the constant 16 does not fit in (_ BitVec 4)"},
        {4, -1, "the constant -1 does not fit in (_ BitVec 4)"},
        {64, two64 - 1, ""},
        {64, two64, "the constant 18446744073709551616 does not fit in (_ BitVec 64)"},
        {kMaxWidth, 0, ""},
        {100, mpz_class(1) << 200, "the constant of 201 bits does not fit in (_ BitVec 100)"},
        {kMaxWidth + 1, 0, "bit-vector width 1073741824 exceeds the maximum width 1073741823"},
    };
    for (const ConstCase& c : cases) {
        SCOPED_TRACE(c.value.get_str() + " of width " + std::to_string(c.sort));
        if (c.message[0] == '\0') {
            TermId t = store.mkConst(c.sort, c.value);
            EXPECT_EQ(store.kind(t), Kind::Const);
            EXPECT_EQ(store.sort(t), c.sort);
            EXPECT_EQ(store.value(t), c.value);
            EXPECT_EQ(store.numArgs(t), 0u);
            EXPECT_EQ(store.numIndices(t), 0u);
        } else {
            try {
                store.mkConst(c.sort, c.value);
                ADD_FAILURE() << "no SortError";
            } catch (const SortError& e) {
                EXPECT_EQ(std::string(e.what()), c.message);
            }
        }
    }
    EXPECT_EQ(store.sort(store.mkVar(kMaxWidth, "w")), kMaxWidth);
    EXPECT_THROW(store.mkVar(kMaxWidth + 1, "w"), SortError);
    EXPECT_THROW(store.mkVar(UINT32_MAX, "w"), SortError);
}

TEST(SortCheck, MisuseOfTheInterfaceIsRefused) {
    TermStore store;
    TermId x = store.mkVar(4, "x");
    EXPECT_THROW(store.mk(Kind::Const, {}), std::invalid_argument);
    EXPECT_THROW(store.mk(Kind::Variable, {}), std::invalid_argument);
    EXPECT_THROW(store.mk(Kind::BvAdd, {x, x + 1}), std::out_of_range);
    EXPECT_THROW(store.value(x), std::invalid_argument);
    EXPECT_THROW(store.name(store.mkBool(true)), std::invalid_argument);
    EXPECT_THROW(store.index(x, 0), std::out_of_range);
    EXPECT_THROW(store.kind(99), std::out_of_range);
    EXPECT_THROW(store.sort(99), std::out_of_range);
    EXPECT_THROW(store.numArgs(99), std::out_of_range);
    EXPECT_EQ(store.size(), 2u);
}
