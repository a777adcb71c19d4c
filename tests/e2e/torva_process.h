// Running the torva binary as a child process for end-to-end tests: its
// exit status (or 128 + signal) and both output streams. The binary comes
// from TORVA_BINARY; the source tree from TORVA_SOURCE_DIR, or else from the
// location this file was compiled from.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

struct RunResult {
    int status;  // exit status, or 128 + signal number
    std::string out, err;
};

inline std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? "" : value;
}

inline std::string sourceDir() {
    std::string dir = environment("TORVA_SOURCE_DIR"), file = __FILE__;
    return dir.empty() ? file.substr(0, file.rfind("/tests/e2e/")) : dir;
}

inline std::string readFile(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The golden output of a run: tests/e2e/golden/NAME.stdout or .stderr.
inline std::string goldenPath(const std::string& name, const char* stream) {
    return sourceDir() + "/tests/e2e/golden/" + name + "." + stream;
}

// Masks the figures that differ from run to run: CPU time and memory.
inline std::string masked(const std::string& text) {
    static const std::regex time("Time:\t\t[0-9.]+ CPU sec\\."), memory("Memory Used:\t[0-9.]+ MB");
    return std::regex_replace(std::regex_replace(text, time, "Time:\t\t<time> CPU sec."), memory,
                              "Memory Used:\t<memory> MB");
}

// A scratch file for one stream of the child, gone once closed.
class CaptureFile {
public:
    CaptureFile() : file(std::tmpfile()) {}
    ~CaptureFile() { std::fclose(file); }
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    int descriptor() const { return fileno(file); }
    std::string contents() const { return readFile("/proc/self/fd/" + std::to_string(descriptor())); }

private:
    std::FILE* file;
};

// Starts torva in the source directory with the given descriptors as its
// standard streams (pipes the caller holds must be close-on-exec); a
// non-zero addressLimit caps the child's address space (bytes).
inline pid_t startTorva(const std::vector<std::string>& args, int in, int out, int err, rlim_t addressLimit = 0) {
    std::string binary = environment("TORVA_BINARY"), tree = sourceDir();
    pid_t child = fork();
    if (child != 0) return child;
    if (chdir(tree.c_str()) != 0) _exit(127);
    struct rlimit limit = {addressLimit, addressLimit};
    if (addressLimit != 0) setrlimit(RLIMIT_AS, &limit);
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
}

// The exit status of the child, or 128 + the signal that ended it.
inline int waitForExit(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs torva to its end with `input` as its standard input.
inline RunResult runTorva(const std::vector<std::string>& args, const std::string& input = "",
                          rlim_t addressLimit = 0) {
    CaptureFile in, out, err;
    if (write(in.descriptor(), input.data(), input.size()) != static_cast<ssize_t>(input.size()))
        return {127, "", "could not write the standard input of the child"};
    lseek(in.descriptor(), 0, SEEK_SET);
    int status = waitForExit(startTorva(args, in.descriptor(), out.descriptor(), err.descriptor(), addressLimit));
    return {status, out.contents(), err.contents()};
}
