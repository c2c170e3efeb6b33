// A rank and the entry at a rank on a board of a million players, in the
// server's memory: the part of a rank's request that grows with the board.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "board_index.h"

int main() {
    constexpr int64_t Players = 1000000;
    BoardIndex board;
    for (int64_t i = 1; i <= Players; ++i) {
        board.insert(static_cast<int32_t>((i * 7919) % 20000),
                     100000 + i);  // as bench/server.sh seeds it
    }
    std::mt19937_64 random(1);
    std::vector<double> rankTimes;
    std::vector<double> entryTimes;
    volatile int64_t sink = 0;  // keeps the calls from being optimised away
    for (int i = 0; i < 200000; ++i) {
        const int64_t player = 1 + static_cast<int64_t>(random() % Players);
        const auto start = std::chrono::steady_clock::now();
        sink += board.rankOf(static_cast<int32_t>((player * 7919) % 20000), 100000 + player);
        const auto ranked = std::chrono::steady_clock::now();
        int32_t score = 0;
        int64_t run = 0;
        sink += board.entryAt(1 + static_cast<int64_t>(random() % Players), score, run) ? run : 0;
        const auto found = std::chrono::steady_clock::now();
        rankTimes.push_back(std::chrono::duration<double, std::micro>(ranked - start).count());
        entryTimes.push_back(std::chrono::duration<double, std::micro>(found - ranked).count());
    }
    const auto p99 = [](std::vector<double>& times) {
        std::sort(times.begin(), times.end());
        return times[times.size() * 99 / 100];
    };
    std::printf(
        "a rank on a board of 1,000,000 players, in memory: p99 %.2f us;"
        " the entry at a rank: p99 %.2f us\n",
        p99(rankTimes), p99(entryTimes));
    return 0;
}
