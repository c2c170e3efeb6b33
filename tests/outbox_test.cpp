// The runs waiting for the world board: one a level, kept across a restart,
// settled by the server's answer, and read as far as a damaged file is sound.

#include <gtest/gtest.h>

#include <string>

#include "net/outbox.h"
#include "screens/replay_file.h"
#include "test_support.h"
#include "util/regular_file.h"

namespace {

std::string run(int32_t score) {
    ReplayData replay;
    replay.levelFingerprint = 0x8c3f0a9e12d4b765;
    replay.score = score;
    replay.frames = 300;
    replay.events = {{10, true}, {19, false}};
    return replayText(replay);
}

PendingRun pending(int32_t level, int32_t score, const std::string& ticket = "") {
    PendingRun made;
    made.level = level;
    made.replay = run(score);
    made.ticket = ticket;
    return made;
}

TEST(Outbox, ANewerRecordReplacesTheLevelsWaitingRun) {
    Outbox outbox;
    EXPECT_TRUE(queueRun(outbox, pending(1, 100)));
    EXPECT_TRUE(queueRun(outbox, pending(2, 50, "2.17.ab.cd")));
    EXPECT_TRUE(queueRun(outbox, pending(1, 120)));
    ASSERT_EQ(outbox.runs.size(), 2u);
    EXPECT_EQ(outbox.runs[0].replay, run(120));
    // Nothing unsound gets in.
    PendingRun broken = pending(3, 10);
    broken.replay = "version 1\nscore 5\n";
    EXPECT_FALSE(queueRun(outbox, broken));
    EXPECT_FALSE(queueRun(outbox, pending(4, 10, "a ticket")));
    EXPECT_FALSE(queueRun(outbox, pending(-1, 10)));
    EXPECT_EQ(outbox.runs.size(), 2u);
}

TEST(Outbox, TheServersAnswerSettlesARun) {
    const struct {
        int32_t status;
        SendOutcome outcome;
    } statuses[] = {
        {200, SendOutcome::Accepted}, {400, SendOutcome::Refused}, {401, SendOutcome::Later},
        {404, SendOutcome::Refused},  {409, SendOutcome::Refused}, {413, SendOutcome::Refused},
        {422, SendOutcome::Refused},  {0, SendOutcome::Later},     {429, SendOutcome::Later},
        {500, SendOutcome::Later},    {503, SendOutcome::Later},   {201, SendOutcome::Later},
        {302, SendOutcome::Later}};
    for (const auto& s : statuses) {
        EXPECT_EQ(sendOutcomeOf(s.status), s.outcome) << s.status;
    }

    Outbox outbox;
    queueRun(outbox, pending(1, 100));
    const int64_t now = 1800000000000;
    EXPECT_EQ(dueRun(outbox, now), &outbox.runs[0]);
    // Back-off: 5 s, 10 s, 20 s ... up to 10 min; Retry-After when longer.
    int64_t waited = 0;
    for (const int64_t expected :
         {5000, 10000, 20000, 40000, 80000, 160000, 320000, 600000, 600000}) {
        settleRun(outbox, 1, run(100), SendOutcome::Later, now + waited);
        EXPECT_EQ(outbox.runs[0].nextTryMs - (now + waited), expected);
        EXPECT_EQ(dueRun(outbox, now + waited + expected - 1), nullptr);
        waited += expected;
    }
    settleRun(outbox, 1, run(100), SendOutcome::Later, now, 3600000);
    EXPECT_EQ(outbox.runs[0].nextTryMs, now + 3600000);
    // A try put off for years (a clock set back) is due now.
    outbox.runs[0].nextTryMs = now + LongestWaitMs + 1;
    EXPECT_EQ(dueRun(outbox, now), &outbox.runs[0]);
    // A run replaced while it was on its way stays as the newer one.
    queueRun(outbox, pending(1, 130));
    EXPECT_FALSE(settleRun(outbox, 1, run(100), SendOutcome::Accepted, now));
    ASSERT_EQ(outbox.runs.size(), 1u);
    EXPECT_TRUE(settleRun(outbox, 1, run(130), SendOutcome::Refused, now));
    EXPECT_TRUE(outbox.runs.empty());
}

TEST(Outbox, AFileIsReadAsFarAsItIsSound) {
    Outbox outbox;
    queueRun(outbox, pending(3, 100, "3.17.ab.cd"));
    queueRun(outbox, pending(5, 90));
    outbox.runs[1].tries = 4;
    outbox.runs[1].nextTryMs = 1800000000123;
    const std::string text = outboxText(outbox);
    const Outbox read = parseOutboxText(text);
    ASSERT_EQ(read.runs.size(), 2u);
    EXPECT_EQ(read.runs[0].ticket, "3.17.ab.cd");
    EXPECT_EQ(read.runs[1].tries, 4);
    EXPECT_EQ(read.runs[1].nextTryMs, 1800000000123);
    EXPECT_EQ(outboxText(read), text);

    const std::size_t second = text.find("envoi 5");
    const struct {
        const char* what;
        std::string text;
        std::size_t runs;
    } damaged[] = {
        {"cut in the second run", text.substr(0, second + 40), 1},
        {"cut in the first run", text.substr(0, 40), 0},
        {"a line count past the end", "envoi 1\nessais 0\nprochain 0\ncourse 9999\nversion 1\n", 0},
        {"a replay that does not parse", "envoi 1\nessais 0\nprochain 0\ncourse 1\nversion 1\n", 0},
        {"a negative level", "envoi -1\nessais 0\nprochain 0\ncourse 1\nx\n", 0},
        {"garbage after the first", text.substr(0, second) + "\xff\xfe\x00 rien\n", 1},
        {"a bad ticket", "envoi 1\nessais 0\nprochain 0\nticket a\"b\ncourse 1\nx\n", 0},
        {"empty", "", 0},
        {"no line feeds", std::string(100000, 'e'), 0},
    };
    for (const auto& d : damaged) {
        EXPECT_EQ(parseOutboxText(d.text).runs.size(), d.runs) << d.what;
    }
}

TEST(Outbox, TheFileOutlivesTheGameAndLeavesWhenEmpty) {
    TempDir dir;
    Outbox outbox;
    queueRun(outbox, pending(2, 70));
    ASSERT_TRUE(writeOutbox(outbox, "envois.txt"));
    EXPECT_EQ(readOutbox("envois.txt").runs.size(), 1u);
    outbox.runs.clear();
    ASSERT_TRUE(writeOutbox(outbox, "envois.txt"));
    EXPECT_FALSE(isRegularFile("envois.txt"));
    EXPECT_TRUE(readOutbox("envois.txt").runs.empty());
}

}  // namespace
