// IteGate: with the condition known the output is tied to the selected
// operand in both directions and the other operand is left alone; with the
// condition open, operands that agree fix the output bit, and an output bit
// that differs from one operand selects the other one. The gate never
// reports itself finished from propagate.
#include "modules/iteGate.h"

namespace {
std::vector<unsigned int> iteLayout(unsigned int cond, const std::vector<unsigned int>& thenBits,
                                    const std::vector<unsigned int>& elseBits, const std::vector<unsigned int>& out) {
    std::vector<unsigned int> layout{cond};
    layout.insert(layout.end(), elseBits.begin(), elseBits.end());
    layout.insert(layout.end(), thenBits.begin(), thenBits.end());
    layout.insert(layout.end(), out.begin(), out.end());
    return layout;
}
}  // namespace

IteGate::IteGate(unsigned int moduleId, int prio, unsigned int cond, const std::vector<unsigned int>& thenBits,
                 const std::vector<unsigned int>& elseBits, const std::vector<unsigned int>& out)
    : Module(static_cast<int>(3 * out.size() + 1), moduleId, prio),
      nEntries(static_cast<int>(3 * out.size() + 1)),
      width(static_cast<int>(out.size())),
      nData(2),
      localVars(iteLayout(cond, thenBits, elseBits, out)),
      cursor(0),
      select(cond) {}

Clause* IteGate::propagate(std::vector<int>* implied, unsigned int level) {
    if (takeBacktrackFlag()) cursor = 0;
    if (isUndef(select)) return propagateOpenCondition(implied, level);
    return propagateSelected(implied, level);
}

Clause* IteGate::propagateOpenCondition(std::vector<int>* implied, unsigned int level) {
    for (int j = 1; j <= width; j++) {
        const unsigned int e = elseBit(j);
        const unsigned int t = thenBit(j);
        const unsigned int o = outBit(j);
        if (!isUndef(e) && value(e) == value(t)) {
            if (isUndef(o)) {
                const bool val = isTrue(e);
                lits.clear();
                lits.push(val ? posLit(o) : negLit(o));
                lits.push(falseLit(e));
                lits.push(falseLit(t));
                imply(o, val, implied, level);
            } else if (value(o) != value(e)) {
                lits.clear();
                lits.push(falseLit(o));
                lits.push(falseLit(e));
                lits.push(falseLit(t));
                return conflictFromLits();
            }
        }
        if (inferCondition(j, implied, level)) return nullptr;
    }
    return nullptr;
}

// An output bit that differs from one operand's bit, while the operands do
// not agree, selects the other operand: implies the condition and, when
// still open, the other operand's bit. True when the condition was implied.
bool IteGate::inferCondition(int j, std::vector<int>* implied, unsigned int level) {
    const unsigned int e = elseBit(j);
    const unsigned int t = thenBit(j);
    const unsigned int o = outBit(j);
    if (isUndef(o) || value(e) == value(t)) return false;
    for (bool fromElse : {true, false}) {
        const unsigned int d = fromElse ? e : t;
        const unsigned int other = fromElse ? t : e;
        if (isUndef(d) || value(d) == value(o)) continue;
        lits.clear();
        lits.push(fromElse ? posLit(select) : negLit(select));
        lits.push(falseLit(d));
        lits.push(falseLit(o));
        if (!isUndef(other)) lits.push(falseLit(other));
        imply(select, fromElse, implied, level);
        if (isUndef(other)) {
            const bool val = isTrue(o);
            lits.clear();
            lits.push(val ? posLit(other) : negLit(other));
            lits.push(falseLit(select));
            lits.push(falseLit(o));
            imply(other, val, implied, level);
        }
        return true;
    }
    return false;
}

Clause* IteGate::propagateSelected(std::vector<int>* implied, unsigned int level) {
    const bool cond = isTrue(select);
    for (int j = 1; j <= width; j++) {
        const unsigned int s = cond ? thenBit(j) : elseBit(j);
        const unsigned int o = outBit(j);
        if (isUndef(s) == isUndef(o)) {
            if (isUndef(s) || value(s) == value(o)) continue;
            lits.clear();
            lits.push(falseLit(s));
            lits.push(falseLit(select));
            lits.push(falseLit(o));
            return conflictFromLits();
        }
        const unsigned int open = isUndef(s) ? s : o;
        const unsigned int known = isUndef(s) ? o : s;
        const bool val = isTrue(known);
        lits.clear();
        lits.push(val ? posLit(open) : negLit(open));
        lits.push(falseLit(select));
        lits.push(falseLit(known));
        imply(open, val, implied, level);
    }
    return nullptr;
}

int IteGate::countAssigned(int first) const {
    int n = 0;
    for (int k = first; k < first + width; k++)
        if (!isUndef(localVars[k])) n++;
    return n;
}

int IteGate::decide(unsigned int) {
    takeBacktrackFlag();
    cursor = 0;
    while (cursor < nEntries && !isUndef(localVars[cursor])) cursor++;
    if (cursor == nEntries) {
        finished = true;
        return -1;
    }
    const int nElseAssigned = countAssigned(1);
    const int nThenAssigned = countAssigned(width + 1);
    if (!isUndef(select)) {
        const int first = isTrue(select) ? width + 1 : 1;
        if ((isTrue(select) ? nThenAssigned : nElseAssigned) < width) {
            cursor = first;
            while (!isUndef(localVars[cursor])) cursor++;
        }
        assigns[static_cast<int>(localVars[cursor])] = l_True;
    } else {
        assigns[static_cast<int>(select)] = toLbool(nElseAssigned <= nThenAssigned);
    }
    if (cursor == nEntries - 1) finished = true;
    return static_cast<int>(localVars[cursor]);
}

bool IteGate::getFinished() { return finished && backtrackFlags[id] < 0; }
