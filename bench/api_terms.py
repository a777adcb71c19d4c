#!/usr/bin/env python3
"""Term construction through the Python module: the same chain as
bench_api_terms (bvadd/bvxor/bvmul over 64 variables, every construction a
new node), N constructions (default ten million), through the operators
and through mk_term. Run with PYTHONPATH=<build>/python."""
import sys
import time

import torva


def chain(n, make):
    s = torva.Solver()
    vs = [s.bv_const("v", 32) for _ in range(64)]
    t = vs[0]
    start = time.process_time()
    for i in range(n):
        t = make(s, i % 3, t, vs[i % 64])
    return time.process_time() - start


def main():
    n = int(sys.argv[1]) if len(sys.argv) > 1 else 10_000_000
    ops = [lambda a, b: a + b, lambda a, b: a ^ b, lambda a, b: a * b]
    kinds = [torva.Kind.BV_ADD, torva.Kind.BV_XOR, torva.Kind.BV_MUL]
    print(f"operators: {chain(n, lambda s, k, a, b: ops[k](a, b)):.2f} s CPU for {n} constructions")
    print(f"mk_term:   {chain(n, lambda s, k, a, b: s.mk_term(kinds[k], [a, b])):.2f} s CPU for {n} constructions")


if __name__ == "__main__":
    main()
