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

#include "terms/term_store.h"

namespace rwtest {

class RandomTerms {
public:
    static constexpr uint32_t kMaxWidth = 8;
    static constexpr torva::terms::TermId kNone = ~torva::terms::TermId{0};

    RandomTerms(torva::terms::TermStore& store, uint64_t seed) : s_(store), rng_(seed) {
        width_ = 1 + below(kMaxWidth);
        vars_.push_back(s_.mkVar(width_, "x"));
        vars_.push_back(s_.mkVar(width_, "y"));
        if (below(2) == 0)
            vars_.push_back(s_.mkVar(width_, "z"));
        else
            boolVar_ = s_.mkVar(torva::terms::kBool, "p");
    }

    // Over the given variables, each of the width, and the Boolean variable
    // boolVar unless it is kNone.
    RandomTerms(torva::terms::TermStore& store, uint64_t seed, uint32_t width, std::vector<torva::terms::TermId> vars,
                torva::terms::TermId boolVar)
        : s_(store), rng_(seed), width_(width), vars_(std::move(vars)), boolVar_(boolVar) {}

    uint32_t width() const { return width_; }

    // A term of the sort, at most `depth` operators deep.
    torva::terms::TermId term(torva::terms::Sort sort, int depth) {
        std::vector<torva::terms::TermId>& seen = pool_[sort];
        if (!seen.empty() && below(5) == 0) return seen[below(seen.size())];
        torva::terms::TermId t = depth <= 0 || below(6) == 0 ? leaf(sort) : operation(sort, depth - 1);
        seen.push_back(t);
        return t;
    }

private:
    using Kind = torva::terms::Kind;
    using TermId = torva::terms::TermId;

    uint32_t below(size_t n) { return static_cast<uint32_t>(rng_() % n); }

    TermId constant(uint32_t w) {
        mpz_class v;
        switch (below(6)) {
            case 0: v = 0; break;
            case 1: v = 1; break;
            case 2: mpz_setbit(v.get_mpz_t(), w - 1); break;  // the signed minimum
            case 3:
                mpz_setbit(v.get_mpz_t(), w - 1);
                v -= 1;
                break;
            case 4:
                mpz_setbit(v.get_mpz_t(), w);
                v -= 1;
                break;
            default: v = static_cast<unsigned long>(rng_() & 0xFFFF); break;
        }
        mpz_fdiv_r_2exp(v.get_mpz_t(), v.get_mpz_t(), w);
        return s_.mkConst(w, v);
    }

    TermId variable() { return vars_[below(vars_.size())]; }

    TermId leaf(torva::terms::Sort sort) {
        if (sort == torva::terms::kBool) {
            if (below(4) == 0) return s_.mkBool(below(2) == 0);
            if (boolVar_ != kNone && below(2) == 0) return boolVar_;
            Kind k = below(2) == 0 ? Kind::Equal : Kind::BvUlt;
            return s_.mk(k, {variable(), below(2) == 0 ? variable() : constant(width_)});
        }
        if (below(3) == 0) return constant(sort);
        if (sort == width_) return variable();
        if (sort < width_) {
            uint32_t lo = below(width_ - sort + 1);
            return s_.mk(Kind::Extract, {variable()}, {lo + sort - 1, lo});
        }
        Kind k = below(2) == 0 ? Kind::ZeroExtend : Kind::SignExtend;
        return s_.mk(k, {variable()}, {sort - width_});
    }

    // Operand widths drawn for comparisons and equalities.
    uint32_t someWidth() { return below(2) == 0 ? width_ : 1 + below(kMaxWidth); }

    std::vector<TermId> operands(size_t count, torva::terms::Sort sort, int depth) {
        std::vector<TermId> args;
        for (size_t i = 0; i < count; i++) args.push_back(term(sort, depth));
        return args;
    }

    TermId boolOperation(int depth) {
        static const Kind kinds[] = {Kind::Not,      Kind::And,   Kind::Or,    Kind::Xor,   Kind::Implies, Kind::Equal,
                                     Kind::Distinct, Kind::Ite,   Kind::BvUlt, Kind::BvUle, Kind::BvUgt,   Kind::BvUge,
                                     Kind::BvSlt,    Kind::BvSle, Kind::BvSgt, Kind::BvSge};
        Kind k = kinds[below(std::size(kinds))];
        size_t n = 2 + below(2);
        switch (k) {
            case Kind::Not: return s_.mk(k, operands(1, torva::terms::kBool, depth));
            case Kind::Ite:
                return s_.mk(k, {term(torva::terms::kBool, depth), term(torva::terms::kBool, depth),
                                 term(torva::terms::kBool, depth)});
            case Kind::And:
            case Kind::Or:
            case Kind::Xor:
            case Kind::Implies: return s_.mk(k, operands(n, torva::terms::kBool, depth));
            case Kind::Equal:
            case Kind::Distinct: return s_.mk(k, operands(n, below(4) == 0 ? torva::terms::kBool : someWidth(), depth));
            default: return s_.mk(k, operands(2, someWidth(), depth));
        }
    }

    TermId bitVectorOperation(uint32_t w, int depth) {
        static const Kind kinds[] = {
            Kind::Ite,        Kind::Concat,      Kind::Extract, Kind::Repeat, Kind::ZeroExtend, Kind::SignExtend,
            Kind::RotateLeft, Kind::RotateRight, Kind::BvNot,   Kind::BvAnd,  Kind::BvOr,       Kind::BvXor,
            Kind::BvNand,     Kind::BvNor,       Kind::BvXnor,  Kind::BvComp, Kind::BvNeg,      Kind::BvAdd,
            Kind::BvSub,      Kind::BvMul,       Kind::BvUdiv,  Kind::BvUrem, Kind::BvSdiv,     Kind::BvSrem,
            Kind::BvSmod,     Kind::BvShl,       Kind::BvLshr,  Kind::BvAshr};
        Kind k = kinds[below(std::size(kinds))];
        switch (k) {
            case Kind::Ite: return s_.mk(k, {term(torva::terms::kBool, depth), term(w, depth), term(w, depth)});
            case Kind::Concat: {
                if (w == 1) break;
                uint32_t high = 1 + below(w - 1);
                return s_.mk(k, {term(high, depth), term(w - high, depth)});
            }
            case Kind::Extract: {
                uint32_t from = w + below(kMaxWidth - w + 1), lo = below(from - w + 1);
                return s_.mk(k, {term(from, depth)}, {lo + w - 1, lo});
            }
            case Kind::Repeat: {
                uint32_t count = 1 + below(w);
                while (w % count != 0) count--;
                return s_.mk(k, {term(w / count, depth)}, {count});
            }
            case Kind::ZeroExtend:
            case Kind::SignExtend: {
                uint32_t extra = below(w);
                return s_.mk(k, {term(w - extra, depth)}, {extra});
            }
            case Kind::RotateLeft:
            case Kind::RotateRight: return s_.mk(k, {term(w, depth)}, {below(2 * w + 1)});
            case Kind::BvNot:
            case Kind::BvNeg: return s_.mk(k, {term(w, depth)});
            case Kind::BvAnd:
            case Kind::BvOr:
            case Kind::BvXor:
            case Kind::BvAdd:
            case Kind::BvSub:
            case Kind::BvMul: return s_.mk(k, operands(2 + below(2), w, depth));
            case Kind::BvComp:
                if (w != 1) break;
                return s_.mk(k, operands(2, someWidth(), depth));
            default: return s_.mk(k, operands(2, w, depth));
        }
        return s_.mk(Kind::BvXor, operands(2, w, depth));
    }

    TermId operation(torva::terms::Sort sort, int depth) {
        return sort == torva::terms::kBool ? boolOperation(depth) : bitVectorOperation(sort, depth);
    }

    torva::terms::TermStore& s_;
    std::mt19937_64 rng_;
    uint32_t width_;
    std::vector<TermId> vars_;
    TermId boolVar_ = kNone;
    std::map<torva::terms::Sort, std::vector<TermId>> pool_;
};

}  // namespace rwtest
