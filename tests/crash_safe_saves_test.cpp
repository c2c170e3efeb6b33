// A records file rewritten by a process that is killed at any moment holds
// the old record or the new one, never an empty or a partial file: a crash
// must not cost the player a record, or turn it into another number. The
// record run written after it is likewise the old run or the new one whole,
// and an old run left beside a new record is never taken for its run.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "screens/record_store.h"
#include "screens/records.h"
#include "screens/replay_file.h"
#include "screens/replay_loader.h"
#include "test_support.h"
#include "util/atomic_file.h"

namespace {

// A run's text whose length and event lines differ with its score.
ReplayData runOfScore(int32_t score) {
    ReplayData run{0x1234, score, 9000, {}};
    for (int32_t frame = 2 + score % 7; frame < 8000; frame += 40 + score % 3) {
        run.events.push_back({frame, true});
        run.events.push_back({frame + 25, false});
    }
    return run;
}

TEST(CrashSafeSaves, AKilledWriterLeavesWholeFilesAndNoRunForTheWrongRecord) {
    TempDir dir;
    writeFile("Save/keep", "");
    writeFile("Niveaux/test-0.lvl", "");
    const RecordFiles files = recordFilesOf(0);
    constexpr int32_t FirstRecord = 150;
    const ReplayData firstRun = runOfScore(FirstRecord);
    ASSERT_TRUE(saveRecord(0, FirstRecord, &firstRun, files).written);

    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> microseconds(0, 3000);
    constexpr int Kills = 300;
    int32_t lastRecord = FirstRecord;
    int apart = 0;
    for (int kill = 0; kill < Kills; ++kill) {
        // Beats the record over and over, as one level end after another
        // would, until it is killed.
        ASSERT_TRUE(killWriterMidway(
            [&](const std::function<void()>& firstDone) {
                for (int32_t score = lastRecord + 1;; ++score) {
                    const ReplayData run = runOfScore(score);
                    saveRecord(0, score, &run, files);
                    if (score == lastRecord + 1) {
                        firstDone();
                    }
                }
            },
            microseconds(random)));

        // The records file holds the exact square of a record never lower
        // than the last one seen.
        const std::string text = readFile(files.records);
        const int32_t record = recordOnFile(files.records);
        ASSERT_EQ(text, recordSquareText(record)) << "after kill " << kill;
        ASSERT_GE(record, lastRecord) << "after kill " << kill;
        lastRecord = record;
        // The run is a whole one, and the loader keeps it only when it is the
        // record's: a kill between the two writes leaves the last record's.
        ReplayData run;
        std::string reason;
        ASSERT_TRUE(parseReplayText(readFile(files.run), run, reason))
            << "after kill " << kill << ": " << reason;
        ASSERT_EQ(readFile(files.run), replayText(runOfScore(run.score)));
        ASSERT_LE(run.score, record);
        if (run.score != record) {
            ++apart;
            ReplayData loaded;
            const std::string said =
                captureStdout([&] { EXPECT_FALSE(loadReplay(0, "Niveaux/test-0.lvl", loaded)); });
            EXPECT_NE(said.find("est le run du score " + std::to_string(run.score) +
                                ", et non du record " + std::to_string(record)),
                      std::string::npos)
                << said;
        }
    }
    RecordProperty("records_raised", lastRecord - FirstRecord);
    RecordProperty("kills_between_the_two_writes", apart);
    // The kills did land while the files changed.
    EXPECT_GE(lastRecord, FirstRecord + Kills);
}

// Save/ on a small file system of its own, for as long as it lives; a
// file system that can be filled to the last byte.
class SmallSaveFolder {
  public:
    SmallSaveFolder() {
        std::filesystem::create_directory("Save");
        mounted_ = ::mount("tmpfs", "Save", "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallSaveFolder() {
        if (mounted_) {
            ::umount2("Save", MNT_DETACH);
        }
    }
    bool mounted() const { return mounted_; }
    // Fills it up but for `leftBytes`.
    void fill(std::size_t leftBytes) {
        std::filesystem::remove("Save/filler");
        const int fd = ::open("Save/filler", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const std::string block(4096, 'x');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        const off_t size = ::lseek(fd, 0, SEEK_END) / 4096 * 4096;
        const off_t left = static_cast<off_t>(leftBytes);
        (void)!::ftruncate(fd, size > left ? size - left : 0);
        ::close(fd);
    }

  private:
    bool mounted_ = false;
};

// A full disk never costs the record on file its run: a record that cannot
// be written leaves both files; a record written whose run then cannot be
// leaves no run at all rather than the last record's.
TEST(CrashSafeSaves, AFullDiskKeepsTheRecordOnFileWithItsRun) {
    TempDir dir;
    SmallSaveFolder save;
    if (!save.mounted()) {
        GTEST_SKIP() << "cannot mount a small file system here (needs root): " << strerror(errno);
    }
    const RecordFiles files = recordFilesOf(0);
    const ReplayData oldRun = runOfScore(150);
    ASSERT_TRUE(saveRecord(0, 150, &oldRun, files).written);
    const std::string oldRunText = readFile(files.run);

    save.fill(0);
    const ReplayData newRun = runOfScore(500);
    RecordSave saved;
    const std::string said = captureStdout([&] { saved = saveRecord(0, 500, &newRun, files); });
    EXPECT_TRUE(saved.beaten);
    EXPECT_FALSE(saved.written);
    EXPECT_EQ(saved.record, 500);
    EXPECT_NE(said.find("Impossible d'enregistrer le record 500 du niveau 1"), std::string::npos)
        << said;
    EXPECT_EQ(readFile(files.records), "22500");
    EXPECT_EQ(readFile(files.run), oldRunText);

    // Room for the record's few bytes, not for the run's kilobytes.
    save.fill(4096);
    saved = saveRecord(0, 500, &newRun, files);
    EXPECT_TRUE(saved.written);
    EXPECT_EQ(readFile(files.records), "250000");
    EXPECT_FALSE(fileExists(files.run));
    for (const auto& entry : std::filesystem::directory_iterator("Save")) {
        EXPECT_EQ(entry.path().extension() == ".tmp", false) << entry.path() << " left behind";
    }
}

// Two games saving one records file at once (two windows ending a level
// together): every read in between finds one writer's whole text, never an
// empty file or a mix of the two.
TEST(CrashSafeSaves, TwoWritersOfOneFileEachLeaveAWholeFile) {
    TempDir dir;
    const std::string texts[2] = {recordSquareText(150), recordSquareText(99999)};
    writeFile("Save/records-0.rcd", texts[0]);
    constexpr int Rewrites = 400;
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            int failed = 0;
            for (int i = 0; i < Rewrites; ++i) {
                failed += writeFileAtomically("Save/records-0.rcd", texts[w]) ? 0 : 1;
            }
            _exit(failed == 0 ? 0 : 1);
        }
    }
    int reads = 0;
    int mixed = 0;
    std::string seen;
    int statuses[2] = {-1, -1};
    while (statuses[0] == -1 || statuses[1] == -1) {
        const std::string text = readFile("Save/records-0.rcd");
        ++reads;
        if (text != texts[0] && text != texts[1]) {
            ++mixed;
            seen = text;
        }
        for (int w = 0; w < 2; ++w) {
            int status = 0;
            if (statuses[w] == -1 && waitpid(writers[w], &status, WNOHANG) == writers[w]) {
                statuses[w] = status;
            }
        }
    }
    for (int status : statuses) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write failed";
    }
    RecordProperty("reads", reads);
    EXPECT_EQ(mixed, 0) << mixed << " of " << reads << " reads found \"" << seen << "\"";
    const std::string last = readFile("Save/records-0.rcd");
    EXPECT_TRUE(last == texts[0] || last == texts[1]) << last;
    for (const auto& entry : std::filesystem::directory_iterator("Save")) {
        EXPECT_EQ(entry.path().filename(), "records-0.rcd") << "left behind";
    }
}

}  // namespace
