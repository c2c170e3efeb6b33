#include "screens/records.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>

#include "app/game.h"
#include "menu_fixture.h"
#include "test_support.h"

namespace fs = std::filesystem;

static int32_t recordOfText(std::string_view text, double square = 0.0) {
    readRecordSquare(text, square);
    return recordFromSquare(square);
}

TEST(RecordsFile, NamesOneFilePerLevelIndex) {
    EXPECT_EQ(recordsFileName(0), "Save/records-0.rcd");
    EXPECT_EQ(recordsFileName(9), "Save/records-9.rcd");
    EXPECT_EQ(recordsFileName(12), "Save/records-12.rcd");
}

TEST(RecordsFile, ReadsFilesWrittenTheOldWayAsBefore) {
    EXPECT_EQ(recordOfText("22500"), 150);
    EXPECT_EQ(recordOfText("998001"), 999);
    EXPECT_EQ(recordOfText("1e+06"), 1000);
    EXPECT_EQ(recordOfText("  1.002e+06"), 1000);
    EXPECT_EQ(recordOfText("5.49902e+06"), 2344);
    EXPECT_EQ(recordOfText("1.52399e+08"), 12344);
    EXPECT_EQ(recordOfText("+24.9"), 4);
}

TEST(RecordsFile, TextWithoutANumberKeepsTheLastSquare) {
    EXPECT_EQ(recordOfText("", 22500.0), 150);
    EXPECT_EQ(recordOfText("  \n", 22500.0), 150);
    EXPECT_EQ(recordOfText("record", 22500.0), 150);
    EXPECT_EQ(recordOfText("nan", 22500.0), 150);
}

TEST(RecordsFile, ANegativeOrUnusableSquareGivesNoRecord) {
    EXPECT_EQ(recordOfText("-22500"), 0);
    EXPECT_EQ(recordOfText("1e999", 22500.0), 0);   // a number, but beyond a double
    EXPECT_EQ(recordOfText("1e-999", 22500.0), 0);  // too small: taken as zero
    EXPECT_EQ(recordOfText("1e300"), 0);            // a root beyond 32 bits
    EXPECT_EQ(recordFromSquare(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(recordFromSquare(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(recordFromSquare(-0.0), 0);
}

TEST(RecordsFile, EveryScoreComesBackExactly) {
    EXPECT_EQ(recordSquareText(150), "22500");
    EXPECT_EQ(recordSquareText(1001), "1002001");
    EXPECT_EQ(recordSquareText(600000), "360000000000");
    for (int32_t score : {0, 1, 150, 999, 1000, 1001, 2345, 12345, 600000, 67108865, INT32_MAX}) {
        EXPECT_EQ(recordOfText(recordSquareText(score)), score) << score;
    }
    // A sweep over the scores a level can really give, and around each
    // power of ten where the old six-digit form started to round.
    for (int32_t score = 0; score < 200000; ++score) {
        ASSERT_EQ(recordOfText(recordSquareText(score)), score);
    }
}

using menu_fixture::StartedGame;

TEST(RecordsFile, WriteReplacesTheFileAndLoadRecordsReadsItBack) {
    StartedGame started;
    writeFile("Save/records-1.rcd", "9.99999e+11 and a much longer old content");
    ASSERT_TRUE(writeRecordFile(1, 12345));
    EXPECT_EQ(readFile("Save/records-1.rcd"), "152399025");
    EXPECT_EQ(fs::directory_iterator("Save")->path().filename(), "records-1.rcd");
    writeFile("Save/records-0.rcd", "0");
    started.game.loadRecords();
    EXPECT_EQ(started.game.records[1], 12345);
}

TEST(RecordsFile, AFailedWriteLeavesTheOldFile) {
    TempDir dir;
    EXPECT_FALSE(writeRecordFile(0, 500));  // no Save folder
    EXPECT_FALSE(fs::exists("Save"));

    // Save is a plain file: nothing can be written under it.
    writeFile("Save", "not a folder");
    EXPECT_FALSE(writeRecordFile(0, 500));
    EXPECT_EQ(readFile("Save"), "not a folder");
}

namespace {

// Makes a folder take no new file while it lives: immutable where that is
// allowed (as root), else without write permission (which binds only the
// others).
class FolderTakingNoNewFile {
  public:
    explicit FolderTakingNoNewFile(const std::string& path)
        : path_(path), fd_(::open(path.c_str(), O_RDONLY | O_DIRECTORY)) {
        int flags = 0;
        if (fd_ >= 0 && ::ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            immutable_ = ::ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (!immutable_) {
            ::chmod(path.c_str(), 0555);
        }
    }
    ~FolderTakingNoNewFile() {
        int flags = 0;
        if (immutable_ && ::ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd_, FS_IOC_SETFLAGS, &flags);
        }
        ::chmod(path_.c_str(), 0755);
        ::close(fd_);
    }
    bool holds() const {
        const std::string probe = path_ + "/probe";
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.c_str());
        }
        return fd < 0;
    }

  private:
    std::string path_;
    int fd_;
    bool immutable_ = false;
};

}  // namespace

TEST(RecordsFile, ANewRecordReachesItsFileInASaveFolderThatTakesNoNewFile) {
    StartedGame started;
    writeFile("Save/records-0.rcd", "22500");
    writeFile("Save/records-1.rcd", "1.52399e+08");
    // Left by a crash: no reason to refuse the record a rewrite in place.
    writeFile("Save/records-0.rcd.tmp", "2");
    {
        FolderTakingNoNewFile locked("Save");
        if (!locked.holds()) {
            GTEST_SKIP() << "no way here to make a folder refuse new files";
        }
        EXPECT_TRUE(writeRecordFile(0, 500));
        EXPECT_TRUE(writeRecordFile(1, 7));     // shorter than the old text
        EXPECT_FALSE(writeRecordFile(2, 500));  // no file to rewrite
    }
    EXPECT_EQ(readFile("Save/records-0.rcd"), "250000");
    EXPECT_EQ(readFile("Save/records-1.rcd"), "49");
    EXPECT_EQ(std::distance(fs::directory_iterator("Save"), fs::directory_iterator()), 3);
    // Where the folder takes new files again, the crash-safe way is back: a
    // new file replaces the old one.
    struct stat before {};
    ::stat("Save/records-0.rcd", &before);
    EXPECT_TRUE(writeRecordFile(0, 600));
    struct stat after {};
    ::stat("Save/records-0.rcd", &after);
    EXPECT_NE(before.st_ino, after.st_ino);
}

TEST(LoadRecords, ReadsThePlayableLevelsThenOpensTheTitleMenu) {
    StartedGame started;
    Game& game = started.game;
    writeFile("Save/records-0.rcd", "22500");
    writeFile("Save/records-1.rcd", "");
    writeFile("Save/records-2.rcd", "998001");  // not a playable level
    game.nextScreen = Screen::LoadStory;
    const std::string out = captureStdout([&] { game.loadRecords(); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(game.records[0], 150);
    EXPECT_EQ(game.records[1], 0);  // no number: no record, not level 0's
    EXPECT_EQ(game.records[2], 0);
    EXPECT_EQ(game.nextScreen, Screen::TitleMenu);
}

TEST(LoadRecords, NamesTheOneFixedFileWhenOneIsMissing) {
    StartedGame started;
    Game& game = started.game;
    writeFile("Save/records-0.rcd", "-4");
    game.records[1] = 77;
    const std::string out = captureStdout([&] { game.loadRecords(); });
    EXPECT_EQ(out, "\n\nImpossible d'ouvrir le fichier Save/records.rcd !! 404 Not found !\n\n");
    EXPECT_EQ(game.records[0], 0);
    EXPECT_EQ(game.records[1], 77);
    EXPECT_EQ(game.nextScreen, Screen::TitleMenu);
}

TEST(LoadRecords, ReadsOnlyTheTenSlotsOfManyLevels) {
    StartedGame started;
    Game& game = started.game;
    game.levelCount = 12;
    for (int i = 0; i < 10; ++i) {
        writeFile(recordsFileName(i), std::to_string((i + 1) * (i + 1) * 10000));
    }
    // Files 10 and 11 are absent: they must not even be looked for.
    const std::string out = captureStdout([&] { game.loadRecords(); });
    EXPECT_EQ(out, "");
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(game.records[i], (i + 1) * 100) << i;
    }
}

TEST(LoadRecords, ReadsNothingWithoutPlayableLevels) {
    StartedGame started;
    Game& game = started.game;
    for (int32_t count : {0, -5}) {
        game.levelCount = count;
        const std::string out = captureStdout([&] { game.loadRecords(); });
        EXPECT_EQ(out, "") << count;
        EXPECT_EQ(game.nextScreen, Screen::TitleMenu);
    }
}
