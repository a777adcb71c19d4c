// The example benchmarks of the repository: each reads, and its :status is
// the brute-force answer where the declarations are small enough to
// enumerate; the one too large for that is checked against a model found by
// hand and assignments next to it that violate one assertion each.
#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "extended_harness.h"

namespace {
std::string examplesDirectory() {
    std::string source = __FILE__;
    return source.substr(0, source.rfind("/tests/")) + "/examples/";
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> exampleNames() {
    std::vector<std::string> names;
    DIR* dir = opendir(examplesDirectory().c_str());
    if (!dir) return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() > 4 && name.substr(name.size() - 4) == ".smt") names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

unsigned declaredBits(extended_test::Parsed& parsed) {
    unsigned bits = 0;
    for (const auto& d : parsed.benchmark.declarations) bits += extended_test::sortBits(parsed.store, d.term);
    return bits;
}

// Every assertion holds under the assignment (by declared name).
bool holds(extended_test::Parsed& parsed, const std::map<std::string, unsigned long>& model) {
    torva::terms::Evaluator evaluator(parsed.store);
    for (const auto& d : parsed.benchmark.declarations) evaluator.assign(d.term, model.at(d.name));
    for (torva::terms::TermId a : parsed.benchmark.assertions)
        if (evaluator.value(a) != 1) return false;
    return true;
}
}  // namespace

TEST(ExtendedExamples, StatusIsTheBruteForceAnswer) {
    std::vector<std::string> names = exampleNames();
    ASSERT_GE(names.size(), 7u) << examplesDirectory();
    int enumerated = 0;
    for (const std::string& name : names) {
        std::string path = examplesDirectory() + name;
        auto parsed = extended_test::parse(readFile(path), path);
        ASSERT_TRUE(parsed->ok) << parsed->error;
        const std::string& status = parsed->benchmark.status;
        ASSERT_TRUE(status == "sat" || status == "unsat") << name;
        if (declaredBits(*parsed) > 17) continue;
        EXPECT_EQ(extended_test::bruteForceSat(*parsed), status == "sat") << name;
        ++enumerated;
    }
    EXPECT_GE(enumerated, 6);
}

TEST(ExtendedExamples, ComparisonHoldsUnderAModelFoundByHand) {
    std::string text = readFile(examplesDirectory() + "comparison.smt");
    auto parsed = extended_test::parse(text);
    ASSERT_TRUE(parsed->ok) << parsed->error;
    // x < y unsigned but y < x signed, y > 200, x <= z <= y, x >= 100 signed.
    EXPECT_TRUE(holds(*parsed, {{"x", 100}, {"y", 201}, {"z", 101}}));
    EXPECT_FALSE(holds(*parsed, {{"x", 100}, {"y", 201}, {"z", 100}}));  // x and z not distinct
    EXPECT_FALSE(holds(*parsed, {{"x", 100}, {"y", 200}, {"z", 101}}));  // y not above 200
    EXPECT_FALSE(holds(*parsed, {{"x", 99}, {"y", 201}, {"z", 101}}));   // x below 100
}
