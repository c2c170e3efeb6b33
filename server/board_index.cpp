#include "board_index.h"

#include <algorithm>

#include "screens/replay_file.h"

static_assert(int64_t{MaxReplayFrames} * 51 <= BoardIndex::MaxScore &&
                  int64_t{MaxReplayFrames} * -99 >= BoardIndex::MinScore,
              "every score a replay can make has its place on a board");

void BoardIndex::addToBucket(int32_t bucket, int64_t delta) {
    for (int32_t at = bucket + 1; at <= Buckets; at += at & -at) {
        tree[at] += delta;
    }
}

int64_t BoardIndex::aheadOfBucket(int32_t bucket) const {
    int64_t sum = 0;
    for (int32_t at = bucket; at > 0; at -= at & -at) {
        sum += tree[at];
    }
    return sum;
}

bool BoardIndex::contains(int32_t score, int64_t run) const {
    const auto found = runs.find(score);
    return found != runs.end() &&
           std::binary_search(found->second.begin(), found->second.end(), run);
}

void BoardIndex::insert(int32_t score, int64_t run) {
    if (!holds(score)) {
        return;
    }
    std::vector<int64_t>& list = runs[score];
    const auto at = std::lower_bound(list.begin(), list.end(), run);
    if (at != list.end() && *at == run) {
        return;
    }
    list.insert(at, run);
    const int32_t place = position(score);
    std::unique_ptr<Counts>& bucket = counts[place >> SlotBits];
    if (!bucket) {
        bucket = std::make_unique<Counts>();
        bucket->fill(0);
    }
    ++(*bucket)[place & (Slots - 1)];
    addToBucket(place >> SlotBits, 1);
    ++total;
}

void BoardIndex::erase(int32_t score, int64_t run) {
    const auto found = runs.find(score);
    if (found == runs.end()) {
        return;
    }
    std::vector<int64_t>& list = found->second;
    const auto at = std::lower_bound(list.begin(), list.end(), run);
    if (at == list.end() || *at != run) {
        return;
    }
    list.erase(at);
    if (list.empty()) {
        runs.erase(found);
    }
    const int32_t place = position(score);
    --(*counts[place >> SlotBits])[place & (Slots - 1)];
    addToBucket(place >> SlotBits, -1);
    --total;
}

int64_t BoardIndex::rankOf(int32_t score, int64_t run) const {
    if (score > MaxScore) {
        return 1;
    }
    if (score < MinScore) {
        return total + 1;
    }
    const int32_t place = position(score);
    const int32_t bucket = place >> SlotBits;
    int64_t ahead = aheadOfBucket(bucket);
    if (counts[bucket]) {
        const Counts& slots = *counts[bucket];
        for (int32_t slot = 0; slot < (place & (Slots - 1)); ++slot) {
            ahead += slots[slot];
        }
    }
    const auto found = runs.find(score);
    if (found != runs.end()) {
        ahead += std::lower_bound(found->second.begin(), found->second.end(), run) -
                 found->second.begin();
    }
    return ahead + 1;
}

bool BoardIndex::entryAt(int64_t rank, int32_t& score, int64_t& run) const {
    if (rank < 1 || rank > total) {
        return false;
    }
    // Down the Fenwick tree to the bucket that holds the entry.
    int32_t bucket = 0;
    int64_t left = rank;
    static_assert((Buckets & (Buckets - 1)) == 0, "the descent starts at the largest step");
    for (int32_t step = Buckets; step > 0; step >>= 1) {
        const int32_t next = bucket + step;
        if (next <= Buckets && tree[next] < left) {
            bucket = next;
            left -= tree[next];
        }
    }
    const Counts& slots = *counts[bucket];
    int32_t slot = 0;
    while (slots[slot] < left) {
        left -= slots[slot];
        ++slot;
    }
    score = MaxScore - ((bucket << SlotBits) + slot);
    const auto found = runs.find(score);
    if (found == runs.end() || left > static_cast<int64_t>(found->second.size())) {
        return false;  // cannot be: the counts and the runs change together
    }
    run = found->second[left - 1];
    return true;
}
