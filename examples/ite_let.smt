(benchmark ite_let
  :logic QF_BV
  :status sat
  :extrafuns ((x BitVec[8]))
  :extrapreds ((p) (q))
  :assumption (implies p (= x bv3[8]))
  :assumption (iff q (bvugt x bv10[8]))
  :assumption (xor p q)
  :formula (let (?y (ite q (bvadd x bv1[8]) x))
             (flet ($big (bvuge ?y bv12[8]))
               (and $big (if_then_else p false true))))
)
