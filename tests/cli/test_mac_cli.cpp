// End-to-end runs of mac in temporary directories: statuses, messages, and
// the bytes of "weight", "activity" and "weightCons".
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "csp_gen.h"
#include "harness.h"
#include "instances.h"

namespace {

const std::string MAC = MAC_PATH;

std::string repeter(const std::string& motif, size_t n) {
    std::string s;
    for (size_t k = 0; k < n; ++k) s += motif;
    return s;
}

struct MacRun {
    TempDir dir;
    RunResult r;
    // Runs mac on `instance` with `weight` as the weight file (none when null).
    MacRun(const std::string& instance, const char* weight) {
        writeFile(dir / "current.txt", instance);
        if (weight) writeFile(dir / "weight", weight);
        again();
    }
    void again() { r = runProgram(dir.path, MAC); }
    std::string file(const char* name) const { return readFile(dir / name); }
    bool has(const char* name) const { return fileExists(dir / name); }
};

// Constraints (0, 2) then (1, 2), equality on {0, 1}.
const char* V_A_TROIS = "?\n1\n0 2 0 1\n3\n0 0\n1 0\n2 0\n1\n0 1 2 0 0 2 0 0 1 1\n2\n2 0 2 0\n2 1 2 0\n";

// The same with nothing allowed between 0 and 2: root wipe-out.
const char* V_VIDE =
    "?\n1\n0 2 0 1\n3\n0 0\n1 0\n2 0\n2\n0 1 2 0 0 2 0 0 1 1\n1 1 2 0 0 0\n2\n2 0 2 1\n2 1 2 0\n";

// Three-colouring of a triangle: a solution after two decisions.
const char* TRIANGLE =
    "?\n1\n0 3 0 1 2\n3\n0 0\n1 0\n2 0\n1\n0 0 2 0 0 3 0 0 1 1 2 2\n3\n2 0 1 0\n2 0 2 0\n2 1 2 0\n";

// Two variables, one constraint.
const char* PAIRE = "?\n1\n0 2 0 1\n2\n0 0\n1 0\n1\n0 1 2 0 0 2 0 0 1 1\n1\n2 0 1 0\n";

}  // namespace

TEST(MacFilesTest, CounterexampleHasNoSolutionAndItsFilesSteerTheNextRun) {
    MacRun run(ROOT_COUNTEREXAMPLE, "1 1 1 1 1 1 1 1 1 1 ");
    EXPECT_EQ(run.r.status, 0);
    EXPECT_EQ(run.r.out + run.r.err, "");
    // Every value of 3 then of 4... fails: 4's weight towards 5 and 5's
    // towards 3 rose twice; the file keeps the reader's neighbour order.
    EXPECT_EQ(run.file("weight"), "1 1 1 1 1 1 1 3 1 3 ");
    EXPECT_EQ(run.file("activity"), "5\n0 1 2 3 4 ");
    EXPECT_EQ(run.file("weightCons"), "5\n1 1 2 4 2 ");

    // With those weights 4 is chosen first, and 3's weight towards 5 rises.
    run.again();
    EXPECT_EQ(run.r.status, 0);
    EXPECT_EQ(run.file("weight"), "1 1 1 1 1 3 1 3 1 3 ");
    EXPECT_EQ(run.file("activity"), "3\n2 3 4 ");
    EXPECT_EQ(run.file("weightCons"), "3\n4 4 4 ");
}

TEST(MacFilesTest, SolutionFilesAndWeightCombinations) {
    struct Cas {
        const char* nom;
        const char* instance;
        const char* poids;
        int status;
        const char* weight;
        const char* activity;
        const char* weightCons;
    };
    const Cas cas[] = {
        {"triangle", TRIANGLE, "1 1 1 1 1 1 ", 10, "1 1 1 1 1 1 ", "3\n0 1 2 ", "3\n1 1 1 "},
        {"products keep their low 32 bits", TRIANGLE, "100000 100000 100000 100000 100000 100000 ", 10,
         "100000 100000 100000 100000 100000 100000 ", "3\n0 1 2 ", "3\n1410065408 1410065408 1410065408 "},
        {"means of large weights", TRIANGLE,
         "2000000000 2000000000 2000000000 2000000000 2000000000 2000000000 ", 10,
         "2000000000 2000000000 2000000000 2000000000 2000000000 2000000000 ", "3\n0 1 2 ",
         "3\n-1651507200 -1651507200 -1651507200 "},
        {"(0,2), (1,2): no search", V_A_TROIS, "5 6 7 8 ", 10, "5 6 7 8 ", "0\n", "0\n"},
        {"other separators", V_A_TROIS, "5\n6,7x8;", 10, "5 6 7 8 ", "0\n", "0\n"},
        {"white space before numbers", V_A_TROIS, "  5  \n6\t7\n\n8\n", 10, "5 6 7 8 ", "0\n", "0\n"},
        {"signs", V_A_TROIS, "-5 +6 7 8 ", 10, "-5 6 7 8 ", "0\n", "0\n"},
        {"surplus numbers", V_A_TROIS, "5 6 7 8 9 10 11", 10, "5 6 7 8 ", "0\n", "0\n"},
        {"root wipe-out", V_VIDE, "5 6 7 8 ", 0, "5 6 7 8 ", "0\n", "0\n"},
        {"empty isolated domain", "?\n2\n0 2 0 1\n1 0\n3\n0 0\n1 0\n2 1\n1\n0 1 2 0 0 2 0 0 1 1\n1\n2 0 1 0\n",
         "3 4 ", 0, "3 4 ", "0\n", "0\n"},
        {"two neighbours with empty domains", "?\n1\n0 0\n2\n0 0\n1 0\n1\n0 1 2 0 0 0\n1\n2 0 1 0\n", "3 4 ", 0,
         "3 4 ", "0\n", "0\n"},
        {"no variable", "?\n0\n0\n0\n0\n", "", 10, "", "0\n", "0\n"},
        {"one variable", "?\n1\n0 1 7\n1\n0 0\n0\n0\n", "", 10, "", "0\n", "0\n"},
        {"one variable, empty domain", "?\n1\n0 0\n1\n0 0\n0\n0\n", "", 0, "", "0\n", "0\n"},
    };
    for (const Cas& c : cas) {
        MacRun run(c.instance, c.poids);
        EXPECT_EQ(run.r.status, c.status) << c.nom << ": " << run.r.err;
        EXPECT_EQ(run.file("weight"), c.weight) << c.nom;
        EXPECT_EQ(run.file("activity"), c.activity) << c.nom;
        EXPECT_EQ(run.file("weightCons"), c.weightCons) << c.nom;
        EXPECT_EQ(run.r.out + run.r.err, "") << c.nom;
    }
}

// Files far longer than any write buffer: a chain x0 = x1 = ... on {0, 1}.
// The first decision takes a value out of every other variable, which makes
// every pair active, and nothing fails, so the weights come back as given.
TEST(MacFilesTest, LongFilesKeepEveryNumber) {
    const int n = 30001;
    std::ostringstream instance, poids, attenduPoids, activite, produits;
    instance << "?\n1\n0 2 0 1\n" << n << "\n";
    for (int i = 0; i < n; ++i) instance << i << " 0\n";
    instance << "1\n0 1 2 0 0 2 0 0 1 1\n" << n - 1 << "\n";
    for (int i = 0; i + 1 < n; ++i) instance << "2 " << i << " " << i + 1 << " 0\n";
    // Slots: x0 towards x1; xi towards x(i-1), then x(i+1).
    std::vector<std::vector<long long>> w(n);
    long long k = 0;
    for (int i = 0; i < n; ++i)
        for (int s = 0; s < (i == 0 || i == n - 1 ? 1 : 2); ++s) {
            const long long v = 1 + (k++ * 7919) % 2000000;
            w[i].push_back(v);
            poids << v << (k % 10 ? " " : "\n");
            attenduPoids << v << " ";
        }
    activite << n - 1 << "\n";
    produits << n - 1 << "\n";
    auto moyenne = [&](int i) {
        long long somme = 0;
        for (long long v : w[i]) somme += v;
        return somme / static_cast<long long>(w[i].size());
    };
    for (int c = 0; c + 1 < n; ++c) {
        activite << c << " ";
        produits << static_cast<std::int32_t>(static_cast<std::uint32_t>(moyenne(c) * moyenne(c + 1))) << " ";
    }
    const std::string p = poids.str();
    MacRun run(instance.str(), p.c_str());
    EXPECT_EQ(run.r.status, 10) << run.r.err;
    EXPECT_EQ(run.file("weight"), attenduPoids.str());
    EXPECT_EQ(run.file("activity"), activite.str());
    EXPECT_EQ(run.file("weightCons"), produits.str());
}

TEST(MacFailureTest, WeightFileErrors) {
    struct Cas {
        const char* nom;
        const char* poids;
    };
    const Cas cas[] = {
        {"no character after the last number", "5 6 7 8"},
        {"too few numbers", "5 6 7 "},
        {"empty file", ""},
        {"a token that is not a number", "5 six 7 8 "},
        {"a sign alone", "5 6 7 - 8 "},
    };
    for (const Cas& c : cas) {
        MacRun run(V_A_TROIS, c.poids);
        EXPECT_EQ(run.r.status, 255) << c.nom;
        EXPECT_EQ(run.r.err, "Read error in weight importation\n") << c.nom;
        EXPECT_EQ(run.r.out, "") << c.nom;
        EXPECT_EQ(run.file("weight"), c.poids) << c.nom;
        EXPECT_FALSE(run.has("activity")) << c.nom;
        EXPECT_FALSE(run.has("weightCons")) << c.nom;
    }
}

TEST(MacFailureTest, MissingFiles) {
    // No current.txt, or a directory of that name (which opens, but holds no
    // file to read).
    for (const bool repertoire : {false, true}) {
        TempDir dir;
        if (repertoire) std::filesystem::create_directory(dir / "current.txt");
        writeFile(dir / "weight", "1 ");
        RunResult r = runProgram(dir.path, MAC);
        EXPECT_EQ(r.status, 1) << repertoire << ": " << r.err;
        EXPECT_EQ(r.out, "File *current.txt* does not exist\n") << repertoire;
    }
    MacRun run(PAIRE, nullptr);
    EXPECT_EQ(run.r.status, 255);
    EXPECT_EQ(run.r.err, "Can't open 'weight' file.\n");
    EXPECT_EQ(run.r.out, "");
    EXPECT_FALSE(run.has("weight"));
    EXPECT_FALSE(run.has("activity"));
    EXPECT_FALSE(run.has("weightCons"));
}

TEST(MacFailureTest, NaryRelation) {
    MacRun run("?\n1\n0 2 0 1\n3\n0 0\n1 0\n2 0\n1\n0 1 3 0 0 0 1 0 0 0\n1\n3 0 1 2 0\n", "");
    EXPECT_EQ(run.r.status, 255);
    EXPECT_EQ(run.r.err, "This experimental version doesn't accept n-ary constraints\n");
}

TEST(MacFailureTest, ConstraintLimit) {
    auto instance = [](int n) {
        std::string t = "?\n1\n0 2 0 1\n2\n0 0\n1 0\n1\n0 1 2 0 0 2 0 0 1 1\n" + std::to_string(n) + "\n";
        return t + repeter("2 0 1 0\n", n);
    };
    MacRun limite(instance(50000), "1 1 ");
    EXPECT_EQ(limite.r.status, 10);
    MacRun trop(instance(50001), "1 1 ");
    EXPECT_EQ(trop.r.status, 255);
    EXPECT_EQ(trop.r.err, "Too much constraint for this experimental version\n");
    EXPECT_EQ(trop.file("weight"), "1 1 ");
    EXPECT_FALSE(trop.has("activity"));
}

TEST(MacFailureTest, OutputFilesThatCannotBeCreated) {
    {
        TempDir dir;
        writeFile(dir / "current.txt", PAIRE);
        std::filesystem::create_directory(dir / "activity");
        writeFile(dir / "weight", "2 3 ");
        RunResult r = runProgram(dir.path, MAC);
        EXPECT_EQ(r.status, 255);
        EXPECT_EQ(r.err, "Can't create 'activity' file.\n");
        EXPECT_EQ(readFile(dir / "weight"), "2 3 ");  // written in full before
        EXPECT_FALSE(fileExists(dir / "weightCons"));
    }
    {
        TempDir dir;
        writeFile(dir / "current.txt", PAIRE);
        std::filesystem::create_directory(dir / "weightCons");
        writeFile(dir / "weight", "2 3 ");
        RunResult r = runProgram(dir.path, MAC);
        EXPECT_EQ(r.status, 255);
        EXPECT_EQ(r.err, "Can't create 'weightCons' file.\n");
        EXPECT_EQ(readFile(dir / "weight"), "2 3 ");
    }
}

// Files that open but whose writes do not go through (a full disk): the
// run fails with status 255, never a verdict.  "weight" meets a file size
// limit (SIGXFSZ ignored, so the write fails with EFBIG); "activity" and
// "weightCons" are /dev/full.
TEST(MacFailureTest, WritesThatDoNotGoThroughAreFailures) {
    struct Case {
        const char* name;          // the file whose writes fail
        const char* instance;
        std::string weight;
    };
    // 100 constraints on a path of 101 variables: 200 weights of 11 bytes.
    std::ostringstream chemin;
    chemin << "?\n1\n0 2 0 1\n101\n";
    for (int v = 0; v < 101; ++v) chemin << v << " 0\n";
    chemin << "1\n0 1 2 0 0 2 0 0 1 1\n100\n";
    for (int v = 0; v < 100; ++v) chemin << "2 " << v << " " << v + 1 << " 0\n";
    const std::string cheminTexte = chemin.str();
    const std::vector<Case> cases = {
        {"weight", cheminTexte.c_str(), repeter("1000000000 ", 200)},
        {"activity", PAIRE, "2 3 "},
        {"weightCons", PAIRE, "2 3 "},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeFile(dir / "current.txt", c.instance);
        writeFile(dir / "weight", c.weight);
        std::string commande = "exec " + MAC;
        if (std::string(c.name) == "weight") {
            commande = "trap '' XFSZ; ulimit -f 1; " + commande;  // 512 or 1024 bytes, below 2200
        } else {
            if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
            std::filesystem::create_symlink("/dev/full", dir / c.name);
        }
        RunResult r = runProgram(dir.path, "/bin/sh", {"-c", commande});
        EXPECT_EQ(r.status, 255) << c.name << ": " << r.err;
        EXPECT_EQ(r.err, "Can't write '" + std::string(c.name) + "' file.\n") << c.name;
    }
}

TEST(MacFailureTest, WeightFileThatCannotBeRewritten) {
    // A weight file that can be read but not opened for writing: read-only
    // for an ordinary user; for root, a read-only kernel table of numbers.
    TempDir dir;
    writeFile(dir / "current.txt", PAIRE);
    if (geteuid() == 0) {
        std::filesystem::create_symlink("/proc/sys/fs/file-nr", dir / "weight");
    } else {
        writeFile(dir / "weight", "2 3 ");
        std::filesystem::permissions(dir / "weight", std::filesystem::perms::owner_read);
    }
    std::FILE* lu = std::fopen((dir / "weight").c_str(), "r");
    int a = 0, b = 0;
    char c1 = 0, c2 = 0;
    const bool lisible = lu && std::fscanf(lu, "%d%c%d%c", &a, &c1, &b, &c2) == 4;
    if (lu) std::fclose(lu);
    std::FILE* ecrit = std::fopen((dir / "weight").c_str(), "w");
    if (ecrit) std::fclose(ecrit);
    if (!lisible || ecrit) GTEST_SKIP() << "no readable, unwritable weight file on this machine";
    RunResult r = runProgram(dir.path, MAC);
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.err, "Can't create 'weight' file.\n");
    EXPECT_FALSE(fileExists(dir / "activity"));
}

TEST(MacDifferentialTest, StatusMatchesBruteForceOverTwoRuns) {
    // Fewer instances than the in-process differential test: this one goes
    // through the program, its exit status and the files between runs.
    std::mt19937 rng(7);
    GenParams p;
    for (int k = 0; k < 150; ++k) {
        p.density = (k % 3 + 1) * 0.3;
        const Instance inst = randomInstance(rng, p);
        const int attendu = bruteForceSat(inst) ? 10 : 0;
        MacRun run(inst.toText(), repeter("1 ", 2 * inst.constraints.size()).c_str());
        ASSERT_EQ(run.r.status, attendu) << k << "\n" << inst.toText() << run.r.err;
        run.again();
        ASSERT_EQ(run.r.status, attendu) << k << " second run\n" << inst.toText() << run.r.err;
    }
}
