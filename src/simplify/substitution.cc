// Elimination of variables defined at the top level. Candidates are the
// assertions x = t (either side a variable), p and not p. The definitions
// must not depend on each other in a cycle: a depth-first walk over "t of x
// mentions the candidate y" drops the definition of every variable that
// closes a cycle, so the ones kept can be substituted all at once. The
// value of each eliminated variable is recorded as its definition after the
// substitution, a term over variables that stay.
// Scopes: it runs for a check solved alone; the incremental session uses
// its own replacements of fixed variables, kept per generation (outer
// level) or per check (inside scopes).
#include <unordered_map>

#include "simplify/passes.h"

namespace torva::simplify {

using terms::Kind;
using terms::TermId;

namespace {

// Work bound for reading the definitions, so that huge shared definitions
// cannot make the pass quadratic.
constexpr size_t kMaxVisits = 20'000'000;

struct Candidate {
    TermId variable;
    TermId definition;
    std::vector<size_t> uses;  // candidates whose variable the definition mentions
    bool kept = true;
};

class Candidates {
public:
    explicit Candidates(terms::TermStore& store) : s_(store) {}

    void collect(const std::vector<TermId>& assertions) {
        for (TermId a : assertions) {
            if (s_.kind(a) == Kind::Variable) {
                add(a, s_.mkBool(true));
            } else if (s_.kind(a) == Kind::Not && s_.kind(s_.arg(a, 0)) == Kind::Variable) {
                add(s_.arg(a, 0), s_.mkBool(false));
            } else if (s_.kind(a) == Kind::Equal && s_.numArgs(a) == 2) {
                TermId l = s_.arg(a, 0), r = s_.arg(a, 1);
                if (!(s_.kind(l) == Kind::Variable && add(l, r)) && s_.kind(r) == Kind::Variable) add(r, l);
            }
        }
        for (Candidate& c : list_) c.kept = readUses(c);
    }

    void breakCycles();

    std::unordered_map<TermId, TermId> kept() const {
        std::unordered_map<TermId, TermId> map;
        for (const Candidate& c : list_)
            if (c.kept) map.emplace(c.variable, c.definition);
        return map;
    }

    std::vector<TermId> keptVariables() const {
        std::vector<TermId> vars;
        for (const Candidate& c : list_)
            if (c.kept) vars.push_back(c.variable);
        return vars;
    }

private:
    bool add(TermId variable, TermId definition) {
        if (index_.count(variable)) return false;
        index_.emplace(variable, list_.size());
        list_.push_back({variable, definition, {}, true});
        return true;
    }

    // The candidates the definition mentions; false when it mentions its
    // own variable or the work bound is spent.
    bool readUses(Candidate& c) {
        ++epoch_;
        std::vector<TermId> stack{c.definition};
        while (!stack.empty()) {
            TermId u = stack.back();
            stack.pop_back();
            if (seen_.size() <= u) seen_.resize(s_.size(), 0);
            if (seen_[u] == epoch_) continue;
            seen_[u] = epoch_;
            if (++visits_ > kMaxVisits) return false;
            if (s_.kind(u) == Kind::Variable) {
                if (u == c.variable) return false;
                auto it = index_.find(u);
                if (it != index_.end()) c.uses.push_back(it->second);
                continue;
            }
            for (uint32_t i = 0; i < s_.numArgs(u); i++) stack.push_back(s_.arg(u, i));
        }
        return true;
    }

    terms::TermStore& s_;
    std::vector<Candidate> list_;
    std::unordered_map<TermId, size_t> index_;
    std::vector<uint32_t> seen_;
    uint32_t epoch_ = 0;
    size_t visits_ = 0;
};

void Candidates::breakCycles() {
    enum Colour : char { White, Grey, Black };
    std::vector<Colour> colour(list_.size(), White);
    // Each entry: a candidate and the next of its uses to follow.
    std::vector<std::pair<size_t, size_t>> stack;
    for (size_t root = 0; root < list_.size(); root++) {
        if (colour[root] != White) continue;
        colour[root] = Grey;
        stack.emplace_back(root, 0);
        while (!stack.empty()) {
            auto& [c, next] = stack.back();
            Candidate& candidate = list_[c];
            if (!candidate.kept || next == candidate.uses.size()) {
                colour[c] = Black;
                stack.pop_back();
                continue;
            }
            size_t used = candidate.uses[next++];
            if (!list_[used].kept) continue;
            if (colour[used] == Grey) {
                // used's definition reaches c: c keeps its assertion instead
                candidate.kept = false;
                continue;
            }
            if (colour[used] == White) {
                colour[used] = Grey;
                stack.emplace_back(used, 0);
            }
        }
    }
}

}  // namespace

bool eliminateVariables(PassContext& pass) {
    Candidates candidates(pass.rw.store());
    candidates.collect(pass.assertions);
    candidates.breakCycles();
    std::unordered_map<TermId, TermId> definitions = candidates.kept();
    if (definitions.empty()) return false;
    pass.rw.setReplacements(std::move(definitions));
    for (TermId& a : pass.assertions) a = pass.rw.rewrite(a);
    std::vector<TermId> eliminated = candidates.keptVariables();
    for (TermId x : eliminated) pass.reconstruction.steps.emplace_back(x, pass.rw.rewrite(x));
    pass.stats.substituted += eliminated.size();
    pass.rw.setReplacements({});
    return true;
}

}  // namespace torva::simplify
