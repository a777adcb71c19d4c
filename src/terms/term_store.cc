// Storage, sort checks and hash-consing of the term graph. Nodes live in
// pooled chunks of 32-bit words, laid out as
//   [kind | index count << 6 | operand count << 8] [sort] [next in bucket] [id]
//   ([operand count] when it does not fit in 24 bits) operands... indices...
// and constants and variables carry one payload word instead (the slot of
// the value or the name in a side table). A node's address is its chunk slot
// in the high 16 bits and the word offset in the low 16; a node larger than a
// chunk gets an allocation spanning several consecutive slots. Hash chains
// run through the nodes by address, so that a step along a chain touches one
// node and nothing else; hashes mix kind, sort, operands and indices (or the
// constant's value), never addresses. Variables are never hashed.
#include <gmpxx.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <tuple>
#include <string>
#include <vector>

#include "terms/term_store.h"

#include "containers/progress.h"
#include "terms/printer.h"

namespace torva::terms {
namespace {

constexpr uint32_t kNone = UINT32_MAX;
constexpr unsigned kChunkShift = 16;
constexpr uint32_t kChunkWords = 1u << kChunkShift;
constexpr uint32_t kMaxSlots = 1u << (32 - kChunkShift);
constexpr uint32_t kHeaderWords = 4;
constexpr uint32_t kArgsEscape = 0xFFFFFF;  // operand count stored in a word of its own
constexpr size_t kMaxArgs = UINT32_MAX / 2;
constexpr size_t kInitialBuckets = 1024;
static_assert(kNumKinds <= 64, "a kind fits in the six low bits of a header");

uint64_t mixWord(uint64_t h, uint64_t word) {
    h = (h + word) * 0x9E3779B97F4A7C15ULL;
    return h ^ (h >> 29);
}

uint64_t finishHash(uint64_t h) {
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 33);
}

uint64_t hashOperator(Kind kind, Sort sort, const TermId* args, size_t numArgs, const uint32_t* indices,
                      size_t numIndices) {
    uint64_t h = mixWord(static_cast<uint64_t>(kind) + 1, sort);
    h = mixWord(h, numArgs);
    for (size_t i = 0; i < numArgs; i++) h = mixWord(h, args[i]);
    for (size_t i = 0; i < numIndices; i++) h = mixWord(h, indices[i]);
    return finishHash(h);
}

uint64_t hashConstant(Sort sort, const mpz_class& value) {
    uint64_t h = mixWord(static_cast<uint64_t>(Kind::Const) + 1, sort);
    size_t limbs = mpz_size(value.get_mpz_t());
    for (size_t i = 0; i < limbs; i++) h = mixWord(h, mpz_getlimbn(value.get_mpz_t(), i));
    return finishHash(h);
}

// A value for a message: its digits, or only its size when they would
// drown the message.
std::string valueText(const mpz_class& v) {
    constexpr size_t kMaxShownBits = 128;
    size_t bits = mpz_sizeinbase(v.get_mpz_t(), 2);
    return bits <= kMaxShownBits ? v.get_str() : "of " + std::to_string(bits) + " bits";
}

std::string plural(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

[[noreturn]] void sortError(const std::string& message) { throw SortError(message); }

void checkWidth(const char* what, uint64_t width) {
    if (width > kMaxWidth)
        sortError(std::string(what) + " width " + std::to_string(width) + " exceeds the maximum width " +
                  std::to_string(kMaxWidth));
}

void checkCounts(const KindInfo& info, size_t numArgs, size_t numIndices) {
    if (info.kind == Kind::Apply) {
        if (numArgs < 1) sortError("an application needs its function");
        return;
    }
    if (info.chain != Chain::None && numArgs < info.minArgs)
        sortError(std::string(info.name) + " expects at least " + plural(info.minArgs, "operand", "operands") +
                  ", got " + std::to_string(numArgs));
    if (info.chain == Chain::None && numArgs != info.minArgs)
        sortError(std::string(info.name) + " expects " + plural(info.minArgs, "operand", "operands") + ", got " +
                  std::to_string(numArgs));
    if (numIndices != info.numIndices) {
        if (info.numIndices == 0)
            sortError(std::string(info.name) + " takes no indices, got " + std::to_string(numIndices));
        sortError(std::string(info.name) + " expects " + plural(info.numIndices, "index", "indices") + ", got " +
                  std::to_string(numIndices));
    }
}

// A deque holds its elements in blocks of 512 bytes (at least one element)
// reached through a map of block pointers.
template <class T>
size_t dequeBytes(const std::deque<T>& d) {
    constexpr size_t kBlockBytes = sizeof(T) < 512 ? 512 / sizeof(T) * sizeof(T) : sizeof(T);
    size_t blocks = d.size() * sizeof(T) / kBlockBytes + 1;
    return blocks * (kBlockBytes + 2 * sizeof(void*));
}

}  // namespace

struct TermStore::Impl {
    std::vector<std::unique_ptr<uint32_t[]>> allocations;
    std::vector<uint32_t*> slotBase;  // chunk slot -> its first word
    size_t allocatedWords = 0;
    uint32_t currentSlot = kNone;
    uint32_t currentFill = kChunkWords;

    std::vector<uint32_t> location;  // id -> address
    std::vector<uint32_t> buckets;   // address of the first node of each hash chain
    size_t hashedNodes = 0;

    // Deques, so that the references value() and name() hand out survive
    // later constants and variables.
    std::deque<mpz_class> values;
    size_t limbBytes = 0;
    std::deque<std::string> names;
    size_t nameBytes = 0;

    // Array and function sorts; sort kFirstCompound + i is compounds[i].
    std::vector<CompoundSort> compounds;
    std::map<std::tuple<bool, std::vector<Sort>, Sort>, Sort> compoundByParts;

    Impl() : buckets(kInitialBuckets, kNone) {}

    uint32_t* at(uint32_t address) const { return slotBase[address >> kChunkShift] + (address & (kChunkWords - 1)); }
    uint32_t* node(TermId t) { return at(location[t]); }
    const uint32_t* node(TermId t) const { return at(location[t]); }

    static Kind kindOf(const uint32_t* p) { return static_cast<Kind>(p[0] & 63); }
    static uint32_t indexCountOf(const uint32_t* p) { return (p[0] >> 6) & 3; }
    static bool escapedCount(const uint32_t* p) { return (p[0] >> 8) == kArgsEscape; }
    static uint32_t argCountOf(const uint32_t* p) { return escapedCount(p) ? p[kHeaderWords] : p[0] >> 8; }
    static const uint32_t* argsOf(const uint32_t* p) { return p + kHeaderWords + (escapedCount(p) ? 1 : 0); }
    static const uint32_t* indicesOf(const uint32_t* p) { return argsOf(p) + argCountOf(p); }

    void addSlots(uint32_t count) {
        if (slotBase.size() + count > kMaxSlots) throw std::length_error("the term graph exceeds its address space");
        allocations.emplace_back(new uint32_t[size_t(count) * kChunkWords]);
        allocatedWords += size_t(count) * kChunkWords;
        for (uint32_t i = 0; i < count; i++) slotBase.push_back(allocations.back().get() + size_t(i) * kChunkWords);
    }

    // Reserves `words` contiguous words and returns their address.
    uint32_t allocate(size_t words) {
        if (words > kChunkWords) {
            auto first = static_cast<uint32_t>(slotBase.size());
            addSlots(static_cast<uint32_t>((words + kChunkWords - 1) / kChunkWords));
            return first << kChunkShift;
        }
        if (currentFill + words > kChunkWords) {
            currentSlot = static_cast<uint32_t>(slotBase.size());
            addSlots(1);
            currentFill = 0;
        }
        uint32_t address = currentSlot << kChunkShift | currentFill;
        currentFill += static_cast<uint32_t>(words);
        return address;
    }

    // A new node of `words` words with its header filled in; the caller
    // writes the rest.
    TermId newNode(size_t words, Kind kind, uint32_t argsField, uint32_t numIndices, Sort sort, uint32_t** out) {
        if (location.size() >= kNone) throw std::length_error("the term graph exceeds 2^32 - 1 nodes");
        uint32_t address = allocate(words);
        auto id = static_cast<TermId>(location.size());
        location.push_back(address);
        progress::noteNodes(location.size());
        uint32_t* p = node(id);
        p[0] = static_cast<uint32_t>(kind) | numIndices << 6 | argsField << 8;
        p[1] = sort;
        p[2] = kNone;
        p[3] = id;
        *out = p;
        return id;
    }

    uint64_t hashOf(TermId t) const {
        const uint32_t* p = node(t);
        if (kindOf(p) == Kind::Const) return hashConstant(p[1], values[p[kHeaderWords]]);
        return hashOperator(kindOf(p), p[1], argsOf(p), argCountOf(p), indicesOf(p), indexCountOf(p));
    }

    size_t bucketOf(uint64_t hash) const { return hash & (buckets.size() - 1); }

    void link(TermId t, uint64_t hash) {
        size_t b = bucketOf(hash);
        node(t)[2] = buckets[b];
        buckets[b] = location[t];
        if (++hashedNodes > buckets.size()) growBuckets();
    }

    void growBuckets() {
        buckets.assign(buckets.size() * 2, kNone);
        for (TermId t = 0; t < location.size(); t++) {
            uint32_t* p = node(t);
            if (kindOf(p) == Kind::Variable) continue;
            size_t b = bucketOf(hashOf(t));
            p[2] = buckets[b];
            buckets[b] = location[t];
        }
    }

    TermId findOperator(uint64_t hash, Kind kind, Sort sort, const TermId* args, size_t numArgs,
                        const uint32_t* indices, size_t numIndices) const {
        for (uint32_t a = buckets[bucketOf(hash)]; a != kNone; a = at(a)[2]) {
            const uint32_t* p = at(a);
            if (kindOf(p) != kind || p[1] != sort || argCountOf(p) != numArgs || indexCountOf(p) != numIndices)
                continue;
            if (std::equal(args, args + numArgs, argsOf(p)) && std::equal(indices, indices + numIndices, indicesOf(p)))
                return p[3];
        }
        return kNone;
    }

    TermId findConstant(uint64_t hash, Sort sort, const mpz_class& value) const {
        for (uint32_t a = buckets[bucketOf(hash)]; a != kNone; a = at(a)[2]) {
            const uint32_t* p = at(a);
            if (kindOf(p) == Kind::Const && p[1] == sort && values[p[kHeaderWords]] == value) return p[3];
        }
        return kNone;
    }

    Sort sortOf(TermId t) const { return node(t)[1]; }

    const CompoundSort* compoundOf(Sort s) const {
        if (!isCompoundSort(s) || s - kFirstCompound >= compounds.size()) return nullptr;
        return &compounds[s - kFirstCompound];
    }
    bool isArray(Sort s) const {
        const CompoundSort* c = compoundOf(s);
        return c != nullptr && c->array;
    }
    bool isFunction(Sort s) const {
        const CompoundSort* c = compoundOf(s);
        return c != nullptr && !c->array;
    }

    std::string nameOf(Sort s) const {
        const CompoundSort* c = compoundOf(s);
        if (c == nullptr) return sortText(s);
        if (c->array) return "(Array " + nameOf(c->domain[0]) + " " + nameOf(c->codomain) + ")";
        std::string text = "(->";
        for (Sort d : c->domain) text += " " + nameOf(d);
        return text + " " + nameOf(c->codomain) + ")";
    }

    Sort internCompound(bool array, const std::vector<Sort>& domain, Sort codomain) {
        for (Sort d : domain) requireScalarSort(d);
        if (!(array && isArray(codomain))) requireScalarSort(codomain);
        auto key = std::make_tuple(array, domain, codomain);
        auto found = compoundByParts.find(key);
        if (found != compoundByParts.end()) return found->second;
        if (compounds.size() >= UINT32_MAX - kFirstCompound) throw std::length_error("too many sorts");
        auto sort = static_cast<Sort>(kFirstCompound + compounds.size());
        compounds.push_back({array, domain, codomain});
        compoundByParts.emplace(std::move(key), sort);
        return sort;
    }

    // Indices and function arguments and results are Booleans and
    // bit-vectors; array elements may be arrays too.
    void requireScalarSort(Sort s) const {
        if (isCompoundSort(s)) sortError("arrays and functions take Boolean and bit-vector sorts, got " + nameOf(s));
        checkWidth("bit-vector", s);
    }

    // The node of an id handed in from outside.
    const uint32_t* checkedNode(TermId t) const {
        if (t >= location.size()) throw std::out_of_range("no term " + std::to_string(t) + " in this store");
        return node(t);
    }

    Sort requireBool(const char* op, TermId t) const {
        if (sortOf(t) != kBool) sortError(std::string(op) + " expects Boolean operands, got " + nameOf(sortOf(t)));
        return kBool;
    }

    uint32_t requireBitVector(const char* op, TermId t) const {
        if (!isBitVectorSort(sortOf(t)))
            sortError(std::string(op) + " expects bit-vector operands, got " + nameOf(sortOf(t)));
        return sortOf(t);
    }

    uint32_t requireEqualWidths(const char* op, const TermId* args, size_t numArgs) const {
        uint32_t width = requireBitVector(op, args[0]);
        for (size_t i = 1; i < numArgs; i++) {
            uint32_t other = requireBitVector(op, args[i]);
            if (other != width)
                sortError(std::string(op) + " expects operands of equal width, got " + std::to_string(width) +
                          " and " + std::to_string(other));
        }
        return width;
    }

    void requireOneSort(const char* op, const char* what, const TermId* args, size_t numArgs) const {
        for (size_t i = 1; i < numArgs; i++)
            if (sortOf(args[i]) != sortOf(args[0]))
                sortError(std::string(op) + " expects " + what + " of one sort, got " + nameOf(sortOf(args[0])) +
                          " and " + nameOf(sortOf(args[i])));
    }

    Sort resultSort(Kind kind, const TermId* args, size_t numArgs, const uint32_t* indices) const {
        const char* op = kindInfo(kind).name;
        switch (kind) {
        case Kind::Const:
        case Kind::Variable:
            break;
        case Kind::Not:
        case Kind::And:
        case Kind::Or:
        case Kind::Xor:
        case Kind::Implies:
            for (size_t i = 0; i < numArgs; i++) requireBool(op, args[i]);
            return kBool;
        case Kind::Equal:
        case Kind::Distinct:
            requireOneSort(op, "operands", args, numArgs);
            return kBool;
        case Kind::Ite:
            if (sortOf(args[0]) != kBool)
                sortError("ite expects a Boolean condition, got " + nameOf(sortOf(args[0])));
            requireOneSort(op, "branches", args + 1, 2);
            return sortOf(args[1]);
        case Kind::Concat: {
            uint64_t total = 0;
            for (size_t i = 0; i < numArgs; i++) total += requireBitVector(op, args[i]);
            checkWidth("concat result", total);
            return static_cast<Sort>(total);
        }
        case Kind::Extract: {
            uint32_t width = requireBitVector(op, args[0]);
            uint32_t hi = indices[0], lo = indices[1];
            if (hi >= width)
                sortError("extract index " + std::to_string(hi) + " is out of range for a bit-vector of width " +
                          std::to_string(width));
            if (lo > hi)
                sortError("extract expects its first index at least its second, got " + std::to_string(hi) +
                          " and " + std::to_string(lo));
            return hi - lo + 1;
        }
        case Kind::Repeat: {
            uint32_t width = requireBitVector(op, args[0]);
            if (indices[0] == 0) sortError("repeat expects a count of at least 1, got 0");
            checkWidth("repeat result", uint64_t(width) * indices[0]);
            return width * indices[0];
        }
        case Kind::ZeroExtend:
        case Kind::SignExtend: {
            uint32_t width = requireBitVector(op, args[0]);
            checkWidth((std::string(op) + " result").c_str(), uint64_t(width) + indices[0]);
            return width + indices[0];
        }
        case Kind::RotateLeft:
        case Kind::RotateRight:
        case Kind::BvNot:
        case Kind::BvNeg:
            return requireBitVector(op, args[0]);
        case Kind::BvComp:
            requireEqualWidths(op, args, numArgs);
            return 1;
        case Kind::BvUlt:
        case Kind::BvUle:
        case Kind::BvUgt:
        case Kind::BvUge:
        case Kind::BvSlt:
        case Kind::BvSle:
        case Kind::BvSgt:
        case Kind::BvSge:
            requireEqualWidths(op, args, numArgs);
            return kBool;
        case Kind::BvAnd:
        case Kind::BvOr:
        case Kind::BvXor:
        case Kind::BvNand:
        case Kind::BvNor:
        case Kind::BvXnor:
        case Kind::BvAdd:
        case Kind::BvSub:
        case Kind::BvMul:
        case Kind::BvUdiv:
        case Kind::BvUrem:
        case Kind::BvSdiv:
        case Kind::BvSrem:
        case Kind::BvSmod:
        case Kind::BvShl:
        case Kind::BvLshr:
        case Kind::BvAshr:
            return requireEqualWidths(op, args, numArgs);
        case Kind::Select:
            return requireIndex(op, args[0], args[1]).codomain;
        case Kind::Store: {
            const CompoundSort& array = requireIndex(op, args[0], args[1]);
            if (sortOf(args[2]) != array.codomain)
                sortError("store expects an element of sort " + nameOf(array.codomain) + ", got " +
                          nameOf(sortOf(args[2])));
            return sortOf(args[0]);
        }
        case Kind::ConstArray:
            if (!isArray(indices[0])) sortError("a constant array needs an array sort, got " + nameOf(indices[0]));
            if (compoundOf(indices[0])->codomain != sortOf(args[0]))
                sortError("a constant array of sort " + nameOf(indices[0]) + " cannot hold " + nameOf(sortOf(args[0])));
            return indices[0];
        case Kind::Apply:
            return applicationSort(args, numArgs);
        }
        throw std::invalid_argument("mk cannot build constants or variables");
    }

    // The sort of an array operand whose index the term `index` must match.
    const CompoundSort& requireIndex(const char* op, TermId array, TermId index) const {
        if (!isArray(sortOf(array)))
            sortError(std::string(op) + " expects an array, got " + nameOf(sortOf(array)));
        const CompoundSort& sort = *compoundOf(sortOf(array));
        if (sortOf(index) != sort.domain[0])
            sortError(std::string(op) + " expects an index of sort " + nameOf(sort.domain[0]) + ", got " +
                      nameOf(sortOf(index)));
        return sort;
    }

    Sort applicationSort(const TermId* args, size_t numArgs) const {
        if (!isFunction(sortOf(args[0])) || kindOf(node(args[0])) != Kind::Variable)
            sortError("only a declared function can be applied, got a term of sort " + nameOf(sortOf(args[0])));
        const CompoundSort& f = *compoundOf(sortOf(args[0]));
        if (numArgs - 1 != f.domain.size())
            sortError("the function " + names[node(args[0])[kHeaderWords]] + " expects " +
                      plural(f.domain.size(), "argument", "arguments") + ", got " + std::to_string(numArgs - 1));
        for (size_t i = 1; i < numArgs; i++)
            if (sortOf(args[i]) != f.domain[i - 1])
                sortError("argument " + std::to_string(i) + " of " + names[node(args[0])[kHeaderWords]] +
                          " must be of sort " + nameOf(f.domain[i - 1]) + ", got " + nameOf(sortOf(args[i])));
        return f.codomain;
    }

    // A function is no value: it stands only as the head of an application.
    void requireNoFunctionOperand(Kind kind, const TermId* args, size_t numArgs) const {
        for (size_t i = kind == Kind::Apply ? 1 : 0; i < numArgs; i++)
            if (isFunction(sortOf(args[i])))
                sortError("the function " + names[node(args[i])[kHeaderWords]] + " is applied to no arguments");
    }
};

TermStore::TermStore() : impl_(new Impl) {}
TermStore::~TermStore() { delete impl_; }

TermId TermStore::mkBool(bool value) { return mkConst(kBool, value ? 1 : 0); }

Sort TermStore::mkArraySort(Sort index, Sort element) { return impl_->internCompound(true, {index}, element); }

Sort TermStore::mkFunctionSort(const std::vector<Sort>& domain, Sort codomain) {
    if (domain.empty()) sortError("a function sort needs at least one argument sort");
    return impl_->internCompound(false, domain, codomain);
}

bool TermStore::hasCompoundSorts() const { return !impl_->compounds.empty(); }
bool TermStore::isArraySort(Sort s) const { return impl_->isArray(s); }
bool TermStore::isFunctionSort(Sort s) const { return impl_->isFunction(s); }

const CompoundSort& TermStore::compound(Sort s) const {
    const CompoundSort* c = impl_->compoundOf(s);
    if (c == nullptr) throw std::invalid_argument("compound: " + sortText(s) + " is no array or function sort");
    return *c;
}

std::string TermStore::sortName(Sort s) const { return impl_->nameOf(s); }

TermId TermStore::mkConst(Sort sort, const mpz_class& value) {
    if (impl_->compoundOf(sort)) sortError("a constant must be Boolean or a bit-vector, got " + sortName(sort));
    checkWidth("bit-vector", sort);
    if (sort == kBool) {
        if (value != 0 && value != 1) sortError("a Boolean constant must be 0 or 1, got " + valueText(value));
    } else if (value < 0 || mpz_sizeinbase(value.get_mpz_t(), 2) > sort) {
        sortError("the constant " + valueText(value) + " does not fit in " + sortText(sort));
    }
    uint64_t hash = hashConstant(sort, value);
    TermId found = impl_->findConstant(hash, sort, value);
    if (found != kNone) return found;
    impl_->values.push_back(value);
    impl_->limbBytes += size_t(impl_->values.back().get_mpz_t()->_mp_alloc) * sizeof(mp_limb_t);
    uint32_t* p;
    TermId t = impl_->newNode(kHeaderWords + 1, Kind::Const, 0, 0, sort, &p);
    p[kHeaderWords] = static_cast<uint32_t>(impl_->values.size() - 1);
    impl_->link(t, hash);
    return t;
}

TermId TermStore::mkVar(Sort sort, const std::string& name) {
    if (!impl_->compoundOf(sort)) checkWidth("bit-vector", sort);
    impl_->names.push_back(name);
    constexpr size_t kInlineChars = 15;
    if (impl_->names.back().capacity() > kInlineChars) impl_->nameBytes += impl_->names.back().capacity() + 1;
    uint32_t* p;
    TermId t = impl_->newNode(kHeaderWords + 1, Kind::Variable, 0, 0, sort, &p);
    p[kHeaderWords] = static_cast<uint32_t>(impl_->names.size() - 1);
    return t;
}

TermId TermStore::mk(Kind kind, const TermId* args, size_t numArgs, const uint32_t* indices, size_t numIndices) {
    if (kind == Kind::Const || kind == Kind::Variable)
        throw std::invalid_argument("mk cannot build constants or variables");
    if (numArgs > kMaxArgs) throw std::length_error("too many operands for one term");
    checkCounts(kindInfo(kind), numArgs, numIndices);
    for (size_t i = 0; i < numArgs; i++)
        if (args[i] >= impl_->location.size())
            throw std::out_of_range("mk: operand " + std::to_string(args[i]) + " is no term of this store");
    impl_->requireNoFunctionOperand(kind, args, numArgs);
    Sort sort = impl_->resultSort(kind, args, numArgs, indices);
    uint64_t hash = hashOperator(kind, sort, args, numArgs, indices, numIndices);
    TermId found = impl_->findOperator(hash, kind, sort, args, numArgs, indices, numIndices);
    if (found != kNone) return found;

    bool escaped = numArgs >= kArgsEscape;
    size_t words = kHeaderWords + (escaped ? 1 : 0) + numArgs + numIndices;
    uint32_t* p;
    TermId t = impl_->newNode(words, kind, escaped ? kArgsEscape : static_cast<uint32_t>(numArgs),
                              static_cast<uint32_t>(numIndices), sort, &p);
    uint32_t* out = p + kHeaderWords;
    if (escaped) *out++ = static_cast<uint32_t>(numArgs);
    out = std::copy(args, args + numArgs, out);
    std::copy(indices, indices + numIndices, out);
    impl_->link(t, hash);
    return t;
}

TermId TermStore::mk(Kind kind, std::initializer_list<TermId> args, std::initializer_list<uint32_t> indices) {
    return mk(kind, args.begin(), args.size(), indices.begin(), indices.size());
}

TermId TermStore::mk(Kind kind, const std::vector<TermId>& args, const std::vector<uint32_t>& indices) {
    return mk(kind, args.data(), args.size(), indices.data(), indices.size());
}

Kind TermStore::kind(TermId t) const { return Impl::kindOf(impl_->checkedNode(t)); }
Sort TermStore::sort(TermId t) const { return impl_->checkedNode(t)[1]; }

uint32_t TermStore::numArgs(TermId t) const {
    const uint32_t* p = impl_->checkedNode(t);
    Kind k = Impl::kindOf(p);
    return k == Kind::Const || k == Kind::Variable ? 0 : Impl::argCountOf(p);
}

const TermId* TermStore::args(TermId t) const { return Impl::argsOf(impl_->checkedNode(t)); }

uint32_t TermStore::numIndices(TermId t) const { return Impl::indexCountOf(impl_->checkedNode(t)); }

uint32_t TermStore::index(TermId t, uint32_t i) const {
    const uint32_t* p = impl_->checkedNode(t);
    if (i >= Impl::indexCountOf(p)) throw std::out_of_range("index: the term has no index " + std::to_string(i));
    return Impl::indicesOf(p)[i];
}

const mpz_class& TermStore::value(TermId t) const {
    const uint32_t* p = impl_->checkedNode(t);
    if (Impl::kindOf(p) != Kind::Const) throw std::invalid_argument("value: the term is not a constant");
    return impl_->values[p[kHeaderWords]];
}

const std::string& TermStore::name(TermId t) const {
    const uint32_t* p = impl_->checkedNode(t);
    if (Impl::kindOf(p) != Kind::Variable) throw std::invalid_argument("name: the term is not a variable");
    return impl_->names[p[kHeaderWords]];
}

size_t TermStore::size() const { return impl_->location.size(); }

size_t TermStore::memoryBytes() const {
    const Impl& s = *impl_;
    return sizeof(Impl) + s.allocatedWords * sizeof(uint32_t) +
           s.allocations.capacity() * sizeof(s.allocations[0]) + s.slotBase.capacity() * sizeof(uint32_t*) +
           s.location.capacity() * sizeof(uint32_t) + s.buckets.capacity() * sizeof(uint32_t) +
           dequeBytes(s.values) + s.limbBytes + dequeBytes(s.names) + s.nameBytes +
           s.compounds.capacity() * sizeof(CompoundSort);
}

}  // namespace torva::terms
