// Printing of random benchmarks as SMT-LIB 1.x text, and the bookkeeping of
// which declarations a benchmark reads.
#include "random/expr.h"

#include <cctype>
#include <sstream>

#include "random/reachable.h"

namespace torva_random {

namespace {

struct OpSpelling {
    Op op;
    const char* name;
};

const OpSpelling kSpellings[] = {
    {Op::Not, "not"}, {Op::And, "and"}, {Op::Or, "or"}, {Op::Xor, "xor"}, {Op::Implies, "implies"},
    {Op::Iff, "iff"}, {Op::IteFormula, "ite"}, {Op::Equal, "="}, {Op::Distinct, "distinct"},
    {Op::Ult, "bvult"}, {Op::Ule, "bvule"}, {Op::Ugt, "bvugt"}, {Op::Uge, "bvuge"},
    {Op::Slt, "bvslt"}, {Op::Sle, "bvsle"}, {Op::Sgt, "bvsgt"}, {Op::Sge, "bvsge"},
    {Op::Neg, "bvneg"}, {Op::BvNot, "bvnot"}, {Op::Add, "bvadd"}, {Op::Sub, "bvsub"},
    {Op::Mul, "bvmul"}, {Op::Udiv, "bvudiv"}, {Op::Urem, "bvurem"}, {Op::Sdiv, "bvsdiv"},
    {Op::Srem, "bvsrem"}, {Op::Shl, "bvshl"}, {Op::Lshr, "bvlshr"}, {Op::BvAnd, "bvand"},
    {Op::BvOr, "bvor"}, {Op::BvXor, "bvxor"}, {Op::Xnor, "bvxnor"}, {Op::Nand, "bvnand"},
    {Op::Nor, "bvnor"}, {Op::Extract, "extract"}, {Op::Concat, "concat"},
    {Op::ZeroExtend, "zero_extend"}, {Op::SignExtend, "sign_extend"}, {Op::IteTerm, "ite"},
    {Op::Comp, "bvcomp"}, {Op::Let, "let"}, {Op::Flet, "flet"}, {Op::Ashr, "bvashr"}, {Op::Smod, "bvsmod"},
    {Op::RotateLeft, "rotate_left"}, {Op::RotateRight, "rotate_right"}, {Op::Repeat, "repeat"},
};

// Keywords whose letter case the front end ignores are printed in one of three
// spellings when the benchmark is decorated; the choice follows the salt.
std::string keyword(const std::string& word, bool vary, unsigned salt) {
    if (!vary || salt % 3 == 0) return word;
    std::string s = word;
    if (salt % 3 == 1) {
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    } else {
        size_t first = s[0] == ':' ? 1 : 0;
        s[first] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[first])));
    }
    return s;
}

class Printer {
public:
    explicit Printer(const Benchmark& b) : bench(b) {}

    void node(std::ostream& os, int i) {
        const Node& n = bench.nodes[i];
        if (n.parenthesised) os << "(";
        if (bench.isFormula(i))
            formula(os, i, n);
        else
            term(os, i, n);
        if (n.parenthesised) os << ")";
    }

    std::string kw(const std::string& word, unsigned salt) const { return keyword(word, bench.decorated, salt); }

    static void annotation(std::ostream& os, unsigned salt) {
        switch (salt % 3) {
            case 0: os << " :named"; break;
            case 1: os << " :weight {" << salt % 97 << "}"; break;
            default: os << " :note {a\\}b\n c}"; break;
        }
    }

private:
    const Benchmark& bench;

    void close(std::ostream& os, const Node& n, int i) {
        if (n.annotated) annotation(os, static_cast<unsigned>(i));
        os << ")";
    }

    void operands(std::ostream& os, const Node& n) {
        for (int k : n.kids) {
            os << " ";
            node(os, k);
        }
    }

    void application(std::ostream& os, int i, const Node& n, const std::string& name) {
        os << "(" << name;
        operands(os, n);
        close(os, n, i);
    }

    void atomic(std::ostream& os, int i, const Node& n, const std::string& text) {
        if (n.annotated) {
            os << "(" << text;
            annotation(os, static_cast<unsigned>(i));
            os << ")";
        } else {
            os << text;
        }
    }

    void formula(std::ostream& os, int i, const Node& n) {
        unsigned salt = static_cast<unsigned>(i);
        switch (n.op) {
            case Op::True: os << kw("true", salt); break;
            case Op::False: os << kw("false", salt); break;
            case Op::Pred: atomic(os, i, n, bench.decls[n.decl].name); break;
            case Op::FormulaRef: os << n.name; break;
            case Op::IteFormula:
                application(os, i, n, bench.decorated && salt % 2 ? "if_then_else" : "ite");
                break;
            case Op::Distinct: application(os, i, n, kw("distinct", salt)); break;
            case Op::Let:
            case Op::Flet:
                os << "(" << kw(opName(n.op), salt) << " (" << n.name << " ";
                node(os, n.kids[0]);
                os << ") ";
                node(os, n.kids[1]);
                close(os, n, i);
                break;
            default: application(os, i, n, opName(n.op)); break;
        }
    }

    void term(std::ostream& os, int i, const Node& n) {
        unsigned salt = static_cast<unsigned>(i);
        switch (n.op) {
            case Op::Var: atomic(os, i, n, bench.decls[n.decl].name); break;
            case Op::Const: atomic(os, i, n, constant(n)); break;
            case Op::TermRef: os << n.name; break;
            case Op::Shl: application(os, i, n, bench.decorated && salt % 2 ? kw("shift_left0", salt) : kw("bvshl", salt)); break;
            case Op::Lshr: application(os, i, n, bench.decorated && salt % 2 ? "shift_right0" : "bvlshr"); break;
            case Op::Extract:
                os << "(" << kw("extract", salt) << "[" << n.hi << ":" << n.lo << "] ";
                node(os, n.kids[0]);
                close(os, n, i);
                break;
            case Op::ZeroExtend:
            case Op::SignExtend:
            case Op::RotateLeft:
            case Op::RotateRight:
            case Op::Repeat:
                os << "(" << opName(n.op) << "[" << n.hi << "] ";
                node(os, n.kids[0]);
                close(os, n, i);
                break;
            case Op::IteTerm:
                application(os, i, n, bench.decorated && salt % 2 ? kw("if_then_else", salt) : kw("ite", salt));
                break;
            default: application(os, i, n, opName(n.op)); break;
        }
    }

    static std::string constant(const Node& n) {
        unsigned __int128 shown = n.value;
        if (n.wrap) shown += static_cast<unsigned __int128>(n.wrap) << n.width;
        switch (n.style) {
            case ConstStyle::Bit: return n.value ? "bit1" : "bit0";
            case ConstStyle::Bare: return decimal(shown);
            case ConstStyle::Plain: return decimal(shown) + "[" + std::to_string(n.width) + "]";
            case ConstStyle::Bv: break;
        }
        return "bv" + decimal(shown) + "[" + std::to_string(n.width) + "]";
    }
};

}  // namespace

const char* opName(Op op) {
    for (const OpSpelling& s : kSpellings)
        if (s.op == op) return s.name;
    return "?";
}

std::string decimal(unsigned __int128 v) {
    if (v == 0) return "0";
    std::string digits;
    while (v) {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
        v /= 10;
    }
    return digits;
}

bool graphOnly(Op op) { return op >= Op::Ashr; }

namespace {
// The roots of a benchmark's DAG: its assertions.
std::vector<int> assertionNodes(const Benchmark& b) {
    std::vector<int> roots;
    for (const Assertion& a : b.assertions) roots.push_back(a.node);
    return roots;
}
}  // namespace

bool needsGraphReader(const Benchmark& b) {
    return !visitReachable(b.nodes, assertionNodes(b), [](const Node& n) { return !graphOnly(n.op); });
}

int Benchmark::add(const Node& n) {
    nodes.push_back(n);
    return static_cast<int>(nodes.size()) - 1;
}

std::vector<bool> Benchmark::usedDeclarations() const {
    std::vector<bool> used(decls.size(), false);
    visitReachable(nodes, assertionNodes(*this), [&used](const Node& n) {
        if (n.decl >= 0) used[n.decl] = true;
        return true;
    });
    return used;
}

unsigned Benchmark::usedBits() const {
    std::vector<bool> used = usedDeclarations();
    unsigned bits = 0;
    for (size_t d = 0; d < decls.size(); d++)
        if (used[d]) bits += decls[d].width;
    return bits;
}

std::string Benchmark::text() const {
    Printer p(*this);
    std::ostringstream os;
    os << "(" << p.kw("benchmark", 1) << " " << name << "\n";
    if (decorated) {
        os << "; generated benchmark " << name << "\n";
        os << " " << p.kw(":notes", 2) << " \"random \\ benchmark\nwith two lines\"\n";
        os << " " << p.kw(":source", 1) << " { generator x\\}y\n over lines }\n";
        os << " " << p.kw(":status", 2) << " unknown\n";
        os << " :generator_version {1}\n";
    }
    os << " " << p.kw(":logic", decorated ? 1 : 0) << " QF_BV\n";
    bool anyFun = false, anyPred = false;
    for (const Declaration& d : decls) (d.predicate ? anyPred : anyFun) = true;
    if (anyFun) {
        os << " " << p.kw(":extrafuns", 2) << " (";
        for (size_t d = 0; d < decls.size(); d++) {
            if (decls[d].predicate) continue;
            os << "(" << decls[d].name << " " << p.kw("BitVec", static_cast<unsigned>(d)) << "[" << decls[d].width << "]";
            if (decorated && d % 2) Printer::annotation(os, static_cast<unsigned>(d));
            os << ")";
        }
        os << ")\n";
    }
    if (anyPred) {
        os << " " << p.kw(":extrapreds", 1) << " (";
        for (size_t d = 0; d < decls.size(); d++)
            if (decls[d].predicate) os << "(" << decls[d].name << ")";
        os << ")\n";
    }
    for (size_t a = 0; a < assertions.size(); a++) {
        const Assertion& as = assertions[a];
        os << " " << p.kw(as.assumption ? ":assumption" : ":formula", static_cast<unsigned>(a)) << " ";
        p.node(os, as.node);
        os << "\n";
        if (decorated && a == 0) os << "; after the first assertion\n";
    }
    os << ")\n";
    return os.str();
}

}  // namespace torva_random
