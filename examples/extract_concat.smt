(benchmark extract_concat
  :logic QF_BV
  :status sat
  :extrafuns ((x BitVec[8]))
  :extrafuns ((h BitVec[4]))
  :assumption (= (concat h (extract[3:0] x)) x)
  :assumption (= (extract[7:7] x) bit1)
  :assumption (= (sign_extend[4] h) (concat bv15[4] h))
  :formula (= (zero_extend[8] x) (concat bv0[8] (concat (extract[7:4] x) (extract[3:0] x))))
)
