// The fuzzer's built-in SMT-LIB 2 scripts: small valid QF_BV and QF_AUFBV scripts that
// together use every command, every operator and every literal and symbol
// form, each with the check-sat answers it must produce. The answers were
// worked out by hand (fixed values, planted solutions, valid laws), so a
// seed whose run prints other answers has found a wrong answer.
#pragma once

#include <string>
#include <vector>

namespace torva_fuzz {

struct Script {
    std::string text;
    // The check-sat answers on standard output in order, space-separated
    // ("sat unsat"); only compared when `checked`.
    std::string answers;
    bool checked = true;
};

std::vector<Script> builtinScripts();

}  // namespace torva_fuzz
