// A program outside the project, built against the installed package.
#include <torva/torva.hpp>
#include <cstdio>
int main() {
  torva::Solver s;
  torva::Term x = s.mkConst(s.mkBvSort(8), "x");
  s.assertFormula(s.mkTerm(torva::Kind::BV_ULT, {x, s.mkBvValue(8, 5)}));
  if (s.checkSat() != torva::Result::Sat) return 1;
  std::puts("ok");
}
