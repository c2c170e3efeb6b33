#include "screens/replay_file.h"

#include <charconv>
#include <cstdio>
#include <utility>

#include "screens/settings.h"
#include "util/atomic_file.h"
#include "util/keyword_text.h"

std::string replayFileName(int32_t levelIndex, int32_t pace) {
    return "Save/replay-" + std::to_string(levelIndex) + paceSuffix(pace) + ".rpl";
}

bool addReplayEvent(std::vector<ReplayEvent>& events, int32_t frame, bool press) {
    if (!events.empty() && events.back().frame == frame && events.back().press == press) {
        return true;
    }
    if (events.size() >= static_cast<std::size_t>(MaxReplayEvents)) {
        return false;
    }
    events.push_back(ReplayEvent{frame, press});
    return true;
}

std::string replayText(const ReplayData& replay) {
    char fingerprint[17];
    std::snprintf(fingerprint, sizeof fingerprint, "%016llx",
                  static_cast<unsigned long long>(replay.levelFingerprint));
    std::string text = "version " + std::to_string(ReplayVersion) + "\nniveau " + fingerprint +
                       "\nscore " + std::to_string(replay.score) + "\nimages " +
                       std::to_string(replay.frames) + "\n";
    text.reserve(text.size() + replay.events.size() * 14);
    for (const ReplayEvent& event : replay.events) {
        text += event.press ? "appui " : "relache ";
        text += std::to_string(event.frame);
        text += '\n';
    }
    return text;
}

namespace {

// The whole word as a number in [low, high], nothing before or after it.
bool wholeInt(std::string_view word, int32_t low, int32_t high, int32_t& value) {
    const char* last = word.data() + word.size();
    const auto result = std::from_chars(word.data(), last, value);
    return result.ec == std::errc() && result.ptr == last && value >= low && value <= high;
}

bool wholeHex64(std::string_view word, uint64_t& value) {
    const char* last = word.data() + word.size();
    const auto result = std::from_chars(word.data(), last, value, 16);
    return word.size() <= 16 && result.ec == std::errc() && result.ptr == last;
}

// The single value word of a keyword line; false when there is not exactly one.
bool onlyValue(text::WordReader& words, std::string_view& value) {
    std::string_view extra;
    return words.next(value) && !words.next(extra);
}

}  // namespace

bool parseReplayText(std::string_view text, ReplayData& replay, std::string& reason) {
    if (text.size() > MaxReplayFileBytes) {
        reason = "est trop grand";
        return false;
    }
    ReplayData read;
    int32_t version = -1;
    bool hasFingerprint = false;
    bool hasScore = false;
    bool hasFrames = false;
    text::LineReader lines(text);
    std::string_view line;
    int32_t lineNumber = 0;
    while (lines.next(line)) {
        ++lineNumber;
        text::WordReader words(line);
        std::string_view keyword;
        if (!words.next(keyword)) {
            continue;
        }
        const bool press = keyword == "appui";
        const bool header = keyword == "version" || keyword == "niveau" || keyword == "score" ||
                            keyword == "images";
        if (!header && !press && keyword != "relache") {
            continue;  // other lines are comments, as in every keyword file
        }
        std::string_view value;
        bool good = onlyValue(words, value);
        if (good && keyword == "version") {
            good = version < 0 && wholeInt(value, 0, INT32_MAX, version);
        } else if (good && keyword == "niveau") {
            good = !hasFingerprint && wholeHex64(value, read.levelFingerprint);
            hasFingerprint = true;
        } else if (good && keyword == "score") {
            good = !hasScore && wholeInt(value, INT32_MIN, INT32_MAX, read.score);
            hasScore = true;
        } else if (good && keyword == "images") {
            good = !hasFrames && wholeInt(value, 1, MaxReplayFrames, read.frames);
            hasFrames = true;
        } else if (good) {
            ReplayEvent event{0, press};
            good = wholeInt(value, 1, MaxReplayFrames, event.frame);
            if (good && !read.events.empty()) {
                const ReplayEvent& last = read.events.back();
                good = event.frame > last.frame ||
                       (event.frame == last.frame && event.press != last.press);
            }
            good = good && addReplayEvent(read.events, event.frame, event.press);
        }
        if (!good) {
            reason = "a une ligne " + std::to_string(lineNumber) + " invalide";
            return false;
        }
    }
    if (version != ReplayVersion) {
        reason = version < 0 ? "n'a pas de version" : "est d'une autre version";
        return false;
    }
    if (!hasFingerprint || !hasScore || !hasFrames) {
        reason = "est incomplet";
        return false;
    }
    if (!read.events.empty() && read.events.back().frame > read.frames) {
        reason = "a des touches apres sa derniere image";
        return false;
    }
    replay = std::move(read);
    return true;
}

bool writeReplayFile(int32_t levelIndex, const ReplayData& replay, int32_t pace) {
    return writeFileAtomically(replayFileName(levelIndex, pace), replayText(replay));
}
