// Statistics report. The decision and skip percentages convert numerator and
// denominator to single precision first; the deleted-literal share is
// computed in double precision. A zero denominator prints as not-a-number.
#include "solver/statistics.h"

#include <cstdio>

namespace {
void writeStatLine(const char* text) {
    std::fflush(stdout);
    std::fputs(text, stderr);
    std::fflush(stderr);
}

double singlePercent(uint64_t part, uint64_t whole) {
    return static_cast<float>(part) * 100 / static_cast<float>(whole);
}
}  // namespace

void printStats(Solver& S) {
    char line[256];
    std::snprintf(line, sizeof line, "restarts                  : %llu\n", static_cast<unsigned long long>(S.starts));
    writeStatLine(line);
    std::snprintf(line, sizeof line, "conflicts                 : %-12llu   \n",
                  static_cast<unsigned long long>(S.conflicts));
    writeStatLine(line);
    std::snprintf(line, sizeof line, "decisions                 : %-12llu   (%4.2f %% orig, %4.2f %% random) \n",
                  static_cast<unsigned long long>(S.decisions), singlePercent(S.orig_decisions, S.decisions),
                  singlePercent(S.rnd_decisions, S.decisions));
    writeStatLine(line);
    std::snprintf(line, sizeof line, "propagations              : %-12llu   \n",
                  static_cast<unsigned long long>(S.propagations));
    writeStatLine(line);
    std::snprintf(line, sizeof line, "skiped learnts (length, rand) : %-12llu, %-12llu   (%4.2f , %4.2f ) \n",
                  static_cast<unsigned long long>(S.skipped_length), static_cast<unsigned long long>(S.skipped_rand),
                  singlePercent(S.skipped_length, S.conflicts), singlePercent(S.skipped_rand, S.conflicts));
    writeStatLine(line);
    std::snprintf(line, sizeof line, "conflict literals         : %-12llu   (%4.2f %% deleted)\n",
                  static_cast<unsigned long long>(S.tot_literals),
                  static_cast<double>((S.max_literals - S.tot_literals) * 100) / static_cast<double>(S.max_literals));
    writeStatLine(line);
}
