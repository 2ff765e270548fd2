// Generated instances and the bench instances, converted from their XML
// form, read as the same networks as their text form.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "Convertisseur/transfo.h"
#include "EntreesSorties/entrees_sorties.h"
#include "csp_gen.h"
#include "csp_xml.h"
#include "harness.h"
#include "net_compare.h"

namespace fs = std::filesystem;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

// Converts `xml` and reads the result; `messages` receives the converter's output.
static void convertAndRead(const std::string& xml, const std::string& dir, Network& net, std::string& messages) {
    writeFile(dir + "/in.xml", xml);
    CaptureStdout();
    transfoXML(dir + "/in.xml", dir + "/out.txt");
    messages = GetCapturedStdout();
    parseCSP(readFile(dir + "/out.txt"), "out.txt", net);
}

TEST(ConvGenerated, XmlFormReadsAsTheTextForm) {
    std::mt19937 rng(777);
    int converted = 0;
    for (int n = 0; n < 300; ++n) {
        Instance inst = nonNegative(randomInstance(rng));
        if (!xmlExpressible(inst)) continue;  // an empty domain has no XML form
        TempDir dir;
        Network fromXml, fromText;
        std::string messages;
        convertAndRead(toXML(inst, "gen" + std::to_string(n)), dir.path, fromXml, messages);
        parseCSP(inst.toText(), "text", fromText);
        EXPECT_EQ(messages, "");
        ASSERT_EQ(networkDifference(fromXml, fromText), "") << toXML(inst);
        ++converted;
    }
    EXPECT_GT(converted, 250);
}

// The bench sits beside the work tree: <root>/main is the source tree and
// <root>/shared/bench the instances, each as <name>.xml and <name>.txt.
static fs::path benchDir() {
    return fs::path(__FILE__).parent_path().parent_path().parent_path().parent_path() / "shared" / "bench";
}

TEST(ConvGenerated, BenchXmlReadsAsTheBenchText) {
    const fs::path bench = benchDir();
    if (!fs::is_directory(bench)) GTEST_SKIP() << "no bench at " << bench;
    int pairs = 0;
    for (const auto& entry : fs::recursive_directory_iterator(bench)) {
        if (entry.path().extension() != ".xml") continue;
        fs::path txt = entry.path();
        txt.replace_extension(".txt");
        if (!fs::exists(txt)) continue;
        TempDir dir;
        Network fromXml, fromText;
        std::string messages;
        convertAndRead(readFile(entry.path()), dir.path, fromXml, messages);
        parseCSP(readFile(txt), txt.string(), fromText);
        EXPECT_EQ(messages, "") << entry.path();
        EXPECT_EQ(networkDifference(fromXml, fromText), "") << entry.path();
        ++pairs;
    }
    EXPECT_GT(pairs, 0);
}
