// The xml2txt command: usage, conversion, reading back, merged form, and the
// solver's verdict on converted instances.
#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>

#include "csp_gen.h"
#include "csp_xml.h"
#include "harness.h"

#ifdef XML2TXT_PATH

namespace {

const std::string EXAMPLE =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<instance>\n<presentation name=\"test\"/>\n"
    "<domains nbDomains=\"1\">\n<domain name=\"D0\" nbValues=\"3\" values=\"0..2\"/>\n</domains>\n"
    "<variables nbVariables=\"2\">\n<variable name=\"V0\" domain=\"D0\"/>\n<variable name=\"V1\" domain=\"D0\"/>\n"
    "</variables>\n<relations nbRelations=\"1\">\n"
    "<relation name=\"R0\" domain=\"D0 D0\" nbConflicts=\"2\" conflicts=\"(0,0)(1,1)\"/>\n</relations>\n"
    "<constraints nbConstraints=\"1\">\n<constraint name=\"C0\" scope=\"V0 V1\" relation=\"R0\"/>\n"
    "</constraints>\n</instance>\n";

std::string replaced(std::string s, const std::string& from, const std::string& to) {
    size_t at = s.find(from);
    if (at == std::string::npos) throw std::logic_error("no " + from);
    return s.replace(at, from.size(), to);
}

RunResult xml2txt(const TempDir& dir, const std::vector<std::string>& args) {
    return runProgram(dir.path, XML2TXT_PATH, args);
}

}  // namespace

TEST(Xml2txtCli, CommandLine) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* inOut;  // expected at the start of the standard output
        const char* inErr;  // expected at the start of the standard error
    } cases[] = {
        {{"--help"}, 0, "usage: xml2txt [--merge] IN.xml OUT.txt\n", ""},
        {{"in.xml", "--help"}, 0, "usage: xml2txt", ""},
        {{}, 2, "", "usage: xml2txt"},
        {{"in.xml"}, 2, "", "usage: xml2txt"},
        {{"in.xml", "a.txt", "b.txt"}, 2, "", "usage: xml2txt"},
        {{"--fast", "in.xml", "a.txt"}, 2, "", "xml2txt: unknown option --fast\n"},
        {{"nosuch.xml", "a.txt"}, 1, "File *nosuch.xml* does not exist\n", ""},
        {{"in.xml", "./in.xml"}, 2, "", "xml2txt: in.xml and ./in.xml are the same file\n"},
        {{"in.xml", "no/dir/a.txt"}, 1, "", "xml2txt: cannot write no/dir/a.txt\n"},
        {{"adir", "a.txt"}, 1, "", "xml2txt: adir is a directory\n"},
        // The output is read back: a pipe or a directory would block or fail that.
        {{"in.xml", "fifo"}, 1, "", "xml2txt: cannot write fifo: not a regular file\n"},
        {{"in.xml", "adir"}, 1, "", "xml2txt: cannot write adir: not a regular file\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeFile(dir / "in.xml", EXAMPLE);
        ASSERT_EQ(mkdir((dir / "adir").c_str(), 0700), 0);
        ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
        RunResult r = xml2txt(dir, c.args);
        std::string what = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(r.status, c.status) << what;
        EXPECT_EQ(r.out.rfind(c.inOut, 0), 0u) << what << ": " << r.out;
        EXPECT_EQ(r.err.rfind(c.inErr, 0), 0u) << what << ": " << r.err;
        if (*c.inOut == '\0') {
            EXPECT_EQ(r.out, "") << what;
        }
        if (*c.inErr == '\0') {
            EXPECT_EQ(r.err, "") << what;
        }
        EXPECT_EQ(readFile(dir / "in.xml"), EXAMPLE) << what;
    }
}

TEST(Xml2txtCli, ConvertsAndChecks) {
    TempDir dir;
    writeFile(dir / "in.xml", EXAMPLE);
    writeFile(dir / "out.txt", std::string(3000, 'x'));
    RunResult r = xml2txt(dir, {"in.xml", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readFile(dir / "out.txt"), "test\n1\n0 3 0 1 2 \n2\n0 0\n1 0\n1\n0 0 2 0 0  2 0 0 1 1 \n1\n2 0 1  0 \n\n");
}

TEST(Xml2txtCli, MergedForm) {
    TempDir dir;
    writeFile(dir / "in.xml", replaced(replaced(EXAMPLE, "nbConstraints=\"1\"", "nbConstraints=\"2\""), "</constraints>",
                                       "<constraint name=\"C1\" scope=\"V1 V0\" relation=\"R0\"/>\n</constraints>"));
    RunResult r = xml2txt(dir, {"--merge", "in.xml", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "");
    // (1,0) on the same relation forbids (0,0) and (1,1) again: one pair, one relation.
    EXPECT_EQ(readFile(dir / "out.txt"), "?\n1\n0 3 0 1 2\n2\n0 0\n1 0\n1\n0 1 2 0 0 7 0 1 0 2 1 0 1 2 2 0 2 1 2 2\n1\n2 0 1 0\n");
}

TEST(Xml2txtCli, NamesWithBlanksStayReadable) {
    TempDir dir;
    writeFile(dir / "in.xml", replaced(EXAMPLE, "name=\"test\"", "name=\"my test\""));
    RunResult r = xml2txt(dir, {"in.xml", "out.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(dir / "out.txt").substr(0, 10), "my_test\n1\n");
}

// A file size limit (the writes past it fail, SIGXFSZ ignored) stands for a
// full disk: the converted text, with its name of 1500 letters, passes 1 kB
// and not 8 kB; the merged form of its relation (62,498 allowed pairs of a
// 250-value domain) passes 8 kB.
TEST(Xml2txtCli, FailedWritesEndWith1) {
    const std::string xml =
        replaced(replaced(EXAMPLE, "nbValues=\"3\" values=\"0..2\"", "nbValues=\"250\" values=\"0..249\""),
                 "name=\"test\"", "name=\"" + std::string(1500, 'w') + "\"");
    struct Case {
        const char* limitKb;
        std::vector<std::string> args;
    } cases[] = {{"1", {"in.xml", "out.txt"}}, {"8", {"--merge", "in.xml", "out.txt"}}};
    for (const Case& c : cases) {
        TempDir dir;
        writeFile(dir / "in.xml", xml);
        std::string command = std::string("trap '' XFSZ; ulimit -f ") + c.limitKb + "; exec \"$0\" \"$@\"";
        std::vector<std::string> args = {"-c", command, XML2TXT_PATH};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RunResult r = runProgram(dir.path, "/bin/sh", args);
        EXPECT_EQ(r.status, 1) << c.limitKb << ": " << r.out << r.err;
        EXPECT_EQ(r.err, "xml2txt: cannot write out.txt\n") << c.limitKb;
        EXPECT_EQ(r.out, "") << c.limitKb;
    }
    TempDir dir;  // the same without the limit
    writeFile(dir / "in.xml", xml);
    EXPECT_EQ(xml2txt(dir, {"--merge", "in.xml", "out.txt"}).status, 0);
    EXPECT_GT(readFile(dir / "out.txt").size(), size_t{8192});
}

TEST(Xml2txtCli, UnreadableResultsEndWith255) {
    struct Case {
        const char* what;
        std::string xml;
        const char* messages;  // the converter's, on the standard output
        const char* err;       // start of the reader's message
    } cases[] = {
        {"relation over three domains",
         replaced(replaced(EXAMPLE, "domain=\"D0 D0\"", "domain=\"D0 D0 D0\""), "(0,0)(1,1)", "(0,0,0)(1,1,1)"), "",
         "This experimental version doesn't accept n-ary constraints\n"},
        {"domain count one too high", replaced(EXAMPLE, "nbDomains=\"1\"", "nbDomains=\"2\""),
         "erreur dans le fichier. Absence d'un bloc domain. Nombre de domaine d\xC3\xA9" "clare incorrect\n"
         "erreur de format de fichier. Le champs nbValues n'existe pas.\n"
         "erreur dans le fichier. Absence de fin du bloc domains\n"
         "erreur dans le fichier. Absence du bloc variables\n",
         "out.txt: "},
        {"not an instance", replaced(EXAMPLE, "<instance>", "<instance format=\"3\">"), "erreur pb dans fichier\n",
         "out.txt: "},
        {"cut in a constraint tag", EXAMPLE.substr(0, EXAMPLE.find("relation=\"R0\"/>")),
         "erreur dans le fichier. Fin du fichier avant la fin du bloc constraints\n", "out.txt: "},
        // Broken over two lines, the list would have lost its second line and
        // the reader taken the constraint's numbers for the missing tuples.
        {"tuple list broken over two lines", replaced(EXAMPLE, "conflicts=\"(0,0)(1,1)\"", "conflicts=\"(0,0)\n(1,1)\""),
         "erreur dans le fichier. Relation 0 : 2 tuples de 2 valeurs annonc\xC3\xA9" "s, 2 dans la liste.\n", "out.txt: "},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeFile(dir / "in.xml", c.xml);
        RunResult r = xml2txt(dir, {"in.xml", "out.txt"});
        EXPECT_EQ(r.status, 255) << c.what;
        EXPECT_EQ(r.out, c.messages) << c.what;
        EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << c.what << ": " << r.err;
        EXPECT_TRUE(!r.err.empty() && r.err.back() == '\n' && r.err.find('\n') == r.err.size() - 1)
            << c.what << ": one line expected: " << r.err;
    }
}

#ifdef MAC_PATH

// mac reads current.txt and exits 0 when the instance has no solution.
static int macStatus(const TempDir& dir, const std::string& text, size_t nbConstraints) {
    writeFile(dir / "current.txt", text);
    std::string weights;
    for (size_t i = 0; i < 2 * nbConstraints + 2; ++i) weights += "1 ";
    writeFile(dir / "weight", weights);
    return runProgram(dir.path, MAC_PATH).status;
}

TEST(Xml2txtCli, SolverGivesTheSameVerdictOnConvertedInstances) {
    std::mt19937 rng(2024);
    int runs = 0, sat = 0;
    for (int n = 0; n < 120; ++n) {
        Instance inst = nonNegative(randomInstance(rng));
        if (!xmlExpressible(inst)) continue;
        TempDir xmlDir, textDir;
        writeFile(xmlDir / "inst.xml", toXML(inst, "gen"));
        RunResult conv = runProgram(xmlDir.path, XML2TXT_PATH, {"inst.xml", "converted.txt"});
        ASSERT_EQ(conv.status, 0) << conv.out << conv.err;
        const int fromXml = macStatus(xmlDir, readFile(xmlDir / "converted.txt"), inst.constraints.size());
        const int fromText = macStatus(textDir, inst.toText(), inst.constraints.size());
        EXPECT_EQ(fromXml, fromText) << inst.toText();
        EXPECT_TRUE(fromText == 0 || fromText == 10) << fromText;
        EXPECT_EQ(fromText != 0, bruteForceSat(inst)) << inst.toText();
        sat += fromText != 0;
        ++runs;
    }
    EXPECT_GT(runs, 100);
    EXPECT_GT(sat, 0);
    EXPECT_LT(sat, runs);
}

#endif  // MAC_PATH
#endif  // XML2TXT_PATH
