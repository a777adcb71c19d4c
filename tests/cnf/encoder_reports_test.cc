// The precondition reports of every encoding. The operand widths of each
// call are chosen so that exactly the named check is the first to fail, which
// pins the order of the checks.
#include "encoder_harness.h"

namespace {

TEST(EncoderReportsDeathTest, EveryPreconditionInCheckingOrder) {
    EncoderCase c;
    E& e = c.cnf;
    Bits none, one{1}, two{2, 3}, twoMore{4, 5}, three{6, 7, 8}, four{9, 10, 11, 12}, five{13, 14, 15, 16, 17};
    unsigned cond = 1;
    const std::string differ = "Eingaenge haben unterschiedliche bitanzahl";
    const std::string empty = "Bitgroesse der Eingaenge ist 0";
    const std::string badOut = "Ausgangbitzahl ist nicht compatibel zu den inputs";
    const std::string noVariable = "Es muss mindestens eine Variable definiert sein";
    const std::string emptyInput = "Bitgroesse des Eingangs ist 0";
    const std::string emptyOperand = "Bitgroesse eines Eingangs ist 0";
    const std::string wrongOut = "Ausgang hat die falsche Bitgroesse";
    const std::string tooFar = "offset ist groesser als die Bitgroesse des Einganges";
    const std::string widerThanBit = "Ausgang hat mehr als 1 Bit";
    const std::string quotient = "Quotientbitzahl ist nicht compatibel zu den inputs";
    const std::string remainder = "Reminderbitzahl ist nicht compatibel zu den inputs";
    const std::string noInputs = "Groesse des EingangeVectors ist 0->nichts zu tun";

    std::vector<std::pair<std::function<void()>, std::string>> table = {
        {[&] { e._insertADD(two, one, none); }, differ + " \\(2 != 1\\)"},
        {[&] { e._insertADD(none, none, none); }, empty},
        {[&] { e._insertADD(two, twoMore, one); }, badOut},
        {[&] { e._insertADD(two, twoMore, four); }, badOut},
        {[&] { e.insertSUB(two, one, none); }, differ},
        {[&] { e.insertSUB(none, none, none); }, empty},
        {[&] { e.insertSUB(two, twoMore, four); }, badOut},
        {[&] { e._insertMUL(two, one, none, false); }, differ},
        {[&] { e._insertMUL(none, none, none, true); }, empty},
        {[&] { e._insertMUL(two, twoMore, three, false); }, badOut},
        {[&] { e._insertMUL(two, twoMore, five, true); }, badOut},
        {[&] { e._insertNEG(two, one); }, "in und out groesse ist unterschiedlich"},
        {[&] { e._insertNEG(none, none); }, noVariable},
        {[&] { e._insertDIVMOD(two, one, none, none, false, false); }, differ},
        {[&] { e._insertDIVMOD(none, none, one, one, true, false); }, empty},
        {[&] { e._insertDIVMOD(two, twoMore, three, one, false, true); }, quotient},
        {[&] { e._insertDIVMOD(two, twoMore, two, three, true, true); }, remainder},
        {[&] { e.insertDIV(two, twoMore, three, false); }, quotient},
        {[&] { e.insertREM(two, twoMore, three, true); }, remainder},
        {[&] { e.insertNOT(two, one); }, "in und out groesse ist unterschiedlich: 2 1"},
        {[&] { e.insertNOT(none, none); }, noVariable},
        {[&] { e.insertIdentity(one, two); }, "Variablenanzahl ist nicht identisch: 1 2"},
        {[&] { e.insertIdentity(none, none); }, "Keine Eingangsvariablen vorhanden"},
        {[&] { e._insertITE(cond, two, one, none); }, "Then und else groesse ist unterschiedlich"},
        {[&] { e._insertITE(cond, two, twoMore, one); }, "Then und output groesse ist unterschiedlich"},
        {[&] { e._insertITE(cond, none, none, none); }, noVariable},
        {[&] { e.insertSignExtend(none, none); }, emptyInput},
        {[&] { e.insertSignExtend(two, one); }, "Inkompatible Bitgroessen"},
        {[&] { e.insertZeroExtend(none, one); }, emptyInput},
        {[&] { e.insertZeroExtend(three, two); }, "Inkompatible Bitgroessen"},
        {[&] { e.insertSHLConst(none, 5, one); }, emptyInput},
        {[&] { e.insertSHLConst(two, 5, three); }, wrongOut},
        {[&] { e.insertSHLConst(two, 3, two); }, tooFar},
        {[&] { e.insertSHRConst(none, 0, none); }, emptyInput},
        {[&] { e.insertSHRConst(three, 0, two); }, wrongOut},
        {[&] { e.insertSHRConst(three, 4, three); }, tooFar},
        {[&] { e._insertSHL(none, none, one); }, emptyOperand},
        {[&] { e._insertSHL(two, one, three); }, wrongOut},
        {[&] { e._insertSHR(none, none, none); }, emptyOperand},
        {[&] { e._insertSHR(three, one, two); }, wrongOut},
        {[&] { e.cc(); }, "CurrentClause ist leer"},
        {[&] { e._insertAndN(none, 1); }, noInputs},
        {[&] { e._insertOrN(none, 1); }, noInputs},
        {[&] { e._insertNotN(two, three); }, "Anzahl input und outputs ist unterschiedlich"},
    };
    // Each bitwise operation and comparison checks its operands itself.
    for (Encode op : kBitwiseOps) {
        table.push_back({[&, op] { op(e, one, two, none); }, differ});
        table.push_back({[&, op] { op(e, none, none, one); }, empty});
        table.push_back({[&, op] { op(e, two, twoMore, four); }, badOut});
        table.push_back({[&, op] { op(e, two, twoMore, one); }, badOut});
    }
    for (Encode compare : {eq, ult, slt, ule, sle}) {
        table.push_back({[&, compare] { compare(e, one, two, none); }, differ});
        table.push_back({[&, compare] { compare(e, none, none, none); }, empty});
        table.push_back({[&, compare] { compare(e, two, twoMore, none); }, widerThanBit});
        table.push_back({[&, compare] { compare(e, two, twoMore, twoMore); }, widerThanBit});
    }
    for (size_t i = 0; i < table.size(); i++)
        EXPECT_DEATH(table[i].first(), "File: VerificationModelCNF\nLine: [0-9]+\n\n" + table[i].second + "\n") << i;
}

}  // namespace
