# Tests of the Python module torva: its operators against Python integer
# arithmetic, scopes, assumptions, cores, options, limits, misuse and threads.
import random
import sys
import threading
import time

import pytest

import torva


def mask(width):
    return (1 << width) - 1


def signed(value, width):
    return value - (1 << width) if value >> (width - 1) else value


def udiv(a, b, w):
    return mask(w) if b == 0 else a // b


def urem(a, b, w):
    return a if b == 0 else a % b


def neg(a, w):
    return -a & mask(w)


def sdiv(a, b, w):
    a_neg, b_neg = a >> (w - 1), b >> (w - 1)
    q = udiv(neg(a, w) if a_neg else a, neg(b, w) if b_neg else b, w)
    return neg(q, w) if a_neg != b_neg else q


def srem(a, b, w):
    a_neg, b_neg = a >> (w - 1), b >> (w - 1)
    r = urem(neg(a, w) if a_neg else a, neg(b, w) if b_neg else b, w)
    return neg(r, w) if a_neg else r


def smod(a, b, w):
    a_neg, b_neg = a >> (w - 1), b >> (w - 1)
    u = urem(neg(a, w) if a_neg else a, neg(b, w) if b_neg else b, w)
    if u == 0 or a_neg == b_neg:
        return neg(u, w) if a_neg else u
    return (neg(u, w) + b if a_neg else u + b) & mask(w)


def shl(a, b, w):
    return 0 if b >= w else (a << b) & mask(w)


def lshr(a, b, w):
    return 0 if b >= w else a >> b


def ashr(a, b, w):
    return (signed(a, w) >> min(b, w - 1)) & mask(w)


# Each entry: a name, the term built from x, y (terms) and a, b (their
# Python values), and the expected unsigned value.
BIT_VECTOR_CASES = [
    ("add", lambda x, y, a, b: x + y, lambda a, b, w: (a + b) & mask(w)),
    ("add int right", lambda x, y, a, b: x + b, lambda a, b, w: (a + b) & mask(w)),
    ("sub", lambda x, y, a, b: x - y, lambda a, b, w: (a - b) & mask(w)),
    ("sub int left", lambda x, y, a, b: a - y, lambda a, b, w: (a - b) & mask(w)),
    ("mul", lambda x, y, a, b: x * y, lambda a, b, w: (a * b) & mask(w)),
    ("mul int left", lambda x, y, a, b: a * y, lambda a, b, w: (a * b) & mask(w)),
    ("and", lambda x, y, a, b: x & y, lambda a, b, w: a & b),
    ("or", lambda x, y, a, b: x | y, lambda a, b, w: a | b),
    ("xor int left", lambda x, y, a, b: a ^ y, lambda a, b, w: a ^ b),
    ("not", lambda x, y, a, b: ~x, lambda a, b, w: ~a & mask(w)),
    ("neg", lambda x, y, a, b: -x, lambda a, b, w: neg(a, w)),
    ("neg int", lambda x, y, a, b: x + signed(b, x.width), lambda a, b, w: (a + b) & mask(w)),
    ("shl", lambda x, y, a, b: x << y, lambda a, b, w: shl(a, b, w)),
    ("lshr operator", lambda x, y, a, b: x >> y, lambda a, b, w: lshr(a, b, w)),
    ("lshr", lambda x, y, a, b: torva.lshr(x, y), lambda a, b, w: lshr(a, b, w)),
    ("ashr", lambda x, y, a, b: torva.ashr(x, y), lambda a, b, w: ashr(a, b, w)),
    ("udiv", lambda x, y, a, b: torva.udiv(x, y), udiv),
    ("urem", lambda x, y, a, b: torva.urem(x, y), urem),
    ("sdiv", lambda x, y, a, b: torva.sdiv(x, y), sdiv),
    ("srem", lambda x, y, a, b: torva.srem(x, y), srem),
    ("smod", lambda x, y, a, b: torva.smod(x, y), smod),
    ("ite", lambda x, y, a, b: torva.If(torva.ult(x, y), x, 1), lambda a, b, w: a if a < b else 1),
]

BOOLEAN_CASES = [
    ("eq", lambda x, y: x == y, lambda a, b, w: a == b),
    ("ne int", lambda x, y: x != 0, lambda a, b, w: a != 0),
    ("ult", torva.ult, lambda a, b, w: a < b),
    ("ule", torva.ule, lambda a, b, w: a <= b),
    ("ugt", torva.ugt, lambda a, b, w: a > b),
    ("uge", torva.uge, lambda a, b, w: a >= b),
    ("slt", torva.slt, lambda a, b, w: signed(a, w) < signed(b, w)),
    ("sle", torva.sle, lambda a, b, w: signed(a, w) <= signed(b, w)),
    ("sgt", torva.sgt, lambda a, b, w: signed(a, w) > signed(b, w)),
    ("sge", torva.sge, lambda a, b, w: signed(a, w) >= signed(b, w)),
]


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
        vectors = [(name, build(x, y, a, b), expect(a, b, width)) for name, build, expect in BIT_VECTOR_CASES]
        booleans = [(name, build(x, y), expect(a, b, width)) for name, build, expect in BOOLEAN_CASES]
        assert s.check() == torva.Result.SAT
        model = s.model()
        for name, term, expected in vectors:
            assert term.width == width
            assert int(model[term]) == expected, (name, width, a, b)
        for name, term, expected in booleans:
            assert bool(model[term]) == expected, (name, width, a, b)
        s.pop()


def test_extract_concat_and_extensions_match_python_integers():
    rng = random.Random(7)
    s = torva.Solver()
    for width in (1, 5, 33, 64, 70):
        x = s.bv_const("x", width)
        a = rng.getrandbits(width)
        hi = rng.randrange(width)
        lo = rng.randrange(hi + 1)
        s.push()
        s.add(x == a)
        terms = {
            "extract": (torva.Extract(hi, lo, x), (a >> lo) & mask(hi - lo + 1)),
            "concat": (torva.Concat(x, 1, x), (((a << width) | 1) << width) | a),
            "zero_ext": (torva.ZeroExt(9, x), a),
            "sign_ext": (torva.SignExt(9, x), signed(a, width) & mask(width + 9)),
        }
        assert s.check() == torva.Result.SAT
        model = s.model()
        for name, (term, expected) in terms.items():
            assert int(model[term]) == expected, (name, width, a)
        s.pop()


def test_values_of_any_size_round_trip():
    s = torva.Solver()
    assert int(s.bv_val(-1, 8)) == 255
    assert int(s.bv_val(-128, 8)) == 128
    big = (1 << 199) | 12345
    assert int(s.bv_val(big, 200)) == big
    x = s.bv_const("x", 200)
    s.add(x == big - 1)
    assert s.check() == torva.Result.SAT
    assert int(s.model()[x + 1]) == big
    assert int(s.value(x)) == big - 1
    for value, width in ((256, 8), (-129, 8), (2, 1)):
        with pytest.raises(torva.TorvaError):
            s.bv_val(value, width)


def test_terms_have_kind_sort_text_and_identity():
    s = torva.Solver()
    x, y = s.bv_const("x", 8), s.bv_const("y", 8)
    b = s.bool_const("b")
    t = x + y
    assert t.kind == torva.Kind.BV_ADD and x.kind == torva.Kind.VARIABLE
    assert s.bv_val(3, 8).kind == torva.Kind.CONSTANT
    assert str(x) == "x" and str(t) == "(bvadd x y)"
    assert str(x.sort) == "(_ BitVec 8)" and b.sort.is_bool() and x.sort == s.bv_sort(8)
    assert torva.Extract(5, 2, x).indices == [5, 2]
    assert [c.eq(x) for c in t.children] == [True, False]
    assert t.same_as(x + y) and not t.eq(y + x)
    table = {x: "x", t: "sum"}
    assert table[t.children[0]] == "x" and table[x + y] == "sum"
    assert (b & True).kind == torva.Kind.AND and (~b).kind == torva.Kind.NOT
    assert (b == False).kind == torva.Kind.EQUAL
    assert torva.And(b).eq(b)
    with pytest.raises(TypeError):
        bool(x == y)
    with pytest.raises(TypeError):
        x < y
    with pytest.raises(TypeError):
        x + "1"
    assert (x == None) is False  # noqa: E711
    with pytest.raises(TypeError):
        torva.ult(1, 2)
    for not_a_term in (lambda: s.add(True), lambda: s.check("b"), lambda: torva.Not(1)):
        with pytest.raises(TypeError):
            not_a_term()


def test_push_and_pop_withdraw_assertions():
    s = torva.Solver()
    x = s.bv_const("x", 8)
    s.add(torva.ult(x, 5))
    s.push()
    s.add(x == 7)
    assert s.scope_level() == 1
    assert s.check() == torva.Result.UNSAT
    s.pop()
    assert s.scope_level() == 0
    assert s.check() == torva.Result.SAT
    assert int(s.model()[x]) < 5
    s.push(2)
    s.add(x == 3)
    s.pop(2)
    assert len(s.assertions()) == 1


def test_assumptions_and_unsat_assumptions():
    s = torva.Solver()
    x = s.bv_const("x", 8)
    a, b, c = s.bool_const("a"), s.bool_const("b"), s.bool_const("c")
    s.add(torva.Implies(a, x == 1), torva.Implies(b, x == 2), torva.Implies(c, torva.ult(x, 9)))
    assert s.check(a, c) == torva.Result.SAT
    assert int(s.model()[x]) == 1
    assert s.check(a, b, c) == torva.Result.UNSAT
    failed = s.unsat_assumptions()
    assert failed and all(any(f.eq(t) for t in (a, b, c)) for f in failed)
    assert s.check(*failed) == torva.Result.UNSAT
    assert s.check(a) == torva.Result.SAT


def test_unsat_core_is_an_unsatisfiable_subset():
    s = torva.Solver()
    s.set_option("produce-unsat-cores", True)
    x, y = s.bv_const("x", 8), s.bv_const("y", 8)
    formulas = [x == 1, y == 2, torva.ugt(x, y), x + y == 9]
    s.add(*formulas)
    assert s.check() == torva.Result.UNSAT
    core = s.unsat_core()
    assert core and all(any(c.eq(f) for f in formulas) for c in core)
    s.reset_assertions()
    assert s.check(*core) == torva.Result.UNSAT


def test_options_good_and_bad():
    s = torva.Solver()
    s.set_option("produce-unsat-cores", True)
    assert s.get_option("produce-unsat-cores") == "true"
    s.set_option("produce-unsat-cores", "false")
    assert s.get_option("produce-unsat-cores") == "false"
    for key, value in (("no-such-option", 1), ("produce-unsat-cores", "maybe"), ("preset", "nonsense")):
        with pytest.raises(torva.TorvaError):
            s.set_option(key, value)
    with pytest.raises(torva.TorvaError):
        s.get_option("no-such-option")
    with pytest.raises(TypeError):
        s.set_option("simplify", [True])
    assert_usable(s)


def is_prime(n):
    """Miller-Rabin with the bases that decide every n below 3 * 10^24."""
    bases = [2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37]
    if n < 2 or any(n % p == 0 for p in bases):
        return n in bases
    d, r = n - 1, 0
    while d % 2 == 0:
        d, r = d // 2, r + 1
    for a in bases:
        v = pow(a, d, n)
        if v in (1, n - 1):
            continue
        for _ in range(r - 1):
            v = v * v % n
            if v == n - 1:
                break
        else:
            return False
    return True


def primes_from(start, count, step=1):
    primes, n = [], start
    while len(primes) < count:
        if is_prime(n):
            primes.append(n)
        n += step
    return primes


def factoring_solver(product, width):
    """x * y == product for x, y > 1 of `width` bits each."""
    s = torva.Solver()
    x, y = s.bv_const("x", width), s.bv_const("y", width)
    s.add(torva.ZeroExt(width, x) * torva.ZeroExt(width, y) == product, torva.ugt(x, 1), torva.ugt(y, 1))
    return s, x, y


# A semiprime of two 24-bit primes, and a prime of 47 bits that no two
# 24-bit numbers multiply to (refuting that takes the search a long time).
P, Q = primes_from((1 << 24) - 1, 2, step=-1)
HARD_PRIME = primes_from((1 << 46) + 1, 1)[0]


def assert_usable(s):
    z = s.bv_const("z", 4)
    s.push()
    s.add(z + 1 == 0)
    assert s.check() == torva.Result.SAT
    assert int(s.model()[z]) == 15
    s.pop()


def test_limits_and_terminate_callback_stop_a_hard_check():
    s, x, y = factoring_solver(P * Q, 24)
    s.set_conflict_limit(1)
    assert s.check() == torva.Result.UNKNOWN
    assert s.reason_unknown() == "resourceout"
    s.set_conflict_limit(0)
    assert s.check() == torva.Result.SAT
    assert sorted([int(s.model()[x]), int(s.model()[y])]) == sorted([P, Q])

    s, _, _ = factoring_solver(HARD_PRIME, 24)
    s.set_time_limit(0.2)
    started = time.monotonic()
    assert s.check() == torva.Result.UNKNOWN
    assert s.reason_unknown() == "timeout" and time.monotonic() - started < 5
    s.set_time_limit(0)

    polls = []
    s.set_terminate(lambda: polls.append(1) or len(polls) > 3)
    assert s.check() == torva.Result.UNKNOWN
    assert s.reason_unknown() == "interrupted" and len(polls) == 4
    s.set_terminate(None)
    s.reset_assertions()
    assert_usable(s)


def test_terminate_callback_exception_stops_and_solver_is_busy_inside(monkeypatch):
    s, _, _ = factoring_solver(HARD_PRIME, 24)
    reported = []
    monkeypatch.setattr(sys, "unraisablehook", lambda info: reported.append(info.exc_type))
    s.set_terminate(lambda: 1 / 0)
    assert s.check() == torva.Result.UNKNOWN
    assert reported == [ZeroDivisionError]

    inside = []

    def reenter():
        try:
            s.bv_const("w", 8)
        except torva.TorvaError as e:
            inside.append(str(e))
        return True

    s.set_terminate(reenter)
    assert s.check() == torva.Result.UNKNOWN
    assert len(inside) == 1 and "running a check" in inside[0]
    s.set_terminate(None)
    s.reset_assertions()
    assert_usable(s)


def test_misuse_raises_and_leaves_solver_usable():
    s, other = torva.Solver(), torva.Solver()
    x, y16 = s.bv_const("x", 8), s.bv_const("y", 16)
    foreign = other.bv_const("x", 8)
    misuses = [
        lambda: s.add(foreign == 1),
        lambda: x + foreign,
        lambda: s.check(other.bool_const("a")),
        lambda: x + y16,
        lambda: x == y16,
        lambda: torva.Extract(8, 0, x),
        lambda: torva.Extract(2, 3, x),
        lambda: s.add(x),
        lambda: s.mk_term(torva.Kind.BV_EXTRACT, [x], [9, 0]),
        lambda: torva.Solver().model(),
        lambda: s.pop(),
        lambda: s.bv_sort(0),
    ]
    for misuse in misuses:
        with pytest.raises(torva.TorvaError):
            misuse()
        assert_usable(s)

    s.add(x == 1)
    assert s.check() == torva.Result.SAT
    model = s.model()
    with pytest.raises(torva.TorvaError):
        s.unsat_core()
    with pytest.raises(torva.TorvaError):
        s.unsat_assumptions()
    s.add(x == 2)
    assert s.check() == torva.Result.UNSAT
    for misuse in (s.model, lambda: model[x], lambda: s.value(x)):
        with pytest.raises(torva.TorvaError):
            misuse()
    s.push()
    with pytest.raises(torva.TorvaError):
        s.pop(2)
    s.pop()
    assert s.check() == torva.Result.UNSAT


def test_two_solvers_in_two_threads_at_once():
    answers = {}
    barrier = threading.Barrier(2)
    p, q = primes_from((1 << 14) - 1, 2, step=-1)
    prime = primes_from(1 << 26, 1)[0]

    def solve(product):
        s, x, y = factoring_solver(product, 14)
        barrier.wait()
        result = s.check()
        answers[product] = (result, int(s.model()[x]) * int(s.model()[y]) if result == torva.Result.SAT else None)

    threads = [threading.Thread(target=solve, args=(n,)) for n in (p * q, prime)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert answers == {p * q: (torva.Result.SAT, p * q), prime: (torva.Result.UNSAT, None)}


def test_statistics_are_numbers():
    s = torva.Solver()
    s.add(s.bool_const("a"))
    s.check()
    stats = s.statistics()
    assert stats["checks"] == 1 and stats["checks sat"] == 1
    assert isinstance(stats["last check seconds"], float)


def test_check_releases_the_interpreter_and_keeps_its_solver_busy():
    s, _, _ = factoring_solver(HARD_PRIME, 24)
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
    assert answer == [torva.Result.UNKNOWN]
    s.reset_assertions()
    assert_usable(s)
