// Writing a term as SMT-LIB 2 text: shared operator nodes are found first,
// then every node is written by one iterative walk.
#include "terms/printer.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>
#include <vector>

#include "terms/evaluator.h"

namespace torva::terms {

namespace {

bool isLeaf(const TermStore& store, TermId t) {
    Kind k = store.kind(t);
    return k == Kind::Const || k == Kind::Variable;
}

bool isSimpleSymbol(const std::string& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    static const std::string extra = "~!@$%^&*_-+=<>.?/";
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || extra.find(c) != std::string::npos;
    });
}

std::string leafText(const TermStore& store, TermId t) {
    if (store.kind(t) == Kind::Const) return formatValue(store.sort(t), store.value(t));
    const std::string& name = store.name(t);
    if (name.empty()) return "_v" + std::to_string(t);
    return isSimpleSymbol(name) ? name : "|" + name + "|";
}

std::string operatorText(const TermStore& store, TermId t) {
    if (store.kind(t) == Kind::Apply) return leafText(store, store.arg(t, 0));
    if (store.kind(t) == Kind::ConstArray) return "(as const " + store.sortName(store.sort(t)) + ")";
    const char* name = kindName(store.kind(t));
    uint32_t n = store.numIndices(t);
    if (n == 0) return name;
    std::string text = std::string("(_ ") + name;
    for (uint32_t i = 0; i < n; i++) text += " " + std::to_string(store.index(t, i));
    return text + ")";
}

// How often each operator node below the root is an operand.
std::unordered_map<TermId, uint32_t> operandUses(const TermStore& store, TermId root) {
    std::unordered_map<TermId, uint32_t> uses;
    std::vector<TermId> stack{root};
    while (!stack.empty()) {
        TermId t = stack.back();
        stack.pop_back();
        for (uint32_t i = 0; i < store.numArgs(t); i++) {
            TermId a = store.arg(t, i);
            if (isLeaf(store, a)) continue;
            if (uses[a]++ == 0) stack.push_back(a);
        }
    }
    return uses;
}

class Writer {
public:
    Writer(const TermStore& store, const std::unordered_map<TermId, std::string>& names)
        : store_(store), names_(names) {}

    // The node itself, its operands written by name when they have one.
    void write(TermId root, std::string& out) {
        struct Frame {
            TermId t;
            uint32_t next;
        };
        std::vector<Frame> stack{{root, 0}};
        while (!stack.empty()) {
            Frame& f = stack.back();
            if (f.next == 0 && !(stack.size() == 1 ? writeLeaf(f.t, out) : writeNamedOrLeaf(f.t, out))) {
                out += "(" + operatorText(store_, f.t);
                if (store_.kind(f.t) == Kind::Apply) f.next = 1;  // the function is the operator
            } else if (f.next == 0) {
                stack.pop_back();
                continue;
            }
            if (f.next >= store_.numArgs(f.t)) {
                out += ")";
                stack.pop_back();
                continue;
            }
            TermId a = store_.arg(f.t, f.next++);
            out += " ";
            stack.push_back({a, 0});
        }
    }

private:
    bool writeLeaf(TermId t, std::string& out) {
        if (!isLeaf(store_, t)) return false;
        out += leafText(store_, t);
        return true;
    }
    bool writeNamedOrLeaf(TermId t, std::string& out) {
        auto it = names_.find(t);
        if (it == names_.end()) return writeLeaf(t, out);
        out += it->second;
        return true;
    }

    const TermStore& store_;
    const std::unordered_map<TermId, std::string>& names_;
};

}  // namespace

std::string toSmt2(const TermStore& store, TermId term) {
    std::vector<TermId> shared;
    for (const auto& [t, count] : operandUses(store, term))
        if (count > 1) shared.push_back(t);
    std::sort(shared.begin(), shared.end());
    std::unordered_map<TermId, std::string> names;
    std::string out;
    Writer writer(store, names);
    for (TermId t : shared) {
        std::string name = "_let_" + std::to_string(names.size() + 1);
        out += "(let ((" + name + " ";
        writer.write(t, out);
        out += ")) ";
        names.emplace(t, std::move(name));
    }
    writer.write(term, out);
    out.append(shared.size(), ')');
    return out;
}

std::string sortText(Sort sort) { return sort == kBool ? "Bool" : "(_ BitVec " + std::to_string(sort) + ")"; }

}  // namespace torva::terms
