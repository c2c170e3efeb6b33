#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "board_cache.h"
#include "board_index.h"

namespace {

// The board's order as a sorted set: higher score first, then the earlier run.
struct Key {
    int32_t score;
    int64_t run;
    bool operator<(const Key& other) const {
        return score != other.score ? score > other.score : run < other.run;
    }
};

int64_t slowRank(const std::set<Key>& board, Key key) {
    return 1 + std::distance(board.begin(), board.lower_bound(key));
}

}  // namespace

TEST(BoardIndex, RanksAndFindsEntriesAsASortedListWould) {
    BoardIndex index;
    std::set<Key> board;
    std::mt19937 random(7);
    // Crowded scores (ties), both ends of the range, and the buckets' edges.
    const std::vector<int32_t> scores = {
        BoardIndex::MinScore, BoardIndex::MaxScore, -1, 0, 1, 1023, 1024, 2047, 5000, 5001};
    for (int step = 0; step < 4000; ++step) {
        const int32_t score = random() % 3 == 0 ? scores[random() % scores.size()]
                                                : static_cast<int32_t>(random() % 20000) - 2000;
        const int64_t run = 1 + random() % 3000;
        if (random() % 4 == 0 && !board.empty()) {
            const Key gone = *std::next(board.begin(), random() % board.size());
            index.erase(gone.score, gone.run);
            board.erase(gone);
        } else {
            index.insert(score, run);
            board.insert({score, run});
            if (step % 97 == 0) {
                index.insert(score, run);  // again: nothing changes
            }
        }
    }
    ASSERT_EQ(index.size(), static_cast<int64_t>(board.size()));
    int64_t rank = 1;
    for (const Key& key : board) {
        ASSERT_EQ(index.rankOf(key.score, key.run), rank);
        int32_t score = 0;
        int64_t run = 0;
        ASSERT_TRUE(index.entryAt(rank, score, run));
        ASSERT_EQ(score, key.score);
        ASSERT_EQ(run, key.run);
        ++rank;
    }
    for (const Key probe : {Key{5000, 0}, Key{5000, 99999}, Key{BoardIndex::MaxScore + 1, 1},
                            Key{BoardIndex::MinScore, 0}, Key{-3, 17}}) {
        EXPECT_EQ(index.rankOf(probe.score, probe.run), slowRank(board, probe));
    }
    int32_t score = 0;
    int64_t run = 0;
    EXPECT_FALSE(index.entryAt(0, score, run));
    EXPECT_FALSE(index.entryAt(index.size() + 1, score, run));
    index.insert(BoardIndex::MaxScore + 1, 5);  // no run can make it: never held
    EXPECT_EQ(index.size(), static_cast<int64_t>(board.size()));
}

TEST(BoardCache, FollowsTheLogFromAnyPointAndWaitsForSkippedNumbers) {
    // One player's entry improving twice, another's coming and being
    // deleted: the log of the database, in order.
    const std::vector<BoardChange> log = {{1, "b", 0, 0, 100, 10}, {2, "b", 100, 10, 150, 11},
                                          {3, "b", 0, 0, 120, 12}, {4, "b", 150, 11, 300, 13},
                                          {5, "b", 120, 12, 0, 0}, {6, "other", 0, 0, 50, 14}};
    for (std::size_t from = 0; from < log.size(); ++from) {
        // A board read whole after the change `from`, then the log read
        // again from anywhere before it, as at a server's start.
        BoardCache cache;
        BoardIndex board;
        const std::set<std::pair<int32_t, int64_t>> afterAll = {{300, 13}};
        std::set<std::pair<int32_t, int64_t>> state;
        for (std::size_t i = 0; i <= from; ++i) {
            if (log[i].fingerprint == "b") {
                state.erase({log[i].oldScore, log[i].oldRun});
                if (log[i].newRun != 0) {
                    state.insert({log[i].newScore, log[i].newRun});
                }
            }
        }
        for (const auto& [score, run] : state) {
            board.insert(score, run);
        }
        cache.add("b", std::move(board));
        cache.startAt(0);
        cache.apply(log, 0);
        int64_t total = 0;
        int64_t rank = 0;
        ASSERT_TRUE(cache.size("b", total));
        EXPECT_EQ(total, 1) << "read whole after change " << log[from].id;
        ASSERT_TRUE(cache.rankOf("b", 300, 13, rank));
        EXPECT_EQ(rank, 1);
        EXPECT_FALSE(cache.size("other", total)) << "a board never read stays unread";
    }

    // Number 2 commits after 3: the next read starts before it until it
    // comes or has been waited for long enough.
    BoardCache cache;
    cache.add("b", BoardIndex());
    cache.startAt(0);
    cache.apply({log[0], log[2]}, 1000);
    EXPECT_EQ(cache.readFrom(1000), 1);
    cache.apply({log[1], log[2]}, 1100);
    EXPECT_EQ(cache.readFrom(1100), 3);
    cache.apply({log[4]}, 2000);  // 4 skipped for good (rolled back)
    EXPECT_EQ(cache.readFrom(2000 + BoardCache::GapWaitMs), 3);
    EXPECT_EQ(cache.readFrom(2001 + BoardCache::GapWaitMs), 5);
    int64_t total = 0;
    ASSERT_TRUE(cache.size("b", total));
    EXPECT_EQ(total, 1);  // 11 (150); 12 came and was deleted

    // A first page is kept only while its board has not changed since it was read.
    std::vector<BoardEntry> page(1);
    uint64_t readAt = 0;
    EXPECT_FALSE(cache.firstPage("b", 10, page, readAt));
    cache.apply({log[3]}, 3000);  // a change while the page was being read
    cache.keepFirstPage("b", 10, readAt, page);
    EXPECT_FALSE(cache.firstPage("b", 10, page, readAt));
    cache.keepFirstPage("b", 10, readAt, page);
    EXPECT_TRUE(cache.firstPage("b", 10, page, readAt));
    EXPECT_FALSE(cache.firstPage("b", 5, page, readAt)) << "another limit, another page";
}
