// The program entry: reads the command line and runs the reader it names.
// The exit status carries the answer: 10 satisfiable, 20 unsatisfiable; 1
// when the input cannot be read or needs more memory than the machine has;
// 255 without an input; 3 when a model fails its check (an internal fault).
#include <cstdio>
#include <new>

#include "driver/limits.h"
#include "driver/options.h"
#include "driver/progress_line.h"
#include "driver/quiet_output.h"
#include "driver/report.h"
#include "driver/runs.h"

int main(int argc, char** argv) {
    torva::driver::Options options;
    if (!torva::driver::parseOptions(argc, argv, options)) {
        std::puts("### Error: Not enough arguments! File needed...");
        return -1;
    }
    torva::driver::installMemoryLimit(options);
    torva::driver::limitMemoryToPhysical();
    torva::driver::installTimeLimit(options);
    if (options.quiet && options.reader != torva::driver::Reader::Script) torva::driver::keepOnlyAnswerLines();
    torva::driver::startProgressLine(options);
    try {
        if (!options.dimacs.empty()) return torva::driver::runDimacs(options);
        switch (options.reader) {
            case torva::driver::Reader::Benchmark: return torva::driver::runBenchmark(options);
            case torva::driver::Reader::Extended: return torva::driver::runExtended(options);
            case torva::driver::Reader::Script: return torva::driver::runScript(options);
        }
    } catch (const torva::WrongModel& wrong) {
        torva::driver::endOnWrongModel(wrong);
    } catch (const std::bad_alloc&) {
        if (options.memoryLimitMB != 0) {
            torva::driver::reportMemoryLimit(options);
            return 0;
        }
        std::fflush(stdout);
        std::fputs("Error: out of memory: the benchmark needs more memory than this machine has\n", stderr);
    }
    return 1;
}
