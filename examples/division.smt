(benchmark division
  :logic QF_BV
  :status unsat
  :extrafuns ((x BitVec[8]))
  :extrafuns ((y BitVec[8]))
  :assumption (= (bvudiv x y) bv9[8])
  :assumption (= (bvurem x y) bv5[8])
  :assumption (bvult x bv80[8])
  :assumption (= (bvsdiv (bvneg x) bv7[8]) (bvneg bv9[8]))
  :assumption (= (bvsrem (bvneg x) bv7[8]) (bvneg bv5[8]))
  :formula (not (= y bv7[8]))
)
