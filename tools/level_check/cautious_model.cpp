#include "cautious_model.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "model_frame.h"
#include "splitmix.h"
#include "world/cell_code.h"

struct CautiousModel::State {
    int32_t y = 240;
    HeroMotion motion;
};

namespace {

using CautiousAim = CautiousModel::Aim;

bool standing(const HeroMotion& motion) {
    return motion.motionState == MotionOnGround;
}

// Where to aim in the widest run of good timings (options[i] is the gap
// before frame first + i; the earliest of equally wide runs): `margin` frames
// in from its start (`early`) or from its end, or its middle when it is too
// narrow for that.
CautiousAim aimInWidest(const std::vector<bool>& good, int32_t first, bool early, double margin) {
    int32_t bestStart = 0;
    int32_t bestWidth = 0;
    const int32_t count = static_cast<int32_t>(good.size());
    for (int32_t start = 0; start < count;) {
        int32_t end = start;
        while (end < count && good[static_cast<std::size_t>(end)]) {
            ++end;
        }
        if (end - start > bestWidth) {
            bestWidth = end - start;
            bestStart = start;
        }
        start = end + 1;
    }
    // Option i covers the times (first + i - 1, first + i].
    const double from = first - 1 + bestStart;
    const double to = from + bestWidth;
    const double middle = (from + to) / 2.0;
    CautiousAim aim;
    aim.found = bestWidth > 0;
    aim.width = bestWidth;
    aim.at = early ? std::min(from + margin, middle) : std::max(to - margin, middle);
    return aim;
}

}  // namespace

CautiousModel::CautiousModel(const int32_t* grid, const SurvivalTable& table,
                             const ModelOptions& options)
    : grid_(grid), table_(table), options_(options) {
    static std::atomic<uint64_t> models{0};
    id_ = ++models;
    finishFrame_ = frameOverColumn(lastGroundColumn(grid));
    marginFrames_ = std::max(1.0, 3.0 * options.sigmaMs / FrameMs);
    leadFrames_ = std::max(3, static_cast<int32_t>(std::ceil(marginFrames_)));
    settleFrames_ = static_cast<int32_t>(std::ceil(ReactionMs / FrameMs + marginFrames_));
}

int32_t CautiousModel::groundAhead(int32_t frame, int32_t y) const {
    const int32_t row = y / CellSize;
    int32_t column = frame + HeroColumnOffset;
    const int32_t start = column;
    while (column < GridColumns && isSolid(cellAt(grid_, column, row + 1))) {
        ++column;
    }
    return column - start;
}

int32_t CautiousModel::horizon(int32_t now) const {
    return std::min(now + options_.viewFrames, table_.lastAliveFrame());
}

int32_t CautiousModel::safeLanding(int32_t gap, int32_t y, int32_t last, int32_t* landedY) const {
    // Where a fall from (gap, y) ends; plays ask again and again, so each
    // thread keeps the answers for the level it plays. Frame -1: no landing.
    struct Landing {
        int32_t frame = -1;
        State state;
    };
    thread_local uint64_t owner = 0;
    thread_local std::unordered_map<uint64_t, Landing> landings;
    if (owner != id_) {
        landings.clear();
        owner = id_;
    }
    const uint64_t key =
        (static_cast<uint64_t>(static_cast<uint32_t>(gap)) << 32) | static_cast<uint32_t>(y);
    auto found = landings.find(key);
    if (found == landings.end()) {
        Landing landing;
        State state;
        state.y = y;
        state.motion = applyInput(state.motion, SpaceInput::Release);
        for (int32_t frame = gap; frame < gap + 200; ++frame) {
            if (stepModelFrame(grid_, frame, state).fellOut) {
                break;
            }
            if (standing(state.motion)) {
                landing.frame = frame;
                landing.state = state;
                break;
            }
        }
        found = landings.emplace(key, landing).first;
    }
    const Landing& landing = found->second;
    const bool safe = landing.frame >= 0 && landing.frame <= last &&
                      table_.framesLeft(landing.frame, landing.state.y, landing.state.motion) >=
                          last - landing.frame;
    if (landedY != nullptr) {
        *landedY = landing.state.y;
    }
    return safe ? landing.frame : -1;
}

CautiousModel::Aim CautiousModel::aimPress(int32_t now, const State& state,
                                           int32_t earliest) const {
    const int32_t last = horizon(now);
    if (last <= now || !standing(state.motion)) {
        return Aim{};
    }
    // Running on: does it fall, or meet an enemy, before the view ends?
    std::vector<State> path(1, state);  // path[k]: after frame now + k
    bool falls = false;
    int32_t enemyFrame = 0;  // the first frame an enemy is met in, 0: none
    int32_t offFrame = 0;    // the first frame it no longer stands in, 0: none
    for (int32_t frame = now + 1; frame <= last; ++frame) {
        State next = path.back();
        const ModelStep step = stepModelFrame(grid_, frame, next);
        offFrame = (offFrame == 0 && !standing(next.motion)) ? frame : offFrame;
        if (step.fellOut) {
            falls = true;
            break;
        }
        if (step.points < 0 && enemyFrame == 0) {
            enemyFrame = frame;
        }
        path.push_back(next);
    }
    falls = falls || table_.framesLeft(last, path.back().y, path.back().motion) < 0;
    if (!falls && enemyFrame == 0) {
        return Aim{};  // nothing it must do yet
    }
    const int32_t first = std::max(now + 1, earliest);
    std::vector<bool> safe;
    std::vector<bool> clean;  // safe, and held it passes the enemy untouched
    for (int32_t gap = first; gap <= last; ++gap) {
        const std::size_t k = static_cast<std::size_t>(gap - 1 - now);
        bool isSafe = false;
        bool isClean = false;
        if (k < path.size() && standing(path[k].motion)) {
            State pressed = path[k];
            pressed.motion = applyInput(pressed.motion, SpaceInput::Press);
            const ModelStep step = stepModelFrame(grid_, gap, pressed);
            isSafe =
                !step.fellOut && table_.framesLeft(gap, pressed.y, pressed.motion) >= last - gap;
            // A press past the enemy is no way over it.
            isClean = isSafe && gap < enemyFrame && step.points >= 0;
            for (int32_t frame = gap + 1; isClean && frame <= enemyFrame; ++frame) {
                const ModelStep step = stepModelFrame(grid_, frame, pressed);
                isClean = !step.fellOut && step.points >= 0;
            }
        }
        safe.push_back(isSafe);
        clean.push_back(isClean);
    }
    const double margin = marginFrames_;
    Aim aim;
    if (enemyFrame != 0) {
        aim = aimInWidest(clean, first, false, margin);
        aim.goal = enemyFrame;
    }
    if (!aim.found && falls) {
        aim = aimInWidest(safe, first, false, margin);
        aim.goal = offFrame;
    }
    return aim;
}

CautiousModel::Aim CautiousModel::aimRelease(int32_t now, const State& state, int32_t earliest,
                                             int32_t goal) const {
    if (standing(state.motion)) {
        return Aim{true, now + 0.5, 0};  // down again with the key held: let go
    }
    const int32_t last = horizon(now);
    const int32_t first = std::max(now + 1, earliest);
    std::vector<bool> safe;
    std::vector<bool> across;   // safe, and comes down past what it jumped for
    std::vector<bool> settled;  // across, with time on the ground to see what comes
    bool holdOn = false;
    State held = state;
    for (int32_t gap = now + 1; gap <= last + 1; ++gap) {
        if (gap > last) {
            // Still in the air at the view's end: the way across may show up yet.
            holdOn = table_.framesLeft(last, held.y, held.motion) >= 0;
            break;
        }
        if (gap >= first) {
            int32_t landedY = 0;
            const int32_t landing = safeLanding(gap, held.y, last, &landedY);
            safe.push_back(landing >= 0);
            across.push_back(landing > goal);
            settled.push_back(landing > goal && groundAhead(landing, landedY) >= settleFrames_);
        }
        if (stepModelFrame(grid_, gap, held).fellOut) {
            break;
        }
        if (standing(held.motion)) {
            // Landing with the key held: letting go later changes nothing.
            if (gap + 1 >= first) {
                safe.push_back(table_.framesLeft(gap, held.y, held.motion) >= last - gap);
                across.push_back(safe.back() && gap > goal);
                settled.push_back(across.back() && groundAhead(gap, held.y) >= settleFrames_);
            }
            break;
        }
    }
    // A run of timings 3 sigma wide is a target it hits nine times in ten:
    // across with time to settle, else across; failing both, on while holding
    // on lives and may yet find one; else anywhere safe, then the narrow runs
    // in that order; nothing safe: hold on and look again.
    const double wide = marginFrames_;
    const Aim settledAim = aimInWidest(settled, first, true, marginFrames_);
    const Aim acrossAim = aimInWidest(across, first, true, marginFrames_);
    if (settledAim.width >= wide || acrossAim.width >= wide) {
        return settledAim.width >= wide ? settledAim : acrossAim;
    }
    if (holdOn) {
        return Aim{};
    }
    const Aim safeAim = aimInWidest(safe, first, true, marginFrames_);
    for (const Aim& aim : {safeAim, settledAim, acrossAim}) {
        if (aim.found) {
            return aim;
        }
    }
    return Aim{};
}

PlayResult CautiousModel::play(uint64_t seed, const PlayStart& start) const {
    SplitMix rng(seed);
    PlayResult result;
    State state{start.y, start.motion};
    bool keyDown = false;
    int32_t lastEventGap = start.frame + 1;  // the level menu's release, or none yet
    int32_t pendingGap = 0;                  // 0: no event on its way
    bool pendingPress = false;
    int32_t goal = 0;  // the frame of what the jump on its way is for
    // Past the last frame any play can live through, the hero only falls.
    const int32_t lastFrame = frameOverColumn(GridColumns - 1);
    for (int32_t frame = start.frame + 1; frame <= lastFrame; ++frame) {
        const int32_t now = frame - 1;
        if (pendingGap == 0 && now < table_.lastAliveFrame()) {
            const Aim aim = keyDown ? aimRelease(now, state, lastEventGap + 1, goal)
                                    : aimPress(now, state, lastEventGap + 1);
            if (aim.found && aim.at - now <= leadFrames_) {
                goal = keyDown ? goal : aim.goal;
                const double actual = aim.at + rng.normal() * options_.sigmaMs / FrameMs;
                pendingGap =
                    std::max({static_cast<int32_t>(std::ceil(actual)), now + 1, lastEventGap + 1});
                pendingPress = !keyDown;
            }
        }
        // The level menu's confirming key leaves a release for the first frame.
        SpaceInput input = frame == 1 ? SpaceInput::Release : SpaceInput::Nothing;
        if (pendingGap == frame) {
            input = pendingPress ? SpaceInput::Press : SpaceInput::Release;
            keyDown = pendingPress;
            lastEventGap = frame;
            pendingGap = 0;
        }
        state.motion = applyInput(state.motion, input);
        result.inputs.push_back(input);
        const ModelStep step = stepModelFrame(grid_, frame, state);
        result.score += 1 + step.points;
        result.frames = frame;
        if (standing(state.motion)) {
            result.lastStanding = frame;
        }
        if (step.fellOut) {
            break;
        }
    }
    result.finished = result.frames > finishFrame_;
    return result;
}
