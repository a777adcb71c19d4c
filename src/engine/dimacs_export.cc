// writeGraphDimacs: lowers the assertions into a fresh solver with the
// building-time exit on unsatisfiability switched off (an unsatisfiable
// problem is written as the empty clause), and writes the header lines
// "c NAME v1 v2 ..." before the clauses.
#include "engine/dimacs_export.h"

#include "cnf/verification_model_cnf.h"
#include "config.h"
#include "engine/lowering.h"
#include "generator/module_factory.h"
#include "solver/dimacs_writer.h"

namespace torva {

bool writeGraphDimacs(const terms::TermStore& store, const std::vector<terms::TermId>& assertions, std::FILE* out) {
    KeepRunningOnUnsat keepRunning;
    addCounter = 0;
    mulCounter = 0;
    Solver S(prioParams[0]);
    std::unique_ptr<GeneratorTORVA> generator = makeGraphGenerator(S);
    Lowering lowering(store, *generator);
    bool lowered = true;
    try {
        for (terms::TermId a : assertions) lowering.assertTrue(a);
        generator->finishModuleWatches();
    } catch (const LoweringLimit&) {
        lowered = false;
    }
    TORVA_CHECK(S.modules.empty(), "Generator");
    if (!lowered) return false;
    if (S.okay()) S.simplify();
    std::fprintf(out, "c torva: the bit-blasted problem; each line 'c NAME v1 v2 ...' gives the DIMACS\n"
                      "c variables of NAME's bits, least significant first\n");
    for (terms::TermId v : lowering.variables()) {
        std::fprintf(out, "c %s", store.name(v).c_str());
        for (unsigned int bit : lowering.loweredBits(v)) std::fprintf(out, " %u", bit + 1);
        std::fputc('\n', out);
    }
    writeDimacs(S, out);
    return true;
}

}  // namespace torva
