(benchmark arithmetic
  :logic QF_BV
  :status sat
  :extrafuns ((a BitVec[8]))
  :extrafuns ((b BitVec[8]))
  :assumption (= (bvadd a b) bv100[8])
  :assumption (= (bvsub a b) bv20[8])
  :assumption (= (bvneg b) bv216[8])
  :formula (= (bvmul a bv3[8]) (bvadd a (bvadd a a)))
)
