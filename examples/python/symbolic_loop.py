"""A small symbolic-execution loop: a program over a 32-bit input x runs
branch by branch; at each branch both sides are tried in a scope (push,
assert the side, check, pop), and the run keeps the feasible side. The
input found for the whole path is then run concretely to confirm it."""
import sys

import torva

MASK = 0xFFFFFFFF

# The program: at each step, a branch condition and the update made when the
# branch is taken. Both work on a term and on a Python int alike.
PROGRAM = [
    (lambda v: (v & 0xFF) == 0x2A, lambda v: v * 3 + 7),
    (lambda v: (v & 0xFF) == 0x00, lambda v: v - 1),  # the low byte is 0x85 here
    (lambda v: (v >> 16) == 0xBEEF, lambda v: v ^ 0x1234),
    (lambda v: v == 0xBEEF1234, lambda v: v),
]


def explore(s, x):
    """The side each branch keeps, as a list of booleans."""
    value, path = x, []
    for step, (condition, update) in enumerate(PROGRAM):
        taken = condition(value)
        feasible = {}
        for side, formula in ((True, taken), (False, torva.Not(taken))):
            s.push()
            s.add(formula)
            feasible[side] = s.check() == torva.Result.SAT
            witness = f", e.g. x = {int(s.model()[x]):#010x}" if feasible[side] else ""
            print(f"branch {step} {'taken' if side else 'not taken'}: {'feasible' if feasible[side] else 'infeasible'}{witness}")
            s.pop()
        keep = feasible[True]
        s.add(taken if keep else torva.Not(taken))
        path.append(keep)
        if keep:
            value = update(value)
    return path


def run_concretely(x):
    value, path = x, []
    for condition, update in PROGRAM:
        taken = condition(value)
        path.append(taken)
        if taken:
            value = update(value) & MASK
    return path


def main():
    s = torva.Solver()
    x = s.bv_const("x", 32)
    path = explore(s, x)
    if s.check() != torva.Result.SAT:
        print("the kept path is infeasible")
        return 1
    found = int(s.model()[x])
    print(f"path {path} reached by x = {found:#010x}")
    if path != [True, False, True, False] or run_concretely(found) != path:
        print("wrong: the input does not follow the path")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
