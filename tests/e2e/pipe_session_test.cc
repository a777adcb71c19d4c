// The interactive session over a pipe: torva --smt2 - answers every
// command as soon as it is complete, before the next one is written, and
// goes on after an error. The test writes one command group at a time and
// waits for its answer (with a deadline, so a solver that reads ahead fails
// instead of hanging).
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "e2e/torva_process.h"

namespace {

class PipeSession {
public:
    explicit PipeSession(const std::vector<std::string>& args) {
        std::signal(SIGPIPE, SIG_IGN);
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return;
        std::string binary = environment("TORVA_BINARY");
        child_ = fork();
        if (child_ == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            close(in[1]);
            close(out[0]);
            std::vector<char*> argv{const_cast<char*>(binary.c_str())};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(binary.c_str(), argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        toChild_ = in[1];
        fromChild_ = out[0];
    }
    ~PipeSession() {
        if (toChild_ >= 0) close(toChild_);
        if (fromChild_ >= 0) close(fromChild_);
        if (child_ > 0) waitpid(child_, nullptr, 0);
    }

    // A child that has ended takes nothing more; line() then says "closed".
    void send(const std::string& text) {
        if (write(toChild_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) pending_ += "closed\n";
    }

    // The next line the child writes, or "timeout" after 20 s.
    std::string line() {
        for (;;) {
            size_t end = pending_.find('\n');
            if (end != std::string::npos) {
                std::string first = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                return first;
            }
            struct pollfd p = {fromChild_, POLLIN, 0};
            if (poll(&p, 1, 20000) <= 0) return "timeout";
            char buffer[4096];
            ssize_t n = read(fromChild_, buffer, sizeof buffer);
            if (n <= 0) return "closed";
            pending_.append(buffer, static_cast<size_t>(n));
        }
    }

    int finish() {
        close(toChild_);
        toChild_ = -1;
        int status = 0;
        waitpid(child_, &status, 0);
        child_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t child_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::string pending_;
};

// A path condition that grows one branch at a time: each branch's other
// side is asked about in a scope of its own, its values read after sat.
TEST(PipeSession, AnswersEveryCheckBeforeTheNextCommand) {
    for (const char* incremental : {"", "--no-incremental"}) {
        std::vector<std::string> args = {"--smt2", "-"};
        if (*incremental) args.insert(args.begin(), incremental);
        PipeSession session(args);
        session.send("(set-option :print-success true)\n");
        EXPECT_EQ(session.line(), "success");
        session.send("(declare-const x (_ BitVec 16))(declare-const y (_ BitVec 16))\n");
        EXPECT_EQ(session.line(), "success");
        EXPECT_EQ(session.line(), "success");
        for (int k = 1; k <= 12; k++) {
            std::string bound = "(_ bv" + std::to_string(k * 1000) + " 16)";
            session.send("(push 1)(assert (bvult (bvadd x y) " + bound + "))(check-sat)\n");
            EXPECT_EQ(session.line(), "success");
            EXPECT_EQ(session.line(), "success");
            std::string answer = session.line();
            EXPECT_EQ(answer, "sat") << incremental << " branch " << k;
            session.send("(get-value ((bvult (bvadd x y) " + bound + ")))\n");
            EXPECT_EQ(session.line(), "(((bvult (bvadd x y) " + bound + ") true))") << incremental;
            session.send("(pop 1)(assert (bvuge (bvadd x y) " + bound + "))(assert (bvult x (_ bv500 16)))\n");
            EXPECT_EQ(session.line(), "success");
            EXPECT_EQ(session.line(), "success");
            EXPECT_EQ(session.line(), "success");
        }
        session.send("(check-sat-assuming ((= x #x0000)))\n");
        EXPECT_EQ(session.line(), "sat");
        session.send("(assert (bvult y (_ bv100 16)))(check-sat)\n");
        EXPECT_EQ(session.line(), "success");
        EXPECT_EQ(session.line(), "unsat") << "x + y is below 600 then";
        session.send("(get-value (x))\n");
        EXPECT_EQ(session.line().rfind("(error \"", 0), 0u) << "an error answered";
        session.send("(get-info :error-behavior)\n");
        EXPECT_EQ(session.line(), "(:error-behavior continued-execution)");
        EXPECT_EQ(session.finish(), 1) << "a session with an error ends with status 1";
    }
}

TEST(PipeSession, ExitOnErrorEndsAtTheFirstError) {
    PipeSession session({"--exit-on-error", "--smt2", "-"});
    session.send("(declare-const x Bool)(check-sat)\n");
    EXPECT_EQ(session.line(), "sat");
    session.send("(assert (bvadd x))\n");
    EXPECT_EQ(session.line().rfind("(error \"2:", 0), 0u);
    session.send("(check-sat)\n");
    EXPECT_EQ(session.line(), "closed");
    EXPECT_EQ(session.finish(), 1);
}

}  // namespace
