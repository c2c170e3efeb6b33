#include "util/keyword_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"
#include "util/atomic_file.h"

static std::vector<std::string> words(std::string_view line) {
    std::vector<std::string> out;
    text::WordReader reader(line);
    std::string_view word;
    while (reader.next(word)) {
        out.emplace_back(word);
    }
    return out;
}

TEST(KeywordText, SplitsLinesAtLineFeedsAndWordsAtAnyWhiteSpace) {
    text::LineReader lines("img 1 a.png\r\n\n\tlimite  12 \r\nlast");
    std::string_view line;
    std::vector<std::vector<std::string>> seen;
    while (lines.next(line)) {
        seen.push_back(words(line));
    }
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], (std::vector<std::string>{"img", "1", "a.png"}));
    EXPECT_TRUE(seen[1].empty());
    EXPECT_EQ(seen[2], (std::vector<std::string>{"limite", "12"}));
    EXPECT_EQ(seen[3], (std::vector<std::string>{"last"}));
}

TEST(KeywordText, ReadsIntegersLikeAStreamExtraction) {
    int32_t value = 7;
    std::size_t used = 0;
    EXPECT_TRUE(text::parseInt32("  -42abc", value, &used));
    EXPECT_EQ(value, -42);
    EXPECT_EQ(used, 5u);
    EXPECT_TRUE(text::parseInt32("+3", value));
    EXPECT_EQ(value, 3);
    EXPECT_TRUE(text::parseInt32("2147483647", value));
    EXPECT_EQ(value, 2147483647);
    EXPECT_TRUE(text::parseInt32("-2147483648", value));
    EXPECT_EQ(value, INT32_MIN);
    value = 7;
    for (const char* bad :
         {"", "abc", "-", "+-1", "2147483648", "-2147483649", "99999999999999999999999"}) {
        EXPECT_FALSE(text::parseInt32(bad, value)) << bad;
        EXPECT_EQ(value, 7) << bad;
    }
}

TEST(KeywordText, ReadsDoublesLikeAStreamExtraction) {
    double value = -1.0;
    EXPECT_TRUE(text::parseDouble(" 22500", value));
    EXPECT_EQ(value, 22500.0);
    EXPECT_TRUE(text::parseDouble("1.002e+06", value));
    EXPECT_EQ(value, 1002000.0);
    EXPECT_TRUE(text::parseDouble("+2.5x", value));
    EXPECT_EQ(value, 2.5);
    value = -1.0;
    for (const char* bad : {"", "x", "inf", "nan", "-inf", "1e999"}) {
        EXPECT_FALSE(text::parseDouble(bad, value)) << bad;
        EXPECT_EQ(value, -1.0) << bad;
    }
}

TEST(AtomicFile, ReplacesTheWholeFileAndLeavesNoTemporary) {
    TempDir dir;
    writeFile("Save/x.rcd", "old contents that are longer");
    ASSERT_TRUE(writeFileAtomically("Save/x.rcd", "new"));
    EXPECT_EQ(readFile("Save/x.rcd"), "new");
    EXPECT_FALSE(fileExists("Save/x.rcd.tmp"));
}

// A player's records file or saved game that is a link (to a synced
// folder, say) stays a link, and the file it names gets the new text.
TEST(AtomicFile, WritesThroughALinkAndKeepsIt) {
    TempDir dir;
    writeFile("Elsewhere/records-0.rcd", "22500");
    writeFile("Save/keep", "");
    std::filesystem::create_symlink("../Elsewhere/records-0.rcd", "Save/records-0.rcd");
    std::filesystem::create_symlink("../Elsewhere/none", "Save/save.sv");  // names no file yet
    ASSERT_TRUE(writeFileAtomically("Save/records-0.rcd", "62500"));
    ASSERT_TRUE(writeFileAtomically("Save/save.sv", "10\n"));
    EXPECT_TRUE(std::filesystem::is_symlink("Save/records-0.rcd"));
    EXPECT_TRUE(std::filesystem::is_symlink("Save/save.sv"));
    EXPECT_EQ(readFile("Elsewhere/records-0.rcd"), "62500");
    EXPECT_EQ(readFile("Save/save.sv"), "10\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("Elsewhere"),
                            std::filesystem::directory_iterator()),
              2);
}

TEST(AtomicFile, KeepsTheOldFileWhenTheFolderIsMissing) {
    TempDir dir;
    EXPECT_FALSE(writeFileAtomically("NoSuchFolder/x.rcd", "new"));
    EXPECT_FALSE(fileExists("NoSuchFolder"));
}

TEST(AtomicFile, KeepsTheOldFileWhenTheTargetIsAFolder) {
    TempDir dir;
    writeFile("Save/records-0.rcd/inside", "x");
    EXPECT_FALSE(writeFileAtomically("Save/records-0.rcd", "new"));
    EXPECT_EQ(readFile("Save/records-0.rcd/inside"), "x");
    EXPECT_FALSE(fileExists("Save/records-0.rcd.tmp"));
}

TEST(KeywordText, AFolderIsNoFile) {
    TempDir dir;
    writeFile("Player/hero.hr/inside", "x");
    std::string contents = "untouched";
    EXPECT_FALSE(text::readWholeFile("Player/hero.hr", contents, text::MaxDataFileBytes));
    EXPECT_FALSE(text::readWholeFile("Player/missing.hr", contents, text::MaxDataFileBytes));
    EXPECT_TRUE(text::readWholeFile("Player/hero.hr/inside", contents, text::MaxDataFileBytes));
    EXPECT_EQ(contents, "x");
}

TEST(KeywordText, AFileLongerThanItsLimitIsNoFile) {
    TempDir dir;
    writeFile("limit", std::string(1000, 'x'));
    writeFile("longer", std::string(1001, 'x'));
    std::string contents = "untouched";
    EXPECT_FALSE(text::readWholeFile("longer", contents, 1000));
    EXPECT_EQ(contents, "untouched");
    EXPECT_TRUE(text::readWholeFile("limit", contents, 1000));
    EXPECT_EQ(contents.size(), 1000u);
    // A huge file (sparse: it takes no room) is not even read.
    writeFile("huge", "");
    std::filesystem::resize_file("huge", std::uintmax_t{5} << 30);
    EXPECT_FALSE(text::readWholeFile("huge", contents, text::MaxDataFileBytes));
    // Endless sources, of which only the limit is read.
    EXPECT_FALSE(text::readWholeFile("/dev/zero", contents, text::MaxDataFileBytes));
    FILE* endless = popen("exec yes", "r");
    ASSERT_NE(endless, nullptr);
    const std::string pipe = "/proc/self/fd/" + std::to_string(fileno(endless));
    EXPECT_FALSE(text::readWholeFile(pipe, contents, text::MaxDataFileBytes));
    pclose(endless);
    EXPECT_EQ(contents.size(), 1000u);
}
