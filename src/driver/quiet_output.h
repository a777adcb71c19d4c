// --quiet: standard output keeps the answer and what was asked for next to
// it (model lines, errors) and drops the lines of the run report that
// describe its progress: "Read SMTLIB-Input", the blank line after it,
// "parsing", "solving", "comment: ...", "Time: ..." and "Memory Used: ...".
// The readers and the generator write those lines wherever they stand; the
// filter sits on the stream, so none of them needs to know.
#pragma once

namespace torva::driver {

void keepOnlyAnswerLines();

}  // namespace torva::driver
