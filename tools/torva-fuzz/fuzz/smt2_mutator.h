// Grammar-aware mutation of SMT-LIB 2 scripts. Every mutation works on the
// tokens and balanced groups of the fuzzer's tokeniser, so it keeps most of
// the script well formed and reaches past the first syntax error: operator
// and name swaps, widths and indices at the edges (0, 1, 2^30, 2^32,
// negative), subterm duplication, deletion, swapping and splicing, wrapping
// in let / ! / ite, nesting up to 100,000 levels, truncation at a token
// boundary, unbalanced parentheses and inserted commands, plus byte-level
// damage. Deterministic per seed; results are capped at kMaxScript bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/smt2_tokens.h"
#include "random/prng.h"

namespace torva_fuzz {

class Smt2Mutator {
public:
    static constexpr size_t kMaxScript = 4u << 20;

    explicit Smt2Mutator(uint64_t seed) : rng(seed) {}

    // One to four mutations of `parent`; `pool` donates subterms and commands.
    std::string mutate(const std::string& parent, const std::vector<std::string>& pool);
    // One to three rewrites that keep every answer of a well-formed script:
    // user names quoted, asserted formulas wrapped in (not (not F)), (and F
    // true), (let ((fzq true)) F) or (! F :named fzqN), (push 1) (pop 1)
    // before declarations, assertions and checks, literals respelled in
    // another form, comments and line breaks between tokens.
    std::string equivalent(const std::string& script);

    torva_random::Prng& random() { return rng; }

private:
    struct View;

    torva_random::Prng rng;
    uint64_t names = 0;  // numbers the :named wrappers of equivalent()

    void once(std::string& s, const std::vector<std::string>& pool);
    void replaceSymbol(std::string& s, const View& v);
    void changeNumber(std::string& s, const View& v);
    void changeLiteral(std::string& s, const View& v);
    void duplicateGroup(std::string& s, const View& v);
    void deleteGroup(std::string& s, const View& v);
    void swapGroups(std::string& s, const View& v);
    void splice(std::string& s, const View& v, const std::vector<std::string>& pool);
    void wrapTerm(std::string& s, const View& v);
    void nestDeeply(std::string& s, const View& v);
    void truncate(std::string& s, const View& v);
    void unbalance(std::string& s, const View& v);
    void insertCommand(std::string& s, const View& v);
    void changeStringOrQuote(std::string& s, const View& v);
    void changeKeyword(std::string& s, const View& v);
    void damageBytes(std::string& s, const View& v);
    void replaceTermByTerm(std::string& s, const View& v);
    void insertCommentOrJoin(std::string& s, const View& v);
    void quoteName(std::string& s, const View& v);
    void wrapAssertion(std::string& s, const View& v);
    void insertEmptyScope(std::string& s, const View& v);
    void respellLiteral(std::string& s, const View& v);
    void insertSpacing(std::string& s, const View& v);

    Span randomTerm(const View& v);
    std::string termText(const std::string& s, const View& v);
    std::string freshName();
    std::string randomLiteral();
    size_t boundary(const View& v);
    size_t commandBoundary(const View& v);
};

}  // namespace torva_fuzz
