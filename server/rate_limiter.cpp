#include "rate_limiter.h"

bool RateLimiter::allow(const std::string& key, int64_t nowMs, int& retryAfter) {
    const int64_t minute = nowMs / 60000;
    std::lock_guard<std::mutex> lock(mutex);
    auto found = windows.find(key);
    if (found == windows.end()) {
        if (windows.size() >= MaxKeys) {
            for (auto it = windows.begin(); it != windows.end();) {
                it = it->second.minute < minute ? windows.erase(it) : std::next(it);
            }
        }
        if (windows.size() >= MaxKeys) {
            retryAfter = static_cast<int>(60 - (nowMs / 1000) % 60);
            return false;
        }
        found = windows.emplace(key, Window{minute, 0}).first;
    }
    Window& window = found->second;
    if (window.minute != minute) {
        window = Window{minute, 0};
    }
    if (window.count >= perMinute) {
        retryAfter = static_cast<int>(60 - (nowMs / 1000) % 60);
        return false;
    }
    ++window.count;
    return true;
}
