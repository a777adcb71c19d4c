(benchmark unsat_by_simplify
  :logic QF_BV
  :formula (not (= (ite true bv1[2] bv2[2]) bv1[2]))
)
