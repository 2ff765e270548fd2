// Buffered raw files: bytes on disk, refills, misuse messages.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "Convertisseur/io.h"
#include "harness.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

static long sizeOnDisk(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

TEST(ConvIo, WritesAreLazyAndCloseAddsOneLineFeed) {
    struct Case {
        size_t written;
        long onDiskBeforeClose;  // the buffer is written out only when a byte arrives at a full buffer
    } cases[] = {{0, 0}, {3, 0} /* "abc" */, {1023, 0}, {1024, 0}, {1025, 1024}, {2048, 1024}, {2049, 2048}, {5000, 4096}};
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir / "out";
        std::string data;
        for (size_t i = 0; i < c.written; ++i) data += static_cast<char>('a' + i % 26);
        auto f = openFile(path, 1);
        ecrire(f.get(), data);
        EXPECT_EQ(sizeOnDisk(path), c.onDiskBeforeClose) << c.written;
        closeFile(f.get());
        EXPECT_EQ(f->fd, -1);
        EXPECT_EQ(readFile(path), c.written ? data + "\n" : std::string()) << c.written;
    }
}

TEST(ConvIo, OutputIsTruncatedAndCreatedPrivate) {
    TempDir dir;
    writeFile(dir / "old", std::string(100, 'x'));
    auto f = openFile(dir / "old", 1);
    ecrire(f.get(), "0123456789");
    closeFile(f.get());
    EXPECT_EQ(readFile(dir / "old"), "0123456789\n");  // no tail of the older, longer file

    writeFile(dir / "kept", "old content");
    auto g = openFile(dir / "kept", 1);
    closeFile(g.get());
    EXPECT_EQ(readFile(dir / "kept"), "");  // emptied, and no line feed when nothing was written

    auto h = openFile(dir / "new", 1);
    closeFile(h.get());
    struct stat st;
    ASSERT_EQ(stat((dir / "new").c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0);
    EXPECT_EQ(st.st_mode & 0077, 0u);
}

TEST(ConvIo, ReadsThroughTwoRefillsThenSignalsTheEnd) {
    TempDir dir;
    std::string data;
    for (int i = 0; i < 1500; ++i) data += static_cast<char>(' ' + i % 90);
    writeFile(dir / "in", data);
    auto f = openFile(dir / "in", 0);
    EXPECT_EQ(f->nbCar, 1024);
    std::string got;
    for (int i = 0; i < 1024; ++i) got += static_cast<char>(lireCar(f.get()));
    EXPECT_EQ(f->pos, f->nbCar);
    for (int i = 0; i < 476; ++i) got += static_cast<char>(lireCar(f.get()));
    EXPECT_EQ(f->nbCar, 476);
    EXPECT_EQ(got, data);
    EXPECT_FALSE(f->fin);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lireCar(f.get()), 0);
        EXPECT_TRUE(f->fin);
        EXPECT_LE(f->pos, 1024);
    }
    closeFile(f.get());
}

TEST(ConvIo, HighBytesComeBackNegative) {
    TempDir dir;
    writeFile(dir / "in", "\xE9\x80\x7F");
    auto f = openFile(dir / "in", 0);
    EXPECT_EQ(lireCar(f.get()), -23);
    EXPECT_EQ(lireCar(f.get()), -128);
    EXPECT_EQ(lireCar(f.get()), 127);
    closeFile(f.get());
}

TEST(ConvIo, FailedReadReturnsZeroForEver) {
    TempDir dir;
    auto f = openFile(dir.path, 0);  // a directory opens, and read() then fails
    ASSERT_NE(f->fd, -1);
    EXPECT_EQ(f->nbCar, -1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(lireCar(f.get()), 0);
    EXPECT_TRUE(f->fin);
    closeFile(f.get());
}

TEST(ConvIo, MisuseMessages) {
    TempDir dir;
    writeFile(dir / "in", "xyz");
    struct Case {
        const char* what;
        void (*run)(const std::string& dir);
        const char* out;
    } cases[] = {
        {"input that does not exist", [](const std::string& d) { auto f = openFile(d + "/nosuch", 0); EXPECT_EQ(f->fd, -1); },
         "aucun fichier n'est ouvert.\n"},
        {"lireCar on a write-mode file",
         [](const std::string& d) { auto f = openFile(d + "/w", 1); EXPECT_EQ(lireCar(f.get()), 0); closeFile(f.get()); },
         "fichier ouvert en \xC3\xA9" "criture.\n"},
        {"readFile on a write-mode file",
         [](const std::string& d) { auto f = openFile(d + "/w", 1); readFile(f.get()); closeFile(f.get()); },
         "fichier ouvert en ecriture.\n"},
        {"ecrireCar on a read-mode file",
         [](const std::string& d) { auto f = openFile(d + "/in", 0); ecrireCar(f.get(), 'a'); closeFile(f.get()); },
         "fichier ouvert en lecture.\n"},
        {"ecrire on a read-mode file, once per byte",
         [](const std::string& d) { auto f = openFile(d + "/in", 0); ecrire(f.get(), "ab"); closeFile(f.get()); },
         "fichier ouvert en lecture.\nfichier ouvert en lecture.\n"},
        {"writeFile on a read-mode file",
         [](const std::string& d) { auto f = openFile(d + "/in", 0); writeFile(f.get()); closeFile(f.get()); },
         "fichier ouvert en lecture.\n"},
        {"closeFile twice",
         [](const std::string& d) { auto f = openFile(d + "/in", 0); closeFile(f.get()); closeFile(f.get()); },
         "aucun fichier ouvert.\n"},
    };
    for (const Case& c : cases) {
        CaptureStdout();
        c.run(dir.path);
        EXPECT_EQ(GetCapturedStdout(), c.out) << c.what;
    }
    EXPECT_EQ(readFile(dir / "in"), "xyz");
}

TEST(ConvIo, FullBufferWithoutDescriptorDropsBytes) {
    TempDir dir;
    auto f = openFile(dir / "no/such/dir/out", 1);
    ASSERT_EQ(f->fd, -1);
    CaptureStdout();
    ecrire(f.get(), std::string(1024, 'a'));
    EXPECT_EQ(GetCapturedStdout(), "");
    CaptureStdout();
    ecrireCar(f.get(), 'b');
    ecrireCar(f.get(), 'c');
    EXPECT_EQ(GetCapturedStdout(), "aucun fichier n'est ouvert.\naucun fichier n'est ouvert.\n");
    EXPECT_EQ(f->pos, 1024);
    EXPECT_EQ(f->tabCar[1023], 'a');
    CaptureStdout();
    closeFile(f.get());
    EXPECT_EQ(GetCapturedStdout(), "aucun fichier ouvert.\n");
}

TEST(ConvIo, FailedWritesAreRemembered) {
    TempDir dir;
    auto f = openFile(dir / "out", 1);
    bool apresUn = false;
    {
        ScopedFileSizeLimit plein(1500);
        ecrire(f.get(), std::string(1024, 'a'));
        ecrire(f.get(), std::string(1024, 'b'));  // the first buffer goes out in full
        apresUn = f->echec;
        closeFile(f.get());  // the second one, cut at 1500 bytes
    }
    EXPECT_FALSE(apresUn);
    EXPECT_TRUE(f->echec);
    EXPECT_EQ(sizeOnDisk(dir / "out"), 1500);

    auto g = openFile(dir / "ok", 1);
    ecrire(g.get(), std::string(3000, 'c'));
    closeFile(g.get());
    EXPECT_FALSE(g->echec);
}
