// The built-in SMT-LIB 2 scripts and their answers, in QF_BV and with
// arrays and functions. Values of the bit-vector
// operators are checked on fixed operands (a = #x5a, b = #x3c, c = #xa5:
// positive, positive, negative), so every assertion of those scripts is a
// known fact; the deep scripts are built here, with sizes that stay far
// below the limits of one run.
#include "fuzz/smt2_seeds.h"

#include <cstdio>
#include <iterator>

namespace torva_fuzz {
namespace {

const Script kScripts[] = {
    {R"((set-logic QF_BV)
(set-option :produce-models true)
(declare-const x (_ BitVec 4))
(declare-fun y () (_ BitVec 4))
(declare-fun p () Bool)
(assert (= (bvadd x y) #b0011))
(assert (bvult x y))
(assert (= p (= x #x0)))
(check-sat)
(get-model)
(get-value (x y (bvadd x y) p (not p) #b1010 (_ bv3 4) true))
(exit)
)",
     "sat"},
    {R"((set-logic QF_BV)
(declare-const a (_ BitVec 8))
(declare-const b (_ BitVec 8))
(assert (and (= a #x5a) (= b #x3c)))
(assert (= (bvand a b) #x18))
(assert (= (bvor a b) #x7e))
(assert (= (bvxor a b) #x66))
(assert (= (bvnand a b) #xe7))
(assert (= (bvnor a b) #x81))
(assert (= (bvxnor a b) #x99))
(assert (= (bvnot a) #xa5))
(assert (= (bvcomp a b) #b0))
(assert (= (bvcomp a a) #b1))
(assert (= (bvand a b a) (bvand (bvand a b) a)))
(assert (= (bvxor a b b) a))
(check-sat)
(check-sat-assuming ((not (= (bvor a b #x01) #x7f))))
(check-sat)
)",
     "sat unsat sat"},
    {R"((set-logic QF_BV)
(set-option :produce-models true)
(declare-const a (_ BitVec 8))
(declare-const b (_ BitVec 8))
(declare-const c (_ BitVec 8))
(assert (= a #x5a))
(assert (= b #x3c))
(assert (= c #xa5))
(assert (= (bvneg a) #xa6))
(assert (= (bvadd a b) #x96))
(assert (= (bvsub b a) #xe2))
(assert (= (bvmul a b) #x18))
(assert (= (bvudiv a b) #x01))
(assert (= (bvurem a b) #x1e))
(assert (= (bvudiv a #x00) #xff))
(assert (= (bvurem a #x00) a))
(assert (= (bvsdiv c a) #xff))
(assert (= (bvsrem c a) #xff))
(assert (= (bvsmod c a) #x59))
(assert (= (bvsmod a c) #xff))
(assert (= (bvsdiv c #x00) #x01))
(assert (= (bvsdiv a #x00) #xff))
(assert (= (bvsrem c #x00) c))
(assert (= (bvsmod c #x00) c))
(assert (= (bvsdiv a c) #x00))
(assert (= (bvsrem a c) a))
(assert (= (bvadd a b c) (bvadd (bvadd a b) c)))
(assert (= (bvsub a b c) (bvsub (bvsub a b) c)))
(assert (= (bvmul a b c) (bvmul (bvmul a b) c)))
(check-sat)
(get-value ((bvmul a b) (bvudiv c b)))
)",
     "sat"},
    {R"((set-logic QF_BV)
(declare-const a (_ BitVec 8))
(declare-const c (_ BitVec 8))
(declare-const s (_ BitVec 8))
(assert (= a #x5a))
(assert (= c #xa5))
(assert (= (bvshl a #x03) #xd0))
(assert (= (bvlshr c #x03) #x14))
(assert (= (bvashr c #x03) #xf4))
(assert (= (bvashr c #x09) #xff))
(assert (= (bvshl a #x08) #x00))
(assert (= (bvlshr a #xc8) #x00))
(assert (bvult s #x08))
(assert (= (bvshl #x01 s) #x20))
(check-sat)
(check-sat-assuming ((= (bvlshr (bvshl #x01 s) s) #x02)))
)",
     "sat unsat"},
    {R"((set-logic QF_BV)
(set-option :produce-models true)
(declare-const c (_ BitVec 8))
(declare-const n (_ BitVec 4))
(assert (= c #xa5))
(assert (= ((_ extract 7 4) c) #xa))
(assert (= ((_ extract 0 0) c) #b1))
(assert (= ((_ extract 7 0) c) c))
(assert (= (concat #xa #x5) c))
(assert (= (concat #b1 #b0 #b1) #b101))
(assert (= ((_ repeat 2) #xa) #xaa))
(assert (= ((_ repeat 1) c) c))
(assert (= ((_ zero_extend 4) #xa) #x0a))
(assert (= ((_ sign_extend 4) #xa) #xfa))
(assert (= ((_ zero_extend 0) c) c))
(assert (= ((_ sign_extend 0) c) c))
(assert (= ((_ rotate_left 4) c) #x5a))
(assert (= ((_ rotate_right 1) #b0001) #b1000))
(assert (= ((_ rotate_left 9) c) #x4b))
(assert (= ((_ rotate_right 12) c) #x5a))
(assert (= ((_ rotate_left 0) c) c))
(assert (= (concat n ((_ extract 3 0) c)) #x35))
(check-sat)
(get-value (n ((_ extract 7 1) c)))
)",
     "sat"},
    {R"((set-logic QF_BV)
(define-fun a () (_ BitVec 8) #x5a)
(define-fun c () (_ BitVec 8) #xa5)
(assert (bvult a c))
(assert (bvule a a))
(assert (bvugt c a))
(assert (bvuge c c))
(assert (bvslt c a))
(assert (bvsle c c))
(assert (bvsgt a c))
(assert (bvsge a a))
(assert (not (bvult c a)))
(assert (not (bvslt a c)))
(check-sat)
(assert (bvugt a c))
(check-sat)
)",
     "sat unsat"},
    {R"((set-logic QF_BV)
(declare-const w (_ BitVec 64))
(declare-const one (_ BitVec 1))
(assert (= w (_ bv18446744073709551615 64)))
(assert (= w #xFFFFffffFFFFFFFF))
(assert (= (bvadd w #x0000000000000001) (_ bv0 64)))
(assert (= one (_ bv1 1)))
(assert (= one #b1))
(assert (= #b00000101 (_ bv5 8) #x05))
(assert (distinct #b0 #b1))
(check-sat)
)",
     "sat"},
    {R"((set-logic QF_BV)
(declare-const x (_ BitVec 4))
(declare-const y (_ BitVec 4))
(assert (= x #x1))
(assert (= y #x2))
(assert (let ((x y) (y x)) (and (= x #x2) (= y #x1))))
(assert (let ((t (bvadd x y))) (let ((t (bvadd t t)) (u t)) (and (= t #x6) (= u #x3)))))
(assert (let ((x x)) (let ((x (bvnot x))) (= x #xe))))
(assert (let ((b (= x #x1))) (let ((b (not b))) (not b))))
(check-sat)
(check-sat-assuming ((let ((x y)) (= x #x1))))
)",
     "sat unsat"},
    {R"((set-logic QF_BV)
(set-option :produce-assignments true)
(set-option :produce-models true)
(declare-const x (_ BitVec 4))
(assert (! (bvugt x #x7) :named big))
(assert (! (= ((_ extract 0 0) x) #b0) :named even))
(assert (! (bvult x #xa) :named |small one|))
(check-sat)
(get-assignment)
(get-value (x))
(check-sat-assuming (big (not even)))
)",
     "sat unsat"},
    {R"((set-logic QF_BV)
(set-option :produce-models true)
(declare-const x (_ BitVec 4))
(assert (bvugt x #x3))
(push 1)
(declare-const y (_ BitVec 4))
(assert (= y x))
(assert (bvult y #x2))
(check-sat)
(pop 1)
(check-sat)
(push 2)
(define-fun d () (_ BitVec 4) #x9)
(assert (= x d))
(push 1)
(assert (distinct x d))
(check-sat)
(pop 3)
(declare-const y Bool)
(assert y)
(check-sat)
(get-model)
)",
     "unsat sat unsat sat"},
    {R"((set-logic QF_BV)
(declare-fun p () Bool)
(declare-fun q () Bool)
(declare-const x (_ BitVec 2))
(assert (=> p q))
(check-sat-assuming (p (not q)))
(check-sat-assuming (p q (= x #b11)))
(check-sat-assuming ())
(check-sat-assuming (true (bvult x #b01) (not (= x #b00))))
(check-sat)
)",
     "unsat sat sat unsat sat"},
    {R"((set-info :smt-lib-version 2.6)
(set-info :source |multi
line source|)
(set-info :status sat)
(set-option :print-success true)
(set-logic QF_BV)
(get-info :name)
(get-info :version)
(get-info :error-behavior)
(get-info :authors)
(get-info :all-statistics)
(set-option :some-unknown-option 7)
(echo "hello")
(echo "quote "" inside")
(echo "")
(echo "two
lines")
(declare-const x (_ BitVec 3))
(assert (= x #b101))
(check-sat)
(set-option :print-success false)
(echo "done")
)",
     "sat"},
    {R"(; leading comment
(set-logic QF_BV) ; trailing comment
(set-option :produce-models true)
(declare-const |x y| (_ BitVec 4))   ; a symbol with a space
(declare-const |z| (_ BitVec 4))
(declare-const ~!@$%^&*_-+=<>.?/ (_ BitVec 4))
(assert (= z |x y|))   ; |z| and z are one symbol
(assert (= |~!@$%^&*_-+=<>.?/| #x7))
(assert (bvugt |x y| ~!@$%^&*_-+=<>.?/))
(assert (= (bvadd z #x1) #x0)) ; ) ( parentheses in a comment
(check-sat)
(get-value (|x y| z))
)",
     "sat"},
    {R"((set-logic QF_BV)
(define-sort Word () (_ BitVec 16))
(define-sort Flag () Bool)
(declare-const w Word)
(declare-const f Flag)
(define-fun lo ((v Word)) (_ BitVec 8) ((_ extract 7 0) v))
(define-fun hi ((v Word)) (_ BitVec 8) ((_ extract 15 8) v))
(define-fun swap ((v Word)) Word (concat (lo v) (hi v)))
(define-fun pick ((w Word) (f Flag)) Word (ite f (swap w) w))
(assert (= (pick w true) #x3412))
(assert (= (pick w f) w))
(assert (= (swap (swap w)) w))
(check-sat)
(check-sat-assuming (f))
)",
     "sat unsat"},
    {R"((set-logic QF_BV)
(declare-fun a () Bool)
(declare-fun b () Bool)
(declare-fun c () Bool)
(assert (xor a b c))
(assert (=> a b c))
(assert (= a b))
(assert (or (and a b) (not c)))
(assert (distinct a (not c)))
(assert (distinct (not a) b))
(assert (ite a b c))
(assert (= a b true))
(assert (not (xor (not a) b c false)))
(check-sat)
(check-sat-assuming ((not a)))
)",
     "sat unsat"},
    {R"((set-logic QF_BV)
(declare-const x (_ BitVec 4))
(assert (= x #x1))
(assert (= x #x2))
(check-sat)
(reset-assertions)
(declare-const x (_ BitVec 4))
(assert (= x #x2))
(check-sat)
(reset)
(set-logic QF_BV)
(declare-const x Bool)
(assert (and x (not x)))
(check-sat)
(reset)
(check-sat)
)",
     "unsat sat unsat sat"},
    {R"((set-logic QF_BV)
(set-option :produce-models true)
(declare-const x (_ BitVec 6))
(define-fun twice ((v (_ BitVec 6))) (_ BitVec 6) (bvadd v v))
(define-fun four ((v (_ BitVec 6))) (_ BitVec 6) (twice (twice v)))
(define-fun x4 () (_ BitVec 6) (four x))
(define-fun is ((v (_ BitVec 6)) (k (_ BitVec 6))) Bool (= v k))
(assert (is x4 #b001100))
(assert (bvult x #b010000))
(check-sat)
(get-value (x x4 (four #b000001)))
)",
     "sat"},
    {R"((set-logic QF_BV)
(set-option :produce-assignments true)
(declare-const x (_ BitVec 8))
(declare-const c Bool)
(assert (= (ite c x (bvnot x)) #x0f))
(assert (ite (bvult x #x80) c (not c)))
(assert (let ((y (! (bvadd x #x01) :named incremented))) (= y #x10)))
(check-sat)
(get-assignment)
)",
     "sat"},
    {R"((set-logic QF_BV)
(declare-const x (_ BitVec 5))
(declare-const y (_ BitVec 5))
(declare-const z (_ BitVec 5))
(assert (not (= (bvmul x (bvadd y z)) (bvadd (bvmul x y) (bvmul x z)))))
(check-sat)
(reset-assertions)
(declare-const x (_ BitVec 16))
(declare-const y (_ BitVec 16))
(assert (distinct (bvsub x y) (bvadd x (bvneg y))))
(check-sat)
)",
     "unsat unsat"},
    {R"((set-option :regular-output-channel "stderr")
(set-logic QF_BV)
(declare-const x (_ BitVec 2))
(check-sat)
(set-option :regular-output-channel "stdout")
(set-option :diagnostic-output-channel "stderr")
(assert (= x #b10))
(check-sat)
(set-option :regular-output-channel "responses.txt")
(check-sat)
)",
     "", false},
    {R"((set-logic ALL)
(set-option :produce-models true)
(check-sat)
(get-model)
(declare-const b (_ BitVec 1))
(assert (= (bvnot b) #b0))
(check-sat)
(get-value (b (bvnot b)))
)",
     "sat sat"},
    {R"((set-logic QF_BV)
(declare-const p (_ BitVec 1))
(declare-const q (_ BitVec 1))
(assert (= (bvcomp p q) (bvnot (bvxor p q))))
(assert (= (bvand p q) #b1))
(assert (= ((_ zero_extend 1) p) #b01))
(check-sat)
)",
     "sat"},
    {R"((set-logic QF_BV)
(set-option :produce-assignments true)
(declare-const x (_ BitVec 3))
(push 1)
(assert (! (= x #b111) :named all))
(check-sat)
(get-assignment)
(pop 1)
(push 1)
(assert (! (= x #b000) :named all))
(check-sat)
(get-assignment)
(pop 1)
(push)
(pop)
(check-sat)
)",
     "sat sat sat"},
    // Arrays and a function: read over write, a store that changes an
    // array, and congruence through the store.
    {R"((set-logic QF_AUFBV)
(set-option :produce-models true)
(declare-const a (Array (_ BitVec 2) (_ BitVec 3)))
(declare-const b (Array (_ BitVec 2) (_ BitVec 3)))
(declare-fun f ((_ BitVec 3) Bool) (_ BitVec 3))
(declare-const i (_ BitVec 2))
(declare-const p Bool)
(assert (= (select (store a i #b101) i) #b101))
(assert (= b (store a #b01 (f (select a i) p))))
(assert (distinct a b))
(check-sat)
(get-model)
(get-value (a (select b #b01) (f #b000 true) (store b i #b111)))
(push 1)
(assert (= a ((as const (Array (_ BitVec 2) (_ BitVec 3))) #b000)))
(assert (= b a))
(check-sat)
(pop 1)
(check-sat-assuming ((= (select b #b01) (select a #b01))))
)",
     "sat unsat unsat"},
    // An array of arrays and of Booleans: a store that hides an inner array,
    // congruence of a Boolean function, five distinct arrays of a sort of
    // four values, and an array of equal elements that is not constant.
    {R"((set-logic QF_AUFBV)
(declare-const m (Array (_ BitVec 1) (Array (_ BitVec 1) Bool)))
(declare-fun g ((_ BitVec 2)) Bool)
(declare-const x (_ BitVec 2))
(declare-const y (_ BitVec 2))
(assert (select (select m #b0) #b1))
(assert (not (select (select (store m #b1 ((as const (Array (_ BitVec 1) Bool)) false)) #b1) #b0)))
(check-sat)
(push 1)
(assert (= x y))
(assert (distinct (g x) (g y)))
(check-sat)
(pop 1)
(push 1)
(declare-const c (Array (_ BitVec 1) Bool))
(declare-const d (Array (_ BitVec 1) Bool))
(declare-const e (Array (_ BitVec 1) Bool))
(declare-const h (Array (_ BitVec 1) Bool))
(declare-const k (Array (_ BitVec 1) Bool))
(assert (distinct c d e h k))
(check-sat)
(pop 1)
(assert (= (select m #b0) (select m #b1)))
(assert (not (= m ((as const (Array (_ BitVec 1) (Array (_ BitVec 1) Bool))) (select m #b0)))))
(check-sat)
)",
     "sat unsat unsat unsat"},
};

std::string repeated(const std::string& piece, int times) {
    std::string s;
    s.reserve(piece.size() * static_cast<size_t>(times));
    for (int i = 0; i < times; i++) s += piece;
    return s;
}

// x + 3000 through 3000 nested lets that each add one: a valid equation.
Script deepLets() {
    const int depth = 3000;
    std::string body = repeated("(let ((v (bvadd v #x01))) ", depth) + "(= v (bvadd x #xb8))" + std::string(depth, ')');
    return {"(set-logic QF_BV)\n(declare-const x (_ BitVec 8))\n(assert (! (let ((v x)) " + body +
                ") :named deep))\n(check-sat)\n(check-sat-assuming ((not deep)))\n",
            "sat unsat"};
}

// An odd number of nested negations, once on a bit-vector, once on a formula
// (reset-assertions also drops the declarations).
Script deepNegations() {
    const int depth = 4001;
    std::string bits = repeated("(bvnot ", depth) + "x" + std::string(depth, ')');
    std::string formula = repeated("(not ", depth) + "p" + std::string(depth, ')');
    return {"(set-logic QF_BV)\n(declare-const x (_ BitVec 8))\n(declare-const p Bool)\n"
            "(define-fun chain () (_ BitVec 8) " + bits + ")\n(assert (distinct chain (bvnot x)))\n(check-sat)\n"
            "(reset-assertions)\n(declare-const p Bool)\n(assert (= p " + formula + "))\n(check-sat)\n",
            "unsat unsat"};
}

// A 300-operand sum of x = 3 is 900 = #x84 modulo 256.
Script wideSum() {
    return {"(set-logic QF_BV)\n(declare-const x (_ BitVec 8))\n(define-fun sum () (_ BitVec 8) (bvadd" +
                repeated(" x", 300) + "))\n(assert (= x #x03))\n(assert (= sum #x84))\n(check-sat)\n"
                "(check-sat-assuming ((distinct sum #x84)))\n",
            "sat unsat"};
}

// Many short push/check/pop rounds on one declaration.
Script manyScopes() {
    std::string text = "(set-logic QF_BV)\n(declare-const x (_ BitVec 8))\n(assert (bvugt x #x0f))\n";
    std::string answers;
    for (int k = 0; k < 32; k++) {
        char value[8];
        std::snprintf(value, sizeof value, "#x%02x", k * 8);
        text += std::string("(push 1)\n(assert (= x ") + value + "))\n(check-sat)\n(pop 1)\n";
        answers += std::string(answers.empty() ? "" : " ") + (k * 8 > 15 ? "sat" : "unsat");
    }
    return {text, answers};
}

}  // namespace

std::vector<Script> builtinScripts() {
    std::vector<Script> scripts(std::begin(kScripts), std::end(kScripts));
    scripts.push_back(deepLets());
    scripts.push_back(deepNegations());
    scripts.push_back(wideSum());
    scripts.push_back(manyScopes());
    return scripts;
}

}  // namespace torva_fuzz
