// What the encodings leave in the solver besides their function: the fresh
// variables, clauses and units they draw (which fix the numbering and the
// run's statistics), the meaning of the fresh variables in drawing order, and
// the hand-over of adders and multipliers to modules by count and width.
#include "encoder_harness.h"

namespace {

// One call on free words of widths a, b, out.
struct Budget {
    const char* name;
    Encode encode;
    int a, b, out;
    int fresh, clauses = -1, units = -1, adds = -1;  // -1: not pinned; adds: adders made
};

TEST(EncoderLayout, FreshVariablesClausesAndUnitsOnFreeOperands) {
    std::vector<Budget> table = {{"sign extend", signExtend, 1, 0, 8, 0},
                                 {"product", unsignedProduct, 8, 8, 16, -1, -1, -1, 7},
                                 {"shl of nothing", shl, 0, 3, 0, 0, 0, 0},
                                 {"shr of nothing", shr, 0, 3, 0, 0, 0, 0}};
    // Bitwise operations into a wider output draw nothing and leave the top
    // output bit out of their clauses (xor and xnor take four a bit).
    for (int i = 0; i < 6; i++) table.push_back({"bitwise", kBitwiseOps[i], 3, 3, 4, 0, i == 2 || i == 3 ? 12 : 9, 0});
    for (int n = 1; n <= 8; n++) {
        // With free operands the unit (¬c[0]) settles c[0] and the carry-on
        // term of bit 0, which drops five clauses of bit 0 as satisfied.
        table.push_back({"add", add, n, n, n, 4 * n + 1, 11 + 17 * (n - 1), 2, 1});
        table.push_back({"add with carry out", add, n, n, n + 1, 4 * n, 11 + 17 * (n - 1), 2, 1});
        if (n > 6) continue;
        table.push_back({"sub", sub, n, n, n, 6 * n + 1});
        table.push_back({"sub with borrow out", sub, n, n, n + 1, 6 * n});
        table.push_back({"neg", neg, n, 0, n, 6 * n + 1, -1, -1, 1});
        table.push_back({"eq", eq, n, n, 1, n});
        table.push_back({"ult", ult, n, n, 1, 5 * n - 3});
        table.push_back({"slt", slt, n, n, 1, n == 1 ? 3 : 5 * n - 7});
        table.push_back({"ule", ule, n, n, 1, 5 * n + 1});
        table.push_back({"sle", sle, n, n, 1, 5 * n - 3});
        // m * n stage variables plus one constant 0 bit per (stage, position)
        // whose source lies outside the word.
        for (int m = 0, outside = 0; m <= 4; outside += std::min(n, 1 << m), m++) {
            table.push_back({"shl", shl, n, m, n, m * n + outside, -1, outside});
            table.push_back({"shr", shr, n, m, n, m * n + outside, -1, outside});
        }
    }
    ConfigGuard guard;
    for (const Budget& row : table) {
        SCOPED_TRACE(std::string(row.name) + " on widths " + std::to_string(row.a) + ", " + std::to_string(row.b) +
                     " into " + std::to_string(row.out));
        addCounter = 5;
        mulCounter = 0;
        EncoderCase c;
        Bits a = c.word(row.a), b = c.word(row.b), out = c.word(row.out);
        const unsigned before = c.lastVar;
        row.encode(c.cnf, a, b, out);
        const int actual[] = {int(c.lastVar - before), c.solver.nClauses(), c.solver.nAssigns(), int(addCounter) - 5};
        const int pinned[] = {row.fresh, row.clauses, row.units, row.adds};
        const char* const columns[] = {"fresh variables", "clauses", "units", "adders"};
        for (int i = 0; i < 4; i++)
            EXPECT_TRUE(pinned[i] < 0 || actual[i] == pinned[i]) << columns[i] << " = " << actual[i];
        EXPECT_TRUE(c.solver.modules.empty());
    }
}

// The model values of the variables one call draws, for operands x and y.
std::vector<int> drawnValues(Encode encode, unsigned n, unsigned outWidth, uint64_t x, uint64_t y) {
    EncoderCase c;
    Bits a = c.word(n), b = c.word(n), out = c.word(outWidth);
    const unsigned first = c.lastVar + 1;
    encode(c.cnf, a, b, out);
    c.fix(a, x);
    c.fix(b, y);
    std::vector<int> values;
    if (!c.solve()) return values;
    for (unsigned v = first; v <= c.lastVar; v++) values.push_back(c.modelBit(v));
    return values;
}

// The adder draws the carries c[0..n] (the carry out last, as the output is
// n bits), then per bit the half sum, the carried-on and the generated
// carry. The less-than ripple draws na, lt for bit 0, then e, t1, na, t2, l
// for every further bit (t1 and t2 not pinned, -1). Equality draws the bit
// equalities.
TEST(EncoderLayout, FreshVariablesInDrawingOrder) {
    ConfigGuard guard;
    const unsigned n = 3;
    auto bit = [](uint64_t v, unsigned i) { return int((v >> i) & 1); };
    for (uint64_t x = 0; x < 8; x++) {
        for (uint64_t y = 0; y < 8; y++) {
            SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
            std::vector<int> adder, less{!bit(x, 0), (x & 1) < (y & 1)}, equal;
            auto carryInto = [&](unsigned i) { return bit((x & lowMask(i)) + (y & lowMask(i)), i); };
            for (unsigned i = 0; i <= n; i++) adder.push_back(carryInto(i));
            for (unsigned i = 0; i < n; i++) {
                const int half = bit(x, i) ^ bit(y, i);
                adder.insert(adder.end(), {half, carryInto(i) & half, bit(x, i) & bit(y, i)});
                equal.push_back(!half);
                const int below = (x & lowMask(i + 1)) < (y & lowMask(i + 1));
                if (i > 0) less.insert(less.end(), {!half, -1, !bit(x, i), -1, below});
            }
            addCounter = 0;
            EXPECT_EQ(adder, drawnValues(add, n, n, x, y));
            std::vector<int> drawn = drawnValues(ult, n, 1, x, y);
            for (size_t i = 0; i < drawn.size() && i < less.size(); i++) drawn[i] = less[i] < 0 ? -1 : drawn[i];
            EXPECT_EQ(less, drawn);
            EXPECT_EQ(equal, drawnValues(eq, n, 1, x, y));
        }
    }
}

// Encodes one addition (or unsigned multiplication) of n-bit words; returns
// the number of modules registered with the multiplier's priority or any.
size_t modulesAfter(bool multiply, unsigned n, bool wideOut = true, unsigned* drawn = nullptr) {
    EncoderCase c;
    Bits a = c.word(n), b = c.word(n), out = c.word(multiply ? 2 * n : wideOut ? n + 1 : n);
    const unsigned before = c.lastVar;
    multiply ? c.cnf._insertMUL(a, b, out, false) : c.cnf._insertADD(a, b, out);
    if (drawn != nullptr) *drawn = c.lastVar - before;
    size_t modules = 0;
    for (Module* m : c.solver.modules) modules += !multiply || m->priority == prioParams[PRIO_MULTIPLIER];
    return modules;
}

// The adder's count and width limits are strict, the multiplier's inclusive.
TEST(EncoderLayout, HandOverToModulesByCountAndWidth) {
    ConfigGuard guard;
    unsigned drawn = 0;
    addCounter = 399;
    EXPECT_EQ(modulesAfter(false, 4), 0u);
    EXPECT_EQ(addCounter, 400u);
    EXPECT_EQ(modulesAfter(false, 4, true, &drawn), 1u);
    EXPECT_EQ(drawn, 0u);
    EXPECT_EQ(addCounter, 401u);
    EXPECT_EQ(modulesAfter(false, 4, false, &drawn), 1u);
    EXPECT_EQ(drawn, 1u) << "an n-bit result gets one fresh carry-out bit for the module";

    toClses.addSizeHeur = 8;
    addCounter = 0;
    EXPECT_EQ(modulesAfter(false, 8), 0u);
    EXPECT_EQ(modulesAfter(false, 9), 1u);
    toClses.addSizeHeur = 100000;
    toClses.addSubModule = true;
    addCounter = 0;
    EXPECT_EQ(modulesAfter(false, 1, false), 1u);
    EXPECT_EQ(addCounter, 1u);
    toClses.addSubModule = false;

    addCounter = 0;
    mulCounter = 2;
    EXPECT_EQ(modulesAfter(true, 3), 0u);
    EXPECT_EQ(modulesAfter(true, 3), 1u);
    EXPECT_EQ(mulCounter, 4u);
    mulCounter = 0;
    EXPECT_EQ(modulesAfter(true, 386), 1u);
    toClses.mulSizeHeur = 4;
    mulCounter = 0;
    EXPECT_EQ(modulesAfter(true, 3), 0u);
    EXPECT_EQ(modulesAfter(true, 4), 1u);
    toClses.mulSubModule = false;
    mulCounter = 100;
    EXPECT_EQ(modulesAfter(true, 4), 0u);
    EXPECT_EQ(mulCounter, 101u);
}

// divHeur gives the division's multiplier priority 0 while it is built and
// leaves the priority table as it was (the division's values are checked
// with multiplier modules in EncoderFunctions).
TEST(EncoderLayout, DivHeurLowersTheDivisionsMultiplierOnly) {
    ConfigGuard guard;
    for (bool divHeur : {false, true}) {
        toClses.divHeur = divHeur;
        mulCounter = toClses.mulHeur - 1;
        addCounter = 0;
        const int before = prioParams[PRIO_MULTIPLIER];
        EncoderCase c;
        Bits a = c.word(4), b = c.word(4), q = c.word(4);
        c.cnf.insertDIV(a, b, q, false);
        EXPECT_EQ(prioParams[PRIO_MULTIPLIER], before);
        ASSERT_EQ(c.solver.modules.size(), 1u);
        EXPECT_EQ(c.solver.modules[0]->priority, divHeur ? 0 : before);
    }
}

}  // namespace
