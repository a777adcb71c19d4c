// GeneratorTORVA core: numbering, binding, fixing values and write().
#include <unistd.h>

#include "generator/generator_session.h"
#include "generator/module_factory.h"

namespace {
static_assert(kMaxCnfVariable == 1073741823, "CNF variable numbers stay below 2^30");

Signal signalWith(unsigned int id, unsigned int bitsize, const std::string& value = "") {
    Signal sig;
    sig.id = id;
    sig.bitsize = bitsize;
    sig.value = value;
    return sig;
}
}  // namespace

TEST(GeneratorCore, NumbersBitsFromOneLeastSignificantFirst) {
    Session run;
    Signal a = signalWith(7, 8);
    Signal b = signalWith(8, 3);
    EXPECT_TRUE(run.generator.addSignal(&a));
    EXPECT_TRUE(run.generator.addSignal(&b));
    EXPECT_EQ(a.cnfVars, (Bits{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(b.cnfVars, (Bits{9, 10, 11}));
    EXPECT_EQ(run.generator.lastCnfVar, 11u);
    EXPECT_EQ(run.solver.nClauses(), 0);
    EXPECT_EQ(run.solver.nAssigns(), 0) << "a signal without value fixes nothing";
}

TEST(GeneratorCore, LinkedConstantsFixTheLowBitsOfTheirValue) {
    Session run;
    Signal four = signalWith(1, 4, "5");
    run.generator.addSignalLink(&four, Bits{3, 1, 4, 2});
    EXPECT_EQ(four.cnfVars, (Bits{3, 1, 4, 2}));
    EXPECT_EQ(run.fixedValue(3), l_True);
    EXPECT_EQ(run.fixedValue(1), l_False);
    EXPECT_EQ(run.fixedValue(4), l_True);
    EXPECT_EQ(run.fixedValue(2), l_False);

    Signal two = signalWith(2, 2, "5");
    run.generator.addSignalLink(&two, Bits{6, 5});
    EXPECT_EQ(run.fixedValue(6), l_True);
    EXPECT_EQ(run.fixedValue(5), l_False);

    // A value far wider than a machine word still fixes exactly its bits.
    Signal big = signalWith(3, 3, "340282366920938463463374607431768211461");  // 2^128 + 5
    run.generator.addSignalLink(&big, Bits{7, 8, 9});
    EXPECT_EQ(run.fixedValue(7), l_True);
    EXPECT_EQ(run.fixedValue(8), l_False);
    EXPECT_EQ(run.fixedValue(9), l_True);

    Signal plain = signalWith(4, 2);
    run.generator.addSignalLink(&plain, Bits{10, 11});
    EXPECT_EQ(run.fixedValue(10), l_Undef);
    EXPECT_EQ(run.fixedValue(11), l_Undef);
}

TEST(GeneratorCore, SetValueFixesEachVariable) {
    Session run;
    Bits vars{12, 4, 30};
    std::vector<bool> bits{false, true, true};
    run.generator.setValue(vars, bits);
    EXPECT_GE(run.solver.nVars(), 31) << "missing solver variables are created";
    EXPECT_EQ(run.fixedValue(12), l_False);
    EXPECT_EQ(run.fixedValue(4), l_True);
    EXPECT_EQ(run.fixedValue(30), l_True);
    EXPECT_EQ(bits, (std::vector<bool>{false, true, true}));
}

TEST(GeneratorCoreDeathTest, ContradictingValueEndsTheRunAsUnsat) {
    Session run;
    Bits vars{2};
    std::vector<bool> one{true};
    std::vector<bool> zero{false};
    run.generator.setValue(vars, one);
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            run.generator.setValue(vars, zero);
        },
        ::testing::ExitedWithCode(20), exactly("Result: UNSAT\n"));
}

TEST(GeneratorCoreDeathTest, MalformedSignalsAreFatal) {
    Session run;
    Signal noId = signalWith(0, 4);
    Signal empty = signalWith(9, 0);
    Signal garbage = signalWith(10, 4, "five");
    EXPECT_DEATH(run.generator.addSignal(&noId), report("GeneratorTORVA", 56, "signal has no id"));
    EXPECT_DEATH(run.generator.addSignal(&empty), report("GeneratorTORVA", 59, "bitsize is zero: 9"));
    EXPECT_DEATH(run.generator.addSignalLink(&noId, Bits{1}), report("GeneratorTORVA", 72, "signal has no id"));
    EXPECT_DEATH(run.generator.addSignalLink(&garbage, Bits{1, 2, 3, 4}),
                 exactly("File: GeneratorTORVA\nLine: 82\n\ncould not convert to value: "));
}

TEST(GeneratorCoreDeathTest, VariableNumbersStayBelowTheLiteralLimit) {
    Session run;
    const std::string limit = report("GeneratorTORVA", 62, "too many CNF variables: the limit is 1073741823");

    // A huge width is refused before anything is allocated for it.
    Signal huge = signalWith(1, 2147483647u);
    EXPECT_DEATH(run.generator.addSignal(&huge), limit);

    run.generator.lastCnfVar = kMaxCnfVariable - 2;
    Signal lastTwo = signalWith(2, 2);
    run.generator.addSignal(&lastTwo);
    EXPECT_EQ(lastTwo.cnfVars, (Bits{kMaxCnfVariable - 1, kMaxCnfVariable}));
    Signal oneMore = signalWith(3, 1);
    EXPECT_DEATH(run.generator.addSignal(&oneMore), limit);
}

TEST(GeneratorCore, WriteSortsModuleWatchesByIdWithoutDuplicates) {
    Session run;
    Bits shared{1}, in1{2}, in2{3}, in3{4}, o1{5}, o2{6}, o3{7};
    getDataAND(run.solver, o1, shared, in1);
    getDataAND(run.solver, o2, shared, in2);
    getDataAND(run.solver, o3, in3, shared);
    Module* m0 = run.solver.modules[0];
    Module* m1 = run.solver.modules[1];
    Module* m2 = run.solver.modules[2];

    run.solver.moduleWatches[1] = {m2, m0, m2, m1, m0};
    run.solver.moduleWatches[4].push_back(m2);

    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(run.generator.write("dummy.torva"));
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "solving\n");

    EXPECT_EQ(run.solver.moduleWatches[1], (std::vector<Module*>{m0, m1, m2}));
    EXPECT_EQ(run.solver.moduleWatches[4], (std::vector<Module*>{m2}));
    for (const auto& watchers : run.solver.moduleWatches)
        for (size_t i = 1; i < watchers.size(); ++i) EXPECT_LT(watchers[i - 1]->id, watchers[i]->id);
}
