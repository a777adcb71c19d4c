// The public face of the SMT-LIB 2 reader: a Script owns one session.
#include "frontend/smt2/script.h"

#include "frontend/smt2/session.h"

namespace torva::smt2 {

Script::Script(terms::CheckFunction check, std::FILE* out)
    : session_(std::make_unique<Session>(terms::everyQueryAfresh(std::move(check)), out)) {}

Script::Script(terms::QueryFunction check, std::FILE* out)
    : session_(std::make_unique<Session>(std::move(check), out)) {}

Script::~Script() = default;

void Script::setErrorBehavior(ErrorBehavior behavior) { session_->setErrorBehavior(behavior); }

int Script::run(int fd) { return session_->run(fd); }

const terms::TermStore& Script::store() const { return session_->store(); }

size_t Script::tableBytes() const { return session_->tableBytes(); }

int runScript(int fd, const terms::CheckFunction& check, std::FILE* out) { return Script(check, out).run(fd); }

int runScript(int fd, const terms::QueryFunction& check, std::FILE* out) { return Script(check, out).run(fd); }

}  // namespace torva::smt2
