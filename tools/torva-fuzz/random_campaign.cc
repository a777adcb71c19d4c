// torva-fuzz random, the random-testing campaign: runs any number of seeds per configuration
// profile and instance shape through the differential oracle of the
// benchmark path, or of the term-graph paths (--path), and keeps every
// failing case in a directory (the benchmark as NAME.smt, for the graph
// paths also the script as NAME.smt2; the seed, the configuration, the
// problem and the runs' output as NAME.txt). The profile "arrays" runs
// sessions with arrays and uninterpreted functions instead (small: decided
// by enumeration; planted and law: by construction).
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "random/array_session.h"
#include "random/graph_oracle.h"
#include "random/oracle.h"

using namespace torva_random;

namespace {

struct Options {
    uint64_t first = 1000000000;
    uint64_t count = 1000;
    std::vector<Profile> profiles = {Profile::Default, Profile::Modules, Profile::Clauses, Profile::Mixed, Profile::Search};
    std::vector<Shape> shapes = {Shape::Small, Shape::Planted, Shape::Law};
    std::string out = "random-failures";
    int timeout = 60;
    int depth = 3;
    std::string path = "benchmark";
    bool arrays = false;
};

bool graphPaths(const std::string& path, PathSelection& p) {
    if (path == "smt2") p = {true, false, false};
    else if (path == "extended") p = {false, true, false};
    else if (path == "both") p = {true, true, true};
    else return false;
    return true;
}

void usage() {
    std::cerr << "usage: torva-fuzz random [--first SEED] [--count N] [--profile default|modules|clauses|mixed|search|arrays]\n"
                 "                         [--shape small|planted|law] [--out DIR] [--timeout SECONDS] [--depth N]\n"
                 "                         [--path benchmark|smt2|extended|both]\n"
                 "Runs seeds FIRST .. FIRST+N-1 for every chosen profile and shape (all when not given).\n"
                 "--path: the SMT-LIB 1 benchmark path (default); the SMT-LIB 2 script or the extended SMT-LIB 1 reader\n"
                 "through the term graph; or both of those and the benchmark path where it reads the instance.\n"
                 "--profile arrays: sessions with arrays and functions through the SMT-LIB 2 reader (alone).\n";
}

bool parseOptions(int argc, char** argv, Options& o) {
    bool profileGiven = false, shapeGiven = false;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (i + 1 >= argc) return false;
        std::string value = argv[++i];
        if (arg == "--first") {
            o.first = std::strtoull(value.c_str(), nullptr, 10);
        } else if (arg == "--count") {
            o.count = std::strtoull(value.c_str(), nullptr, 10);
        } else if (arg == "--out") {
            o.out = value;
        } else if (arg == "--timeout") {
            o.timeout = std::atoi(value.c_str());
        } else if (arg == "--depth") {
            o.depth = std::atoi(value.c_str());
        } else if (arg == "--path") {
            PathSelection unused;
            if (value != "benchmark" && !graphPaths(value, unused)) return false;
            o.path = value;
        } else if (arg == "--profile" && value == "arrays") {
            o.arrays = true;
        } else if (arg == "--profile") {
            Profile p;
            if (!profileByName(value, &p)) return false;
            if (!profileGiven) o.profiles.clear();
            profileGiven = true;
            o.profiles.push_back(p);
        } else if (arg == "--shape") {
            Shape s;
            if (!shapeByName(value, &s)) return false;
            if (!shapeGiven) o.shapes.clear();
            shapeGiven = true;
            o.shapes.push_back(s);
        } else {
            return false;
        }
    }
    return o.timeout > 0 && o.depth >= 0;
}

void keep(const Options& o, const Case& c, const CaseOutcome& out) {
    mkdir(o.out.c_str(), 0755);
    std::string base = o.out + "/" + profileName(c.profile) + "_" + shapeName(c.shape) + "_" + std::to_string(c.seed);
    std::ofstream(base + ".smt") << out.generated.bench.text();
    std::ofstream(base + ".txt") << describeFailure(c, out);
}

void keepGraph(const Options& o, const GraphCase& c, const GraphOutcome& out) {
    mkdir(o.out.c_str(), 0755);
    std::string base = o.out + "/" + o.path + "_" + profileName(c.profile) + "_" + shapeName(c.shape) + "_" +
                       std::to_string(c.seed);
    std::ofstream(base + ".smt2") << out.script.text;
    std::ofstream(base + ".smt") << out.generated.bench.text();
    std::ofstream(base + ".txt") << describeGraphFailure(c, out);
}

// The graph oracle over the seed range; instances that ran out of time are
// kept and counted apart from wrong answers.
int graphCampaign(const Options& o, const std::string& dir) {
    PathSelection paths;
    graphPaths(o.path, paths);
    uint64_t sat = 0, unsat = 0, timeouts = 0, failed = 0;
    for (uint64_t i = 0; i < o.count; i++) {
        for (Profile p : o.profiles) {
            for (Shape s : o.shapes) {
                GraphCase c{p, s, o.first + i, o.depth, paths};
                GraphOutcome out = runGraphCase(c, dir, o.timeout);
                if (out.ok) {
                    (out.sat ? sat : unsat)++;
                    continue;
                }
                (out.timedOut ? timeouts : failed)++;
                keepGraph(o, c, out);
                std::cout << (out.timedOut ? "TIMEOUT" : "FAIL") << " seed " << c.seed << " " << profileName(p) << "/"
                          << shapeName(s) << ": " << out.message << std::endl;
            }
        }
        if ((i + 1) % 100 == 0)
            std::cout << (i + 1) << " seeds: " << sat << " sat, " << unsat << " unsat, " << timeouts << " timeouts, "
                      << failed << " failed" << std::endl;
    }
    std::cout << "checked " << (sat + unsat + timeouts + failed) << " instances on path " << o.path << ": " << sat
              << " sat, " << unsat << " unsat, " << timeouts << " timeouts, " << failed << " failed"
              << (failed + timeouts ? " (kept in " + o.out + ")" : "") << std::endl;
    return failed ? 1 : 0;
}

// Sessions with arrays and functions; small instances are decided by
// enumeration, the others are planted.
int arrayCampaign(const Options& o, const std::string& dir) {
    uint64_t sat = 0, unsat = 0, timeouts = 0, failed = 0;
    for (uint64_t i = 0; i < o.count; i++) {
        for (Shape s : o.shapes) {
            if (s == Shape::Law && std::find(o.shapes.begin(), o.shapes.end(), Shape::Planted) != o.shapes.end()) continue;
            uint64_t seed = o.first + i;
            ArraySession session = generateArraySession(seed, s == Shape::Small ? ArrayShape::Enumerated : ArrayShape::Planted);
            ArrayVerdict v = runArraySession(session, seed, dir, o.timeout);
            sat += static_cast<uint64_t>(v.sat);
            unsat += static_cast<uint64_t>(v.unsat);
            if (v.ok) continue;
            (v.timedOut ? timeouts : failed)++;
            mkdir(o.out.c_str(), 0755);
            std::string base = o.out + "/arrays_" + shapeName(s) + "_" + std::to_string(seed);
            std::ofstream(base + ".smt2") << session.text;
            std::ofstream(base + ".txt") << "seed " << seed << ", " << v.variant << "\nproblem: " << v.message
                                         << "\nresponses:\n" << v.responses;
            std::cout << (v.timedOut ? "TIMEOUT" : "FAIL") << " seed " << seed << " arrays/" << shapeName(s) << " ("
                      << v.variant << "): " << v.message << std::endl;
        }
    }
    std::cout << "checked " << o.count << " seeds of array sessions: " << sat << " sat and " << unsat
              << " unsat answers, " << timeouts << " timeouts, " << failed << " failed"
              << (failed + timeouts ? " (kept in " + o.out + ")" : "") << std::endl;
    return failed ? 1 : 0;
}

}  // namespace

int runRandomCampaign(int argc, char** argv) {
    Options o;
    if (!parseOptions(argc, argv, o)) {
        usage();
        return 2;
    }
    std::string dir = makeWorkDir("campaign");
    if (o.arrays) {
        int status = arrayCampaign(o, dir);
        rmdir(dir.c_str());
        return status;
    }
    if (o.path != "benchmark") {
        int status = graphCampaign(o, dir);
        rmdir(dir.c_str());
        return status;
    }
    uint64_t sat = 0, unsat = 0, failed = 0;
    for (uint64_t i = 0; i < o.count; i++) {
        for (Profile p : o.profiles) {
            for (Shape s : o.shapes) {
                Case c{p, s, o.first + i, o.depth};
                CaseOutcome out = runCase(c, dir, o.timeout);
                if (out.check.ok) {
                    (out.check.sat ? sat : unsat)++;
                    continue;
                }
                failed++;
                keep(o, c, out);
                std::cout << "FAIL seed " << c.seed << " " << profileName(p) << "/" << shapeName(s) << ": "
                          << out.check.message << std::endl;
            }
        }
        if ((i + 1) % 100 == 0)
            std::cout << (i + 1) << " seeds: " << sat << " SAT, " << unsat << " UNSAT, " << failed << " failed" << std::endl;
    }
    rmdir(dir.c_str());
    std::cout << "checked " << (sat + unsat + failed) << " instances: " << sat << " SAT, " << unsat << " UNSAT, "
              << failed << " failed" << (failed ? " (kept in " + o.out + ")" : "") << std::endl;
    return failed ? 1 : 0;
}
