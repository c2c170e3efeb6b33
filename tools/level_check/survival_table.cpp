#include "survival_table.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "actors/body.h"
#include "app/camera.h"
#include "level_search.h"
#include "world/cell_code.h"

namespace {

// A key packs the body's y (10 bits), the speed in half pixels from -10 to
// 10 (6 bits) and the motion state (2 bits): all that the future depends on.
constexpr int32_t YBits = 10;
constexpr int32_t SpeedBits = 6;

HeroMotion motionOf(uint32_t key) {
    HeroMotion motion;
    motion.motionState = static_cast<int32_t>(key >> (YBits + SpeedBits));
    const int32_t halves = static_cast<int32_t>((key >> YBits) & ((1u << SpeedBits) - 1)) - 20;
    motion.verticalSpeed = halves / 2.0;
    return motion;
}

int32_t yOf(uint32_t key) {
    return static_cast<int32_t>(key & ((1u << YBits) - 1));
}

}  // namespace

uint32_t survivalKey(int32_t y, const HeroMotion& motion) {
    const double halves = motion.verticalSpeed * 2.0;
    if (y < 0 || y >= (1 << YBits) || !(halves >= -20.0 && halves <= 20.0) ||
        halves != std::floor(halves) || motion.motionState < 0 || motion.motionState > 2) {
        return UINT32_MAX;
    }
    return static_cast<uint32_t>(y) | (static_cast<uint32_t>(halves + 20) << YBits) |
           (static_cast<uint32_t>(motion.motionState) << (YBits + SpeedBits));
}

SurvivalTable::SurvivalTable(const int32_t* grid) {
    Camera camera;
    Body body(const_cast<int32_t*>(grid), &camera);
    std::array<Choice, 5> choices;
    const int32_t lastFrame = GridColumns - 1 - 31;
    // A body deeper than every floor of the level can only fall out: it counts
    // as lost at once, rather than after the long fall a screen cannot show.
    int32_t lowestFloor = 0;
    for (int32_t index = 0; index < GridCells; ++index) {
        if (isSolid(grid[index])) {
            lowestFloor = std::max(lowestFloor, index % GridRows);
        }
    }
    const auto lost = [&](const Body& lostBody) {
        return lostBody.fellOut != 0 || lostBody.y / CellSize >= lowestFloor;
    };

    // Forward: every state after each frame.
    frames_.emplace_back();
    frames_[0].keys.push_back(survivalKey(body.y, HeroMotion{}));
    for (int32_t frame = 1; frame <= lastFrame; ++frame) {
        camera.column = frame;
        Frame next;
        for (uint32_t key : frames_.back().keys) {
            const int32_t count = distinctChoices(motionOf(key), false, choices);
            for (int32_t c = 0; c < count; ++c) {
                HeroMotion motion = choices[static_cast<std::size_t>(c)].motion;
                body.y = yOf(key);
                body.fellOut = 0;
                playFrame(body, motion, grid);
                const uint32_t child = survivalKey(body.y, motion);
                if (!lost(body) && child != UINT32_MAX) {
                    next.keys.push_back(child);
                }
            }
        }
        std::sort(next.keys.begin(), next.keys.end());
        next.keys.erase(std::unique(next.keys.begin(), next.keys.end()), next.keys.end());
        if (next.keys.empty()) {
            break;
        }
        lastAliveFrame_ = frame;
        frames_.push_back(std::move(next));
    }

    // Backward: the frames each state can still live.
    for (int32_t frame = static_cast<int32_t>(frames_.size()) - 1; frame >= 0; --frame) {
        Frame& here = frames_[static_cast<std::size_t>(frame)];
        here.left.assign(here.keys.size(), 0);
        if (frame == static_cast<int32_t>(frames_.size()) - 1) {
            continue;
        }
        const Frame& next = frames_[static_cast<std::size_t>(frame + 1)];
        camera.column = frame + 1;
        for (std::size_t i = 0; i < here.keys.size(); ++i) {
            const uint32_t key = here.keys[i];
            const int32_t count = distinctChoices(motionOf(key), false, choices);
            int32_t best = 0;
            for (int32_t c = 0; c < count && best < Cap; ++c) {
                HeroMotion motion = choices[static_cast<std::size_t>(c)].motion;
                body.y = yOf(key);
                body.fellOut = 0;
                playFrame(body, motion, grid);
                if (lost(body)) {
                    continue;
                }
                const int32_t at = find(next, survivalKey(body.y, motion));
                if (at >= 0) {
                    best =
                        std::max(best, std::min(Cap, 1 + next.left[static_cast<std::size_t>(at)]));
                }
            }
            here.left[i] = static_cast<uint8_t>(best);
        }
    }
}

int32_t SurvivalTable::find(const Frame& frame, uint32_t key) const {
    const auto it = std::lower_bound(frame.keys.begin(), frame.keys.end(), key);
    if (it == frame.keys.end() || *it != key) {
        return -1;
    }
    return static_cast<int32_t>(it - frame.keys.begin());
}

int32_t SurvivalTable::framesLeft(int32_t frame, int32_t y, const HeroMotion& motion) const {
    if (frame < 0 || frame >= static_cast<int32_t>(frames_.size())) {
        return -1;
    }
    const Frame& here = frames_[static_cast<std::size_t>(frame)];
    const int32_t at = find(here, survivalKey(y, motion));
    return at < 0 ? -1 : here.left[static_cast<std::size_t>(at)];
}

int64_t SurvivalTable::stateCount() const {
    int64_t count = 0;
    for (const Frame& frame : frames_) {
        count += static_cast<int64_t>(frame.keys.size());
    }
    return count;
}
