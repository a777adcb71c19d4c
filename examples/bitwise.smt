(benchmark bitwise
  :logic QF_BV
  :status sat
  :extrafuns ((x BitVec[8]))
  :extrafuns ((y BitVec[8]))
  :assumption (= (bvand x y) bv8[8])
  :assumption (= (bvor x y) bv46[8])
  :assumption (= (bvxor x (bvnot y)) bv217[8])
  :formula (not (= (bvnand x y) (bvnor x y)))
)
