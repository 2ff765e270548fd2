// XML to instance text: the lines written, the messages, the chaining of the
// blocks, and the reader's XML step.
#include <gtest/gtest.h>

#include <random>
#include <unistd.h>

#include "Convertisseur/transfo.h"
#include "EntreesSorties/entrees_sorties.h"
#include "harness.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

struct Conversion {
    std::string out;       // the converted file
    std::string messages;  // the standard output of the conversion
};

Conversion convert(const std::string& xml) {
    TempDir dir;
    writeFile(dir / "in.xml", xml);
    CaptureStdout();
    transfoXML(dir / "in.xml", dir / "out.txt");
    Conversion c;
    c.messages = GetCapturedStdout();
    c.out = readFile(dir / "out.txt");
    return c;
}

// One domain 0..2, two variables on it, one relation forbidding (0,0) and
// (1,1), one constraint.
const std::string EXAMPLE =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<instance>\n"
    "<presentation name=\"test\"/>\n"
    "<domains nbDomains=\"1\">\n"
    "<domain name=\"D0\" nbValues=\"3\" values=\"0..2\"/>\n"
    "</domains>\n"
    "<variables nbVariables=\"2\">\n"
    "<variable name=\"V0\" domain=\"D0\"/>\n"
    "<variable name=\"V1\" domain=\"D0\"/>\n"
    "</variables>\n"
    "<relations nbRelations=\"1\">\n"
    "<relation name=\"R0\" domain=\"D0 D0\" nbConflicts=\"2\" conflicts=\"(0,0)(1,1)\"/>\n"
    "</relations>\n"
    "<constraints nbConstraints=\"1\">\n"
    "<constraint name=\"C0\" scope=\"V0 V1\" relation=\"R0\"/>\n"
    "</constraints>\n"
    "</instance>\n";

const std::string EXAMPLE_TXT = "test\n1\n0 3 0 1 2 \n2\n0 0\n1 0\n1\n0 0 2 0 0  2 0 0 1 1 \n1\n2 0 1  0 \n\n";

// EXAMPLE with the line holding `from` replaced by `to` (empty: removed).
std::string edit(const std::string& from, const std::string& to) {
    size_t at = EXAMPLE.find(from);
    if (at == std::string::npos) throw std::logic_error("no " + from);
    size_t start = EXAMPLE.rfind('\n', at) + 1, end = EXAMPLE.find('\n', at) + 1;
    return EXAMPLE.substr(0, start) + (to.empty() ? "" : to + "\n") + EXAMPLE.substr(end);
}

std::string editOut(const std::string& from, const std::string& to) {
    size_t at = EXAMPLE_TXT.find(from);
    if (at == std::string::npos) throw std::logic_error("no " + from);
    return EXAMPLE_TXT.substr(0, at) + to + EXAMPLE_TXT.substr(at + from.size());
}

const char* const NO_INSTANCE = "erreur pb dans fichier\n";
const char* const DOMAIN_MISSING =
    "erreur dans le fichier. Absence d'un bloc domain. Nombre de domaine d\xC3\xA9" "clare incorrect\n";
const char* const HEAD = "test\n1\n0 3 0 1 2 \n";  // name and domains of EXAMPLE_TXT
// The conversion stopped at the domain, or at the relation, of EXAMPLE.
const std::string STOPPED_AT_DOMAIN = "test\n1\n\n", STOPPED_AT_RELATION = std::string(HEAD) + "2\n0 0\n1 0\n1\n\n";

}  // namespace

TEST(ConvTransfo, CompleteExampleByteForByte) {
    Conversion c = convert(EXAMPLE);
    EXPECT_EQ(c.out, EXAMPLE_TXT);
    EXPECT_EQ(c.messages, "");
}

TEST(ConvTransfo, ResultingLines) {
    const std::string xml =
        "<?xml version=\"1.0\"?><instance><presentation name=\"test\"/>"
        "<domains nbDomains=\"2\"><domain name=\"D0\" nbValues=\"3\" values=\"0..2\"/>"
        "<domain name=\"D1\" nbValues=\"3\" values=\"1 3 5\"/></domains>"
        "<variables nbVariables=\"2\"><variable name=\"V0\" domain=\"D0\"/><variable name=\"V1\" domain=\"D0\"/>"
        "</variables><relations nbRelations=\"2\">"
        "<relation name=\"R0\" domain=\"D0 D1\" nbConflicts=\"2\" conflicts=\"(0,1)(2,3)\"/>"
        "<relation name=\"R1\" domain=\"D1 D1\" nbSupports=\"1\" supports=\"(5,5)\"/></relations>"
        "<constraints nbConstraints=\"1\"><constraint name=\"C0\" scope=\"V0 V1\" relation=\"R0\"/></constraints>";
    Conversion c = convert(xml);
    EXPECT_EQ(c.out,
              "test\n2\n0 3 0 1 2 \n1 3 1 3 5 \n2\n0 0\n1 0\n2\n0 0 2 0 1  2 0 1 2 3 \n1 1 2 1 1  1 5 5 \n1\n2 0 1  0 \n\n");
    EXPECT_EQ(c.messages, "");
}

// Each case changes one line of EXAMPLE; the output and the messages follow
// from the fixed order of the tags and the chaining of the blocks.
TEST(ConvTransfo, AlteredInstances) {
    struct Case {
        const char* what;
        std::string xml, out, messages;
    } cases[] = {
        {"no XML declaration", edit("<?xml", ""), "", NO_INSTANCE},
        {"instance with an attribute", edit("<instance>", "<instance format=\"x\">"), "", NO_INSTANCE},
        {"instance with a blank", edit("<instance>", "<instance >"), "", NO_INSTANCE},
        {"presentation without name", edit("<presentation", "<presentation/>"), "?" + EXAMPLE_TXT.substr(4), ""},
        {"name with blanks", edit("<presentation", "<presentation name=\"my  test\tx\"/>"),
         "my__test_x" + EXAMPLE_TXT.substr(4), ""},
        {"empty name", edit("<presentation", "<presentation name=\"\"/>"), "?" + EXAMPLE_TXT.substr(4), ""},
        {"presentation misnamed", edit("<presentation", "<presentatio name=\"test\"/>"), EXAMPLE_TXT,
         "erreur dans le fichier. Absence du bloc presentation\n"},
        {"domains misnamed", edit("<domains", "<domainz nbDomains=\"1\">"), EXAMPLE_TXT,
         "erreur dans le fichier. Absence du bloc domains\n"},
        {"domain count one too high", edit("<domains", "<domains nbDomains=\"2\">"), "test\n2\n0 3 0 1 2 \n\n",
         std::string(DOMAIN_MISSING) + "erreur de format de fichier. Le champs nbValues n'existe pas.\n"
                                       "erreur dans le fichier. Absence de fin du bloc domains\n"
                                       "erreur dans le fichier. Absence du bloc variables\n"},
        {"domain count one too low", edit("<domains", "<domains nbDomains=\"0\">"), "test\n0\n\n",
         "erreur dans le fichier. Absence de fin du bloc domains\n"
         "erreur dans le fichier. Absence du bloc variables\n"},
        {"domain misnamed", edit("<domain ", "<dom name=\"D0\" nbValues=\"3\" values=\"0..2\"/>"), EXAMPLE_TXT,
         DOMAIN_MISSING},
        {"domain without nbValues", edit("<domain ", "<domain name=\"D0\" values=\"0..2\"/>"),
         editOut("0 3 0 1 2 \n", ""), "erreur de format de fichier. Le champs nbValues n'existe pas.\n"},
        {"domain without values", edit("<domain ", "<domain name=\"D0\" nbValues=\"3\"/>"),
         editOut("0 3 0 1 2 \n", ""), "erreur de format de fichier. Le champs values n'existe pas.\n"},
        // A list whose length is not its count would be misread: the conversion stops there.
        {"domain with empty values", edit("<domain ", "<domain name=\"D0\" nbValues=\"3\" values=\"\"/>"),
         STOPPED_AT_DOMAIN, "erreur dans le fichier. Domaine 0 : 3 valeurs annonc\xC3\xA9" "es, 1 dans la liste.\n"},
        {"domain list one value short", edit("<domain ", "<domain name=\"D0\" nbValues=\"3\" values=\"0..1\"/>"),
         STOPPED_AT_DOMAIN, "erreur dans le fichier. Domaine 0 : 3 valeurs annonc\xC3\xA9" "es, 2 dans la liste.\n"},
        {"domain list with a blank at the end", edit("<domain ", "<domain name=\"D0\" nbValues=\"3\" values=\"0..2 \"/>"),
         STOPPED_AT_DOMAIN, "erreur dans le fichier. Domaine 0 : 3 valeurs annonc\xC3\xA9" "es, 4 dans la liste.\n"},
        {"tuple list broken over two lines",
         edit("<relation ", "<relation name=\"R0\" domain=\"D0 D0\" nbConflicts=\"2\" conflicts=\"(0,0)\n(1,1)\"/>"),
         STOPPED_AT_RELATION,
         "erreur dans le fichier. Relation 0 : 2 tuples de 2 valeurs annonc\xC3\xA9" "s, 2 dans la liste.\n"},
        {"tuple count one too high",
         edit("<relation ", "<relation name=\"R0\" domain=\"D0 D0\" nbSupports=\"3\" supports=\"(0,0)(1,1)\"/>"),
         STOPPED_AT_RELATION,
         "erreur dans le fichier. Relation 0 : 3 tuples de 2 valeurs annonc\xC3\xA9" "s, 4 dans la liste.\n"},
        {"blanks around a count", edit("<relation ", "<relation name=\"R0\" domain=\"D0 D0\" nbConflicts=\" 2 \" "
                                                     "conflicts=\"(0,0)(1,1)\"/>"),
         editOut("0 0 2 0 0  2 0 0 1 1 ", "0 0 2 0 0   2  0 0 1 1 "), ""},
        // Counts the reader reads as numbers: a sign, zeros in front.
        {"count with a sign, one tuple short",
         edit("<relation ", "<relation name=\"R0\" domain=\"D0 D0\" nbConflicts=\"+2\" conflicts=\"(0,1)\"/>"),
         STOPPED_AT_RELATION,
         "erreur dans le fichier. Relation 0 : +2 tuples de 2 valeurs annonc\xC3\xA9" "s, 2 dans la liste.\n"},
        {"count with zeros in front", edit("<relation ", "<relation name=\"R0\" domain=\"D0 D0\" "
                                                         "nbConflicts=\"00000000002\" conflicts=\"(0,0)(1,1)\"/>"),
         editOut("0 0 2 0 0  2 0 0 1 1 ", "0 0 2 0 0  00000000002 0 0 1 1 "), ""},
        {"count of two words", edit("<domain ", "<domain name=\"D0\" nbValues=\"3 0\" values=\"0..2\"/>"),
         STOPPED_AT_DOMAIN, "erreur dans le fichier. Domaine 0 : 3 0 valeurs annonc\xC3\xA9" "es, 3 dans la liste.\n"},
        {"blanks around the tuples", edit("<relation ", "<relation name=\"R0\" domain=\"D0 D0\" nbConflicts=\"2\" "
                                                        "conflicts=\"(0, 0) (1,1) \"/>"),
         editOut("0 0 2 0 0  2 0 0 1 1 ", "0 0 2 0 0  2 0  0   1 1   "), ""},
        {"domains end misnamed", edit("</domains>", "</domain>"), EXAMPLE_TXT,
         "erreur dans le fichier. Absence de fin du bloc domains\n"},
        {"variables misnamed", edit("<variables", "<vars nbVariables=\"2\">"), std::string(HEAD) + "\n",
         "erreur dans le fichier. Absence du bloc variables\n"},
        {"variables without count", edit("<variables", "<variables>"), std::string(HEAD) + "\n",
         "erreur de format de fichier. Le nombre d'\xC3\xA9l\xC3\xA9ments du bloc variables n'existe pas.\n"
         "erreur dans le fichier. Absence de fin du bloc variables\n"
         "erreur dans le fichier. Absence du bloc relations\n"},
        {"negative variable count", edit("<variables", "<variables nbVariables=\"-1\">"),
         std::string(HEAD) + "-1\n\n",
         "erreur dans le fichier. Absence de fin du bloc variables\n"
         "erreur dans le fichier. Absence du bloc relations\n"},
        {"variable misnamed", edit("name=\"V1\"", "<var name=\"V1\" domain=\"D0\"/>"), editOut("1 0\n", ""),
         "erreur dans le fichier. Absence du bloc variable\n"},
        {"variable without domain", edit("name=\"V1\"", "<variable name=\"V1\"/>"), editOut("1 0\n", ""),
         "erreur de format de fichier. Le champs domain n'existe pas (variable 1).\n"},
        {"variable domain by another name", edit("name=\"V1\"", "<variable name=\"V1\" domain=\"dom12\"/>"),
         editOut("1 0\n", "1 12\n"), ""},
        {"variables end misnamed", edit("</variables>", "</variable>"), EXAMPLE_TXT,
         "erreur dans le fichier. Absence de fin du bloc variables\n"},
        {"relations misnamed", edit("<relations", "<rels nbRelations=\"1\">"), std::string(HEAD) + "2\n0 0\n1 0\n\n",
         "erreur dans le fichier. Absence du bloc relations\n"},
        {"relation misnamed", edit("<relation ", "<rel name=\"R0\" domain=\"D0 D0\" nbConflicts=\"2\" conflicts=\"\"/>"),
         editOut("0 0 2 0 0  2 0 0 1 1 \n", ""), "erreur dans le fichier. Absence du bloc relation\n"},
        {"relation without domain", edit("<relation ", "<relation name=\"R0\" nbConflicts=\"2\" conflicts=\"(0,0)\"/>"),
         editOut("0 0 2 0 0  2 0 0 1 1 \n", ""),
         "erreur de format de fichier. Le champs domain n'existe pas (relation 0).\n"},
        {"relation without a count", edit("<relation ", "<relation name=\"R0\" domain=\"D0 D0\" conflicts=\"(0,0)\"/>"),
         editOut("0 0 2 0 0  2 0 0 1 1 \n", ""),
         "erreur de format de fichier. Le champs nbConflicts n'existe pas (relation 0).\n"},
        {"relation without tuples", edit("<relation ", "<relation name=\"R0\" domain=\"D0 D0\" nbConflicts=\"2\"/>"),
         editOut("0 0 2 0 0  2 0 0 1 1 \n", ""),
         "erreur de format de fichier. Le champs conflicts n'existe pas (relation 0).\n"},
        {"supports count with conflicts list",
         edit("<relation ", "<relation name=\"R0\" domain=\"D0 D0\" nbSupports=\"2\" conflicts=\"(0,0)(1,1)\"/>"),
         editOut("0 0 2 0 0  2", "0 1 2 0 0  2"), ""},
        {"supports list wins", edit("<relation ", "<relation name=\"R0\" domains=\"D0 D0\" nbConflicts=\"1\" "
                                                  "conflicts=\"(0,0)(1,1)\" supports=\"(2,2)\"/>"),
         editOut("0 0 2 0 0  2 0 0 1 1 ", "0 0 2 0 0  1 2 2 "), ""},
        {"relation over three domains",
         edit("<relation ", "<relation name=\"R0\" domain=\"D0 D0 D0\" nbSupports=\"1\" supports=\"(0,1,2)\"/>"),
         editOut("0 0 2 0 0  2 0 0 1 1 ", "0 1 3 0 0 0  1 0 1 2 "), ""},
        {"relations end misnamed", edit("</relations>", "</relation>"), EXAMPLE_TXT,
         "erreur dans le fichier. Absence de fin du bloc relations\n"},
        {"constraints misnamed", edit("<constraints", "<ctrs nbConstraints=\"1\">"),
         editOut("1\n2 0 1  0 \n", ""), "erreur dans le fichier. Absence du bloc constraints\n"},
        {"constraint with any element name", edit("<constraint ", "<foo scope=\"V0 V1\" relation=\"R0\"/>"),
         EXAMPLE_TXT, ""},
        {"constraint without scope", edit("<constraint ", "<constraint relation=\"R0\"/>"),
         editOut("2 0 1  0 \n", ""), "erreur de format de fichier. Le champs scope n'existe pas (constraint 0).\n"},
        {"constraint without relation", edit("<constraint ", "<constraint scope=\"V0 V1\"/>"),
         editOut("2 0 1  0 \n", ""),
         "erreur de format de fichier. Le champs relation n'existe pas (constraint 0).\n"},
        {"constraint count one too low",
         edit("<constraints", "<constraints nbConstraints=\"1\">\n<constraint scope=\"V1 V0\" relation=\"R0\"/>"),
         editOut("2 0 1  0 \n", "2 1 0  0 \n"), "erreur dans le fichier. Absence de fin du bloc constraints\n"},
        {"constraint count one too high", edit("<constraints", "<constraints nbConstraints=\"2\">"),
         editOut("1\n2 0 1  0 \n", "2\n2 0 1  0 \n"),
         "erreur de format de fichier. Le champs scope n'existe pas (constraint 1).\n"
         "erreur dans le fichier. Absence de fin du bloc constraints\n"},
        {"empty blocks", edit("<relations", "<relations nbRelations=\"0\">\n</relations>\n<constraints nbConstraints=\"0\">\n</constraints>"),
         std::string(HEAD) + "2\n0 0\n1 0\n0\n0\n\n", ""},
    };
    for (const Case& c : cases) {
        Conversion got = convert(c.xml);
        EXPECT_EQ(got.out, c.out) << c.what;
        EXPECT_EQ(got.messages, c.messages) << c.what;
    }
}

// Any prefix of the example converts to whole lines of the full conversion,
// followed by the final empty line, and reports the early end once.
TEST(ConvTransfo, TruncatedInputsEndTheConversion) {
    const std::string lines = EXAMPLE_TXT.substr(0, EXAMPLE_TXT.size() - 1);
    const size_t instanceEnd = EXAMPLE.find("<instance>") + 10;
    const size_t constraintsEnd = EXAMPLE.find("</constraints>") + 14;
    for (size_t cut = 0; cut < EXAMPLE.size(); ++cut) {
        Conversion c = convert(EXAMPLE.substr(0, cut));
        if (cut < instanceEnd) {
            EXPECT_EQ(c.out, "") << cut;
            EXPECT_EQ(c.messages, NO_INSTANCE) << cut;
            continue;
        }
        if (cut >= constraintsEnd) {
            EXPECT_EQ(c.out, EXAMPLE_TXT) << cut;
            EXPECT_EQ(c.messages, "") << cut;
            continue;
        }
        EXPECT_EQ(c.messages, "erreur dans le fichier. Fin du fichier avant la fin du bloc constraints\n") << cut;
        if (c.out.empty()) continue;  // cut before the presentation tag ended: nothing written
        ASSERT_EQ(c.out.back(), '\n') << cut;
        const std::string written = c.out.substr(0, c.out.size() - 1);
        EXPECT_EQ(lines.compare(0, written.size(), written), 0) << cut << ": " << c.out;
        EXPECT_TRUE(written.empty() || written.back() == '\n') << cut << ": " << c.out;
    }
    // A cut in the middle of a constraint tag and one between two tags.
    EXPECT_EQ(convert(EXAMPLE.substr(0, EXAMPLE.find("relation=\"R0\"/>"))).out, editOut("2 0 1  0 \n", ""));
    EXPECT_EQ(convert(EXAMPLE.substr(0, EXAMPLE.find("<variable name=\"V1\""))).out, std::string(HEAD) + "2\n0 0\n\n");
}

TEST(ConvTransfo, OutputNeverKeepsAnOlderFile) {
    TempDir dir;
    writeFile(dir / "in.xml", EXAMPLE);
    writeFile(dir / "out.txt", std::string(4000, '9'));
    CaptureStdout();
    transfoXML(dir / "in.xml", dir / "out.txt");
    EXPECT_EQ(readFile(dir / "out.txt"), EXAMPLE_TXT);
    writeFile(dir / "bad.xml", edit("<instance>", "<instance version=\"2\">"));
    transfoXML(dir / "bad.xml", dir / "out.txt");
    EXPECT_EQ(GetCapturedStdout(), NO_INSTANCE);
    EXPECT_EQ(readFile(dir / "out.txt"), "");  // the first check failed: no stale instance remains
}

TEST(ConvTransfo, MissingInputOrOutput) {
    TempDir dir;
    CaptureStdout();
    EXPECT_TRUE(transfoXML(dir / "nosuch.xml", dir / "out.txt"));  // the output is written (empty)
    EXPECT_EQ(GetCapturedStdout(),
              "aucun fichier n'est ouvert.\naucun fichier n'est ouvert.\naucun fichier n'est ouvert.\n" +
                  std::string(NO_INSTANCE));
    writeFile(dir / "in.xml", EXAMPLE);
    CaptureStdout();
    EXPECT_FALSE(transfoXML(dir / "in.xml", dir / "no/dir/out.txt"));  // the lines stay in the buffer, never written
    EXPECT_EQ(GetCapturedStdout(), "aucun fichier ouvert.\n");
}

TEST(ConvTransfo, ListHelpers) {
    struct {
        const char* list;
        const char* numbers;
        int count;
    } elts[] = {{"D0 D1", "0 1 ", 2}, {"", "", 0}, {"V12 V3 V7", "12 3 7 ", 3}, {"R0", "0 ", 1}, {"  a1  b ", "1  ", 2}};
    for (auto& e : elts) {
        int n = -1;
        EXPECT_EQ(extraireNumElt(e.list, &n), e.numbers) << e.list;
        EXPECT_EQ(n, e.count) << e.list;
    }
    struct {
        const char* tuples;
        const char* pieces;
    } tup[] = {{"(0,1)(1,2)", "0 1 1 2 "}, {"(0, 1) (2,3)", "0  1   2 3 "}, {"", ""}, {"((,))", ""},
               {"12,13", "12 13 "}, {"(10,200)", "10 200 "}};
    for (auto& t : tup) EXPECT_EQ(extractTuples(t.tuples), t.pieces) << t.tuples;
}

// The reader converts a name ending in exactly ".xml" into ./ficConverti.txt
// and reads that file; it stays in the working directory.
class ConvReaderStep : public testing::Test {
  protected:
    TempDir dir;
    ScopedChdir here{dir.path};
};

TEST_F(ConvReaderStep, XmlNameIsConverted) {
    writeFile("inst.xml", EXAMPLE);
    writeFile("ficConverti.txt", std::string(5000, '7'));  // a stale conversion must not survive
    Network net;
    readCSP("inst.xml", net);
    EXPECT_EQ(readFile("ficConverti.txt"), EXAMPLE_TXT);
    Network expected;
    parseCSP(EXAMPLE_TXT, "t", expected);
    EXPECT_EQ(net.nb_var, 2);
    EXPECT_EQ(net.nb_rel, 1);
    ASSERT_EQ(net.relDef[0].cellules(), expected.relDef[0].cellules());
    EXPECT_EQ(net.relDef[0].cellules(), (std::vector<std::uint8_t>{0, 1, 1, 1, 0, 1, 1, 1, 1}));
}

TEST_F(ConvReaderStep, OtherNamesAreReadAsText) {
    for (const char* name : {"inst.XML", "inst.xmlx", "inst.xml.txt", "instxml"}) {
        writeFile(name, EXAMPLE_TXT);
        Network net;
        readCSP(name, net);
        EXPECT_EQ(net.nb_var, 2) << name;
        EXPECT_FALSE(fileExists("ficConverti.txt")) << name;
    }
    writeFile("inst.XML", EXAMPLE);
    Network net;
    EXPECT_EXIT(readCSP("inst.XML", net), testing::ExitedWithCode(255), "");
}

TEST_F(ConvReaderStep, UnopenableConversionNamesTheInstance) {
    writeFile("inst.xml", EXAMPLE);
    ASSERT_EQ(symlink("no/such/dir/target", "ficConverti.txt"), 0);
    Network net;
    // The message goes to the standard output: send it where the death test looks.
    EXPECT_EXIT(
        {
            dup2(2, 1);
            readCSP("inst.xml", net);
        },
        testing::ExitedWithCode(1), "File \\*inst\\.xml\\* does not exist");
}

// A few bytes changed anywhere in the example: the conversion always ends,
// stays inside its buffers (this test earns its keep under the sanitizers)
// and leaves an output file, whatever it reports.
TEST(ConvTransfo, DamagedInputsStayInBounds) {
    std::mt19937 rng(99);
    const std::string alphabet = "<>\"/ =.,()0123456789\nDVRabc";
    for (int n = 0; n < 400; ++n) {
        std::string xml = EXAMPLE;
        const int edits = 1 + static_cast<int>(rng() % 3);
        for (int e = 0; e < edits; ++e) {
            size_t at = rng() % xml.size();
            char c = alphabet[rng() % alphabet.size()];
            switch (rng() % 3) {
                case 0: xml[at] = c; break;
                case 1: xml.erase(at, 1); break;
                default: xml.insert(at, 1, c); break;
            }
        }
        Conversion c = convert(xml);
        EXPECT_TRUE(c.out.empty() || c.out.back() == '\n') << xml;
    }
}
