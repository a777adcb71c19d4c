// Every word-level encoding checked exhaustively at small widths, one table
// per family: for every operand value the output is forced to the meaning
// (the evaluator's where a term kind has it). Arithmetic and division run
// again with adders or multipliers handed over to modules.
#include "encoder_harness.h"

namespace {

using torva::terms::Kind;
typedef std::vector<Bits> Ops;

void checkAll(const std::vector<Instance>& instances, Blocks blocks = Blocks::Clauses) {
    for (const Instance& instance : instances) checkEveryValue(instance, blocks);
}

std::vector<Instance> arithmetic(unsigned maxWidth) {
    std::vector<Instance> all;
    for (unsigned n = 1; n <= maxWidth; n++) {
        all.push_back(binary("add", add, n, n, evaluated(Kind::BvAdd, n)));
        all.push_back(binary("add", add, n, n + 1, [](const Values& v) { return v[0] + v[1]; }));
        all.push_back(binary("sub", sub, n, n, evaluated(Kind::BvSub, n)));
        all.push_back(binary("sub", sub, n, n + 1, [n](const Values& v) {
            return ((v[0] - v[1]) & lowMask(n)) | uint64_t(v[0] < v[1]) << n;
        }));
        all.push_back({"neg", {n}, n, [](E& e, Ops& o, Bits& out) { e._insertNEG(o[0], out); },
                       evaluated(Kind::BvNeg, n)});
        all.push_back(binary("unsigned product", unsignedProduct, n, 2 * n,
                             [](const Values& v) { return v[0] * v[1]; }));
        all.push_back(binary("signed product", signedProduct, n, 2 * n, [n](const Values& v) {
            auto asSigned = [n](uint64_t x) { return static_cast<int64_t>(x << (64 - n)) >> (64 - n); };
            return uint64_t(asSigned(v[0]) * asSigned(v[1])) & lowMask(2 * n);
        }));
    }
    return all;
}

TEST(EncoderFunctions, Arithmetic) {
    checkAll(arithmetic(4));
    checkAll(arithmetic(3), Blocks::AdderModules);
    checkAll(arithmetic(3), Blocks::MultiplierModules);
}

// The quotient and remainder pair of _insertDIVMOD is checked as one word.
std::vector<Instance> division(unsigned maxWidth) {
    typedef void (E::*DivOp)(Bits&, Bits&, Bits&, bool);
    const struct {
        DivOp op;
        bool isSigned;
        Kind kind;
    } ops[] = {{&E::insertDIV, false, Kind::BvUdiv}, {&E::insertREM, false, Kind::BvUrem},
               {&E::insertMOD, false, Kind::BvUrem}, {&E::insertDIV, true, Kind::BvSdiv},
               {&E::insertREM, true, Kind::BvSrem},  {&E::insertMOD, true, Kind::BvSmod}};
    std::vector<Instance> all;
    for (unsigned n = 1; n <= maxWidth; n++) {
        for (const auto& op : ops)
            all.push_back({std::string("division as ") + torva::terms::kindName(op.kind), {n, n}, n,
                           [op](E& e, Ops& o, Bits& out) { (e.*op.op)(o[0], o[1], out, op.isSigned); },
                           evaluated(op.kind, n)});
        for (bool isSigned : {false, true}) {
            for (bool isMod : {false, true}) {
                Meaning q = evaluated(isSigned ? Kind::BvSdiv : Kind::BvUdiv, n);
                Meaning r = evaluated(!isSigned ? Kind::BvUrem : isMod ? Kind::BvSmod : Kind::BvSrem, n);
                all.push_back({"divmod", {n, n}, 2 * n, [=](E& e, Ops& o, Bits& qr) {
                    Bits quotient(qr.begin(), qr.begin() + n), remainder(qr.begin() + n, qr.end());
                    e._insertDIVMOD(o[0], o[1], quotient, remainder, isSigned, isMod);
                }, [=](const Values& v) { return q(v) | r(v) << n; }});
            }
        }
    }
    return all;
}

TEST(EncoderFunctions, Division) {
    checkAll(division(4));
    checkAll(division(3), Blocks::MultiplierModules);
}

TEST(EncoderFunctions, BitwiseAndSelection) {
    const Kind kinds[] = {Kind::BvAnd, Kind::BvOr, Kind::BvXor, Kind::BvXnor, Kind::BvNand, Kind::BvNor};
    std::vector<Instance> all;
    for (unsigned n = 1; n <= 3; n++) {
        for (int i = 0; i < 6; i++)
            all.push_back(binary(torva::terms::kindName(kinds[i]), kBitwiseOps[i], n, n, evaluated(kinds[i], n)));
        all.push_back({"not", {n}, n, [](E& e, Ops& o, Bits& out) { e.insertNOT(o[0], out); },
                       evaluated(Kind::BvNot, n)});
        all.push_back({"identity", {n}, n, [](E& e, Ops& o, Bits& out) { e.insertIdentity(o[0], out); },
                       [](const Values& v) { return v[0]; }});
        all.push_back({"ite", {1, n, n}, n, [](E& e, Ops& o, Bits& out) { e._insertITE(o[0][0], o[1], o[2], out); },
                       [](const Values& v) { return v[0] ? v[1] : v[2]; }});
    }
    checkAll(all);
}

TEST(EncoderFunctions, Comparisons) {
    const std::pair<Encode, Kind> compares[] = {
        {eq, Kind::Equal}, {ult, Kind::BvUlt}, {slt, Kind::BvSlt}, {ule, Kind::BvUle}, {sle, Kind::BvSle}};
    std::vector<Instance> all;
    for (unsigned n = 1; n <= 4; n++)
        for (const auto& c : compares)
            all.push_back(binary(torva::terms::kindName(c.second), c.first, n, 1, evaluated(c.second, n)));
    checkAll(all);
}

// Barrel shifters take the distance as a word of its own width m, read whole;
// an empty distance copies the data.
TEST(EncoderFunctions, ExtensionsAndShifts) {
    std::vector<Instance> all;
    for (unsigned n = 1; n <= 4; n++) {
        for (unsigned width = n; width <= n + 3; width++) {
            all.push_back({"sign extend", {n}, width, [](E& e, Ops& o, Bits& out) { e.insertSignExtend(o[0], out); },
                           evaluated(Kind::SignExtend, n, {width - n})});
            all.push_back({"zero extend", {n}, width, [](E& e, Ops& o, Bits& out) { e.insertZeroExtend(o[0], out); },
                           [](const Values& v) { return v[0]; }});
        }
        for (unsigned k = 0; k <= n; k++) {
            all.push_back({"shl by " + std::to_string(k), {n}, n,
                           [k](E& e, Ops& o, Bits& out) { e.insertSHLConst(o[0], k, out); },
                           [=](const Values& v) { return (v[0] << k) & lowMask(n); }});
            all.push_back({"shr by " + std::to_string(k), {n}, n,
                           [k](E& e, Ops& o, Bits& out) { e.insertSHRConst(o[0], k, out); },
                           [=](const Values& v) { return v[0] >> k; }});
        }
        for (unsigned m = 0; m <= 4; m++) {
            for (bool left : {false, true}) {
                all.push_back({left ? "barrel shl" : "barrel shr", {n, m}, n,
                               [left](E& e, Ops& o, Bits& out) { (left ? shl : shr)(e, o[0], o[1], out); },
                               [=](const Values& v) {
                                   if (v[1] >= n) return uint64_t(0);
                                   return left ? (v[0] << v[1]) & lowMask(n) : v[0] >> v[1];
                               }});
            }
        }
    }
    checkAll(all);
}

}  // namespace
