// The per-kind cost model of the blaster's circuits and the machine's memory.
#include "engine/encoding_size.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "terms/reachable.h"

namespace torva {

using terms::Kind;
using terms::TermId;

namespace {

constexpr uint64_t kBytesPerBit = 100;       // a fresh variable
constexpr uint64_t kBytesPerGate = 600;      // a gate and its clauses
constexpr uint64_t kBytesPerAdderCell = 2800;  // a full adder
constexpr uint64_t kBytesPerProductCell = 1400;
constexpr uint64_t kBytesPerQuotientCell = 1800;

uint64_t stages(uint64_t width) {
    uint64_t s = 0;
    while ((uint64_t{1} << s) < width) ++s;
    return s + 1;
}

// The widest of t and its operands: a comparison or equality runs over its
// operands' bits.
uint64_t operandWidth(const terms::TermStore& store, TermId t) {
    uint64_t width = store.isBool(t) ? 1 : store.width(t);
    for (uint32_t i = 0; i < store.numArgs(t); ++i) {
        TermId a = store.arg(t, i);
        width = std::max<uint64_t>(width, store.isBool(a) ? 1 : store.width(a));
    }
    return width;
}

// The control group's memory limit, when there is a finite one.
uint64_t controlGroupLimit() {
    std::ifstream file("/sys/fs/cgroup/memory.max");
    std::string text;
    if (!(file >> text) || text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::stoull(text);
}

// Physical memory, or the control group's limit when lower; no bound when
// neither can be read.
uint64_t machineMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
    uint64_t machine = pages > 0 && pageSize > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) : 0;
    const uint64_t group = controlGroupLimit();
    if (group != 0 && (machine == 0 || group < machine)) machine = group;
    return machine != 0 ? machine : ~uint64_t{0};
}

}  // namespace

uint64_t encodingBytes(const terms::TermStore& store, TermId t) {
    const uint64_t w = store.isBool(t) ? 1 : store.width(t);
    if (terms::rearrangesBits(store.kind(t))) return 0;
    switch (store.kind(t)) {
        case Kind::Const:
        case Kind::Not:
        case Kind::BvNot: return 0;
        case Kind::Variable: return w * kBytesPerBit;
        case Kind::BvMul: return w * w * kBytesPerProductCell * (store.numArgs(t) - 1);
        case Kind::BvUdiv:
        case Kind::BvUrem:
        case Kind::BvSdiv:
        case Kind::BvSrem:
        case Kind::BvSmod: return w * w * kBytesPerQuotientCell;
        case Kind::BvShl:
        case Kind::BvLshr:
        case Kind::BvAshr: return w * stages(w) * kBytesPerGate;
        case Kind::BvAdd:
        case Kind::BvSub:
        case Kind::BvNeg: return w * kBytesPerAdderCell * std::max<uint64_t>(1, store.numArgs(t) - 1);
        case Kind::BvUlt:
        case Kind::BvUle:
        case Kind::BvUgt:
        case Kind::BvUge:
        case Kind::BvSlt:
        case Kind::BvSle:
        case Kind::BvSgt:
        case Kind::BvSge: return operandWidth(store, t) * kBytesPerAdderCell * (store.numArgs(t) - 1);
        default: return operandWidth(store, t) * kBytesPerGate * std::max<uint32_t>(1, store.numArgs(t));
    }
}

uint64_t encodingBytes(const terms::TermStore& store, const std::vector<TermId>& roots,
                       const std::function<bool(TermId)>& abstracted) {
    uint64_t bytes = 0;
    terms::forEachReachable(store, roots, [&](TermId t) {
        bytes += abstracted && abstracted(t) ? store.width(t) * kBytesPerBit : encodingBytes(store, t);
    });
    return bytes;
}

uint64_t memoryBudgetBytes(uint64_t limitMB) {
    if (limitMB != 0) return limitMB << 20;
    static const uint64_t machine = machineMemory();
    return machine;
}

}  // namespace torva
