// Signal creation, the variable table and the fresh-variable source.
#include "generator/generator_session.h"

TEST(Signals, IdsAndVariablesComeFromOneCounterEach) {
    Session run;
    Signal* first = run.freshWord(8);
    EXPECT_EQ(first->id, 1u);
    EXPECT_EQ(first->kind, SIGNAL_BITVECTOR);
    EXPECT_EQ(first->cnfVars, (Bits{1, 2, 3, 4, 5, 6, 7, 8}));

    unsigned int aux = newCNFVariable();
    EXPECT_EQ(aux, 9u);
    EXPECT_EQ(idcounter, 2u) << "a fresh CNF variable consumes one signal id";

    Signal* flag = run.own(newSignalBool(true));
    EXPECT_EQ(flag->id, 3u);
    EXPECT_EQ(flag->kind, SIGNAL_BOOL);
    EXPECT_EQ(flag->bitsize, 1u);
    EXPECT_EQ(flag->cnfVars, (Bits{10}));

    Signal* unregistered = run.own(newSignal(4, false));
    EXPECT_EQ(unregistered->id, 4u);
    EXPECT_TRUE(unregistered->cnfVars.empty());
    EXPECT_EQ(run.generator.lastCnfVar, 10u);

    Signal* linked = run.own(newSignal(Bits{7, 3}));
    EXPECT_EQ(linked->bitsize, 2u);
    EXPECT_EQ(linked->cnfVars, (Bits{7, 3}));
    EXPECT_EQ(run.generator.lastCnfVar, 10u) << "a linked signal makes no new variables";
}

TEST(Signals, ConstantsCarryTheirValueAndFixTheirBits) {
    Session run;
    Signal* five = run.word(4, 5);
    EXPECT_EQ(five->value, "5");
    const lbool expected[] = {l_True, l_False, l_True, l_False};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(run.fixedValue(five->cnfVars[i]), expected[i]) << "bit " << i;

    Signal* truth = run.boolean(true);
    Signal* falsity = run.boolean(false);
    EXPECT_EQ(truth->kind, SIGNAL_BOOL);
    EXPECT_EQ(truth->value, "1");
    EXPECT_EQ(falsity->value, "0");
    EXPECT_EQ(run.fixedValue(truth->cnfVars[0]), l_True);
    EXPECT_EQ(run.fixedValue(falsity->cnfVars[0]), l_False);

    // The value is not checked against the width: only the low bits count.
    Signal* wide = run.word(8, 300);
    EXPECT_EQ(wide->value, "300");
    for (int i = 0; i < 8; ++i) EXPECT_EQ(run.fixedValue(wide->cnfVars[i]), (44 >> i) & 1 ? l_True : l_False);
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
    EXPECT_EQ(use1->id, declared->id);
    EXPECT_EQ(use2->id, declared->id);
    EXPECT_EQ(use1->cnfVars, (Bits{1, 2, 3, 4}));
    EXPECT_EQ(use2->cnfVars, use1->cnfVars);
    EXPECT_EQ(declared->cnfVars, use1->cnfVars);
    EXPECT_TRUE(variables.at("unused")->cnfVars.empty()) << "a variable never used gets no CNF variables";

    Signal* bound = newConst(3, 6);
    addVariable("?t", bound);
    removeVariable("?t");
    EXPECT_EQ(variables.count("?t"), 0u);
    delete bound;

    clearVariables();
    EXPECT_TRUE(variables.empty());
}

TEST(SignalsDeathTest, InvalidRequestsAreFatal) {
    Session run;
    EXPECT_DEATH(newSignal(0, true), report("smt2xml", 31, "negative bitsize not supported: 0"));
    EXPECT_DEATH(newSignal(-2, false), report("smt2xml", 31, "negative bitsize not supported: -2"));
    EXPECT_DEATH(newSignal(Bits{}), report("smt2xml", 44, "negative bitsize not supported: 0"));
    EXPECT_DEATH(newConst(0, -1), report("smt2xml", 57, "negative bitsize not supported"));
    EXPECT_DEATH(newConst(4, -1), report("smt2xml", 59, "signed values not supported"));

    addVariable("x", newSignal(4, false));
    EXPECT_DEATH(addVariable("x", newSignal(4, false)), report("smt2xml", 91, "variable already defined: x"));
    EXPECT_DEATH(getvar("y"), report("smt2xml", 101, "variable not found: y"));
    EXPECT_DEATH(removeVariable("y"), report("smt2xml", 115, "variable not found: y"));
}
