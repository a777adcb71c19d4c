// Long random-testing campaign: runs any number of seeds per configuration
// profile and instance shape through the differential oracle and keeps every
// failing case in a directory (the benchmark as NAME.smt, the seed, the
// configuration, the problem and the run's output as NAME.txt).
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

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
};

void usage() {
    std::cerr << "usage: torva_campaign [--first SEED] [--count N] [--profile default|modules|clauses|mixed|search]\n"
                 "                      [--shape small|planted|law] [--out DIR] [--timeout SECONDS] [--depth N]\n"
                 "Runs seeds FIRST .. FIRST+N-1 for every chosen profile and shape (all when not given).\n";
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

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parseOptions(argc, argv, o)) {
        usage();
        return 2;
    }
    std::string dir = makeWorkDir("campaign");
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
