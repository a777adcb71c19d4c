(benchmark shifts
  :logic QF_BV
  :status unsat
  :extrafuns ((x BitVec[8]))
  :extrafuns ((s BitVec[8]))
  :assumption (bvult s bv8[8])
  :assumption (not (= s bv0[8]))
  :assumption (= (bvlshr x bv4[8]) bv15[8])
  :formula (= (bvlshr (bvshl x s) s) x)
)
