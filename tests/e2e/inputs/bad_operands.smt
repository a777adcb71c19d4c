(benchmark bad_operands
  :logic QF_BV
  :extrapreds ((p) (q) (r))
  :formula (and p q r)
)
