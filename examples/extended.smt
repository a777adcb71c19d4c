(benchmark extended
  :logic QF_BV
  :status sat
  :extrafuns ((x BitVec[8]) (y BitVec[8]))
  :extrapreds ((p))
  :formula (and (= (bvashr x bv1[8]) bv252[8])
                (= (rotate_left[4] x) y)
                (= p (bvult x y))
                (= (repeat[2] (extract[7:4] y)) bv136[8])
                (not (= (bvsmod x bv3[8]) bv0[8])))
)
