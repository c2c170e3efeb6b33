#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

// One board's order kept in memory: each entry a (score, run), higher scores
// first and, at equal scores, the lower run (the earlier one) first. A rank,
// a board's size and the entry at a rank each take a few microseconds
// whatever the board's size, where a database counts the entries ahead one by
// one. Not thread-safe: BoardCache guards it.
class BoardIndex {
  public:
    // Every score a run can make: a frame gives at most +51 (a point and a
    // bonus) and at least -99, over at most the replay format's 20,000 frames.
    static constexpr int32_t MinScore = -(int32_t{1} << 21);
    static constexpr int32_t MaxScore = (int32_t{1} << 21) - 1;

    static bool holds(int32_t score) { return score >= MinScore && score <= MaxScore; }

    // Both do nothing when the entry is already there (or not there), so a
    // change seen twice changes the board once. A score out of range is
    // never held.
    void insert(int32_t score, int64_t run);
    void erase(int32_t score, int64_t run);
    bool contains(int32_t score, int64_t run) const;

    int64_t size() const { return total; }
    // 1 + the entries ahead of (score, run), whether it is on the board or not.
    int64_t rankOf(int32_t score, int64_t run) const;
    // The entry at `rank` (1 for the first); false past the board's end.
    bool entryAt(int64_t rank, int32_t& score, int64_t& run) const;

  private:
    static constexpr int SlotBits = 10;
    static constexpr int32_t Slots = int32_t{1} << SlotBits;
    static constexpr int32_t Buckets = (MaxScore - MinScore + 1) >> SlotBits;
    using Counts = std::array<int32_t, Slots>;

    // Position 0 is the highest score.
    static int32_t position(int32_t score) { return MaxScore - score; }
    void addToBucket(int32_t bucket, int64_t delta);
    int64_t aheadOfBucket(int32_t bucket) const;  // entries in the buckets before it

    int64_t total = 0;
    std::vector<int64_t> tree = std::vector<int64_t>(Buckets + 1, 0);  // Fenwick, over buckets
    std::vector<std::unique_ptr<Counts>> counts = std::vector<std::unique_ptr<Counts>>(Buckets);
    std::unordered_map<int32_t, std::vector<int64_t>> runs;  // each score's runs, in order
};
