// Sessions fed through a pipe. torva --smt2 - answers every command as soon
// as it is complete, before the next one is written, and goes on after an
// error (the test writes one command group at a time and waits for its
// answer, with a deadline, so a solver that reads ahead fails instead of
// hanging). A slow read draws a progress line on standard error when that
// is a terminal, erases it before the answer, and writes nothing when
// standard error is a file.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
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
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
        child_ = startTorva(args, in[0], out[1], STDERR_FILENO);
        close(in[0]);
        close(out[1]);
        toChild_ = in[1];
        fromChild_ = out[0];
    }
    ~PipeSession() {
        close(fromChild_);
        if (child_ > 0) finish();
    }

    // Writes `text`, then returns the next n lines the child writes joined by
    // spaces; a line is "closed" once the child has ended, "timeout" after
    // 20 s without one.
    std::string ask(const std::string& text, int n = 1) {
        if (write(toChild_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) pending_ += "closed\n";
        std::string all = line();
        for (int i = 1; i < n; i++) all += " " + line();
        return all;
    }

    int finish() {
        close(toChild_);
        int status = waitForExit(child_);
        child_ = -1;
        return status;
    }

private:
    std::string line() {
        while (pending_.find('\n') == std::string::npos) {
            struct pollfd p = {fromChild_, POLLIN, 0};
            if (poll(&p, 1, 20000) <= 0) return "timeout";
            char buffer[4096];
            ssize_t n = read(fromChild_, buffer, sizeof buffer);
            if (n <= 0) return "closed";
            pending_.append(buffer, static_cast<size_t>(n));
        }
        std::string first = pending_.substr(0, pending_.find('\n'));
        pending_.erase(0, first.size() + 1);
        return first;
    }

    pid_t child_ = -1;
    int toChild_ = -1, fromChild_ = -1;
    std::string pending_;
};

// A path condition that grows one branch at a time: each branch's other
// side is asked about in a scope of its own, its values read after sat. The
// first error is answered, and ends the session with --exit-on-error.
TEST(PipeSession, AnswersEveryCheckBeforeTheNextCommand) {
    for (const std::string variant : {"", "--no-incremental", "--exit-on-error"}) {
        std::vector<std::string> args = {"--smt2", "-"};
        if (!variant.empty()) args.insert(args.begin(), variant);
        PipeSession session(args);
        EXPECT_EQ(session.ask("(set-option :print-success true)\n"), "success");
        EXPECT_EQ(session.ask("(declare-const x (_ BitVec 16))(declare-const y (_ BitVec 16))\n", 2),
                  "success success");
        for (int k = 1; k <= 12; k++) {
            std::string bound = "(_ bv" + std::to_string(k * 1000) + " 16)";
            EXPECT_EQ(session.ask("(push 1)(assert (bvult (bvadd x y) " + bound + "))(check-sat)\n", 3),
                      "success success sat")
                << variant << " branch " << k;
            EXPECT_EQ(session.ask("(get-value ((bvult (bvadd x y) " + bound + ")))\n"),
                      "(((bvult (bvadd x y) " + bound + ") true))")
                << variant;
            EXPECT_EQ(session.ask("(pop 1)(assert (bvuge (bvadd x y) " + bound + "))(assert (bvult x (_ bv500 16)))\n",
                                  3),
                      "success success success");
        }
        EXPECT_EQ(session.ask("(check-sat-assuming ((= x #x0000)))\n"), "sat");
        EXPECT_EQ(session.ask("(assert (bvult y (_ bv100 16)))(check-sat)\n", 2), "success unsat")
            << "x + y is below 600 then";
        EXPECT_EQ(session.ask("(get-value (x))\n").rfind("(error \"", 0), 0u) << "an error answered";
        EXPECT_EQ(session.ask("(get-info :error-behavior)\n"),
                  variant == "--exit-on-error" ? "closed" : "(:error-behavior continued-execution)");
        EXPECT_EQ(session.finish(), 1) << "a session with an error ends with status 1";
    }
}

// A script fed in two parts, 1.6 s apart, with standard error on a
// pseudo-terminal or on a file.
TEST(ProgressLine, DrawnOnATerminalErasedBeforeTheAnswerAndNeverInAFile) {
    for (bool terminal : {true, false}) {
        int input[2], master = -1, slave = -1;
        ASSERT_EQ(pipe2(input, O_CLOEXEC), 0);
        ASSERT_TRUE(!terminal || openpty(&master, &slave, nullptr, nullptr, nullptr) == 0);
        CaptureFile out, err;
        pid_t child = startTorva({"--smt2", "-"}, input[0], out.descriptor(), terminal ? slave : err.descriptor());
        close(input[0]);
        if (terminal) close(slave);
        bool written = true;
        for (const std::string part : {"(declare-const x (_ BitVec 8))\n", "(assert (= (bvmul x #x03) #x09))(check-sat)\n"}) {
            if (part[1] == 'a') usleep(1600 * 1000);
            written = written && write(input[1], part.data(), part.size()) == static_cast<ssize_t>(part.size());
        }
        close(input[1]);
        std::string shown;
        char buffer[4096];
        for (ssize_t n; terminal && (n = read(master, buffer, sizeof buffer)) > 0;)
            shown.append(buffer, static_cast<size_t>(n));
        if (terminal) close(master);
        EXPECT_EQ(waitForExit(child), 10);
        EXPECT_TRUE(written);
        EXPECT_EQ(out.contents(), "sat\n");
        if (!terminal) {
            EXPECT_EQ(err.contents(), "");
            continue;
        }
        const std::string erase = "\r\033[K";
        size_t drawn = shown.find(erase + "torva: read ");
        ASSERT_NE(drawn, std::string::npos) << shown;
        EXPECT_NE(shown.find(" MB, ", drawn), std::string::npos) << shown;
        EXPECT_NE(shown.find(" clauses", drawn), std::string::npos) << shown;
        EXPECT_EQ(shown.rfind(erase), shown.size() - erase.size()) << "the line is erased at the end";
    }
}

}  // namespace
