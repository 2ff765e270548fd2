// The programs at the limits of their inputs: counts at 65535, values at the
// ends of the 32-bit range, weights that do not fit an int, a weight file of
// a million numbers, a name of a megabyte.  Each case either works, with the
// right verdict, or ends with its one-line message and its status.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core_check.h"
#include "harness.h"

#ifdef MAC_PATH

namespace fs = std::filesystem;

namespace {

constexpr int UNSAT = 0, SAT = 10;

// Weights for any network the reader accepts: two per constraint, 65535 constraints.
std::string ones(int n = 131070) {
    std::string w;
    w.reserve(2 * static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) w += "1 ";
    return w;
}

RunResult runMac(const std::string& instance, const std::string& weight = ones()) {
    TempDir dir;
    writeFile(dir / "current.txt", instance);
    writeFile(dir / "weight", weight);
    return runProgram(dir.path, MAC_PATH, {}, 60);
}

// Variables 0..n-1 on domain 0, then relations and constraints as given.
std::string instance(const std::string& domains, int vars, const std::vector<std::string>& relations,
                     const std::vector<std::string>& constraints, const std::string& name = "?") {
    std::string t = name + "\n" + domains;
    t += std::to_string(vars) + "\n";
    for (int i = 0; i < vars; ++i) t += std::to_string(i) + " 0\n";
    t += std::to_string(relations.size()) + "\n";
    for (const auto& r : relations) t += r + "\n";
    t += std::to_string(constraints.size()) + "\n";
    for (const auto& c : constraints) t += c + "\n";
    return t;
}

std::string valuesFrom(long long first, int count) {
    std::string s;
    for (int k = 0; k < count; ++k) s += " " + std::to_string(first + k);
    return s;
}

// `n` copies of one constraint line.
std::vector<std::string> copies(const std::string& line, int n) { return std::vector<std::string>(n, line); }

// One relation over domains 0 and 1 of sizes a and b listing all a * b pairs.
std::string everyPair(int number, int type, int a, int b) {
    std::string r = std::to_string(number) + " " + std::to_string(type) + " 2 0 1 " + std::to_string(a * b);
    for (int x = 0; x < a; ++x)
        for (int y = 0; y < b; ++y) r += " " + std::to_string(x) + " " + std::to_string(y);
    return r;
}

struct Case {
    const char* what;
    std::string instance;
    int status;
    std::string err;  // the whole standard error
};

void check(const Case& c) {
    RunResult r = runMac(c.instance);
    EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err.substr(0, 300) << r.out.substr(0, 300);
    EXPECT_EQ(r.err, c.err) << c.what;
}

const std::string BOOL_DOMAIN = "1\n0 2 0 1\n";
const std::string EQUAL = "0 1 2 0 0 2 0 0 1 1", DIFFERENT = "1 1 2 0 0 2 0 1 1 0";

TEST(Limits, CountsAt65535) {
    const std::string twoDomains = "2\n0 255" + valuesFrom(0, 255) + "\n1 257" + valuesFrom(0, 257) + "\n";
    const std::string twoVars = "2\n0 0\n1 1\n";
    auto onTwoDomains = [&](const std::string& relation) {
        return "?\n" + twoDomains + twoVars + "1\n" + relation + "\n1\n2 0 1 0\n";
    };
    const std::string wide = "1\n0 300" + valuesFrom(0, 300) + "\n";
    std::string successor = "0 1 2 0 0 299";
    for (int x = 0; x < 299; ++x) successor += " " + std::to_string(x) + " " + std::to_string(x + 1);
    const std::vector<Case> cases = {
        {"a domain of 65535 values", instance("1\n0 65535" + valuesFrom(-32767, 65535) + "\n", 2, {}, {}), SAT, ""},
        {"a domain of 65536 values", instance("1\n0 65536" + valuesFrom(0, 65536) + "\n", 1, {}, {}), 255,
         "current.txt: domains block, record 0: value count 65536 is above 65535\n"},
        {"65535 allowed tuples", onTwoDomains(everyPair(0, 1, 255, 257)), SAT, ""},
        // Lists of allowed tuples over 300 x 300 values: x + 1 follows x.
        {"one allowed pair of 90000", instance(wide, 2, {"0 1 2 0 0 1 5 7"}, {"2 0 1 0"}), SAT, ""},
        {"a chain of successors", instance(wide, 3, {successor}, {"2 0 1 0", "2 1 2 0"}), SAT, ""},
        {"a cycle of successors", instance(wide, 3, {successor}, {"2 0 1 0", "2 1 2 0", "2 2 0 0"}), UNSAT, ""},
        {"forbidden tuples over 90000 pairs", instance(wide, 2, {"0 0 2 0 0 1 5 7"}, {"2 0 1 0"}), 255,
         "current.txt: relations block, record 0: product of the domain sizes 90000 is above 65535\n"},
        {"50000 constraints on one pair",
         instance(BOOL_DOMAIN, 2, {EQUAL, DIFFERENT}, [] {
             auto c = copies("2 0 1 0", 49999);
             c.push_back("2 1 0 1");
             return c;
         }()),
         UNSAT, ""},
        {"65535 constraints", instance(BOOL_DOMAIN, 2, {EQUAL}, copies("2 0 1 0", 65535)), 255,
         "Too much constraint for this experimental version\n"},
        {"65536 constraints", instance(BOOL_DOMAIN, 2, {EQUAL}, copies("2 0 1 0", 65536)), 255,
         "current.txt: constraints block, count: constraint count 65536 is above 65535\n"},
        {"65536 variables", instance(BOOL_DOMAIN, 65536, {}, {}), 255,
         "current.txt: variables block, count: variable count 65536 is above 65535\n"},
        {"65536 domains", "?\n65536\n", 255, "current.txt: domains block, count: domain count 65536 is above 65535\n"},
    };
    for (const Case& c : cases) check(c);
}

#if !defined(__SANITIZE_ADDRESS__)
// 65535 forbidden tuples, turned into the allowed ones of a product of
// 65535 pairs: a large case, kept out of the sanitizer builds.
TEST(Limits, SixtyFiveThousandForbiddenTuples) {
    const std::string twoDomains = "2\n0 255" + valuesFrom(0, 255) + "\n1 257" + valuesFrom(0, 257) + "\n";
    check({"65535 forbidden tuples", "?\n" + twoDomains + "2\n0 0\n1 1\n1\n" + everyPair(0, 0, 255, 257) + "\n1\n2 0 1 0\n",
           UNSAT, ""});
}
#endif

// Many variables: 4000 on a chain, with their verdicts.
TEST(Limits, ManyVariablesWork) {
    std::vector<std::string> chain;
    for (int i = 0; i + 1 < 4000; ++i) chain.push_back("2 " + std::to_string(i) + " " + std::to_string(i + 1) + " 1");
    RunResult r = runMac(instance(BOOL_DOMAIN, 4000, {EQUAL, DIFFERENT}, chain));
    EXPECT_EQ(r.status, SAT) << r.err << r.out;
    chain.push_back("2 0 3999 1");  // an even cycle of differences: still satisfiable
    EXPECT_EQ(runMac(instance(BOOL_DOMAIN, 4000, {EQUAL, DIFFERENT}, chain)).status, SAT);
    chain.back() = "2 0 3998 1";  // an odd one: not
    EXPECT_EQ(runMac(instance(BOOL_DOMAIN, 4000, {EQUAL, DIFFERENT}, chain)).status, UNSAT);
}

#if !defined(__SANITIZE_ADDRESS__)
// The memory is linear in the instance: 65535 variables fit well within a
// 2 GB address space.  (Address-space limits and the sanitizers' shadow
// memory do not mix.)
TEST(Limits, SixtyFiveThousandVariablesWork) {
    TempDir dir;
    writeFile(dir / "current.txt", instance(BOOL_DOMAIN, 65535, {EQUAL}, {"2 0 65534 0"}));
    writeFile(dir / "weight", ones(2));
    RunResult r = runProgram(dir.path, "/bin/sh", {"-c", "ulimit -v 2000000; exec \"$0\"", MAC_PATH}, 60);
    EXPECT_EQ(r.status, SAT) << r.err << r.out;
}
#endif

#if !defined(__SANITIZE_ADDRESS__)
// Relations that no constraint uses get no matrix once the matrices built
// pass a few hundred megabytes: 65534 unused relations of 255 x 255 values
// (4 GB of matrices), then one that the constraints use (its matrix built
// late, in both orientations), under a 1 GB address-space limit.
TEST(Limits, UnusedRelationsCostNoMatrix) {
    const std::string domains = "2\n0 2 0 1\n1 255" + valuesFrom(0, 255) + "\n";
    std::vector<std::string> relations;
    for (int r = 0; r < 65534; ++r) relations.push_back(std::to_string(r) + " 1 2 1 1 0");
    relations.push_back("65534 1 2 0 0 1 0 1");  // first 0, second 1
    struct Portees {
        std::vector<std::string> constraints;
        int status;
    };
    const std::vector<Portees> cases = {
        {{"2 0 1 65534", "2 2 1 65534"}, SAT},    // x1 = 1
        {{"2 0 1 65534", "2 1 2 65534"}, UNSAT},  // x1 = 1 and x1 = 0
        {{"2 1 0 65534", "2 1 2 65534"}, SAT},    // x1 = 0, by the transposed matrix
        {{"2 1 0 65534", "2 2 1 65534"}, UNSAT},
    };
    for (const Portees& c : cases) {
        TempDir dir;
        writeFile(dir / "current.txt", instance(domains, 3, relations, c.constraints));
        writeFile(dir / "weight", ones(4));
        RunResult r = runProgram(dir.path, "/bin/sh", {"-c", "ulimit -v 1000000; exec \"$0\"", MAC_PATH}, 60);
        EXPECT_EQ(r.status, c.status) << c.constraints[0] << ", " << c.constraints[1] << ": " << r.err << r.out;
    }
}
#endif

TEST(Limits, ValuesAtTheEndsOf32Bits) {
    const std::string ends = "1\n0 2 -2147483648 2147483647\n";
    const std::string differ = "0 0 2 0 0 2 -2147483648 -2147483648 2147483647 2147483647";
    const std::string only = "0 1 2 0 0 1 2147483647 -2147483648";
    const std::vector<Case> cases = {
        {"a triangle of differences", instance(ends, 3, {differ}, {"2 0 1 0", "2 1 2 0", "2 2 0 0"}), UNSAT, ""},
        {"a path of differences", instance(ends, 3, {differ}, {"2 0 1 0", "2 1 2 0"}), SAT, ""},
        {"one allowed pair", instance(ends, 2, {only}, {"2 0 1 0"}), SAT, ""},
        {"one allowed pair, reversed", instance(ends, 2, {only}, {"2 0 1 0", "2 1 0 0"}), UNSAT, ""},
        {"above", instance("1\n0 1 2147483648\n", 1, {}, {}), 255,
         "current.txt: domains block, record 0: '2147483648' does not fit in 32 bits (a value)\n"},
        {"below", instance("1\n0 1 -2147483649\n", 1, {}, {}), 255,
         "current.txt: domains block, record 0: '-2147483649' does not fit in 32 bits (a value)\n"},
        {"a count far above", "?\n99999999999999999999\n", 255,
         "current.txt: domains block, count: '99999999999999999999' does not fit in 32 bits (domain count)\n"},
    };
    for (const Case& c : cases) check(c);
}

const std::string TRIANGLE = instance(BOOL_DOMAIN, 3, {DIFFERENT}, {"2 0 1 0", "2 1 2 0", "2 2 0 0"});
const std::string PATH = instance(BOOL_DOMAIN, 3, {DIFFERENT}, {"2 0 1 0", "2 1 2 0"});

TEST(Limits, WeightsThatDoNotFitAnInt) {
    // The weights only steer the choice of variables: the verdicts stay.
    const std::vector<std::string> weights = {
        "99999999999 -99999999999 4294967297 18446744073709551617 2147483648 -2147483649 ",
        "2147483647 2147483647 2147483647 2147483647 2147483647 2147483647 ",
        "-2147483648 -2147483648 -2147483648 -2147483648 -2147483648 -2147483648 ",
        "0 0 0 0 0 0 ",
    };
    for (const std::string& w : weights) {
        for (auto [text, status] : {std::pair{TRIANGLE, UNSAT}, {PATH, SAT}}) {
            TempDir dir;
            writeFile(dir / "current.txt", text);
            writeFile(dir / "weight", w);
            RunResult r = runProgram(dir.path, MAC_PATH);
            EXPECT_EQ(r.status, status) << w << r.err;
            EXPECT_EQ(r.err, "") << w;
            // Rewritten with one number per neighbour of each variable, each a 32-bit int.
            std::istringstream out(readFile(dir / "weight"));
            int count = 0;
            for (long long v; out >> v; ++count) EXPECT_TRUE(v >= INT32_MIN && v <= INT32_MAX) << v;
            EXPECT_EQ(count, text == TRIANGLE ? 6 : 4) << w;
        }
    }
}

TEST(Limits, AMillionWeights) {
    TempDir dir;
    writeFile(dir / "current.txt", TRIANGLE);
    writeFile(dir / "weight", ones(1000000));
    RunResult r = runProgram(dir.path, MAC_PATH);
    EXPECT_EQ(r.status, UNSAT) << r.err;
    std::istringstream out(readFile(dir / "weight"));
    int count = 0;
    for (long long v; out >> v;) ++count;
    EXPECT_EQ(count, 6) << "surplus numbers are not written back";
}

const std::string MEGANAME(1 << 20, 'n');

TEST(Limits, AMegabyteName) {
    for (auto [text, status] : {std::pair{TRIANGLE, UNSAT}, {PATH, SAT}}) {
        const std::string named = MEGANAME + text.substr(1);
        RunResult r = runMac(named);
        EXPECT_EQ(r.status, status) << r.err;
        EXPECT_EQ(r.err, "");
    }
}

#ifdef MUC_PATH
TEST(Limits, MucOnAMegabyteNameAndAMillionWeights) {
    TempDir root;
    const std::string work = root / "work";
    fs::create_directories(root / "Tivar/bin");
    fs::create_directories(work);
    fs::create_symlink(MAC_PATH, root / "Tivar/bin/mac");
    const std::string input = MEGANAME + TRIANGLE.substr(1);
    writeFile(work + "/current.txt", input);
    writeFile(work + "/weight", ones(1000000));
    RunResult r = runProgram(work, MUC_PATH);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(checkCore(input, readFile(work + "/current.txt")), "");
    EXPECT_TRUE(r.out.ends_with("Number of constraints of delivered MUC : 3\n")) << r.out;
}
#endif

#ifdef XML2TXT_PATH
TEST(Limits, XmlAtTheLimits) {
    struct XmlCase {
        const char* what;
        std::string name, values;
        int nbValues;
        int status;
    };
    const std::vector<XmlCase> cases = {
        {"a megabyte name", MEGANAME, "0..1", 2, 0},
        {"the top of the 32-bit range", "top", "2147483646..2147483647", 2, 0},
        {"a range of 65536 values", "wide", "0..65535", 65536, 255},
        {"a range of two billion values", "huge", "0..2147483647", 2, 255},
    };
    for (const XmlCase& c : cases) {
        TempDir dir;
        const std::string nb = std::to_string(c.nbValues);
        writeFile(dir / "in.xml", "<?xml version=\"1.0\"?>\n<instance>\n<presentation name=\"" + c.name +
                                      "\"/>\n<domains nbDomains=\"1\">\n<domain name=\"D0\" nbValues=\"" + nb +
                                      "\" values=\"" + c.values +
                                      "\"/>\n</domains>\n<variables nbVariables=\"1\">\n<variable name=\"V0\" "
                                      "domain=\"D0\"/>\n</variables>\n<relations nbRelations=\"0\">\n</relations>\n"
                                      "<constraints nbConstraints=\"0\">\n</constraints>\n</instance>\n");
        RunResult r = runProgram(dir.path, XML2TXT_PATH, {"in.xml", "out.txt"}, 60);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err.substr(0, 300);
        if (c.status == 0) {
            EXPECT_TRUE(readFile(dir / "out.txt").starts_with(c.name + "\n")) << c.what;
        }
    }
}
#endif

}  // namespace

#endif  // MAC_PATH
