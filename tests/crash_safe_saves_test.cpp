// A records file rewritten by a process that is killed at any moment holds
// the old record or the new one, never an empty or a partial file: a crash
// must not cost the player a record, or turn it into another number. The
// record run written after it is likewise the old run or the new one whole.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>

#include "screens/records.h"
#include "screens/replay_file.h"
#include "test_support.h"

namespace {

TEST(CrashSafeSaves, AKilledWriterLeavesTheOldRecordOrTheNew) {
    TempDir dir;
    // Two records whose squares differ in every digit and in length, so that
    // any mix of the two, or a cut one, is a text of neither.
    constexpr int32_t OldRecord = 150;    // 22500
    constexpr int32_t NewRecord = 99999;  // 9999800001
    writeFile("Save/keep", "");
    ASSERT_TRUE(writeRecordFile(0, OldRecord));
    const std::string oldText = recordSquareText(OldRecord);
    const std::string newText = recordSquareText(NewRecord);
    // Two runs whose texts differ in length and in every event line.
    ReplayData oldRun{0x1234, OldRecord, 300, {{1, false}, {20, true}, {31, false}}};
    ReplayData newRun{0x1234, NewRecord, 9000, {}};
    for (int32_t frame = 2; frame < 8000; frame += 40) {
        newRun.events.push_back({frame, true});
        newRun.events.push_back({frame + 25, false});
    }
    ASSERT_TRUE(writeReplayFile(0, oldRun));
    const std::string oldRunText = replayText(oldRun);
    const std::string newRunText = replayText(newRun);

    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> microseconds(0, 3000);
    constexpr int Kills = 300;
    int sawOld = 0;
    int sawNew = 0;
    for (int kill = 0; kill < Kills; ++kill) {
        int written[2];
        ASSERT_EQ(pipe(written), 0);
        const pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            // Rewrites the record over and over, as one level end after
            // another would, until it is killed; says when the first
            // rewrite is done, so that the kill lands among the others
            // however slow this build or the disk is at the moment.
            for (int i = 0;; ++i) {
                writeRecordFile(0, i % 2 == 0 ? NewRecord : OldRecord);
                writeReplayFile(0, i % 2 == 0 ? newRun : oldRun);
                if (i == 0) {
                    const char done = 1;
                    (void)!write(written[1], &done, 1);
                }
            }
        }
        close(written[1]);
        char done = 0;
        ASSERT_EQ(read(written[0], &done, 1), 1);
        close(written[0]);
        usleep(static_cast<useconds_t>(microseconds(random)));
        ::kill(writer, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string text = readFile("Save/records-0.rcd");
        ASSERT_TRUE(text == oldText || text == newText)
            << "after kill " << kill << " the records file holds \"" << text << "\"";
        (text == oldText ? sawOld : sawNew) += 1;
        double square = 0.0;
        readRecordSquare(text, square);
        const int32_t record = recordFromSquare(square);
        ASSERT_TRUE(record == OldRecord || record == NewRecord);
        const std::string run = readFile(replayFileName(0));
        ASSERT_TRUE(run == oldRunText || run == newRunText)
            << "after kill " << kill << " the record run's file holds " << run.size() << " bytes";
    }
    RecordProperty("old_seen", sawOld);
    RecordProperty("new_seen", sawNew);
    // The kills did land while the file changed, not only before the first
    // write or after the last.
    EXPECT_GT(sawNew, 0);
}

}  // namespace
