(benchmark parse_error
  :logic QF_BV
  :extrafuns ((x BitVec[4]))
  :formula (= x bv1[4]
)
