"""Unsatisfiable cores: of five assertions about three 8-bit task start
times, three order the tasks in a cycle and so cannot hold together. The
core the solver reports must be unsatisfiable on its own, and what is left
without it must be satisfiable."""
import sys

import torva


def main():
    s = torva.Solver()
    s.set_option("produce-unsat-cores", True)
    a, b, c = (s.bv_const(name, 8) for name in "abc")
    named = {
        torva.ult(a, b): "a before b",
        torva.ult(b, c): "b before c",
        torva.ugt(a, 10): "a after 10",
        torva.ult(c, a): "c before a",
        c != 200: "c not at 200",
    }
    s.add(*named)
    if s.check() != torva.Result.UNSAT:
        print("wrong: the assertions are satisfiable")
        return 1
    core = s.unsat_core()
    print("core:", ", ".join(named[t] for t in core))

    s.reset_assertions()
    if s.check(*core) != torva.Result.UNSAT:
        print("wrong: the core alone is satisfiable")
        return 1
    rest = [t for t in named if not any(t.eq(member) for member in core)]
    if s.check(*rest) != torva.Result.SAT:
        print("wrong: the assertions outside the core are unsatisfiable")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
