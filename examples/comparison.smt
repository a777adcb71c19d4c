(benchmark comparison
  :logic QF_BV
  :status sat
  :extrafuns ((x BitVec[8]))
  :extrafuns ((y BitVec[8]))
  :extrafuns ((z BitVec[8]))
  :assumption (bvult x y)
  :assumption (bvslt y x)
  :assumption (and (bvule z y) (bvuge z x))
  :assumption (and (bvsgt z bv0[8]) (bvsge z x))
  :assumption (bvugt y bv200[8])
  :formula (and (bvsge x bv100[8]) (distinct x y z))
)
