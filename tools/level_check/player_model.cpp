#include "player_model.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "actors/body.h"
#include "app/camera.h"
#include "model_frame.h"
#include "splitmix.h"
#include "world/cell_code.h"

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();
constexpr double NoAim = std::numeric_limits<double>::quiet_NaN();

// A key event's timing, and what it leads to.
struct Option {
    bool safe = false;
    bool crossing = false;     // comes down beyond the end of the ground it left
    bool comfortable = false;  // crossing, and the next key has room there too
    int32_t worth = 0;
};

struct Aim {
    bool wait = true;   // nothing worth doing, or nothing safe
    double at = 0.0;    // in frames: the gap before frame g spans (g - 1, g]
    double room = 0.0;  // frames of safe timings on the nearer side of the aim
    double from = 0.0;  // where the run aimed into begins
};

// The gap before frame g covers the times (g - 1, g] in frames.
int32_t gapAt(double time) {
    return static_cast<int32_t>(std::ceil(time));
}

// Chooses what to aim at among options[i], the timings of gaps first + i.
// An open end is one past which every timing is as good as the last.
// Chooses what to aim at among options[i], the timings of gaps first + i:
// for each worth, from the most, the runs of consecutive safe timings worth
// at least that much, those after which the next key has room first; the
// first whose middle leaves `minRoom` frames of safe timings on either side
// wins. While holding on is safe and may yet get across (`holdOn`), only
// timings with room after them count. Failing all that: nothing when waiting
// or holding on is safe, else the middle of the widest safe run.
//
// An open end is one past which every timing is as good as the last. A run
// that the present cuts short began where an earlier look saw it begin
// (`seenFrom`, NaN: nowhere earlier), so that looking again as the hero runs
// on does not drag the aim towards the run's end.
Aim chooseAim(const std::vector<Option>& options, int32_t first, bool openEnd, bool waitSafe,
              int32_t waitWorth, double minRoom, double seenFrom, bool holdOn = false) {
    std::vector<int32_t> worths;
    for (const Option& option : options) {
        if (option.safe) {
            worths.push_back(option.worth);
        }
    }
    std::sort(worths.begin(), worths.end(), std::greater<int32_t>());
    worths.erase(std::unique(worths.begin(), worths.end()), worths.end());

    const int32_t count = static_cast<int32_t>(options.size());
    const auto at = [&](int32_t i) -> const Option& {
        return options[static_cast<std::size_t>(i)];
    };
    Aim best;
    for (int32_t worth : worths) {
        if (waitSafe && worth <= waitWorth) {
            return Aim{};
        }
        for (const bool comfortOnly : {true, false}) {
            if (holdOn && !comfortOnly) {
                break;  // holding on beats a landing without room
            }
            double bestRoom = -1.0;
            for (int32_t safeFirst = 0; safeFirst < count;) {
                if (!at(safeFirst).safe) {
                    ++safeFirst;
                    continue;
                }
                int32_t safeLast = safeFirst;
                while (safeLast + 1 < count && at(safeLast + 1).safe) {
                    ++safeLast;
                }
                // A run cut short by the present or by the last timing that
                // matters is open on that side: no danger lies there.
                const double safeStart = safeFirst == 0 ? -Infinity : safeFirst;
                const double safeEnd = (openEnd && safeLast == count - 1) ? Infinity : safeLast;
                const auto roomAt = [&](double time) {  // in option units
                    return std::min(time - safeStart, safeEnd + 1.0 - time);
                };
                const auto fits = [&](int32_t i) {
                    return at(i).worth >= worth && (at(i).comfortable || !comfortOnly);
                };
                for (int32_t a = safeFirst; a <= safeLast;) {
                    if (!fits(a)) {
                        ++a;
                        continue;
                    }
                    int32_t b = a;
                    while (b + 1 <= safeLast && fits(b + 1)) {
                        ++b;
                    }
                    // Option i covers the times (i, i + 1] in option units.
                    const double seen = seenFrom - (first - 1);
                    const double start = (a == 0 && seen < 0.0) ? seen : a;
                    const double middle = std::max(0.5, (start + b + 1) / 2.0);
                    // Missing a landing with room is nearly as bad as missing
                    // the landing: count the room within those timings then.
                    const double room =
                        comfortOnly
                            ? std::min(a == 0 ? Infinity : middle - a,
                                       (openEnd && b == count - 1) ? Infinity : b + 1.0 - middle)
                            : roomAt(middle);
                    if (room > bestRoom) {
                        bestRoom = room;
                        best = Aim{false, first - 1 + middle, room, first - 1 + start};
                    }
                    a = b + 1;
                }
                safeFirst = safeLast + 1;
            }
            if (bestRoom >= minRoom) {
                return best;
            }
        }
    }
    // The last pass looked at every safe timing.
    return (waitSafe || holdOn) ? Aim{} : best;
}

}  // namespace

struct PlayerModel::State {
    int32_t y = 240;
    HeroMotion motion;
};

// A key event aimed at, or a time to look again.
struct PlayerModel::Plan {
    bool aimed = false;     // found something to aim at
    bool act = false;       // and commits to it now
    double at = 0.0;        // the aim, in frames
    double from = 0.0;      // where the window aimed into begins
    double room = 0.0;      // safe frames on the nearer side of the aim
    bool crossing = false;  // the aim comes down beyond the ground left
    int32_t lookAgain = 0;  // the frame after which to plan again, when not acting
};

namespace {

// Standing, the body keeps its row: from `frame` on it meets the cells two
// rows above it until the cell under it is no longer solid (and meets that
// column too).
int32_t groundWorth(const int32_t* grid, int32_t frame, int32_t row, int32_t last) {
    int32_t worth = 0;
    for (; frame <= last; ++frame) {
        const int32_t column = frame + HeroColumnOffset;
        const int32_t cell = cellAt(grid, column, row - 2);
        worth += cell == Bonus ? 50 : cell == Enemy ? -100 : 0;
        if (!isSolid(cellAt(grid, column, row + 1))) {
            break;
        }
    }
    return worth;
}

// The bonuses and enemies met from `state` (before frame `frame`, keys
// applied) with no further key, until the view's end, a fall, or the hero
// running off the ground again once it has come down.
template <typename State>
int32_t worthWithoutKeys(const int32_t* grid, int32_t frame, State state, int32_t last) {
    int32_t worth = 0;
    for (; frame <= last; ++frame) {
        const ModelStep step = stepModelFrame(grid, frame, state);
        worth += step.points;
        if (step.fellOut) {
            return worth;
        }
        if (state.motion.motionState == MotionOnGround) {
            break;
        }
    }
    return worth + groundWorth(grid, frame + 1, state.y / CellSize, last);
}

}  // namespace

PlayerModel::PlayerModel(const int32_t* grid, const SurvivalTable& table,
                         const ModelOptions& options)
    : grid_(grid), table_(table), options_(options) {
    static std::atomic<uint64_t> models{0};
    id_ = ++models;
    finishFrame_ = frameOverColumn(lastGroundColumn(grid));
    // Bonuses and enemies up to each column, so that a stretch without any
    // is known to be worth nothing at a glance.
    pickupsBefore_.assign(GridColumns + 1, 0);
    for (int32_t column = 0; column < GridColumns; ++column) {
        int32_t count = 0;
        for (int32_t row = 0; row < GridRows; ++row) {
            const int32_t cell = cellAt(grid, column, row);
            count += (cell == Bonus || cell == Enemy) ? 1 : 0;
        }
        pickupsBefore_[static_cast<std::size_t>(column + 1)] =
            pickupsBefore_[static_cast<std::size_t>(column)] + count;
    }
    minRoom_ = std::max(1.0, 3.0 * options.sigmaMs / FrameMs);
    leadFrames_ = std::max(3, static_cast<int32_t>(std::ceil(3.0 * options.sigmaMs / FrameMs)));
}

// Where a hero let go before frame `frame` at `y` comes down. Plays ask this
// over and over, so each thread keeps the answers for the level it plays.
const PlayerModel::Fall& PlayerModel::fallFrom(int32_t frame, int32_t y) const {
    thread_local uint64_t owner = 0;
    thread_local std::unordered_map<uint64_t, Fall> falls;
    if (owner != id_) {
        falls.clear();
        owner = id_;
    }
    const uint64_t key =
        (static_cast<uint64_t>(static_cast<uint32_t>(frame)) << 32) | static_cast<uint32_t>(y);
    const auto found = falls.find(key);
    if (found != falls.end()) {
        return found->second;
    }
    Fall fall;
    State state;
    state.y = y;
    state.motion = applyInput(state.motion, SpaceInput::Release);
    for (fall.frame = frame; fall.frame < frame + 200; ++fall.frame) {
        const ModelStep step = stepModelFrame(grid_, fall.frame, state);
        fall.worth += step.points;
        if (step.fellOut) {
            break;
        }
        if (state.motion.motionState == MotionOnGround) {
            fall.landed = true;
            fall.y = state.y;
            break;
        }
    }
    return falls.emplace(key, fall).first->second;
}

// The bonuses and enemies a hero let go before frame `frame` at `y` meets,
// as worthWithoutKeys counts them.
int32_t PlayerModel::releasedWorth(int32_t frame, int32_t y, int32_t last) const {
    const Fall& fall = fallFrom(frame, y);
    if (fall.frame > last || !fall.landed) {
        State state;
        state.y = y;
        state.motion = applyInput(state.motion, SpaceInput::Release);
        return worthWithoutKeys(grid_, frame, state, last);
    }
    return fall.worth + groundWorth(grid_, fall.frame + 1, fall.y / CellSize, last);
}

// Whether a hero let go before frame `frame` at `y` comes
// down within the view where it can live on through the view's last frame.
// A fall whose end the screen does not show is no plan.
bool PlayerModel::landsOnScreen(int32_t frame, int32_t y, int32_t last) const {
    const Fall& fall = fallFrom(frame, y);
    return fall.landed && fall.frame <= last &&
           table_.framesLeft(fall.frame, fall.y, landedMotion()) >= last - fall.frame;
}

// Whether a hero let go before frame `frame` at `y` comes
// down on screen where the next jump has room: no jump needed within the
// view, or a run of safe presses at least twice the wanted margin wide.
bool PlayerModel::roomAfterLanding(int32_t frame, int32_t y, int32_t last) const {
    const Fall& fall = fallFrom(frame, y);
    if (!fall.landed || fall.frame > last) {
        return false;  // comes down beyond the screen: a gamble, not a plan
    }
    frame = fall.frame;
    State state;
    state.y = fall.y;
    state.motion = landedMotion();
    int32_t run = 0;
    int32_t widest = 0;
    for (++frame; frame <= last; ++frame) {
        if (state.motion.motionState == MotionOnGround) {
            State pressed = state;
            pressed.motion = applyInput(pressed.motion, SpaceInput::Press);
            const bool fell = stepModelFrame(grid_, frame, pressed).fellOut;
            const bool safe =
                !fell && table_.framesLeft(frame, pressed.y, pressed.motion) >= last - frame;
            run = safe ? run + 1 : 0;
            widest = std::max(widest, run);
        }
        if (stepModelFrame(grid_, frame, state).fellOut) {
            break;
        }
    }
    const bool waitSafe =
        frame > last && table_.framesLeft(last, state.y, state.motion) >= 0 && inHand(state.motion);
    return waitSafe || widest >= 2.0 * minRoom_;
}

// Standing, or in the air with the key still held: what happens next is the
// player's to decide. Falling without the key, the hero goes where it goes.
HeroMotion PlayerModel::landedMotion() {
    HeroMotion motion;
    motion.motionState = MotionOnGround;
    motion.verticalSpeed = 5.0;
    return motion;
}

bool PlayerModel::inHand(const HeroMotion& motion) {
    return motion.motionState == MotionOnGround || motion.verticalSpeed <= 1.0;
}

bool PlayerModel::floatsPast(int32_t frame, State state, int32_t column) const {
    for (; frame + HeroColumnOffset <= column; ++frame) {
        if (stepModelFrame(grid_, frame, state).fellOut ||
            state.motion.motionState == MotionOnGround) {
            return false;
        }
    }
    return true;
}

int32_t PlayerModel::surfaceEnd(int32_t column, int32_t y) const {
    const int32_t row = y / CellSize;
    while (column < GridColumns && isSolid(cellAt(grid_, column, row + 1))) {
        ++column;
    }
    return column - 1;
}

bool PlayerModel::somethingBetween(int32_t firstFrame, int32_t lastFrame) const {
    const int32_t first = std::clamp(firstFrame + HeroColumnOffset, 0, GridColumns);
    const int32_t last = std::clamp(lastFrame + HeroColumnOffset, first - 1, GridColumns - 1);
    return pickupsBefore_[static_cast<std::size_t>(last + 1)] >
           pickupsBefore_[static_cast<std::size_t>(first)];
}

int32_t PlayerModel::horizon(int32_t now) const {
    return std::min(now + options_.viewFrames, table_.lastAliveFrame());
}

// The release, with the key held since a press: `state` is the hero after
// frame `now`, and the view ends with frame `last`. The timings run from
// `earliest` to the frame the held hero lands in, plus one (letting go on the
// ground, as good as holding on), or to one past the view.
PlayerModel::Plan PlayerModel::planRelease(int32_t now, const State& state, int32_t earliest,
                                           int32_t last, int32_t takeoffEnd, double seenFrom,
                                           bool lookAhead) const {
    Plan plan;
    plan.lookAgain = now + 1;
    if (state.motion.motionState == MotionOnGround) {
        plan.aimed = plan.act = true;  // standing again: let go at once
        plan.at = now + 0.5;
        return plan;
    }
    std::vector<Option> options;
    int32_t first = std::max(now + 1, earliest);
    bool openEnd = false;
    bool holdSafe = false;  // holding on lives through the view, or lands well
    State held = state;
    int32_t heldWorth = 0;  // met while holding, before the release
    for (int32_t gap = now + 1; gap <= last + 1; ++gap) {
        if (gap > last) {
            if (gap >= earliest) {
                // Holding on past what can be seen: safe as far as it can
                // tell, and as comfortable, so that what it takes on the way
                // counts against letting go.
                Option option;
                option.safe = true;
                option.comfortable = true;
                option.worth = heldWorth;
                options.push_back(option);
                openEnd = true;
            }
            holdSafe = inHand(held.motion) && table_.framesLeft(last, held.y, held.motion) >= 0;
            break;
        }
        if (gap >= earliest) {
            State released = held;
            released.motion = applyInput(released.motion, SpaceInput::Release);
            Option option;
            option.safe = landsOnScreen(gap, held.y, last);
            const Fall& fall = fallFrom(gap, held.y);
            option.crossing = option.safe && fall.frame + HeroColumnOffset > takeoffEnd;
            option.comfortable =
                option.crossing && (!lookAhead || roomAfterLanding(gap, held.y, last));
            if (option.safe) {
                option.worth = heldWorth +
                               (somethingBetween(gap, last) ? releasedWorth(gap, held.y, last) : 0);
            }
            options.push_back(option);
        }
        const ModelStep step = stepModelFrame(grid_, gap, held);
        heldWorth += step.points;
        if (step.fellOut) {
            break;
        }
        if (held.motion.motionState == MotionOnGround) {
            // Landed holding the key: letting go later changes nothing more.
            if (gap + 1 >= earliest) {
                Option option;
                option.safe = table_.framesLeft(gap, held.y, held.motion) >= last - gap;
                option.crossing = option.safe && gap + HeroColumnOffset > takeoffEnd;
                option.comfortable = option.safe;
                holdSafe = option.safe;
                option.worth = heldWorth + worthWithoutKeys(grid_, gap + 1, held, last);
                options.push_back(option);
                openEnd = true;
            }
            break;
        }
    }
    // Holding on is worth it while the hero would float past the end of the
    // ground it left (which the screen shows): the way across may show up yet.
    const bool holdOn =
        holdSafe && takeoffEnd < last + HeroColumnOffset && floatsPast(now + 1, state, takeoffEnd);
    const Aim aim = chooseAim(options, first, openEnd, false, 0, minRoom_, seenFrom, holdOn);
    if (aim.wait) {
        return plan;  // nothing safe: hold on and look again
    }
    plan.aimed = true;
    plan.room = aim.room;
    plan.from = aim.from;
    const std::size_t chosen = static_cast<std::size_t>(std::max(0, gapAt(aim.at) - first));
    plan.crossing = chosen < options.size() && options[chosen].crossing;
    plan.act = aim.at - now <= leadFrames_;
    plan.at = aim.at;
    plan.lookAgain = std::clamp(static_cast<int32_t>(aim.at) - leadFrames_, now + 1, now + 4);
    return plan;
}

PlayerModel::Plan PlayerModel::planPress(int32_t now, const State& state, int32_t earliest,
                                         double seenFrom) const {
    Plan plan;
    plan.lookAgain = now + 1;
    const int32_t last = horizon(now);
    if (last <= now) {
        return plan;
    }
    // The hero with no key pressed, and what that meets.
    std::vector<State> path(1, state);  // path[k]: after frame now + k
    std::vector<int32_t> worthBefore(1, 0);
    bool waitSafe = true;
    for (int32_t frame = now + 1; frame <= last; ++frame) {
        State next = path.back();
        const ModelStep step = stepModelFrame(grid_, frame, next);
        if (step.fellOut) {
            waitSafe = false;
            break;
        }
        path.push_back(next);
        worthBefore.push_back(worthBefore.back() + step.points);
    }
    waitSafe = waitSafe && table_.framesLeft(last, path.back().y, path.back().motion) >= 0 &&
               inHand(path.back().motion);
    if (waitSafe && !somethingBetween(now + 1, last)) {
        return plan;  // a plain run ahead: nothing to do yet
    }
    const int32_t waitWorth = waitSafe ? worthWithoutKeys(grid_, now + 1, state, last) : 0;

    std::vector<Option> options;
    const int32_t first = std::max(now + 1, earliest);
    for (int32_t gap = first; gap <= last; ++gap) {
        const std::size_t k = static_cast<std::size_t>(gap - 1 - now);
        Option option;
        if (k < path.size() && path[k].motion.motionState == MotionOnGround) {
            State pressed = path[k];
            pressed.motion = applyInput(pressed.motion, SpaceInput::Press);
            const ModelStep step = stepModelFrame(grid_, gap, pressed);
            if (!step.fellOut && table_.framesLeft(gap, pressed.y, pressed.motion) >= last - gap) {
                // How the model would then let go, and what the jump is worth.
                const int32_t takeoffEnd = surfaceEnd(gap + HeroColumnOffset, path[k].y);
                const Plan release =
                    planRelease(gap, pressed, gap + 1, last, takeoffEnd, NoAim, false);
                option.safe = true;
                option.crossing = release.aimed && release.crossing;
                option.comfortable = option.crossing && release.room >= minRoom_;
                // What the jump is worth, let go where the model would aim, or
                // held through the view.
                const int32_t releaseGap =
                    release.aimed ? std::max(gap + 1, gapAt(release.at)) : last + 1;
                State flown = pressed;
                int32_t worth = worthBefore[k] + step.points;
                int32_t frame = gap + 1;
                for (; frame < releaseGap && frame <= last; ++frame) {
                    const ModelStep held = stepModelFrame(grid_, frame, flown);
                    worth += held.points;
                    if (held.fellOut) {
                        break;
                    }
                }
                if (frame <= last) {
                    flown.motion = applyInput(flown.motion, SpaceInput::Release);
                    worth += worthWithoutKeys(grid_, frame, flown, last);
                }
                option.worth = worth;
            }
        }
        options.push_back(option);
    }
    const Aim aim = chooseAim(options, first, false, waitSafe, waitWorth, minRoom_, seenFrom);
    if (aim.wait) {
        plan.lookAgain = now + (waitSafe ? 3 : 1);
        return plan;
    }
    plan.aimed = true;
    plan.room = aim.room;
    plan.from = aim.from;
    plan.act = aim.at - now <= leadFrames_;
    plan.at = aim.at;
    plan.lookAgain = std::clamp(static_cast<int32_t>(aim.at) - leadFrames_, now + 1, now + 4);
    return plan;
}

PlayResult PlayerModel::play(uint64_t seed, const PlayStart& start) const {
    SplitMix rng(seed);
    PlayResult result;
    State state{start.y, start.motion};
    bool keyDown = false;
    int32_t lastEventGap = start.frame + 1;
    int32_t pendingGap = 0;  // 0: no event on its way
    bool pendingPress = false;
    int32_t lookAgain = 0;
    double seenFrom = NoAim;
    int32_t takeoffEnd = 0;
    // Past the last frame any play can live through, the hero only falls.
    const int32_t lastFrame = frameOverColumn(GridColumns - 1);
    for (int32_t frame = start.frame + 1; frame <= lastFrame; ++frame) {
        const int32_t now = frame - 1;
        if (pendingGap == 0 && now >= lookAgain && now < table_.lastAliveFrame()) {
            const Plan plan = keyDown ? planRelease(now, state, lastEventGap + 1, horizon(now),
                                                    takeoffEnd, seenFrom, true)
                                      : planPress(now, state, lastEventGap + 1, seenFrom);
            lookAgain = plan.lookAgain;
            seenFrom = plan.aimed ? plan.from : NoAim;
            if (plan.act) {
                const double actual = plan.at + rng.normal() * options_.sigmaMs / FrameMs;
                pendingGap = std::max({gapAt(actual), now + 1, lastEventGap + 1});
                pendingPress = !keyDown;
            }
        }
        // The level menu's confirming key leaves a release for the first frame.
        SpaceInput input = frame == 1 ? SpaceInput::Release : SpaceInput::Nothing;
        if (pendingGap == frame) {
            input = pendingPress ? SpaceInput::Press : SpaceInput::Release;
            if (pendingPress) {
                // Where the ground it jumps from ends (a press in the air
                // leaves no ground behind).
                takeoffEnd = state.motion.motionState == MotionOnGround
                                 ? surfaceEnd(frame + HeroColumnOffset, state.y)
                                 : frame + HeroColumnOffset - 1;
            }
            keyDown = pendingPress;
            lastEventGap = frame;
            pendingGap = 0;
            seenFrom = NoAim;
            lookAgain = frame;
        }
        state.motion = applyInput(state.motion, input);
        result.inputs.push_back(input);
        Camera camera;
        camera.column = frame;
        Body body(const_cast<int32_t*>(grid_), &camera);
        body.y = state.y;
        result.score += playFrame(body, state.motion, grid_);
        state.y = body.y;
        result.frames = frame;
        if (state.motion.motionState == MotionOnGround) {
            result.lastStanding = frame;
        }
        if (body.fellOut != 0) {
            break;
        }
    }
    result.finished = result.frames > finishFrame_;
    return result;
}

uint64_t playSeed(uint64_t seed, int32_t play) {
    return seed * 0x9E3779B97F4A7C15ull + static_cast<uint64_t>(play) + 1;
}

namespace {

template <typename T>
T percentile(std::vector<T> values, double share) {
    if (values.empty()) {
        return T{};
    }
    std::sort(values.begin(), values.end());
    const std::size_t at =
        static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

}  // namespace

ModelFigures summarize(const std::vector<PlayResult>& results, int32_t limit) {
    ModelFigures figures;
    figures.plays = static_cast<int32_t>(results.size());
    if (results.empty()) {
        return figures;
    }
    std::vector<double> seconds;
    std::vector<int32_t> scores;
    int32_t finished = 0;
    int32_t passed = 0;
    for (const PlayResult& result : results) {
        finished += result.finished ? 1 : 0;
        passed += result.score > limit ? 1 : 0;
        seconds.push_back(result.frames * FrameMs / 1000.0);
        scores.push_back(result.score);
    }
    figures.finishShare = static_cast<double>(finished) / figures.plays;
    figures.passShare = static_cast<double>(passed) / figures.plays;
    figures.medianSeconds = percentile(seconds, 0.5);
    figures.tenthSeconds = percentile(seconds, 0.1);
    figures.medianScore = percentile(scores, 0.5);
    figures.tenthScore = percentile(scores, 0.1);
    return figures;
}

int32_t limitPassedBy(const std::vector<PlayResult>& results, double share) {
    std::vector<int32_t> scores;
    for (const PlayResult& result : results) {
        scores.push_back(result.score);
    }
    if (scores.empty()) {
        return 0;
    }
    std::sort(scores.begin(), scores.end(), std::greater<int32_t>());
    // The limit sits just below the score of the last play that must pass.
    const std::size_t passing = static_cast<std::size_t>(
        std::clamp(share, 0.0, 1.0) * static_cast<double>(scores.size()) + 0.5);
    if (passing == 0) {
        return scores.front();
    }
    return scores[std::min(passing, scores.size()) - 1] - 1;
}
