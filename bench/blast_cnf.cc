// blast_cnf FILE.smt2 OUT.cnf: the CNF that the clauses preset hands to the
// SAT engine for the first check-sat of an SMT-LIB 2 script (word-level
// simplification without guessed models, every operation as clauses, the
// level-0 simplification), written as DIMACS with the variable header. For measuring SAT engines on
// the problems torva builds. Exit status 0, or 1 on an error.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "frontend/smt2/script.h"
#include "engine/dimacs_export.h"
#include "engine/presets.h"
#include "simplify/simplify.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: blast_cnf FILE.smt2 OUT.cnf\n");
        return 1;
    }
    int fd = open(argv[1], O_RDONLY);
    std::FILE* out = std::fopen(argv[2], "w");
    if (fd < 0 || out == nullptr) {
        std::fprintf(stderr, "cannot open %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    torva::applyPreset(torva::Preset::Clauses, toClses);
    bool written = false;
    torva::terms::CheckFunction blast = [&](torva::terms::TermStore& store,
                                            const std::vector<torva::terms::TermId>& assertions) {
        torva::terms::CheckOutcome outcome;
        outcome.answer = torva::terms::Answer::Unknown;
        if (written) return outcome;
        torva::simplify::SimplifySettings settings;
        settings.probe = false;
        torva::simplify::SimplifyStats stats;
        torva::simplify::Simplified simplified = torva::simplify::simplify(store, assertions, settings, stats);
        written = torva::writeGraphDimacs(store, simplified.assertions, out);
        return outcome;
    };
    FILE* responses = std::fopen("/dev/null", "w");
    torva::smt2::runScript(fd, blast, responses);
    std::fclose(responses);
    close(fd);
    std::fclose(out);
    return written ? 0 : 1;
}
