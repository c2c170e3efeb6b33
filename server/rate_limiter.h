#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

// At most `perMinute` actions a key (a token, an address) in each minute of
// the clock. Thread-safe. Keeps at
// most `MaxKeys` keys: when full, the keys of past minutes are dropped first,
// and a flood of new keys is refused rather than allowed to grow the map.
class RateLimiter {
  public:
    explicit RateLimiter(int perMinute) : perMinute(perMinute) {}

    // True when the action may go ahead (and counts it); else false with the
    // seconds until it may, in `retryAfter`.
    bool allow(const std::string& key, int64_t nowMs, int& retryAfter);

    static constexpr std::size_t MaxKeys = 100000;

  private:
    struct Window {
        int64_t minute = 0;
        int count = 0;
    };
    int perMinute;
    std::mutex mutex;
    std::unordered_map<std::string, Window> windows;
};
