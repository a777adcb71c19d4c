// The generator's core and the front end's signals: ids and CNF variables
// come from one counter each (bits least significant first), constants and
// linked records fix the low bits of their value, the variable table hands
// out copies, setValue fixes bits, write() sorts the module watches, and
// malformed requests are fatal with their source and line.
#include <unistd.h>

#include "generator/generator_session.h"
#include "generator/module_factory.h"

namespace {

Signal signalWith(unsigned int id, unsigned int bitsize, const std::string& value = "") {
    Signal sig;
    sig.id = id;
    sig.bitsize = bitsize;
    sig.value = value;
    return sig;
}
}  // namespace

TEST(Signals, IdsAndVariablesComeFromOneCounterEach) {
    Session run;
    Signal* first = run.freshWord(8);
    EXPECT_EQ(summary(first), "1 bv 8: 1 2 3 4 5 6 7 8");
    EXPECT_EQ(run.fixedBits(first->cnfVars), "????????") << "a signal without value fixes nothing";
    EXPECT_EQ(run.solver.nClauses(), 0);
    EXPECT_EQ(newCNFVariable(), 9u);
    EXPECT_EQ(idcounter, 2u) << "a fresh CNF variable consumes one signal id";
    EXPECT_EQ(summary(run.own(newSignalBool(true))), "3 bool 1: 10");
    EXPECT_EQ(summary(run.own(newSignal(4, false))), "4 bv 4:");
    EXPECT_EQ(summary(run.own(newSignal(Bits{7, 3}))), "5 bv 2: 7 3");
    EXPECT_EQ(run.generator.lastCnfVar, 10u) << "unregistered and linked signals make no new variables";
}

// Constants of the right width are checked through the operator translation;
// here a value wider than its width fixes its low bits only.
TEST(Signals, ConstantsAndLinkedRecordsFixTheLowBitsOfTheirValue) {
    {
        Session run;
        Signal* wide = run.word(8, 300);
        EXPECT_EQ(wide->value, "300");
        EXPECT_EQ(run.fixedBits(wide->cnfVars), "00110100");
    }
    // Linked records fix the bits they are given, in that order; a value far
    // wider than a machine word (2^128 + 5) still fixes exactly its bits.
    Session run;
    struct Link {
        const char* value;
        Bits bits;
        const char* fixed;
    };
    const Link links[] = {{"5", {3, 1, 4, 2}, "1010"},
                          {"5", {6, 5}, "10"},
                          {"340282366920938463463374607431768211461", {7, 8, 9}, "101"},
                          {"", {10, 11}, "??"}};
    unsigned int id = 1;
    for (const Link& link : links) {
        Signal sig = signalWith(id++, static_cast<unsigned int>(link.bits.size()), link.value);
        run.generator.addSignalLink(&sig, link.bits);
        EXPECT_EQ(sig.cnfVars, link.bits);
        EXPECT_EQ(run.fixedBits(link.bits), link.fixed) << link.value;
    }
}

TEST(Signals, VariableTableRegistersAtFirstUseAndHandsOutCopies) {
    Session run;
    Signal* declared = newSignal(4, false);
    addVariable("x", declared);
    EXPECT_TRUE(declared->isVariable);
    addVariable("unused", newSignal(2, false));
    EXPECT_EQ(run.generator.lastCnfVar, 0u) << "declaring a variable makes no CNF variables";

    Signal* use1 = run.own(getvar("x"));
    Signal* use2 = run.own(getvar("x"));
    EXPECT_NE(use1, use2);
    EXPECT_FALSE(use1->isVariable);
    for (const Signal* sig : {declared, use1, use2}) EXPECT_EQ(summary(sig), "1 bv 4: 1 2 3 4");
    EXPECT_EQ(summary(variables.at("unused")), "2 bv 2:") << "a variable never used gets no CNF variables";

    Signal* bound = newConst(3, 6);
    addVariable("?t", bound);
    removeVariable("?t");
    EXPECT_EQ(variables.count("?t"), 0u);
    delete bound;
    clearVariables();
    EXPECT_TRUE(variables.empty());
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

TEST(GeneratorCoreDeathTest, SetValueFixesBitsAndAContradictionEndsTheRunAsUnsat) {
    Session run;
    Bits vars{12, 4, 30};
    std::vector<bool> bits{false, true, true};
    run.generator.setValue(vars, bits);
    EXPECT_GE(run.solver.nVars(), 31) << "missing solver variables are created";
    EXPECT_EQ(run.fixedBits(vars), "011");
    EXPECT_EQ(bits, (std::vector<bool>{false, true, true})) << "the values are left as they were";
    std::vector<bool> contradiction{true};
    Bits first{12};
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            run.generator.setValue(first, contradiction);
        },
        ::testing::ExitedWithCode(20), exactly("Result: UNSAT\n"));
}

TEST(GeneratorCoreDeathTest, MalformedRequestsAreFatal) {
    Session run;
    Signal noId = signalWith(0, 4), empty = signalWith(9, 0), garbage = signalWith(10, 4, "five");
    EXPECT_DEATH(run.generator.addSignal(&noId), report("GeneratorTORVA", 56, "signal has no id"));
    EXPECT_DEATH(run.generator.addSignal(&empty), report("GeneratorTORVA", 59, "bitsize is zero: 9"));
    EXPECT_DEATH(run.generator.addSignalLink(&noId, Bits{1}), report("GeneratorTORVA", 72, "signal has no id"));
    EXPECT_DEATH(run.generator.addSignalLink(&garbage, Bits{1, 2, 3, 4}),
                 exactly("File: GeneratorTORVA\nLine: 82\n\ncould not convert to value: "));

    EXPECT_DEATH(newSignal(0, true), report("smt2xml", 31, "negative bitsize not supported: 0"));
    EXPECT_DEATH(newSignal(-2, false), report("smt2xml", 31, "negative bitsize not supported: -2"));
    EXPECT_DEATH(newSignal(Bits{}), report("smt2xml", 44, "negative bitsize not supported: 0"));
    EXPECT_DEATH(newConst(0, -1), report("smt2xml", 57, "negative bitsize not supported"));
    EXPECT_DEATH(newConst(4, -1), report("smt2xml", 59, "signed values not supported"));
    addVariable("x", newSignal(4, false));
    EXPECT_DEATH(addVariable("x", newSignal(4, false)), report("smt2xml", 91, "variable already defined: x"));
    EXPECT_DEATH(getvar("y"), report("smt2xml", 101, "variable not found: y"));
    EXPECT_DEATH(removeVariable("y"), report("smt2xml", 115, "variable not found: y"));

    // A huge width is refused before anything is allocated for it; the last
    // two numbers below the limit are still handed out.
    const std::string limit = report("GeneratorTORVA", 62, "too many CNF variables: the limit is 1073741823");
    Signal huge = signalWith(1, 2147483647u);
    EXPECT_DEATH(run.generator.addSignal(&huge), limit);
    run.generator.lastCnfVar = kMaxCnfVariable - 2;
    Signal lastTwo = signalWith(2, 2), oneMore = signalWith(3, 1);
    run.generator.addSignal(&lastTwo);
    EXPECT_EQ(lastTwo.cnfVars, (Bits{kMaxCnfVariable - 1, kMaxCnfVariable}));
    EXPECT_DEATH(run.generator.addSignal(&oneMore), limit);
}
