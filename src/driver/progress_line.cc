// The progress line runs in a thread of its own that sleeps on a condition
// variable, so stopping it wakes it at once. It only reads the relaxed
// counters of containers/progress.h and writes with write(2). When standard
// output is a terminal too, stdout becomes a stream that erases the line
// before it writes, so report lines printed while the input is read never
// run into it.
#include "driver/progress_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "containers/progress.h"
#include "driver/raw_write.h"

namespace torva::driver {
namespace {

struct Meter {
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::atomic<bool> drawn{false};
    uint64_t inputSize = 0;  // 0: not known (standard input)
    std::thread thread;
};

Meter* meter = nullptr;  // never destroyed: exit may come from any place while it runs

void writeText(const std::string& text) { writeAll(STDERR_FILENO, text.data(), text.size()); }

const char kErase[] = "\r\033[K";

void eraseLine(Meter& m) {
    if (m.drawn) writeText(kErase);
    m.drawn = false;
}

ssize_t writeStdout(void*, const char* data, size_t size) {
    std::lock_guard<std::mutex> lock(meter->mutex);
    eraseLine(*meter);
    writeAll(STDOUT_FILENO, data, size);
    return static_cast<ssize_t>(size);
}

std::string megabytes(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
    return text;
}

std::string progressText(uint64_t inputSize) {
    std::string text = "torva: read " + megabytes(progress::bytesRead.load(std::memory_order_relaxed));
    if (inputSize != 0) text += " of " + megabytes(inputSize);
    text += " MB";
    if (uint64_t nodes = progress::nodes.load(std::memory_order_relaxed)) text += ", " + std::to_string(nodes) + " nodes";
    text += ", " + std::to_string(progress::clauses.load(std::memory_order_relaxed)) + " clauses";
    return text;
}

void run(Meter& m) {
    std::unique_lock<std::mutex> lock(m.mutex);
    if (m.wake.wait_for(lock, std::chrono::seconds(1), [&] { return m.stopping; })) return;
    do {
        writeText(kErase + progressText(m.inputSize));
        m.drawn = true;
    } while (!m.wake.wait_for(lock, std::chrono::milliseconds(250), [&] { return m.stopping; }));
}

uint64_t inputSize(const std::string& path) {
    struct stat info;
    if (path == "-" || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
    return static_cast<uint64_t>(info.st_size);
}
}  // namespace

void startProgressLine(const Options& options) {
    if (meter != nullptr || options.quiet || !isatty(STDERR_FILENO)) return;
    meter = new Meter;
    meter->inputSize = inputSize(options.input);
    if (isatty(STDOUT_FILENO)) replaceStdout(writeStdout);
    meter->thread = std::thread(run, std::ref(*meter));
    std::atexit(stopProgressLine);
}

void eraseProgressLineNow() {
    if (meter != nullptr && meter->drawn.load()) writeAll(STDERR_FILENO, kErase, sizeof kErase - 1);
}

void stopProgressLine() {
    if (meter == nullptr) return;
    {
        std::lock_guard<std::mutex> lock(meter->mutex);
        if (meter->stopping) return;
        meter->stopping = true;
    }
    meter->wake.notify_all();
    meter->thread.join();
    std::lock_guard<std::mutex> lock(meter->mutex);
    eraseLine(*meter);
}

}  // namespace torva::driver
