#include "screens/story.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/game.h"
#include "menu_fixture.h"
#include "test_support.h"

using Paths = std::vector<std::string>;

TEST(StoryText, MatchesTheExpectedIndexAnywhereInTheKey) {
    EXPECT_EQ(parseStoryText("0 a.lvl\n1 b.lvl\n"), (Paths{"a.lvl", "b.lvl"}));
    for (const char* key : {"0", "level0", "level-0", "10"}) {
        EXPECT_EQ(parseStoryText(std::string(key) + " a.lvl"), Paths{"a.lvl"}) << key;
    }
    for (const char* key : {"1", "level1", "12", "21"}) {
        EXPECT_EQ(parseStoryText("0 a.lvl\n" + std::string(key) + " b.lvl\n"),
                  (Paths{"a.lvl", "b.lvl"}))
            << key;
    }
    EXPECT_EQ(parseStoryText("0 a.lvl\n2 b.lvl\n"), Paths{"a.lvl"});
    // Only containment counts, not the key's value: a first key 1 is skipped.
    EXPECT_TRUE(parseStoryText("1 a.lvl\n").empty());
}

TEST(StoryText, SkippedLinesKeepTheExpectedIndex) {
    EXPECT_EQ(parseStoryText("0 a\n2 skipped\n# comment\n1 b\n2 c"), (Paths{"a", "b", "c"}));
}

TEST(StoryText, ReadsTheLastLineWithoutLineEndAndCrLfLines) {
    EXPECT_EQ(parseStoryText("level0\tNiveaux/a.lvl\r\nlevel1 Niveaux/b.lvl extra words"),
              (Paths{"Niveaux/a.lvl", "Niveaux/b.lvl"}));
    EXPECT_TRUE(parseStoryText("").empty());
}

TEST(StoryText, SkipsAKeyWithoutPathAndLinesWithoutWords) {
    // Read naively, the blank line would reuse the last word, "lvl1.txt",
    // which contains 1, and store it again as level 1.
    EXPECT_EQ(parseStoryText("0 lvl1.txt\n\n   \t\n1 b\n"), (Paths{"lvl1.txt", "b"}));
    EXPECT_EQ(parseStoryText("0\n0 a\n1\r\n1 b"), (Paths{"a", "b"}));
}

TEST(StoryText, KeepsAtMostOneHundredLevels) {
    std::string story;
    for (int i = 0; i < 130; ++i) {
        story += std::to_string(i) + " level-" + std::to_string(i) + ".lvl\n";
    }
    const Paths paths = parseStoryText(story);
    ASSERT_EQ(paths.size(), 100u);
    EXPECT_EQ(paths[99], "level-99.lvl");
}

TEST(SavedGameText, ReadsOneIntegerLikeAStream) {
    int32_t count = 2;
    EXPECT_TRUE(parseSavedGameText("3\n", count));
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(parseSavedGameText(" \n-4 and more", count));
    EXPECT_EQ(count, -4);
    for (const char* bad : {"", "\n", "abc", "2147483648", "-99999999999"}) {
        count = 2;
        EXPECT_FALSE(parseSavedGameText(bad, count)) << bad;
        EXPECT_EQ(count, 2) << bad;
    }
}

TEST(SavedGameText, WritesWhatItReadsBack) {
    EXPECT_EQ(savedGameText(2), "2\n");
    EXPECT_EQ(savedGameText(-7), "-7\n");
    for (int32_t value : {0, 1, 10, -1, INT32_MAX, INT32_MIN}) {
        int32_t read = 12345;
        EXPECT_TRUE(parseSavedGameText(savedGameText(value), read));
        EXPECT_EQ(read, value);
    }
}

// A release with more levels raises the player's count, and only that.
TEST(SavedGameText, TakesTheShippedCountWhenItIsHigher) {
    struct Case {
        const char* kept;
        const char* shipped;
        const char* raised;  // nullptr: the player's file stays
    };
    const Case cases[] = {
        {"3\n", "10\n", "10\n"},      {"3", " 10 levels", "10\n"}, {"10\n", "10\n", nullptr},
        {"12\n", "10\n", nullptr},    {"-1\n", "10\n", "10\n"},    {"", "10\n", "10\n"},
        {"abc", "2\n", nullptr},      {"3\n", "", nullptr},        {"3\n", "x10", nullptr},
        {"9999999999", "10", "10\n"},  // read by the game as no number: 2 levels
    };
    for (const Case& c : cases) {
        std::string raised = "untouched";
        EXPECT_EQ(raisedSavedGameText(c.kept, c.shipped, raised), c.raised != nullptr) << c.kept;
        EXPECT_EQ(raised, c.raised != nullptr ? c.raised : "untouched") << c.kept;
    }
}

using menu_fixture::StartedGame;

TEST(LoadStory, EndsWithTheMessageWhenTheStoryIsMissing) {
    StartedGame started;
    writeFile("Save/save.sv", "3\n");
    const std::string out = captureStdout([&] { started.game.loadStory(); });
    EXPECT_EQ(out, "\n\nImpossible d'ouvrir le fichier Story/game.story !! 404 Not found !\n\n");
    EXPECT_EQ(started.game.nextScreen, Screen::End);
    EXPECT_EQ(started.game.levelCount, 2);
}

TEST(LoadStory, EndsQuietlyWithoutTheSavedGame) {
    StartedGame started;
    writeFile("Story/game.story", "0 a.lvl\n1 b.lvl");
    const std::string out = captureStdout([&] { started.game.loadStory(); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(started.game.nextScreen, Screen::End);
    EXPECT_EQ(started.game.levelFiles[0], "a.lvl");
}

TEST(LoadStory, FillsTheLevelFilesAndCountThenReadsRecords) {
    StartedGame started;
    std::string story = "# the levels\n";
    for (int i = 0; i < 120; ++i) {
        story += "niveau" + std::to_string(i) + " Niveaux/" + std::to_string(i) + ".lvl\r\n";
    }
    writeFile("Story/game.story", story);
    writeFile("Save/save.sv", "3\n");
    const std::string out = captureStdout([&] { started.game.loadStory(); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(started.game.nextScreen, Screen::LoadRecords);
    EXPECT_EQ(started.game.levelCount, 3);
    EXPECT_EQ(started.game.levelFiles[0], "Niveaux/0.lvl");
    EXPECT_EQ(started.game.levelFiles[99], "Niveaux/99.lvl");
}

TEST(LoadStory, KeepsTheCountOfAnUnreadableSavedGame) {
    for (const char* saved : {"", "trois", "4294967296"}) {
        StartedGame started;
        writeFile("Story/game.story", "0 a.lvl\n");
        writeFile("Save/save.sv", saved);
        started.game.loadStory();
        EXPECT_EQ(started.game.nextScreen, Screen::LoadRecords) << saved;
        EXPECT_EQ(started.game.levelCount, 2) << saved;
    }
}
