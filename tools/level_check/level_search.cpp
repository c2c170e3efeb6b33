#include "level_search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iostream>

#include "actors/body.h"
#include "actors/hero_motion.h"
#include "app/camera.h"
#include "util/keyword_text.h"
#include "world/level_extent.h"

namespace {

// The body's y stays between 41 (the ceiling) and 510 (a fall ends past 500);
// the table covers every row of the grid, so that a rule change shows up as a
// dropped state rather than a wrong index.
constexpr int32_t MinY = 0;
constexpr int32_t MaxY = GridRows * CellSize - 1;
constexpr int32_t YSlots = MaxY - MinY + 1;

// Speeds on the half-pixel steps of the hero's rules map straight to a slot;
// anything else gets one of a few spare slots, found by exact comparison.
constexpr int32_t HalfSteps = 20;  // speeds -10.0 .. 10.0
constexpr int32_t DirectSpeedSlots = 2 * HalfSteps + 1;
constexpr int32_t SpareSpeedSlots = 7;
constexpr int32_t SpeedSlots = DirectSpeedSlots + SpareSpeedSlots;

constexpr int32_t MotionSlots = 4;  // the three states, and one for anything else
constexpr int32_t MotionKeys = SpeedSlots * MotionSlots;

struct Node {
    int32_t y = 240;
    HeroMotion motion;
    int32_t score = 0;
};

}  // namespace

int32_t distinctChoices(const HeroMotion& motion, bool airJumps, std::array<Choice, 5>& out) {
    static constexpr SpaceInput inputs[5] = {SpaceInput::Nothing, SpaceInput::Press,
                                             SpaceInput::Release, SpaceInput::PressRelease,
                                             SpaceInput::ReleasePress};
    int32_t count = 0;
    for (SpaceInput input : inputs) {
        if (input == SpaceInput::ReleasePress && !airJumps &&
            motion.motionState != MotionOnGround) {
            continue;
        }
        const HeroMotion after = applyInput(motion, input);
        bool seen = false;
        for (int32_t i = 0; i < count; ++i) {
            if (out[i].motion.motionState == after.motionState &&
                out[i].motion.verticalSpeed == after.verticalSpeed) {
                seen = true;
                break;
            }
        }
        if (!seen) {
            out[count++] = Choice{after, input};
        }
    }
    return count;
}

namespace {

// The inputs worth trying from a motion, worked out once per speed and motion
// state: most states share a handful of them.
class ChoiceCache {
  public:
    explicit ChoiceCache(bool airJumps) : airJumps_(airJumps), inputs_(MotionKeys) {}

    int32_t choicesFor(int32_t motionKey, const HeroMotion& motion, std::array<Choice, 5>& out) {
        if (motionKey < 0) {
            return distinctChoices(motion, airJumps_, out);
        }
        Inputs& known = inputs_[static_cast<std::size_t>(motionKey)];
        if (known.count < 0) {
            known.count = distinctChoices(motion, airJumps_, out);
            for (int32_t i = 0; i < known.count; ++i) {
                known.input[static_cast<std::size_t>(i)] = out[static_cast<std::size_t>(i)].input;
            }
            return known.count;
        }
        for (int32_t i = 0; i < known.count; ++i) {
            const SpaceInput input = known.input[static_cast<std::size_t>(i)];
            out[static_cast<std::size_t>(i)] = Choice{applyInput(motion, input), input};
        }
        return known.count;
    }

  private:
    struct Inputs {
        int32_t count = -1;
        std::array<SpaceInput, 5> input{};
    };
    bool airJumps_;
    std::vector<Inputs> inputs_;
};

class StateTable {
  public:
    StateTable() : slots_(static_cast<std::size_t>(YSlots) * MotionKeys, 0) { denseOf_.fill(-1); }

    void newFrame() {
        base_ += used_ + 1;
        used_ = 0;
        if (base_ > 0x7fffffffu) {
            std::fill(slots_.begin(), slots_.end(), 0u);
            base_ = 0;
        }
    }

    // The table index of a state, or -1 when it lies outside the table. The
    // speeds and motion states met get small numbers of their own, and the
    // body's y varies fastest, so the states of a frame sit close together.
    int32_t keyOf(int32_t y, const HeroMotion& motion) {
        if (y < MinY || y > MaxY) {
            return -1;
        }
        const int32_t motionPart = motionKey(motion);
        if (motionPart < 0) {
            return -1;
        }
        int32_t& dense = denseOf_[static_cast<std::size_t>(motionPart)];
        if (dense < 0) {
            dense = denseCount_++;
        }
        return dense * YSlots + (y - MinY);
    }

    // The part of the key that the speed and motion state make, or -1.
    int32_t motionKey(const HeroMotion& motion) {
        const int32_t speed = speedSlot(motion.verticalSpeed);
        if (speed < 0) {
            return -1;
        }
        const int32_t state = (motion.motionState >= 0 && motion.motionState < MotionSlots - 1)
                                  ? motion.motionState
                                  : MotionSlots - 1;
        return speed * MotionSlots + state;
    }

    // The position stored for `key` in this frame, or -1.
    int32_t find(int32_t key) const {
        const uint32_t value = slots_[static_cast<std::size_t>(key)];
        return value > base_ ? static_cast<int32_t>(value - base_ - 1) : -1;
    }

    void store(int32_t key, int32_t position) {
        slots_[static_cast<std::size_t>(key)] = base_ + 1 + static_cast<uint32_t>(position);
        used_ = std::max(used_, static_cast<uint32_t>(position) + 1);
    }

  private:
    int32_t speedSlot(double speed) {
        const double halves = speed * 2.0;
        if (halves >= -HalfSteps && halves <= HalfSteps && halves == std::floor(halves)) {
            return static_cast<int32_t>(halves) + HalfSteps;
        }
        for (std::size_t i = 0; i < spareSpeeds_.size(); ++i) {
            if (spareSpeeds_[i] == speed) {
                return DirectSpeedSlots + static_cast<int32_t>(i);
            }
        }
        if (spareSpeeds_.size() < SpareSpeedSlots && speed == speed) {
            spareSpeeds_.push_back(speed);
            return DirectSpeedSlots + static_cast<int32_t>(spareSpeeds_.size()) - 1;
        }
        return -1;
    }

    // A slot holds base + 1 + the state's position in its frame's list; the
    // base grows past every value of earlier frames, so a new frame needs no
    // clearing.
    std::vector<uint32_t> slots_;
    uint32_t base_ = 0;
    uint32_t used_ = 0;
    std::array<int32_t, MotionKeys> denseOf_{};
    int32_t denseCount_ = 0;
    std::vector<double> spareSpeeds_;
};

// Parent position (in the previous frame's list) and input, packed.
uint32_t packLink(int32_t parent, SpaceInput input) {
    return (static_cast<uint32_t>(parent) << 3) | static_cast<uint32_t>(input);
}

// Adds `node` to `list` unless a state with the same key is there already,
// in which case the better score stays (with its link, when runs are kept).
void merge(StateTable& table, std::vector<Node>& list, std::vector<uint32_t>& links,
           const Node& node, uint32_t link, bool keepLinks) {
    const int32_t key = table.keyOf(node.y, node.motion);
    if (key < 0) {
        return;
    }
    const int32_t found = table.find(key);
    if (found < 0) {
        table.store(key, static_cast<int32_t>(list.size()));
        list.push_back(node);
        if (keepLinks) {
            links.push_back(link);
        }
    } else if (node.score > list[static_cast<std::size_t>(found)].score) {
        list[static_cast<std::size_t>(found)] = node;
        if (keepLinks) {
            links[static_cast<std::size_t>(found)] = link;
        }
    }
}

}  // namespace

HeroMotion applyInput(HeroMotion motion, SpaceInput input) {
    switch (input) {
        case SpaceInput::Nothing:
            break;
        case SpaceInput::Press:
            motion.pressSpace();
            break;
        case SpaceInput::Release:
            motion.releaseSpace();
            break;
        case SpaceInput::PressRelease:
            motion.pressSpace();
            motion.releaseSpace();
            break;
        case SpaceInput::ReleasePress:
            motion.releaseSpace();
            motion.pressSpace();
            break;
    }
    return motion;
}

SearchResult searchLevel(const int32_t* grid, const SearchOptions& options) {
    SearchResult result;
    const int32_t lastColumn = std::clamp(options.lastColumn, HeroColumnOffset, GridColumns - 1);
    result.frames = frameOverColumn(lastColumn);

    Camera camera;
    // The body only reads the grid; it wants a mutable pointer like the game's.
    Body body(const_cast<int32_t*>(grid), &camera);
    StateTable before;             // states after the inputs, before the frame
    StateTable after;              // states after the frame
    std::vector<Node> current(1);  // the hero as startGame builds it
    std::vector<Node> pending;
    std::vector<uint32_t> pendingLinks;
    std::vector<Node> next;
    std::vector<std::vector<uint32_t>> links;  // per frame, per state: where it came from
    std::array<Choice, 5> choices;
    ChoiceCache choiceCache(options.airJumps);

    for (int32_t frame = 1; frame <= result.frames; ++frame) {
        camera.column = frame;
        // First every state the inputs lead to before the frame, merged: many
        // inputs from many states meet (a release gives the same motion
        // whatever came before), and each distinct one is stepped once.
        before.newFrame();
        pending.clear();
        pendingLinks.clear();
        for (std::size_t parent = 0; parent < current.size(); ++parent) {
            const Node& node = current[parent];
            const int32_t count =
                choiceCache.choicesFor(before.motionKey(node.motion), node.motion, choices);
            for (int32_t c = 0; c < count; ++c) {
                const uint32_t link = packLink(static_cast<int32_t>(parent), choices[c].input);
                merge(before, pending, pendingLinks, Node{node.y, choices[c].motion, node.score},
                      link, options.keepRun);
            }
        }
        after.newFrame();
        next.clear();
        std::vector<uint32_t> frameLinks;
        for (std::size_t i = 0; i < pending.size(); ++i) {
            Node node = pending[i];
            body.y = node.y;
            body.fellOut = 0;
            node.score += playFrame(body, node.motion, grid);
            ++result.statesVisited;
            if (body.fellOut != 0) {
                continue;  // the level ends in this frame
            }
            node.y = body.y;
            merge(after, next, frameLinks, node, options.keepRun ? pendingLinks[i] : 0,
                  options.keepRun);
        }
        if (next.empty()) {
            return result;
        }
        result.framesSurvived = frame;
        result.widestFrame = std::max(result.widestFrame, static_cast<int32_t>(next.size()));
        if (options.keepRun) {
            links.push_back(std::move(frameLinks));
        }
        current.swap(next);
    }

    result.finishable = true;
    std::size_t best = 0;
    for (std::size_t i = 1; i < current.size(); ++i) {
        if (current[i].score > current[best].score) {
            best = i;
        }
    }
    result.bestScore = current[best].score;
    if (options.keepRun) {
        result.bestInputs.resize(links.size());
        uint32_t position = static_cast<uint32_t>(best);
        for (std::size_t frame = links.size(); frame-- > 0;) {
            const uint32_t link = links[frame][position];
            result.bestInputs[frame] = static_cast<SpaceInput>(link & 7u);
            position = link >> 3;
        }
    }
    return result;
}

std::vector<RunFrame> replayRun(const int32_t* grid, const std::vector<SpaceInput>& inputs) {
    std::vector<RunFrame> frames;
    Camera camera;
    Body body(const_cast<int32_t*>(grid), &camera);
    HeroMotion motion;
    int32_t score = 0;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const int32_t frame = static_cast<int32_t>(i) + 1;
        if (frameOverColumn(GridColumns - 1) < frame) {
            break;  // past the last column there is nothing to play on
        }
        motion = applyInput(motion, inputs[i]);
        camera.column = frame;
        score += playFrame(body, motion, grid);
        RunFrame out;
        out.input = inputs[i];
        out.column = body.gridColumn;
        out.row = body.gridRow;
        out.y = body.y;
        out.score = score;
        out.waistCell = cellAt(grid, body.gridColumn, body.gridRow - 2);
        out.fellOut = body.fellOut != 0;
        frames.push_back(out);
        if (out.fellOut) {
            break;
        }
    }
    return frames;
}

int32_t lastGroundColumn(const int32_t* grid) {
    return groundEndColumn(grid);
}

bool readLevelGrid(const char* tool, const std::string& path, LevelFileData& data,
                   std::vector<int32_t>& grid) {
    std::string contents;
    if (!text::readWholeFile(path, contents, MaxLevelFileBytes)) {
        std::cout << tool << ": cannot open " << path << std::endl;
        return false;
    }
    grid.assign(GridCells, Empty);
    parseLevelText(contents, data, grid.data());
    return true;
}
