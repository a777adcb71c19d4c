# Tests of the Python module torva: its operators against Python integer
# arithmetic at every width from 1 to 70, values of any size, what terms
# tell, misuse, a session of scopes, assumptions and cores, arrays and
# functions against brute force, limits, threads and the interpreter lock.
import itertools
import random
import sys
import threading
import time

import pytest

import torva

SAT, UNSAT, UNKNOWN = torva.Result.SAT, torva.Result.UNSAT, torva.Result.UNKNOWN


def mask(width):
    return (1 << width) - 1


def signed(value, width):
    return value - (1 << width) if value >> (width - 1) else value


# The signed operations on magnitudes, the sign put back after; a zero
# divisor gives all ones (or 1 for a negative dividend) and the dividend.
def sdiv(a, b, w):
    sa, sb = signed(a, w), signed(b, w)
    if sb == 0:
        return 1 if sa < 0 else mask(w)
    q = abs(sa) // abs(sb)
    return (q if (sa < 0) == (sb < 0) else -q) & mask(w)


def srem(a, b, w):
    sa, sb = signed(a, w), signed(b, w)
    r = abs(sa) % abs(sb) if sb else abs(sa)
    return (-r if sa < 0 else r) & mask(w)


def smod(a, b, w):
    # Python's % takes the sign of the divisor, as smod does.
    return (signed(a, w) % signed(b, w)) & mask(w) if signed(b, w) else a


# Each entry: the term built from x, y (terms) and a, b (their values), and
# its value from a, b at width w (a bit vector's taken modulo 2^width).
OPERATOR_CASES = {
    "add": (lambda x, y, a, b: x + y, lambda a, b, w: a + b),
    "add int right": (lambda x, y, a, b: x + b, lambda a, b, w: a + b),
    "add negative int": (lambda x, y, a, b: x + signed(b, x.width), lambda a, b, w: a + b),
    "sub": (lambda x, y, a, b: x - y, lambda a, b, w: a - b),
    "sub int left": (lambda x, y, a, b: a - y, lambda a, b, w: a - b),
    "mul": (lambda x, y, a, b: x * y, lambda a, b, w: a * b),
    "mul int left": (lambda x, y, a, b: a * y, lambda a, b, w: a * b),
    "and": (lambda x, y, a, b: x & y, lambda a, b, w: a & b),
    "or": (lambda x, y, a, b: x | y, lambda a, b, w: a | b),
    "xor int left": (lambda x, y, a, b: a ^ y, lambda a, b, w: a ^ b),
    "not": (lambda x, y, a, b: ~x, lambda a, b, w: ~a),
    "neg": (lambda x, y, a, b: -x, lambda a, b, w: -a),
    "shl": (lambda x, y, a, b: x << y, lambda a, b, w: a << b if b < w else 0),
    "lshr operator": (lambda x, y, a, b: x >> y, lambda a, b, w: a >> b),
    "lshr": (lambda x, y, a, b: torva.lshr(x, y), lambda a, b, w: a >> b),
    "ashr": (lambda x, y, a, b: torva.ashr(x, y), lambda a, b, w: signed(a, w) >> min(b, w)),
    "udiv": (lambda x, y, a, b: torva.udiv(x, y), lambda a, b, w: a // b if b else -1),
    "urem": (lambda x, y, a, b: torva.urem(x, y), lambda a, b, w: a % b if b else a),
    "sdiv": (lambda x, y, a, b: torva.sdiv(x, y), sdiv),
    "srem": (lambda x, y, a, b: torva.srem(x, y), srem),
    "smod": (lambda x, y, a, b: torva.smod(x, y), smod),
    "ite": (lambda x, y, a, b: torva.If(torva.ult(x, y), x, 1), lambda a, b, w: a if a < b else 1),
    "extract high": (lambda x, y, a, b: torva.Extract(x.width - 1, x.width // 2, x), lambda a, b, w: a >> (w // 2)),
    "extract low": (lambda x, y, a, b: torva.Extract((x.width - 1) // 2, 0, x), lambda a, b, w: a),
    "concat": (lambda x, y, a, b: torva.Concat(x, 1, y), lambda a, b, w: a << (2 * w) | 1 << w | b),
    "zero_ext": (lambda x, y, a, b: torva.ZeroExt(9, x), lambda a, b, w: a),
    "sign_ext": (lambda x, y, a, b: torva.SignExt(9, x), lambda a, b, w: signed(a, w)),
    "eq": (lambda x, y, a, b: x == y, lambda a, b, w: a == b),
    "ne int": (lambda x, y, a, b: x != 0, lambda a, b, w: a != 0),
    "ult": (lambda x, y, a, b: torva.ult(x, y), lambda a, b, w: a < b),
    "ule": (lambda x, y, a, b: torva.ule(x, y), lambda a, b, w: a <= b),
    "ugt": (lambda x, y, a, b: torva.ugt(x, y), lambda a, b, w: a > b),
    "uge": (lambda x, y, a, b: torva.uge(x, y), lambda a, b, w: a >= b),
    "slt": (lambda x, y, a, b: torva.slt(x, y), lambda a, b, w: signed(a, w) < signed(b, w)),
    "sle": (lambda x, y, a, b: torva.sle(x, y), lambda a, b, w: signed(a, w) <= signed(b, w)),
    "sgt": (lambda x, y, a, b: torva.sgt(x, y), lambda a, b, w: signed(a, w) > signed(b, w)),
    "sge": (lambda x, y, a, b: torva.sge(x, y), lambda a, b, w: signed(a, w) >= signed(b, w)),
}


def interesting_value(rng, width):
    choice = rng.randrange(6)
    if choice == 0:
        return rng.choice([0, 1, mask(width), 1 << (width - 1)])
    if choice == 1:
        return rng.randrange(min(width + 2, 1 << width))
    return rng.getrandbits(width)


@pytest.mark.parametrize("simplify", [True, False])
@pytest.mark.parametrize("width", range(1, 71))
def test_operators_match_python_integers(width, simplify):
    rng = random.Random(width)
    s = torva.Solver()
    s.set_option("simplify", simplify)
    x, y = s.bv_const("x", width), s.bv_const("y", width)
    for _ in range(3):
        a, b = interesting_value(rng, width), interesting_value(rng, width)
        if rng.randrange(4) == 0:
            b = 0
        s.push()
        s.add(x == a, y == b)
        terms = {name: (build(x, y, a, b), expect(a, b, width)) for name, (build, expect) in OPERATOR_CASES.items()}
        assert s.check() == SAT
        model = s.model()
        for name, (term, expected) in terms.items():
            if term.sort.is_bool():
                assert bool(model[term]) == expected, (name, width, a, b)
            else:
                assert int(model[term]) == expected & mask(term.width), (name, width, a, b)
        s.pop()


def test_values_of_any_size_round_trip():
    s = torva.Solver()
    assert int(s.bv_val(-1, 8)) == 255 and int(s.bv_val(-128, 8)) == 128
    big = (1 << 199) | 12345
    assert int(s.bv_val(big, 200)) == big
    x = s.bv_const("x", 200)
    s.add(x == big - 1)
    assert s.check() == SAT
    assert int(s.model()[x + 1]) == big and int(s.value(x)) == big - 1


def test_terms_have_kind_sort_indices_and_identity():
    s = torva.Solver()
    x, y, b = s.bv_const("x", 8), s.bv_const("y", 8), s.bool_const("b")
    t = x + y
    assert t.kind == torva.Kind.BV_ADD and x.kind == torva.Kind.VARIABLE and s.bv_val(3, 8).kind == torva.Kind.CONSTANT
    assert str(t) == "(bvadd x y)" and b.sort.is_bool() and x.sort == s.bv_sort(8)
    assert torva.Extract(5, 2, x).indices == [5, 2]
    assert [c.eq(x) for c in t.children] == [True, False]
    assert t.same_as(x + y) and not t.eq(y + x)
    table = {x: "x", t: "sum"}
    assert table[t.children[0]] == "x" and table[x + y] == "sum"
    assert (b & True).kind == torva.Kind.AND and (~b).kind == torva.Kind.NOT
    assert (b == False).kind == torva.Kind.EQUAL and torva.And(b).eq(b)  # noqa: E712
    assert (x == None) is False  # noqa: E711


def assert_usable(s):
    z = s.bv_const("z", 4)
    s.push()
    s.add(z + 1 == 0)
    assert s.check() == SAT
    assert int(s.model()[z]) == 15
    s.pop()


# Each misuse the module itself finds or maps, with the error it raises, from
# a solver s with the terms x of 8 bits and w of 16, and another solver o.
# The C++ side's own refusals are Interface.MisuseIsAnError's.
MISUSES = {
    "foreign operand": (torva.TorvaError, lambda s, o, x, w: x + o.bv_const("f", 8)),
    "widths differ in ==": (torva.TorvaError, lambda s, o, x, w: x == w),
    "extract by mk_term": (torva.TorvaError, lambda s, o, x, w: s.mk_term(torva.Kind.BV_EXTRACT, [x], [9, 0])),
    "model before a check": (torva.TorvaError, lambda s, o, x, w: s.model()),
    "value too big": (torva.TorvaError, lambda s, o, x, w: s.bv_val(256, 8)),
    "value too small": (torva.TorvaError, lambda s, o, x, w: s.bv_val(-129, 8)),
    "option value of no type": (TypeError, lambda s, o, x, w: s.set_option("simplify", [True])),
    "truth of an equation": (TypeError, lambda s, o, x, w: bool(x == s.bv_const("y", 8))),
    "ordering by <": (TypeError, lambda s, o, x, w: x < x),
    "string operand": (TypeError, lambda s, o, x, w: x + "1"),
    "no term at all": (TypeError, lambda s, o, x, w: torva.ult(1, 2)),
    "Python bool asserted": (TypeError, lambda s, o, x, w: s.add(True)),
    "string assumption": (TypeError, lambda s, o, x, w: s.check("b")),
    "int negated": (TypeError, lambda s, o, x, w: torva.Not(1)),
}


@pytest.mark.parametrize("error, misuse", MISUSES.values(), ids=list(MISUSES))
def test_misuse_raises_and_leaves_solver_usable(error, misuse):
    s, other = torva.Solver(), torva.Solver()
    s.set_option("produce-unsat-cores", True)
    with pytest.raises(error):
        misuse(s, other, s.bv_const("x", 8), s.bv_const("w", 16))
    assert s.get_option("produce-unsat-cores") == "true"
    assert not s.assertions()
    assert_usable(s)


def test_session_of_scopes_assumptions_and_cores():
    s = torva.Solver()
    s.set_option("produce-unsat-cores", "true")
    x, y = s.bv_const("x", 8), s.bv_const("y", 8)
    a, b, c = s.bool_const("a"), s.bool_const("b"), s.bool_const("c")
    s.add(torva.Implies(a, x == 1), torva.Implies(b, x == 2), torva.Implies(c, torva.ult(x, 9)))
    s.push()
    s.add(x == 7)
    assert s.scope_level() == 1
    assert s.check(a) == UNSAT
    s.pop()
    assert s.scope_level() == 0 and len(s.assertions()) == 3
    assert s.check(a, c) == SAT
    model = s.model()
    assert int(model[x]) == 1
    with pytest.raises(torva.TorvaError):
        s.unsat_core()
    with pytest.raises(torva.TorvaError):
        s.unsat_assumptions()

    assert s.check(a, b, c) == UNSAT
    failed = s.unsat_assumptions()
    assert failed and all(any(f.eq(t) for t in (a, b, c)) for f in failed)
    assert s.check(*failed) == UNSAT
    for misuse in (s.model, lambda: model[x], lambda: s.value(x)):
        with pytest.raises(torva.TorvaError):
            misuse()
    s.push()
    with pytest.raises(torva.TorvaError):
        s.pop(2)
    s.pop()

    s.reset_assertions()
    formulas = [x == 1, y == 2, torva.ugt(x, y), x + y == 9]
    s.add(*formulas)
    assert s.check() == UNSAT
    core = s.unsat_core()
    assert core and all(any(c.eq(f) for f in formulas) for c in core)
    s.reset_assertions()
    assert s.check(*core) == UNSAT
    stats = s.statistics()
    assert stats["checks"] == 6 and stats["checks sat"] == 1
    assert isinstance(stats["last check seconds"], float)


def stored(array, index, element):
    return array[:index] + (element,) + array[index + 1:]


# Formulas over an array a from 2-bit indices to 1-bit elements, a function
# f from 1 bit to 2 bits and a 2-bit i: each built from the terms, and
# decided from the values (a and f as tuples of their entries).
ARRAY_CASES = {
    "one input two outputs": (
        lambda s, a, f, i: [f(a.select(i)) == i, f(a.select(i + 1)) == i + 1, a.select(i) == a.select(i + 1)],
        lambda A, F, I: F[A[I]] == I and F[A[(I + 1) % 4]] == (I + 1) % 4 and A[I] == A[(I + 1) % 4]),
    "store leaves other indices": (
        lambda s, a, f, i: [torva.Select(torva.Store(a, i, 1), i + 1) != a.select(i + 1)],
        lambda A, F, I: stored(A, I, 1)[(I + 1) % 4] != A[(I + 1) % 4]),
    "store over a constant array": (
        lambda s, a, f, i: [a == torva.Store(s.const_array(a.sort, 0), i, 1), f(a.select(i + 2)) == 3],
        lambda A, F, I: A == tuple(int(k == I) for k in range(4)) and F[A[(I + 2) % 4]] == 3),
    "three images of two inputs": (
        lambda s, a, f, i: [torva.Or(f(a.select(0)) != f(a.select(1)), f(a.select(i)) == 2),
                            f(a.select(2)) != f(a.select(3)), a.select(i) == 1],
        lambda A, F, I: (F[A[0]] != F[A[1]] or F[A[I]] == 2) and F[A[2]] != F[A[3]] and A[I] == 1),
    "function of a store": (
        lambda s, a, f, i: [f(torva.Select(torva.Store(a, i, 0), i)) == f(1), f(0) != f(1)],
        lambda A, F, I: F[stored(A, I, 0)[I]] == F[1] and F[0] != F[1]),
}


@pytest.mark.parametrize("build, holds", ARRAY_CASES.values(), ids=list(ARRAY_CASES))
def test_arrays_and_functions_agree_with_brute_force(build, holds):
    s = torva.Solver()
    index, element = s.bv_sort(2), s.bv_sort(1)
    memory = s.array_sort(index, element)
    assert memory.is_array() and memory.index == index and memory.element == element
    assert str(memory) == "(Array (_ BitVec 2) (_ BitVec 1))"
    a, f, i = s.const(memory, "a"), s.const(s.function_sort([element], index), "f"), s.bv_const("i", 2)
    s.add(*build(s, a, f, i))
    expected = any(holds(A, F, I) for A in itertools.product(range(2), repeat=4)
                   for F in itertools.product(range(4), repeat=2) for I in range(4))
    assert s.check() == (SAT if expected else UNSAT)
    if expected:
        model = s.model()
        A = tuple(int(model[a.select(k)]) for k in range(4))
        F = tuple(int(model[f(v)]) for v in range(2))
        assert holds(A, F, int(model[i]))
        value = model[a]
        assert value.kind in (torva.Kind.STORE, torva.Kind.CONST_ARRAY) and str(value) == model.text(a)
        assert tuple(int(model[value.select(k)]) for k in range(4)) == A
        assert model.text(f).startswith("(lambda ((x!1 (_ BitVec 1))) ")


def factoring_solver(product):
    """x * y == product for x, y > 1 of 24 bits each."""
    s = torva.Solver()
    x, y = s.bv_const("x", 24), s.bv_const("y", 24)
    s.add(torva.ZeroExt(24, x) * torva.ZeroExt(24, y) == product, torva.ugt(x, 1), torva.ugt(y, 1))
    return s, x, y


# The two largest primes below 2^24, and the least prime above 2^46, which
# no two 24-bit numbers multiply to (refuting that takes a long search).
P, Q = 16777213, 16777199
HARD_PRIME = 70368744177679


def test_limits_and_terminate_callbacks_stop_a_hard_check(monkeypatch):
    s, x, y = factoring_solver(P * Q)
    s.set_conflict_limit(1)
    assert s.check() == UNKNOWN and s.reason_unknown() == "resourceout"
    s.set_conflict_limit(0)
    assert s.check() == SAT
    assert sorted([int(s.model()[x]), int(s.model()[y])]) == [Q, P]

    s, _, _ = factoring_solver(HARD_PRIME)
    s.set_time_limit(0.2)
    started = time.monotonic()
    assert s.check() == UNKNOWN
    assert s.reason_unknown() == "timeout" and time.monotonic() - started < 5
    s.set_time_limit(0)

    polls = []
    s.set_terminate(lambda: polls.append(1) or len(polls) > 3)
    assert s.check() == UNKNOWN
    assert s.reason_unknown() == "interrupted" and len(polls) == 4

    # A callback that raises stops the check and is reported; one that
    # calls the solver finds it busy.
    reported = []
    monkeypatch.setattr(sys, "unraisablehook", lambda info: reported.append(info.exc_type))
    s.set_terminate(lambda: 1 / 0)
    assert s.check() == UNKNOWN
    assert reported == [ZeroDivisionError]
    inside = []

    def reenter():
        try:
            s.bv_const("w", 8)
        except torva.TorvaError as e:
            inside.append(str(e))
        return True

    s.set_terminate(reenter)
    assert s.check() == UNKNOWN
    assert len(inside) == 1 and "running a check" in inside[0]
    s.set_terminate(None)
    s.reset_assertions()
    assert_usable(s)


def test_check_releases_the_interpreter_and_keeps_its_solver_busy():
    # Another solver answers while the first one's check runs in a thread.
    s, _, _ = factoring_solver(HARD_PRIME)
    s.set_time_limit(1.5)
    started = threading.Event()
    answer = []

    def check():
        started.set()
        answer.append(s.check())

    worker = threading.Thread(target=check)
    worker.start()
    started.wait()
    time.sleep(0.2)
    with pytest.raises(torva.TorvaError, match="running a check"):
        s.add(s.bool_const("a"))
    assert_usable(torva.Solver())
    assert worker.is_alive()
    worker.join()
    assert answer == [UNKNOWN]
    s.reset_assertions()
    assert_usable(s)
