// Running the torva binary as a child process for end-to-end tests: its
// exit status (or 128 + signal) and both output streams. The binary comes
// from TORVA_BINARY; the source tree from TORVA_SOURCE_DIR, or else from the
// location this file was compiled from.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

struct RunResult {
    int status;  // exit status, or 128 + signal number
    std::string out;
    std::string err;
};

inline std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? "" : value;
}

inline std::string sourceDir() {
    std::string dir = environment("TORVA_SOURCE_DIR");
    if (!dir.empty()) return dir;
    std::string file = __FILE__;
    return file.substr(0, file.rfind("/tests/e2e/"));
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A scratch file for one stream of the child, removed again when done.
class CaptureFile {
public:
    CaptureFile() : path(::testing::TempDir() + "torva_e2e_XXXXXX") { fd = mkstemp(&path[0]); }
    ~CaptureFile() {
        close(fd);
        unlink(path.c_str());
    }
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    int descriptor() const { return fd; }
    std::string contents() const { return readFile(path); }

private:
    std::string path;
    int fd;
};

// Runs the torva binary in the source directory with `input` as its standard
// input; a non-zero addressLimit caps the child's address space (bytes).
inline RunResult runTorva(const std::vector<std::string>& args, rlim_t addressLimit = 0,
                          const std::string& input = "") {
    std::string binary = environment("TORVA_BINARY");
    std::string tree = sourceDir();
    CaptureFile in, out, err;
    if (!input.empty() && write(in.descriptor(), input.data(), input.size()) != static_cast<ssize_t>(input.size()))
        return {127, "", "could not write the standard input of the child"};
    lseek(in.descriptor(), 0, SEEK_SET);
    pid_t child = fork();
    if (child == 0) {
        if (chdir(tree.c_str()) != 0) _exit(127);
        if (addressLimit != 0) {
            struct rlimit limit = {addressLimit, addressLimit};
            setrlimit(RLIMIT_AS, &limit);
        }
        dup2(in.descriptor(), STDIN_FILENO);
        dup2(out.descriptor(), STDOUT_FILENO);
        dup2(err.descriptor(), STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(binary.c_str())};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return {code, out.contents(), err.contents()};
}

