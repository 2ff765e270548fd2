// Tag scanning and the converter's string utilities.
#include <gtest/gtest.h>

#include <algorithm>

#include "Convertisseur/tools.h"
#include "harness.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

// Every tag of `text`, read with lireBalise until the input ends.
static std::vector<std::string> tagsOf(const std::string& text, std::string* last = nullptr) {
    TempDir dir;
    writeFile(dir / "in", text);
    auto f = openFile(dir / "in", 0);
    std::vector<std::string> tags;
    for (;;) {
        std::string t = lireBalise(f.get());
        if (f->fin) {
            if (last) *last = t;
            break;
        }
        tags.push_back(t);
    }
    closeFile(f.get());
    return tags;
}

TEST(ConvTools, LireBaliseTagTexts) {
    struct Case {
        const char* input;
        std::vector<std::string> tags;
    } cases[] = {
        {"<?xml version=\"1.0\"?>", {"?xml version=\"1.0\"?"}},
        {"<x a=\"1\"/>", {"x a=\"1\""}},
        {"<domain name=\"D0\" values=\"0..2\" />", {"domain name=\"D0\" values=\"0..2\" "}},
        {"</domains>", {"/domains"}},
        {"<v values=\"a>b\"/>", {"v values=\"a>b\""}},
        {"<a b='>'>", {"a b='"}},
        {"<a <b>", {"a <b"}},
        {"text\n  <a>\nmore text <b/>", {"a", "b"}},
        {"<>", {""}},
        {"</>", {""}},
        {"<x//>", {"x/"}},
        {"<v s=\"1\n2\"/>", {"v s=\"1\n2\""}},
    };
    for (const Case& c : cases) EXPECT_EQ(tagsOf(c.input), c.tags) << c.input;
}

TEST(ConvTools, LireBaliseStopsAtTheEndOfTheInput) {
    struct Case {
        const char* input;
        std::vector<std::string> tags;
        const char* cut;  // what the last, unfinished read returned
    } cases[] = {
        {"", {}, ""},
        {"no tag at all", {}, ""},
        {"<a/> trailing", {"a"}, ""},
        {"<a/><domain name=\"D", {"a"}, "domain name=\"D"},
        {"<a/><v x=\"1>2 ", {"a"}, "v x=\"1>2 "},
    };
    for (const Case& c : cases) {
        std::string last;
        EXPECT_EQ(tagsOf(c.input, &last), c.tags) << c.input;
        EXPECT_EQ(last, c.cut) << c.input;
    }
}

TEST(ConvTools, ChercheAttLists) {
    struct Case {
        const char* tag;
        std::vector<std::string> list;
    } cases[] = {
        {"domain name=\"D0\" nbValues=\"3\" values=\"0..2\"", {"domain", "name=\"D0\"", "nbValues=\"3\"", "values=\"0..2\""}},
        {"relation name=\"R0\" domain=\"D0 D1\"", {"relation", "name=\"R0\"", "domain=\"D0 D1\""}},
        {"constraints  n=\"4\" ", {"constraints", "n=\"4\""}},
        {"name = \"x\"", {"name", "=", "\"x\""}},
        {"", {}},
        {"   ", {}},
        {"a\tb\rc d", {"a\tb\rc", "d"}},
        {"v s=\"1\n  2\" t=\"3\"", {"v", "s=\"1", "  2\"", "t=\"3\""}},
        {"v\n\nw", {"v", "w"}},
    };
    for (const Case& c : cases) EXPECT_EQ(chercheAtt(c.tag), c.list) << c.tag;
}

TEST(ConvTools, IndexAttributIsAPrefixTest) {
    struct Case {
        std::vector<std::string> list;
        const char* name;
        int index;
    } cases[] = {
        {{"variable", "name=\"V0\"", "domain=\"D0\""}, "domain", 2},
        {{"relation", "domains=\"D0 D1\""}, "domain", 1},
        {{"presentation", "nameX=\"a\"", "name=\"b\""}, "name", 1},
        {{"domain", "nbValues=\"3\""}, "values", -1},
        {{"domain"}, "nbValues", -1},
        {{}, "name", -1},
        {{"domain", "x=\"1\""}, "dom", 0},
        {{"v", "s=\"1", "  2\""}, "2", 2},
    };
    for (Case& c : cases) EXPECT_EQ(indexAttribut(c.list, c.name), c.index) << c.name;
    ListeAttributs trimmed = {"v", "   t=\"3\""};
    EXPECT_EQ(indexAttribut(trimmed, "t"), 1);
    EXPECT_EQ(trimmed[1], "t=\"3\"");
}

TEST(ConvTools, ExtraireChaine) {
    struct Case {
        const char* entry;
        const char* value;
        const char* out;
    } cases[] = {
        {"nbValues=\"12\"", "12", ""},   {"v=\"abc", "abc", ""},     {"x=\"\"", "", ""},
        {"\"lead\"rest", "lead", ""},    {"a=\"1\"b=\"2\"", "1", ""}, {"noquote", "", "erreur manque chaine de caractere"},
        {"", "", "erreur manque chaine de caractere"},
    };
    for (const Case& c : cases) {
        CaptureStdout();
        EXPECT_EQ(extraireChaine(c.entry), c.value) << c.entry;
        EXPECT_EQ(GetCapturedStdout(), c.out) << c.entry;
    }
}

TEST(ConvTools, NumbersAsText) {
    struct {
        const char* text;
        int value;
    } toInt[] = {{"", 0}, {"42", 42}, {"007", 7}, {"-1", -29}, {" 3", -157}, {"4294967297", 1}};
    for (auto& c : toInt) EXPECT_EQ(charToInt(c.text), c.value) << c.text;

    struct {
        int value;
        const char* text;
    } toChar[] = {{0, "0"}, {9, "9"}, {10, "10"}, {305, "305"}, {-3, "-"}, {2147483647, "2147483647"}};
    for (auto& c : toChar) EXPECT_EQ(intToChar(c.value), c.text) << c.value;

    struct {
        const char* text;
        const char* number;
    } extract[] = {{"V12", "12"}, {"D0", "0"}, {"7", "7"}, {"x1y2", "1y2"}, {"-5", "5"},
                   {"abc", ""}, {"", ""}};
    for (auto& c : extract) EXPECT_EQ(extractNumber(c.text), c.number) << c.text;

    std::string s = "ab";
    EXPECT_EQ(&concat(s, "cd"), &s);
    EXPECT_EQ(s, "abcd");
    EXPECT_EQ(concat(s, ""), "abcd");
}

TEST(ConvTools, IntervalToList) {
    struct {
        const char* values;
        const char* list;
    } cases[] = {
        {"0..3", "0 1 2 3 "},     {"1 3 5", "1 3 5 "},   {"0..2 5 7..8", "0 1 2 5 7 8 "},
        {"4", "4 "},             {"", "0 "},            {"1 2 ", "1 2 0 "},
        {" 1", "0 1 "},          {"1  2", "1 0 2 "},    {"5..3", ""},
        {"3..", "3 "},           {"..2", "0 1 2 "},     {"1...3", "1 2 3 "},
        {"1.5", "15 "},          {"0..3 7 9..10", "0 1 2 3 7 9 10 "},
    };
    for (auto& c : cases) EXPECT_EQ(intervalToList(c.values), c.list) << c.values;
}

// A range of billions of values once made the conversion run out of time
// and memory; a list now stops at 65536 values, one more than a domain holds.
TEST(ConvTools, IntervalToListStopsAt65536Values) {
    auto count = [](const std::string& list) { return std::count(list.begin(), list.end(), ' '); };
    struct {
        const char* values;
        long count;
        const char* last;  // the end of the list
    } cases[] = {
        {"0..65535", 65536, " 65535 "},
        {"0..2147483647", 65536, " 65535 "},
        {"7 0..99999999", 65536, " 65534 "},
        {"0..65534 9 8", 65536, " 65534 9 "},
        {"2147483640..2147483647", 8, " 2147483647 "},
    };
    for (auto& c : cases) {
        const std::string list = intervalToList(c.values);
        EXPECT_EQ(count(list), c.count) << c.values;
        EXPECT_TRUE(list.ends_with(c.last)) << c.values << ": " << list.substr(list.size() - 30);
    }
}
