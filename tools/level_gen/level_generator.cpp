#include "level_generator.h"

#include <algorithm>
#include <array>

#include "actors/body.h"
#include "actors/hero_motion.h"
#include "app/camera.h"
#include "world/cell_code.h"

namespace levelgen {
namespace {

// The hero is over grid column (frame + 31) in a frame.
constexpr int32_t HeroColumn = 31;

// Ground is two rows of Tile0 and nothing below it: a body that sinks past a
// ground's edge falls out instead of standing deep inside the next ground
// (the body never collides sideways).
constexpr int32_t GroundThickness = 2;
constexpr int32_t HighestGround = 36;
constexpr int32_t LowestGround = 44;
constexpr int32_t HighestPlatform = 28;
constexpr int32_t StartGround = 40;
constexpr int32_t StartLength = 160;  // the hero lands here from y 240 at 10 or 5 pixels a frame
constexpr int32_t EndLength = 120;    // a calm run to the last column
constexpr int32_t SafeEdge = 12;      // columns kept clear at both ends of a run

// Timings tried when checking that a hop can be made: the press before the
// frame over one of the last TakeoffColumns columns (and the one past the
// edge), and the release ReleaseStep, 2 x ReleaseStep, ... frames later, or never.
constexpr int32_t TakeoffColumns = 30;
constexpr int32_t ReleaseStep = 2;
constexpr int32_t LongestRelease = 40;

// splitmix64: the same numbers on every platform and standard library.
class Rng {
  public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A whole number from lo to hi, both included.
    int32_t range(int32_t lo, int32_t hi) {
        if (hi <= lo) {
            return lo;
        }
        return lo + static_cast<int32_t>(next() % static_cast<uint64_t>(hi - lo + 1));
    }
    bool chance(int32_t percent) { return range(0, 99) < percent; }

  private:
    uint64_t state_;
};

struct Tuning {
    int32_t runMin, runMax;    // ground between two features
    int32_t gapMin, gapMax;    // empty columns of a hop
    int32_t riseMax, dropMax;  // rows the next ground may be higher or lower
    int32_t minWays;           // press and release timings that must land (of 651)
    int32_t enemyPercent;      // a run gets a ground enemy
    int32_t enemyPairPercent;  // ... and it is two enemies side by side
    int32_t flyingPercent;     // a hop gets an enemy on its most obvious path
    int32_t bonusLinePercent;  // a run gets a line of bonuses at waist height
    int32_t arcPercent;        // a run gets a bonus arc that only a jump takes
    int32_t chainPercent;      // a feature is a wide gap crossed on platforms or posts
    int32_t platformMin, platformMax;
    int32_t postPercent;  // a chain's stepping stone is a post; a pit gets a post
    int32_t postWidthMin, postWidthMax;
    int32_t upperPercent;  // a run gets a raised platform with bonuses on top
};

constexpr std::array<Tuning, 3> Tunings = {{
    // gentle: short gaps, small steps, wide timings, few enemies
    {40, 80, 4, 22, 2, 3, 200, 25, 0, 0, 70, 45, 10, 22, 32, 20, 4, 4, 30},
    // medium
    {25, 60, 8, 45, 5, 5, 90, 45, 25, 15, 55, 45, 25, 12, 22, 35, 3, 4, 30},
    // demanding: wide gaps, high ledges, narrow timings, enemies on the way
    {15, 45, 16, 80, 9, 6, 30, 65, 45, 40, 45, 50, 40, 8, 14, 50, 1, 3, 30},
}};

struct Surface {
    int32_t first = 0;  // columns, both included
    int32_t last = 0;
    int32_t top = StartGround;  // the row the hero stands on (its body is one row above)
    bool ground = true;         // ground (two rows deep) rather than a platform or a post
    bool post = false;          // Tile1 posts rather than Tile0
};

struct Flight {
    bool landed = false;
    int32_t column = 0;
    int32_t row = 0;  // the body's row in the frame it landed
};

struct Way {
    int32_t pressColumn = 0;
    int32_t releaseAfter = 0;  // 0: held
};

class Builder {
  public:
    explicit Builder(const Settings& settings)
        : rng_(settings.seed * 0x2545F4914F6CDD1Dull + static_cast<uint64_t>(settings.difficulty)),
          tune_(Tunings[static_cast<std::size_t>(std::clamp(settings.difficulty, 1, 3) - 1)]),
          grid_(GridCells, Empty) {}

    void build();
    std::vector<int32_t> takeGrid() { return std::move(grid_); }
    const Summary& summary() const { return summary_; }

  private:
    int32_t cell(int32_t column, int32_t row) const { return cellAt(grid_.data(), column, row); }
    void set(int32_t column, int32_t row, int32_t code) {
        const int32_t index = cellIndex(column, row);
        if (index >= 0) {
            grid_[static_cast<std::size_t>(index)] = code;
        }
    }
    void lay(const Surface& surface, int32_t code);
    void placeBonus(int32_t column, int32_t row);
    void placeEnemy(int32_t column, int32_t row);

    Flight fly(int32_t pressColumn, int32_t y, int32_t releaseAfter,
               std::vector<int32_t>* rows = nullptr);
    std::vector<Way> waysBetween(const Surface& from, const Surface& to);
    bool hop(const Surface& from, Surface& to, bool arc);
    void arcAlong(const Way& way, const Surface& from, const Surface& to);
    void flyingEnemy(const Way& way, const Surface& from, const Surface& to);

    Surface nextGround(const Surface& from, int32_t gap, int32_t rise, int32_t length) const;
    void plainHop(Surface& current);
    void chain(Surface& current);
    void decorateRun(const Surface& run);
    void upperRoute(const Surface& run);

    Rng rng_;
    const Tuning& tune_;
    std::vector<int32_t> grid_;
    std::vector<Surface> runs_;  // the ground runs between features, to decorate
    Summary summary_;
};

void Builder::lay(const Surface& surface, int32_t code) {
    const int32_t depth = surface.ground ? GroundThickness : 1;
    for (int32_t column = surface.first; column <= surface.last; ++column) {
        for (int32_t row = surface.top; row < surface.top + depth; ++row) {
            set(column, row, code);
        }
    }
}

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

// A jump with the game's own rules: the hero stands at `y`, presses before the
// frame over `pressColumn` and releases `releaseAfter` frames later (0: holds
// on). Ends at the first landing, or when it falls out.
Flight Builder::fly(int32_t pressColumn, int32_t y, int32_t releaseAfter,
                    std::vector<int32_t>* rows) {
    Camera camera;
    Body body(grid_.data(), &camera);
    body.y = y;
    HeroMotion motion;
    motion.motionState = MotionOnGround;
    motion.verticalSpeed = 1.0;
    motion.pressSpace();
    for (int32_t frame = 0; frame < 400; ++frame) {
        const int32_t column = pressColumn + frame;
        if (column >= GridColumns) {
            break;
        }
        if (releaseAfter > 0 && frame == releaseAfter) {
            motion.releaseSpace();
        }
        camera.column = column - HeroColumn;
        motion.step(body);
        if (rows != nullptr) {
            rows->push_back(body.gridRow);
        }
        if (body.fellOut != 0) {
            return {};
        }
        if (motion.motionState == MotionOnGround) {
            return Flight{true, body.gridColumn, body.gridRow};
        }
    }
    return {};
}

// Every timing that takes a hero standing anywhere in its cell on the end of
// `from` onto `to` (standing on it, not sunk into it).
std::vector<Way> Builder::waysBetween(const Surface& from, const Surface& to) {
    std::vector<Way> ways;
    const int32_t firstPress = std::max(from.first + 1, from.last + 1 - TakeoffColumns);
    for (int32_t press = firstPress; press <= from.last + 1; ++press) {
        for (int32_t release = 0; release <= LongestRelease; release += ReleaseStep) {
            bool lands = true;
            for (int32_t inCell : {0, CellSize - 1}) {
                const Flight flight = fly(press, (from.top - 1) * CellSize + inCell, release);
                if (!flight.landed || flight.column < to.first || flight.column > to.last ||
                    flight.row != to.top - 1) {
                    lands = false;
                    break;
                }
            }
            if (lands) {
                ways.push_back(Way{press, release});
            }
        }
    }
    return ways;
}

// Lays `to` after `from` and makes sure enough timings reach it; shrinks the
// gap and the height difference until they do. False (nothing laid) when even
// the easiest try is too hard.
bool Builder::hop(const Surface& from, Surface& to, bool arc) {
    const int32_t length = to.last - to.first + 1;
    const int32_t presses =
        from.last + 1 - std::max(from.first + 1, from.last + 1 - TakeoffColumns) + 1;
    const int32_t needed =
        std::max(1, (tune_.minWays * presses + TakeoffColumns) / (TakeoffColumns + 1));
    Surface trial = to;
    for (int32_t attempt = 0; attempt < 8; ++attempt) {
        lay(trial, trial.post ? Tile1 : Tile0);
        const std::vector<Way> ways = waysBetween(from, trial);
        if (static_cast<int32_t>(ways.size()) >= needed) {
            to = trial;
            if (arc) {
                arcAlong(ways[ways.size() / 2], from, to);
            }
            if (rng_.chance(tune_.flyingPercent)) {
                flyingEnemy(ways[ways.size() / 3], from, to);
            }
            return true;
        }
        lay(trial, Empty);
        const int32_t gap = trial.first - from.last - 1;
        const int32_t rise = from.top - trial.top;
        trial.first = from.last + 1 + gap * 3 / 4;
        trial.last = std::min(trial.first + length - 1, GridColumns - 1);
        trial.top = from.top - rise * 2 / 3;
    }
    return false;
}

void Builder::arcAlong(const Way& way, const Surface& from, const Surface& to) {
    std::vector<int32_t> rows;
    fly(way.pressColumn, (from.top - 1) * CellSize + CellSize / 2, way.releaseAfter, &rows);
    for (std::size_t i = 0; i < rows.size(); i += 2) {
        const int32_t column = way.pressColumn + static_cast<int32_t>(i);
        if (column > from.last && column < to.first) {
            placeBonus(column, rows[i] - 2);
        }
    }
}

void Builder::flyingEnemy(const Way& way, const Surface& from, const Surface& to) {
    std::vector<int32_t> rows;
    fly(way.pressColumn, (from.top - 1) * CellSize + CellSize / 2, way.releaseAfter, &rows);
    const int32_t middle = (from.last + to.first) / 2;
    const int32_t i = middle - way.pressColumn;
    if (i >= 0 && i < static_cast<int32_t>(rows.size())) {
        placeEnemy(middle, rows[static_cast<std::size_t>(i)] - 2);
    }
}

Surface Builder::nextGround(const Surface& from, int32_t gap, int32_t rise, int32_t length) const {
    Surface to;
    to.first = from.last + 1 + gap;
    to.last = std::min(to.first + length - 1, GridColumns - 1);
    to.top = std::clamp(from.top - rise, HighestGround, LowestGround);
    to.ground = true;
    return to;
}

void Builder::plainHop(Surface& current) {
    const int32_t gap = rng_.range(tune_.gapMin, tune_.gapMax);
    const int32_t rise = rng_.range(-tune_.dropMax, tune_.riseMax);
    Surface to = nextGround(current, gap, rise, rng_.range(tune_.runMin, tune_.runMax));
    if (hop(current, to, rng_.chance(tune_.arcPercent))) {
        ++summary_.gaps;
        const int32_t gapWidth = to.first - current.last - 1;
        if (gapWidth >= 12 && rng_.chance(tune_.postPercent)) {
            // A post in the pit, level with the lower side. It can only help:
            // a body that lands on it stops falling for as long as it stands
            // there, and may jump again.
            Surface post;
            post.ground = false;
            post.post = true;
            const int32_t width = rng_.range(tune_.postWidthMin, tune_.postWidthMax);
            post.first = current.last + 1 + (gapWidth - width) / 2;
            post.last = post.first + width - 1;
            post.top = std::max(current.top, to.top);
            lay(post, Tile1);
            ++summary_.posts;
        }
    } else {
        to = nextGround(current, 0, 0, to.last - to.first + 1);
        to.top = current.top;
        lay(to, Tile0);
    }
    runs_.push_back(to);
    current = to;
}

// A gap too wide for one jump, crossed on one to three platforms or posts.
void Builder::chain(Surface& current) {
    Surface from = current;
    const int32_t stones = rng_.range(1, 3);
    for (int32_t i = 0; i < stones; ++i) {
        Surface stone;
        stone.ground = false;
        stone.post = rng_.chance(tune_.postPercent);
        const int32_t width = stone.post ? rng_.range(tune_.postWidthMin, tune_.postWidthMax)
                                         : rng_.range(tune_.platformMin, tune_.platformMax);
        stone.first = from.last + 1 + rng_.range(std::max(tune_.gapMin, 10), tune_.gapMax);
        stone.last = stone.first + width - 1;
        stone.top = std::clamp(from.top - rng_.range(-tune_.dropMax, tune_.riseMax),
                               HighestPlatform, LowestGround);
        if (!hop(from, stone, rng_.chance(tune_.arcPercent))) {
            break;
        }
        ++(stone.post ? summary_.posts : summary_.platforms);
        from = stone;
    }
    const int32_t rise = rng_.range(-tune_.dropMax, tune_.riseMax);
    Surface to = nextGround(from, rng_.range(tune_.gapMin, tune_.gapMax), rise,
                            rng_.range(tune_.runMin, tune_.runMax));
    if (hop(from, to, rng_.chance(tune_.arcPercent))) {
        ++summary_.gaps;
    } else {
        // Straight on from the stone, down onto ground at once.
        to = nextGround(from, 0, 0, to.last - to.first + 1);
        to.top = std::clamp(from.top, HighestGround, LowestGround);
        lay(to, Tile0);
    }
    runs_.push_back(to);
    current = to;
}

// A platform above a run, reached by a jump from the ground, with bonuses on top.
void Builder::upperRoute(const Surface& run) {
    const int32_t length = run.last - run.first + 1;
    if (length < 90) {
        return;
    }
    Surface platform;
    platform.ground = false;
    platform.first = run.first + rng_.range(SafeEdge + 20, SafeEdge + 30);
    platform.last = std::min(platform.first + rng_.range(14, 30), run.last - 40);
    platform.top = std::max(run.top - rng_.range(5, 9), HighestPlatform);
    if (platform.last - platform.first < 10) {
        return;
    }
    Surface takeoff = run;
    takeoff.last = platform.first - 1;
    lay(platform, Tile0);
    const std::vector<Way> ways = waysBetween(takeoff, platform);
    if (static_cast<int32_t>(ways.size()) < tune_.minWays / 2) {
        lay(platform, Empty);
        return;
    }
    ++summary_.platforms;
    for (int32_t column = platform.first + 1; column < platform.last; column += 2) {
        placeBonus(column, platform.top - 3);
    }
}

void Builder::decorateRun(const Surface& run) {
    const int32_t innerFirst = run.first + SafeEdge;
    const int32_t innerLast = run.last - SafeEdge;
    if (innerLast - innerFirst < 6) {
        return;
    }
    if (rng_.chance(tune_.upperPercent)) {
        upperRoute(run);
    }
    const int32_t waist = run.top - 3;  // a runner's waist: bonuses taken, enemies hurt
    if (rng_.chance(tune_.bonusLinePercent)) {
        const int32_t count = rng_.range(3, 8);
        const int32_t start = rng_.range(innerFirst, std::max(innerFirst, innerLast - 2 * count));
        for (int32_t i = 0; i < count && start + 2 * i <= innerLast; ++i) {
            placeBonus(start + 2 * i, waist);
        }
    }
    if (rng_.chance(tune_.arcPercent) && innerLast - innerFirst > 30) {
        // A short hop over the run whose bonuses only a jump reaches, over an
        // enemy now and then.
        const int32_t press = rng_.range(innerFirst, innerLast - 30);
        const int32_t release = rng_.range(5, 12);
        std::vector<int32_t> rows;
        const Flight flight = fly(press, (run.top - 1) * CellSize + CellSize / 2, release, &rows);
        if (flight.landed && flight.row == run.top - 1 && flight.column <= innerLast) {
            for (std::size_t i = 0; i < rows.size(); i += 2) {
                if (rows[i] - 2 <= waist - 3) {
                    placeBonus(press + static_cast<int32_t>(i), rows[i] - 2);
                }
            }
            if (rng_.chance(tune_.enemyPercent)) {
                placeEnemy((press + flight.column) / 2, waist);
            }
        }
    }
    if (rng_.chance(tune_.enemyPercent)) {
        const int32_t column = rng_.range(innerFirst, innerLast - 1);
        placeEnemy(column, waist);
        if (rng_.chance(tune_.enemyPairPercent)) {
            placeEnemy(column + 1, waist);
        }
    }
    if (tune_.flyingPercent > 0 && rng_.chance(tune_.enemyPercent / 2)) {
        // Right where a hero coming down from the last hop touches the ground.
        placeEnemy(run.first + rng_.range(4, SafeEdge), waist);
    }
}

void Builder::build() {
    Surface current;
    current.first = 0;
    current.last = StartLength - 1;
    current.top = StartGround;
    lay(current, Tile0);
    while (current.last < GridColumns - EndLength - 2 * tune_.runMax - 3 * tune_.gapMax) {
        if (rng_.chance(tune_.chainPercent)) {
            chain(current);
        } else {
            plainHop(current);
        }
    }
    Surface end = nextGround(current, 0, 0, GridColumns - 1 - current.last);
    end.top = current.top;
    lay(end, Tile0);
    for (const Surface& run : runs_) {
        decorateRun(run);
    }
}

}  // namespace

std::vector<int32_t> generateGrid(const Settings& settings, Summary* summary) {
    Builder builder(settings);
    builder.build();
    if (summary != nullptr) {
        *summary = builder.summary();
    }
    return builder.takeGrid();
}

std::string levelFileText(const Settings& settings, const std::vector<int32_t>& grid) {
    const std::string folder = "Niveaux/niveau-" + std::to_string(settings.number) + "/";
    std::string text;
    text.reserve(static_cast<std::size_t>(GridCells) * 2 + 512);
    text += "img 1 " + folder + "fond.png\n";
    text += "img 2 " + folder + "decor.png\n";
    text += "img 3 " + folder + "extra.png\n";
    text += "tile 0 " + folder + "tile0.png\n";
    text += "tile 1 " + folder + "tile1.png\n";
    text += "hero Player/hero.hr\n";
    text += "#Collisions\n";
    for (int32_t column = 0; column < GridColumns; ++column) {
        for (int32_t row = 0; row < GridRows; ++row) {
            const int32_t code = cellAt(grid.data(), column, row);
            char number = '0';
            switch (code) {
                case Tile0:
                    number = '1';
                    break;
                case Bonus:
                    number = '2';
                    break;
                case Enemy:
                    number = '3';
                    break;
                case Tile1:
                    number = '4';
                    break;
                default:
                    number = '0';
                    break;
            }
            text += number;
            text += row + 1 < GridRows ? ' ' : '\n';
        }
    }
    return text;
}

}  // namespace levelgen
