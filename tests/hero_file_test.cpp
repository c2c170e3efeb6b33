#include "actors/hero_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

TEST(HeroFile, NothingKnownGivesNothing) {
    for (const char* text : {"", "\n\n", "nom bob\nimage run 3 x\n", "   \t\r\n"}) {
        const HeroFileData data = parseHeroText(text);
        EXPECT_EQ(data.heroName, "") << text;
        EXPECT_EQ(data.cursorFile, "") << text;
        EXPECT_TRUE(data.frameFiles.empty()) << text;
    }
}

TEST(HeroFile, FrameNamesGetAZeroThenTheNumberWithoutPadding) {
    const HeroFileData data = parseHeroText("img run 12 Player/run\n");
    ASSERT_EQ(data.frameFiles.size(), 12u);
    EXPECT_EQ(data.frameFiles[0], "Player/run01.png");
    EXPECT_EQ(data.frameFiles[8], "Player/run09.png");
    EXPECT_EQ(data.frameFiles[9], "Player/run010.png");
    EXPECT_EQ(data.frameFiles[10], "Player/run011.png");
    EXPECT_EQ(data.frameFiles[11], "Player/run012.png");
}

TEST(HeroFile, LinesNotKindsDecideTheIndices) {
    const HeroFileData data = parseHeroText(
        "img jump 1 air\n"
        "img run 0 nothing\n"
        "img stand 4 run extra words here\n"
        "img run 1 last\n");
    EXPECT_EQ(data.frameFiles, (Names{"air01.png", "run01.png", "run02.png", "run03.png",
                                      "run04.png", "last01.png"}));
}

TEST(HeroFile, KeywordsAreCaseSensitiveAndOtherKindsIgnored) {
    const HeroFileData data = parseHeroText(
        "Name Bob\nIMG run 2 a\nimg Run 2 b\nimg walk 2 c\nimg curseurs x.png\nimg CURSEUR "
        "y.png\n");
    EXPECT_EQ(data.heroName, "");
    EXPECT_EQ(data.cursorFile, "");
    EXPECT_TRUE(data.frameFiles.empty());
}

TEST(HeroFile, LaterLinesReplaceAndWordsAreTakenAsTheyAre) {
    const HeroFileData data = parseHeroText(
        "name first\r\n"
        "\t  img curseur Player/arrow.bmp\r\n"
        "  name  second  third\r\n"
        "img curseur Player/Pointer\r\n"
        "img run 2 Player/h\r\n");
    EXPECT_EQ(data.heroName, "second");
    EXPECT_EQ(data.cursorFile, "Player/Pointer");  // no suffix added
    EXPECT_EQ(data.frameFiles, (Names{"Player/h01.png", "Player/h02.png"}));
}

TEST(HeroFile, DirectivesMissingAWordOrWithABadCountAreIgnored) {
    const HeroFileData data = parseHeroText(
        "name keep\n"
        "name\n"
        "img curseur keep.png\n"
        "img curseur\n"
        "img\n"
        "img run\n"
        "img run 3\n"
        "img run abc base\n"
        "img run -1 base\n"
        "img run 3x base\n"
        "img run 99999999999 base\n"
        "img stand 1 good\n");
    EXPECT_EQ(data.heroName, "keep");
    EXPECT_EQ(data.cursorFile, "keep.png");
    EXPECT_EQ(data.frameFiles, (Names{"good01.png"}));
}

TEST(HeroFile, NamesStopAtTheTableSize) {
    // A count near the 32-bit limit must neither loop for ever nor overflow.
    const HeroFileData huge = parseHeroText("img run 2147483647 f\nname after\n");
    ASSERT_EQ(huge.frameFiles.size(), static_cast<std::size_t>(MaxHeroFrameNames));
    EXPECT_EQ(huge.frameFiles.back(), "f01000.png");
    EXPECT_EQ(huge.heroName, "after");

    const HeroFileData split = parseHeroText("img run 600 a\nimg jump 600 b\nimg run 5 c\n");
    ASSERT_EQ(split.frameFiles.size(), static_cast<std::size_t>(MaxHeroFrameNames));
    EXPECT_EQ(split.frameFiles[599], "a0600.png");
    EXPECT_EQ(split.frameFiles[600], "b01.png");
    EXPECT_EQ(split.frameFiles.back(), "b0400.png");
}

}  // namespace
