(benchmark unsat_while_parsing
  :logic QF_BV
  :extrapreds ((p))
  :assumption p
  :formula false
  :assumption (not p)
)
