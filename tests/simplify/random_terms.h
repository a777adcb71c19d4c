// A seeded generator of random raw terms (store.mk, never simplified) over
// every kind of the term graph. A generator owns two or three bit-vector
// variables of one width (1 to 8), or two of them and a Boolean one, or is
// given its variables (all of one width) and at most one Boolean one;
// subterms of other widths come from constants, extractions and extensions
// of them. Earlier subterms are reused, so the terms are DAGs, and constants
// lean to the edges (0, 1, all ones, the signed extremes). The same seed
// gives the same terms.
#pragma once

#include <gmpxx.h>

#include <cstdint>
#include <iterator>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "rewrite_check.h"

namespace rwtest {

class RandomTerms {
public:
    static constexpr uint32_t kMaxWidth = 8;
    static constexpr TermId kNone = ~TermId{0};

    RandomTerms(TermStore& store, uint64_t seed) : s_(store), rng_(seed) {
        width_ = 1 + below(kMaxWidth);
        vars_ = {s_.mkVar(width_, "x"), s_.mkVar(width_, "y")};
        if (below(2) == 0)
            vars_.push_back(s_.mkVar(width_, "z"));
        else
            boolVar_ = s_.mkVar(kBool, "p");
    }

    // Over the given variables, each of the width, and the Boolean variable
    // boolVar unless it is kNone.
    RandomTerms(TermStore& store, uint64_t seed, uint32_t width, std::vector<TermId> vars, TermId boolVar)
        : s_(store), rng_(seed), width_(width), vars_(std::move(vars)), boolVar_(boolVar) {}

    uint32_t width() const { return width_; }

    // A term of the sort, at most `depth` operators deep.
    TermId term(Sort sort, int depth) {
        std::vector<TermId>& seen = pool_[sort];
        if (!seen.empty() && below(5) == 0) return seen[below(seen.size())];
        TermId t = depth <= 0 || below(6) == 0 ? leaf(sort) : operation(sort, depth - 1);
        seen.push_back(t);
        return t;
    }

private:
    uint32_t below(size_t n) { return static_cast<uint32_t>(rng_() % n); }

    TermId constant(uint32_t w) {
        mpz_class v, signedMin = mpz_class(1) << (w - 1);
        switch (below(6)) {
            case 0: v = 0; break;
            case 1: v = 1; break;
            case 2: v = signedMin; break;
            case 3: v = signedMin - 1; break;
            case 4: v = (mpz_class(1) << w) - 1; break;
            default: v = static_cast<unsigned long>(rng_() & 0xFFFF); break;
        }
        mpz_fdiv_r_2exp(v.get_mpz_t(), v.get_mpz_t(), w);
        return s_.mkConst(w, v);
    }

    TermId variable() { return vars_[below(vars_.size())]; }

    TermId leaf(Sort sort) {
        if (sort == kBool) {
            if (below(4) == 0) return s_.mkBool(below(2) == 0);
            if (boolVar_ != kNone && below(2) == 0) return boolVar_;
            Kind k = below(2) == 0 ? K::Equal : K::BvUlt;
            return s_.mk(k, {variable(), below(2) == 0 ? variable() : constant(width_)});
        }
        if (below(3) == 0) return constant(sort);
        if (sort == width_) return variable();
        if (sort < width_) {
            uint32_t lo = below(width_ - sort + 1);
            return s_.mk(K::Extract, {variable()}, {lo + sort - 1, lo});
        }
        Kind k = below(2) == 0 ? K::ZeroExtend : K::SignExtend;
        return s_.mk(k, {variable()}, {sort - width_});
    }

    // Operand widths drawn for comparisons and equalities.
    uint32_t someWidth() { return below(2) == 0 ? width_ : 1 + below(kMaxWidth); }

    std::vector<TermId> operands(size_t count, Sort sort, int depth) {
        std::vector<TermId> args;
        for (size_t i = 0; i < count; i++) args.push_back(term(sort, depth));
        return args;
    }

    TermId boolOperation(int depth) {
        static const Kind kinds[] = {K::Not,   K::And,   K::Or,    K::Xor,   K::Implies, K::Equal, K::Distinct, K::Ite,
                                     K::BvUlt, K::BvUle, K::BvUgt, K::BvUge, K::BvSlt, K::BvSle, K::BvSgt, K::BvSge};
        Kind k = kinds[below(std::size(kinds))];
        size_t n = 2 + below(2);
        switch (k) {
            case K::Not: return s_.mk(k, operands(1, kBool, depth));
            case K::Ite: return s_.mk(k, operands(3, kBool, depth));
            case K::And: case K::Or: case K::Xor: case K::Implies: return s_.mk(k, operands(n, kBool, depth));
            case K::Equal: case K::Distinct: return s_.mk(k, operands(n, below(4) == 0 ? kBool : someWidth(), depth));
            default: return s_.mk(k, operands(2, someWidth(), depth));
        }
    }

    TermId bitVectorOperation(uint32_t w, int depth) {
        static const Kind kinds[] = {
            K::Ite,   K::Concat, K::Extract, K::Repeat, K::ZeroExtend, K::SignExtend, K::RotateLeft, K::RotateRight,
            K::BvNot, K::BvAnd,  K::BvOr,    K::BvXor,  K::BvNand,     K::BvNor,      K::BvXnor,     K::BvComp,
            K::BvNeg, K::BvAdd,  K::BvSub,   K::BvMul,  K::BvUdiv,     K::BvUrem,     K::BvSdiv,     K::BvSrem,
            K::BvSmod, K::BvShl, K::BvLshr, K::BvAshr};
        Kind k = kinds[below(std::size(kinds))];
        switch (k) {
            case K::Ite: return s_.mk(k, {term(kBool, depth), term(w, depth), term(w, depth)});
            case K::Concat: {
                if (w == 1) break;
                uint32_t high = 1 + below(w - 1);
                return s_.mk(k, {term(high, depth), term(w - high, depth)});
            }
            case K::Extract: {
                uint32_t from = w + below(kMaxWidth - w + 1), lo = below(from - w + 1);
                return s_.mk(k, {term(from, depth)}, {lo + w - 1, lo});
            }
            case K::Repeat: {
                uint32_t count = 1 + below(w);
                while (w % count != 0) count--;
                return s_.mk(k, {term(w / count, depth)}, {count});
            }
            case K::ZeroExtend: case K::SignExtend: {
                uint32_t extra = below(w);
                return s_.mk(k, {term(w - extra, depth)}, {extra});
            }
            case K::RotateLeft: case K::RotateRight: return s_.mk(k, {term(w, depth)}, {below(2 * w + 1)});
            case K::BvNot: case K::BvNeg: return s_.mk(k, {term(w, depth)});
            case K::BvAnd: case K::BvOr: case K::BvXor: case K::BvAdd: case K::BvSub: case K::BvMul:
                return s_.mk(k, operands(2 + below(2), w, depth));
            case K::BvComp:
                if (w != 1) break;
                return s_.mk(k, operands(2, someWidth(), depth));
            default: return s_.mk(k, operands(2, w, depth));
        }
        return s_.mk(K::BvXor, operands(2, w, depth));
    }

    TermId operation(Sort sort, int depth) {
        return sort == kBool ? boolOperation(depth) : bitVectorOperation(sort, depth);
    }

    TermStore& s_;
    std::mt19937_64 rng_;
    uint32_t width_;
    std::vector<TermId> vars_;
    TermId boolVar_ = kNone;
    std::map<Sort, std::vector<TermId>> pool_;
};

}  // namespace rwtest
