// The user's wrappers muc-extract and mac-solve, run from the directory of
// the built programs, and the bundled example.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <sys/stat.h>

#include "core_check.h"
#include "harness.h"

#if defined(WRAPPER_DIR) && defined(MAC_PATH) && defined(MUC_PATH)

namespace fs = std::filesystem;

namespace {

const std::string EXTRACT = WRAPPER_DIR "/muc-extract";
const std::string SOLVE = WRAPPER_DIR "/mac-solve";
const std::string EXAMPLE = SOURCE_DIR "/examples/hidden-core.txt";

// A triangle of differences over two values, and a satisfiable path.
const std::string HEAD = "?\n1\n0 2 0 1\n4\n0 0\n1 0\n2 0\n3 0\n1\n0 0 2 0 0 2 0 0 1 1\n";
const std::string TRIANGLE = HEAD + "5\n2 0 1 0\n2 2 3 0\n2 1 2 0\n2 3 0 0\n2 2 0 0\n";
const std::string PATH = HEAD + "3\n2 0 1 0\n2 1 2 0\n2 2 3 0\n";

const std::string TRIANGLE_XML = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<instance>
<presentation name="triangle"/>
<domains nbDomains="1">
<domain name="D0" nbValues="2" values="0..1"/>
</domains>
<variables nbVariables="3">
<variable name="V0" domain="D0"/>
<variable name="V1" domain="D0"/>
<variable name="V2" domain="D0"/>
</variables>
<relations nbRelations="1">
<relation name="R0" arity="2" domains="D0 D0" nbConflicts="2" conflicts="(0,0)(1,1)"/>
</relations>
<constraints nbConstraints="3">
<constraint name="C0" scope="V0 V1" relation="R0"/>
<constraint name="C1" scope="V1 V2" relation="R0"/>
<constraint name="C2" scope="V2 V0" relation="R0"/>
</constraints>
</instance>
)xml";

TEST(MucWrappers, HelpAndUsage) {
    TempDir dir;
    for (const std::string& w : {EXTRACT, SOLVE}) {
        RunResult r = runProgram(dir.path, w, {"--help"});
        EXPECT_EQ(r.status, 0) << w;
        EXPECT_TRUE(r.out.starts_with("Usage: ")) << r.out;
        EXPECT_NE(r.out.find("Exit status"), std::string::npos);
        EXPECT_EQ(runProgram(dir.path, w).status, 2) << w << ": no instance";
        EXPECT_EQ(runProgram(dir.path, w, {"nosuch.txt"}).status, 2) << w;
        EXPECT_EQ(runProgram(dir.path, w, {"--bogus"}).status, 2) << w;
    }
}

TEST(MucWrappers, ExtractWritesTheCoreBesideTheInstance) {
    TempDir dir;
    writeFile(dir / "tri.txt", TRIANGLE);
    RunResult r = runProgram(dir.path, EXTRACT, {"tri.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Number of constraints of delivered MUC : 3\n"), std::string::npos) << r.out;
    EXPECT_EQ(readFile(dir / "tri.txt"), TRIANGLE) << "the instance is left alone";
    EXPECT_EQ(checkCore(TRIANGLE, readFile(dir / "tri.core.txt")), "");
    size_t entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.path)) ++entries;
    EXPECT_EQ(entries, 2u) << "nothing but the instance and its core";
}

TEST(MucWrappers, ExtractWithOutputAndCheck) {
    TempDir dir;
    writeFile(dir / "tri", TRIANGLE);
    RunResult r = runProgram(dir.path, EXTRACT, {"tri", "-o", dir / "out.txt", "--verify"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Check passed"), std::string::npos) << r.out;
    EXPECT_EQ(checkCore(TRIANGLE, readFile(dir / "out.txt")), "");
    EXPECT_FALSE(fileExists(dir / "tri.core.txt"));
    EXPECT_EQ(runProgram(dir.path, EXTRACT, {"tri", "-o", "tri"}).status, 2) << "would overwrite the instance";
    EXPECT_EQ(readFile(dir / "tri"), TRIANGLE);
}

TEST(MucWrappers, ExtractRefusesASatisfiableInstance) {
    TempDir dir;
    writeFile(dir / "path.txt", PATH);
    RunResult r = runProgram(dir.path, EXTRACT, {"path.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("satisfiable"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fileExists(dir / "path.core.txt"));
}

TEST(MucWrappers, CheckCatchesACoreThatIsNotMinimal) {
    // The wrapper beside a muc that leaves the whole instance as its core.
    TempDir dir;
    fs::copy_file(EXTRACT, dir / "muc-extract");
    fs::create_symlink(MAC_PATH, dir / "mac");
    writeFile(dir / "muc", "#!/bin/sh\necho 'Number of constraints of delivered MUC : 5'\n");
    fs::permissions(dir / "muc", fs::perms::owner_all);
    writeFile(dir / "tri.txt", TRIANGLE);
    RunResult r = runProgram(dir.path, dir / "muc-extract", {"tri.txt", "--verify"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not needed"), std::string::npos) << r.err;
}

TEST(MucWrappers, SolveSaysSatOrUnsat) {
    TempDir dir;
    writeFile(dir / "tri.txt", TRIANGLE);
    writeFile(dir / "path.txt", PATH);
    RunResult r = runProgram(dir.path, SOLVE, {"tri.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "UNSAT\n");
    r = runProgram(dir.path, SOLVE, {"path.txt"});
    EXPECT_NE(r.status, 0);
    EXPECT_GE(r.status, 2);
    EXPECT_LE(r.status, 125);
    EXPECT_EQ(r.out, "SAT\n");
    writeFile(dir / "bad.txt", "?\n1\n0 1 0\n1\n0 0\n1\n0 0 3 0 0 0 0\n0\n");  // ternary relation
    r = runProgram(dir.path, SOLVE, {"bad.txt"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "");
}

TEST(MucWrappers, XmlInstancesGoThroughTheConverter) {
#ifndef XML2TXT_PATH
    GTEST_SKIP() << "xml2txt is not built";
#else
    TempDir dir;
    writeFile(dir / "tri.xml", TRIANGLE_XML);
    RunResult r = runProgram(dir.path, SOLVE, {"tri.xml"});
    EXPECT_EQ(r.out, "UNSAT\n") << r.err;
    r = runProgram(dir.path, EXTRACT, {"tri.xml", "--verify"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "") << "the converted text is laid out one record per line";
    EXPECT_NE(r.out.find("Number of constraints of delivered MUC : 3\n"), std::string::npos) << r.out;
    EXPECT_TRUE(readFile(dir / "tri.core.txt").starts_with("triangle\n"));
    EXPECT_EQ(readFile(dir / "tri.xml"), TRIANGLE_XML);
#endif
}

// The instance's tokens, `perLine` to a line (0: all on one line).
std::string relaidOut(const std::string& text, size_t perLine) {
    std::istringstream in(text);
    std::string out, token;
    for (size_t k = 0; in >> token; ++k) out += (k == 0 ? "" : perLine && k % perLine == 0 ? "\n" : " ") + token;
    return out + "\n";
}

// muc cuts its instance by lines; the reader takes any blanks.  An instance
// laid out otherwise is given to muc one record per line, and its core is
// that of the same network.
TEST(MucWrappers, ExtractTakesAnyLayout) {
    struct Case {
        const char* what;
        std::string text;
        bool relaid;  // the wrapper says it lays the instance out again
    } cases[] = {
        {"one record per line, blanks doubled", "?\n1\n0  2 0 1 \n4\n0 0\n1 0\n2 0\n3 0\n1\n0 0 2 0 0 2 0 0 1 1\n"
                                                "5\n2 0 1 0\n2 2 3 0\n2 1 2 0\n2 3 0 0\n2 2 0 0\n", false},
        {"one record per line, blank lines", "?\n\n1\n0 2 0 1\n4\n0 0\n1 0\n2 0\n3 0\n1\n0 0 2 0 0 2 0 0 1 1\n \n"
                                             "5\n2 0 1 0\n2 2 3 0\n2 1 2 0\n2 3 0 0\n2 2 0 0\n\n", false},
        {"one token per line", relaidOut(TRIANGLE, 1), true},
        {"seven tokens per line", relaidOut(TRIANGLE, 7), true},
        {"all on one line", relaidOut(TRIANGLE, 0), true},
        {"two constraints on a line", HEAD + "5\n2 0 1 0 2 2 3 0\n2 1 2 0\n2 3 0 0\n2 2 0 0\n", true},
        {"carriage returns", "?\r\n1\r\n0 2 0 1\r\n4\r\n0 0\r\n1 0\r\n2 0\r\n3 0\r\n1\r\n0 0 2 0 0 2 0 0 1 1\r\n"
                             "5\r\n2 0 1 0\r\n2 2 3 0\r\n2 1 2 0\r\n2 3 0 0\r\n2 2 0 0\r\n", false},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeFile(dir / "in.txt", c.text);
        RunResult r = runProgram(dir.path, EXTRACT, {"in.txt", "--verify"});
        EXPECT_EQ(r.status, 0) << c.what << ": " << r.err;
        EXPECT_NE(r.out.find("Number of constraints of delivered MUC : 3\n"), std::string::npos) << c.what;
        EXPECT_EQ(r.err.find("not laid out one record per line") != std::string::npos, c.relaid) << c.what << ": " << r.err;
        const std::string core = readFile(dir / "in.core.txt");
        EXPECT_EQ(checkCore(parseInstance(c.text).toText(), parseInstance(core).toText()), "") << c.what << ":\n" << core;
        if (c.relaid) {
            EXPECT_EQ(splitInstanceLines(core).constraints.size(), 3u) << c.what << ": one constraint per line\n" << core;
        }
        EXPECT_EQ(readFile(dir / "in.txt"), c.text) << c.what;
    }
}

TEST(MucWrappers, AnEmptyDomainMakesAnEmptyCore) {
    // Variable 2 has no value: no constraint is needed.
    const std::string text = "?\n2\n0 2 0 1\n1 0\n3\n0 0\n1 0\n2 1\n1\n0 0 2 0 0 1 0 0\n2\n2 0 1 0\n2 1 0 0\n";
    TempDir dir;
    writeFile(dir / "e.txt", text);
    RunResult r = runProgram(dir.path, EXTRACT, {"e.txt", "--verify"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Number of constraints of delivered MUC : 0\n"), std::string::npos) << r.out;
    const std::string core = readFile(dir / "e.core.txt");
    EXPECT_EQ(core, "?\n2\n0 2 0 1\n1 0\n3\n0 0\n1 0\n2 1\n1\n0 0 2 0 0 1 0 0\n0\n");
    EXPECT_EQ(runProgram(dir.path, SOLVE, {"e.core.txt"}).out, "UNSAT\n");
}

// What keeps a wrapper from starting, or would make it fail at the end, is
// found before any work, with status 2 (4 for a problem in an XML file).
TEST(MucWrappers, FailuresAreFoundFirst) {
    struct Case {
        const char* what;
        std::string wrapper;
        std::vector<std::string> args;
        const char* tmpdir;  // TMPDIR, when set
        int status;
        const char* err;  // in the standard error
    } cases[] = {
        {"no scratch directory", EXTRACT, {"tri.txt"}, "/nonexistent", 2, "cannot make a scratch directory"},
        {"no scratch directory", SOLVE, {"tri.txt"}, "/nonexistent", 2, "cannot make a scratch directory"},
        {"core in a directory", EXTRACT, {"tri.txt", "-o", "adir"}, nullptr, 2, "'adir' is a directory"},
        {"core in a missing directory", EXTRACT, {"tri.txt", "-o", "no/core.txt"}, nullptr, 2,
         "cannot write 'no/core.txt'"},
        {"core in a FIFO", EXTRACT, {"tri.txt", "-o", "fifo"}, nullptr, 2, "'fifo' is not a regular file"},
        {"core through a link to nothing", EXTRACT, {"tri.txt", "-o", "dangling"}, nullptr, 2,
         "'dangling' is a link to nothing"},
        {"XML count too low", EXTRACT, {"low.xml"}, nullptr, 4, "xml2txt reported problems in 'low.xml'"},
        {"XML count too low", SOLVE, {"low.xml"}, nullptr, 4, "xml2txt reported problems in 'low.xml'"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeFile(dir / "tri.txt", TRIANGLE);
        fs::create_directory(dir / "adir");
        ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
        fs::create_symlink(dir / "nowhere/core.txt", dir / "dangling");
        std::string xml = TRIANGLE_XML;
        xml.replace(xml.find("nbConstraints=\"3\""), 17, "nbConstraints=\"2\"");
        writeFile(dir / "low.xml", xml);
        std::vector<std::string> args = {"-c", std::string(c.tmpdir ? "TMPDIR=" : "") + (c.tmpdir ? c.tmpdir : "") +
                                                   " exec \"$0\" \"$@\"",
                                         c.wrapper};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RunResult r = runProgram(dir.path, "/bin/sh", args);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.what << ": " << r.err;
        EXPECT_EQ(r.out.find("Number of constraints"), std::string::npos) << c.what << ": no extraction";
        EXPECT_EQ(r.out.find("SAT"), std::string::npos) << c.what << ": no verdict";
        EXPECT_TRUE(fs::is_empty(dir / "adir")) << c.what;
    }
}

TEST(MucWrappers, CalledThroughALink) {
    TempDir dir;
    writeFile(dir / "tri.txt", TRIANGLE);
    fs::create_symlink(EXTRACT, dir / "extract");
    fs::create_symlink(SOLVE, dir / "solve");
    RunResult r = runProgram(dir.path, dir / "solve", {"tri.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "UNSAT\n");
    r = runProgram(dir.path, dir / "extract", {"tri.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(checkCore(TRIANGLE, readFile(dir / "tri.core.txt")), "");
}

TEST(MucWrappers, BundledExampleHidesASmallCore) {
    const std::string example = readFile(EXAMPLE);
    Instance inst = parseInstance(example);
    EXPECT_GE(inst.constraints.size(), 24u);
    EXPECT_LE(inst.constraints.size(), 60u);
    EXPECT_FALSE(bruteForceSat(inst));
    TempDir dir;
    RunResult r = runProgram(dir.path, EXTRACT, {EXAMPLE, "-o", dir / "core.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string core = readFile(dir / "core.txt");
    EXPECT_EQ(checkCore(example, core), "");
    EXPECT_LE(splitInstanceLines(core).constraints.size(), 10u);
}

}  // namespace

#endif
