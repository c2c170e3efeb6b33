#include "level_generator.h"

#include <algorithm>
#include <array>

#include "actors/body.h"
#include "actors/hero_motion.h"
#include "app/camera.h"
#include "splitmix.h"
#include "world/cell_code.h"

namespace levelgen {
namespace {

// The hero is over grid column (frame + 31) in a frame.
constexpr int32_t HeroColumn = 31;

// Ground is two rows of Tile0 and nothing below it: a body that sinks past a
// ground's edge falls out instead of standing deep inside the next ground
// (the body never collides sideways).
constexpr int32_t HighestGround = 36;
constexpr int32_t LowestGround = 44;
constexpr int32_t HighestPlatform = 28;
constexpr int32_t StartGround = 40;
// The hero lands on the start from y 240 at 10 or 5 pixels a frame, and runs
// a few seconds before the first block.
constexpr int32_t StartLength = 160;
constexpr int32_t EndLength = 60;  // a calm run before the ground ends

struct Surface {
    int32_t first = 0;  // columns, both included
    int32_t last = -1;
    int32_t top = StartGround;  // the row the hero stands on (its body is one row above)
};

class Builder {
  public:
    explicit Builder(const Settings& settings)
        : rng_(settings.seed * 0x2545F4914F6CDD1Dull + 0x5851F42D4C957F2Dull),
          grid_(GridCells, Empty) {}

    void build(const std::vector<PlannedBlock>& blocks);
    std::vector<int32_t> takeGrid() { return std::move(grid_); }
    const Summary& summary() const { return summary_; }

  private:
    void set(int32_t column, int32_t row, int32_t code) {
        const int32_t index = cellIndex(column, row);
        if (index >= 0) {
            grid_[static_cast<std::size_t>(index)] = code;
        }
    }
    int32_t cell(int32_t column, int32_t row) const { return cellAt(grid_.data(), column, row); }
    void placeBonus(int32_t column, int32_t row);
    void placeEnemy(int32_t column, int32_t row);
    std::vector<int32_t> heldJumpRows(int32_t pressColumn, int32_t top, int32_t releaseAfter);

    // Ground (two rows of Tile0, nothing under it) after `gap` empty columns,
    // `rise` rows higher than the ground the hero is on; it becomes that ground.
    void ground(int32_t gap, int32_t rise, int32_t length);
    // A platform (one row of Tile0) or a post (Tile1) in the air.
    void stone(int32_t first, int32_t width, int32_t top, bool post);
    int32_t exitRun(int32_t d) { return 44 - 4 * d + rng_.range(0, 6); }

  public:
    // The blocks, each laid after the ground the hero is on.
    void flat(int32_t d);
    void gap(int32_t d);
    void ledgeUp(int32_t d);
    void ledgeDown(int32_t d);
    void stairs(int32_t d);
    void platforms(int32_t d);
    void posts(int32_t d);
    void arc(int32_t d);
    void enemy(int32_t d);
    void enemyPair(int32_t d);
    void highRoad(int32_t d);
    void floatChain(int32_t d);
    void steppingStones(int32_t d);
    void bonusPit(int32_t d);

  private:
    void block(const PlannedBlock& planned);

    SplitMix rng_;
    std::vector<int32_t> grid_;
    Surface current_;
    Summary summary_;
};

void Builder::placeBonus(int32_t column, int32_t row) {
    if (cell(column, row) == Empty && row >= 0 && row < VisibleRows) {
        set(column, row, Bonus);
        ++summary_.bonuses;
    }
}

void Builder::placeEnemy(int32_t column, int32_t row) {
    if (cell(column, row) == Empty && row >= 0 && row < VisibleRows) {
        set(column, row, Enemy);
        ++summary_.enemies;
    }
}

// The rows of the body's waist, column by column, in a jump with the game's
// own rules pressed before the frame over `pressColumn` from ground whose top
// is `top`, released `releaseAfter` frames later (0: held), until it lands.
std::vector<int32_t> Builder::heldJumpRows(int32_t pressColumn, int32_t top, int32_t releaseAfter) {
    std::vector<int32_t> rows;
    Camera camera;
    Body body(grid_.data(), &camera);
    body.y = (top - 1) * CellSize + CellSize / 2;
    HeroMotion motion;
    motion.motionState = MotionOnGround;
    motion.pressSpace();
    for (int32_t frame = 0; frame < 200; ++frame) {
        if (releaseAfter > 0 && frame == releaseAfter) {
            motion.releaseSpace();
        }
        camera.column = pressColumn + frame - HeroColumn;
        motion.step(body);
        if (body.fellOut != 0 || motion.motionState == MotionOnGround) {
            break;
        }
        rows.push_back(body.gridRow - 2);
    }
    return rows;
}

void Builder::ground(int32_t gap, int32_t rise, int32_t length) {
    Surface next;
    next.first = std::min(current_.last + 1 + std::max(0, gap), GridColumns - 1);
    next.last = std::min(next.first + std::max(1, length) - 1, GridColumns - 1);
    next.top = std::clamp(current_.top - rise, HighestGround, LowestGround);
    for (int32_t column = next.first; column <= next.last; ++column) {
        set(column, next.top, Tile0);
        set(column, next.top + 1, Tile0);
    }
    if (gap > 0) {
        ++summary_.gaps;
    }
    current_ = next;
}

void Builder::stone(int32_t first, int32_t width, int32_t top, bool post) {
    for (int32_t column = first; column < first + width; ++column) {
        set(column, top, post ? Tile1 : Tile0);
    }
    ++(post ? summary_.posts : summary_.platforms);
}

// A calm stretch of ground: shorter as it gets harder.
void Builder::flat(int32_t d) {
    ground(0, 0, 56 - 6 * d + rng_.range(0, 8));
}

// A gap to jump, wider as it gets harder, and ground beyond it.
void Builder::gap(int32_t d) {
    ground(3 + 3 * d + rng_.range(0, 2), 0, exitRun(d));
}

// Ground higher up, after a small gap or none: too high to walk onto.
void Builder::ledgeUp(int32_t d) {
    const int32_t rise = std::min(1 + d, current_.top - HighestGround);
    if (rise < 2) {
        ledgeDown(d);
        return;
    }
    ground(rng_.range(0, d - 1), rise, exitRun(d));
}

// Ground lower down: walking off is enough.
void Builder::ledgeDown(int32_t d) {
    const int32_t drop = std::min(1 + d, LowestGround - current_.top);
    if (drop < 2) {
        ledgeUp(d);
        return;
    }
    ground(d > 2 ? rng_.range(0, 3) : 0, -drop, exitRun(d));
}

// Three short steps up (or down where there is no room), each a ledge, shorter
// as it gets harder.
void Builder::stairs(int32_t d) {
    const int32_t step = d >= 4 ? 3 : 2;
    const int32_t direction = current_.top - 3 * step >= HighestGround ? 1 : -1;
    const int32_t length = 16 - 2 * d;
    for (int32_t i = 0; i < 3; ++i) {
        ground(0, direction * step, length);
    }
    ground(0, 0, exitRun(d));
}

// A gap too wide to float over, crossed on floating platforms that climb to
// ground higher than the takeoff; narrower as it gets harder.
void Builder::platforms(int32_t d) {
    const int32_t count = d >= 3 ? 3 : 2;
    const int32_t width = std::max(3, 12 - 2 * d);
    const int32_t spacing = 14 + d;  // empty columns between two stones
    const int32_t rise = std::min(3, (current_.top - HighestPlatform) / (count + 1));
    int32_t column = current_.last + 1 + spacing;
    int32_t top = current_.top;
    for (int32_t i = 0; i < count; ++i) {
        top -= rise;
        stone(column, width, top, false);
        column += width + spacing;
    }
    const int32_t gapWidth = column - current_.last - 1;
    ground(gapWidth, std::min(current_.top - top, rise), exitRun(d));
}

// A pit with posts in it, each standing on nothing, narrower as it gets harder.
void Builder::posts(int32_t d) {
    const int32_t count = 2 + (d >= 3 ? 1 : 0);
    const int32_t width = std::max(2, 8 - d);
    const int32_t spacing = 6 + d;
    int32_t column = current_.last + 1 + spacing;
    const int32_t top = current_.top;
    for (int32_t i = 0; i < count; ++i) {
        stone(column, width, top - 2 * (i % 2), true);
        column += width + spacing;
    }
    ground(column - current_.last - 1, 0, exitRun(d));
}

// A gap with a line of bonuses where a plain held jump tops out over it: the
// top of the jump is nearly flat, so a press a little early or late still
// takes most of them.
void Builder::arc(int32_t d) {
    const int32_t takeoff = current_.last;
    const int32_t top = current_.top;
    ground(4 + 2 * d, 0, exitRun(d));
    const int32_t press = takeoff - 8;
    const std::vector<int32_t> rows = heldJumpRows(press, top, 0);
    if (rows.empty()) {
        return;
    }
    const int32_t highest = *std::min_element(rows.begin(), rows.end());
    for (std::size_t i = 0; i < rows.size() && i < 40; ++i) {
        if (rows[i] == highest) {
            placeBonus(press + static_cast<int32_t>(i), highest);
        }
    }
}

// An enemy at a runner's waist: jump it or lose 100.
void Builder::enemy(int32_t d) {
    const int32_t before = 24 - 2 * d + rng_.range(0, 6);
    ground(0, 0, before);
    placeEnemy(current_.last, current_.top - 3);
    ground(0, 0, exitRun(d));
}

// Two enemies, further apart as it gets harder, so that one jump over both
// needs a good release.
void Builder::enemyPair(int32_t d) {
    ground(0, 0, 24 - 2 * d + rng_.range(0, 6));
    placeEnemy(current_.last, current_.top - 3);
    const int32_t apart = 2 + 3 * d;
    ground(0, 0, apart);
    placeEnemy(current_.last, current_.top - 3);
    ground(0, 0, exitRun(d));
}

// A raised road with bonuses on top over the ground, on which enemies wait.
void Builder::highRoad(int32_t d) {
    ground(0, 0, 20);
    const int32_t length = 40 + 4 * d;
    const int32_t top = current_.top - std::min(6, 3 + d);
    const int32_t first = current_.last + 4;
    stone(first, length, top, false);
    for (int32_t column = first + 2; column < first + length - 1; column += 3) {
        placeBonus(column, top - 3);
    }
    ground(0, 0, length + 12);
    for (int32_t i = 0; i < 1 + d; ++i) {
        placeEnemy(first + 6 + i * (length - 8) / std::max(1, d), current_.top - 3);
    }
    ground(0, 0, exitRun(d));
}

// A chain of gaps too wide to clear without floating past the top of a held
// jump, each ending on a small island of ground: every crossing is a long
// hold and a release timed to come down on the island. Wider gaps, narrower
// islands and more of them as it gets harder.
void Builder::floatChain(int32_t d) {
    const int32_t count = 2 + (d + 1) / 2;
    const int32_t island = 30 - 4 * d;
    for (int32_t i = 0; i < count; ++i) {
        ground(40 + 2 * d + rng_.range(0, 3), 0, island);
    }
    ground(40 + 2 * d + rng_.range(0, 3), 0, exitRun(d));
}

// A pit longer than any float with a row of posts at the ground's height,
// crossed in short hops from one to the next; narrower posts further apart as
// it gets harder.
void Builder::steppingStones(int32_t d) {
    const int32_t width = 8 - d;
    const int32_t spacing = 3 + (d + 1) / 2;
    constexpr int32_t PitLength = 150;  // past a held float's 120 or so columns
    const int32_t top = current_.top;
    int32_t column = current_.last + 1 + spacing;
    while (column - current_.last - 1 < PitLength) {
        stone(column, width, top, true);
        column += width + spacing;
    }
    ground(column - current_.last - 1, 0, exitRun(d));
}

// A gap that a held jump floats over, with bonuses at a runner's waist over a
// post low in the pit: they are worth a landing on the post and a jump out of
// the pit, the safe line leaves them. The post is narrower and lower as it
// gets harder.
void Builder::bonusPit(int32_t d) {
    const int32_t side = 16 + 3 * d;
    const int32_t width = 16 - d;
    const int32_t top = std::min(current_.top + 2 + d / 2, LowestGround + 1);
    const int32_t first = current_.last + 1 + side;
    stone(first, width, top, true);
    for (int32_t column = first; column < first + width; ++column) {
        placeBonus(column, top - 3);
    }
    ground(2 * side + width, 0, exitRun(d));
}

// Every block a seed file may name, and what lays it out.
struct BlockKind {
    const char* name;
    void (Builder::*lay)(int32_t difficulty);
};
const std::array<BlockKind, 14> BlockKinds = {{
    {"flat", &Builder::flat},
    {"gap", &Builder::gap},
    {"ledge-up", &Builder::ledgeUp},
    {"ledge-down", &Builder::ledgeDown},
    {"stairs", &Builder::stairs},
    {"platforms", &Builder::platforms},
    {"posts", &Builder::posts},
    {"arc", &Builder::arc},
    {"enemy", &Builder::enemy},
    {"enemy-pair", &Builder::enemyPair},
    {"high-road", &Builder::highRoad},
    {"float", &Builder::floatChain},
    {"stepping-stones", &Builder::steppingStones},
    {"bonus-pit", &Builder::bonusPit},
}};

void Builder::block(const PlannedBlock& planned) {
    const int32_t d = std::clamp(planned.difficulty, 1, 5);
    const int32_t first = current_.last + 1;
    for (const BlockKind& kind : BlockKinds) {
        if (planned.name == kind.name) {
            (this->*kind.lay)(d);
            summary_.blocks.push_back(BlockSpan{planned.name, d, first, current_.last});
            return;
        }
    }
}

void Builder::build(const std::vector<PlannedBlock>& blocks) {
    current_ = Surface{};
    ground(0, 0, StartLength);
    summary_.blocks.push_back(BlockSpan{"start", 0, 0, current_.last});
    for (const PlannedBlock& planned : blocks) {
        if (current_.last >= GridColumns - EndLength - 400) {
            break;  // no room left: the level ends here
        }
        block(planned);
    }
    const int32_t first = current_.last + 1;
    ground(0, 0, EndLength);
    summary_.blocks.push_back(BlockSpan{"end", 0, first, current_.last});
    summary_.lastColumn = current_.last;
}

}  // namespace

std::vector<int32_t> generateGrid(const Settings& settings, Summary* summary) {
    Builder builder(settings);
    builder.build(settings.blocks);
    if (summary != nullptr) {
        *summary = builder.summary();
    }
    return builder.takeGrid();
}

const std::vector<std::string>& blockNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const BlockKind& kind : BlockKinds) {
            all.push_back(kind.name);
        }
        return all;
    }();
    return names;
}

}  // namespace levelgen
