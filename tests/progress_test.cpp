// How far the player got on each level: the attempts and the best share,
// kept in "Save/progres.txt" between runs, whatever happens to the writer.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "screens/progress.h"
#include "test_support.h"
#include "world/level_extent.h"

namespace {

TEST(Progress, ReadsItsLinesAndPassesOverDamagedOnes) {
    const struct {
        std::string text;
        int32_t level, attempts, best;
    } cases[] = {
        {"niveau 0 essais 12 meilleur 72\n", 0, 12, 72},
        {"# mine\r\nniveau 9 essais 1 meilleur 100\r\n", 9, 1, 100},
        {"niveau 3 essais 2 meilleur 40\nniveau 3 essais 5 meilleur 41\n", 3, 5, 41},
        {"niveau 10 essais 4 meilleur 50\n", 9, 0, 0},
        {"niveau 2 essais 4 meilleur 101\n", 2, 0, 0},
        {"niveau 2 essais -1 meilleur 10\n", 2, 0, 0},
        {"niveau 2 essais 4x meilleur 10\n", 2, 0, 0},
        {"niveau 2 essais 4 meilleur 10 encore\n", 2, 0, 0},
        {"niveau 2 meilleur 10 essais 4\n", 2, 0, 0},
        {"niveau 2 essais 99999999999 meilleur 10\n", 2, 0, 0},
        {std::string("niveau 1 essais 3 meilleur 9\0\xff", 30), 1, 0, 0},
    };
    for (const auto& c : cases) {
        const ProgressData progress = parseProgressText(c.text);
        EXPECT_EQ(progress[c.level].attempts, c.attempts) << c.text;
        EXPECT_EQ(progress[c.level].bestPercent, c.best) << c.text;
    }
    ProgressData progress{};
    progress[4] = {7, 63};
    EXPECT_EQ(progressText(progress), "niveau 4 essais 7 meilleur 63\n");
    EXPECT_EQ(parseProgressText(progressText(progress))[4].attempts, 7);
}

TEST(Progress, AShareIsFlooredAndOnlyAFinishedRunIsWhole) {
    EXPECT_EQ(progressPercent(0, 1000), 0);
    EXPECT_EQ(progressPercent(720, 1000), 71);
    EXPECT_EQ(progressPercent(1000, 1000), 99);
    EXPECT_EQ(progressPercent(1001, 1000), 100);
    EXPECT_EQ(progressPercent(-5, 1000), 0);
    EXPECT_EQ(progressPercent(5, 0), 100);
}

// Attempts add up over another window's (which wrote in between), and the
// best share only rises.
TEST(Progress, CountsOnTopOfTheFileAndKeepsTheBest) {
    TempDir dir;
    writeFile("Save/keep", "");
    ProgressData progress{};
    EXPECT_TRUE(countAttempt(1, 60, progress));
    writeFile(ProgressPath, "niveau 1 essais 5 meilleur 80\nniveau 0 essais 2 meilleur 10\n");
    EXPECT_TRUE(countAttempt(1, 70, progress));
    EXPECT_EQ(progress[1].attempts, 6);
    EXPECT_EQ(progress[1].bestPercent, 80);
    EXPECT_EQ(progress[0].attempts, 2);
    EXPECT_EQ(readProgress()[1].attempts, 6);
    EXPECT_FALSE(countAttempt(ProgressLevels, 70, progress));
}

// A writer killed at any moment leaves a file that reads, with no attempt
// lost that was written before the kill.
TEST(Progress, AKilledWriterLosesNoAttempt) {
    TempDir dir;
    writeFile("Save/keep", "");
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> microseconds(0, 2000);
    int32_t attemptsBefore = 0;
    for (int kill = 0; kill < 60; ++kill) {
        ASSERT_TRUE(killWriterMidway(
            [](const std::function<void()>& firstDone) {
                ProgressData progress{};
                for (int i = 0;; ++i) {
                    countAttempt(3, i % 101, progress);
                    if (i == 0) {
                        firstDone();
                    }
                }
            },
            microseconds(random)));
        const int32_t attempts = readProgress()[3].attempts;
        ASSERT_GT(attempts, attemptsBefore)
            << "after kill " << kill << ": " << readFile(ProgressPath);
        attemptsBefore = attempts;
    }
}

}  // namespace
