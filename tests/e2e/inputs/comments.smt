(benchmark comments
  :logic QF_BV
  ; the first comment inside
  :extrafuns ((x BitVec[4]))
  :notes "a note
spanning two lines"
  :source { a user value with \} inside }
  ; the second comment inside
  :formula (= (bvadd x bv1[4]) bv0[4])
  :status sat
)
