#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "actors/hero_motion.h"
#include "actors/play_frame.h"

#include "world/cell_code.h"
#include "world/level_file.h"

// What the player can do with the space bar between two frames.
enum class SpaceInput : uint8_t {
    Nothing,
    Press,
    Release,
    PressRelease,
    ReleasePress,
};

// The hero stands over grid column (frame + HeroColumnOffset) in a frame: the
// body's x is 310, that is screen column 31, and the camera has moved one
// column per frame by then.
constexpr int32_t HeroColumnOffset = 31;

// The frame in which the hero is over `column` (1 for column 32).
constexpr int32_t frameOverColumn(int32_t column) {
    return column - HeroColumnOffset;
}

class Body;

// The motion after the player's keys between two frames.
HeroMotion applyInput(HeroMotion motion, SpaceInput input);

struct Choice {
    HeroMotion motion;
    SpaceInput input;
};

// The distinct motions the five inputs lead to (many coincide: a press in the
// air does nothing, a press then a release is a release), each with the first
// input that gives it, so a replayed run uses the plainest keys. Without
// airJumps, "release then press" is left out while the hero is off the ground.
int32_t distinctChoices(const HeroMotion& motion, bool airJumps, std::array<Choice, 5>& out);

// Reads a level file with the game's parser into `grid` (GridCells cells).
// False, having said why on the standard output as `tool`, when it cannot.
bool readLevelGrid(const char* tool, const std::string& path, LevelFileData& data,
                   std::vector<int32_t>& grid);

// The last column with anything solid in the visible rows: a level is as long
// as its ground, and past it the hero falls out.
int32_t lastGroundColumn(const int32_t* grid);

struct SearchOptions {
    // The run must live through the frame in which the hero is over this column.
    int32_t lastColumn = GridColumns - 1;
    // Allow "release then press" while the hero is not on the ground: the
    // release puts it on the ground for the rules, so the press jumps again in
    // mid-air. Legal, but it asks for both key events within one 31 ms gap.
    bool airJumps = true;
    // Keep what is needed to give back the best run's inputs.
    bool keepRun = false;
};

// One frame of a replayed run.
struct RunFrame {
    SpaceInput input = SpaceInput::Nothing;  // what came before this frame
    int32_t column = 0;                      // the body's grid column in this frame
    int32_t row = 0;                         // the body's grid row in this frame
    int32_t y = 0;                           // the body's y after the frame
    int32_t score = 0;                       // the score after the frame
    int32_t waistCell = Empty;               // the cell two rows above the body
    bool fellOut = false;
};

struct SearchResult {
    bool finishable = false;
    int32_t frames = 0;                  // frames a finishing run lives through
    int32_t framesSurvived = 0;          // the most frames any run lived through
    int32_t bestScore = 0;               // best score after the last frame (finishable only)
    int64_t statesVisited = 0;           // states stepped, summed over all frames
    int32_t widestFrame = 0;             // the most distinct states in one frame
    std::vector<SpaceInput> bestInputs;  // keepRun and finishable: one per frame
};

// Searches every press and release timing for a run that lives through the
// frame over options.lastColumn, and the best score such a run can have. The
// grid is GridCells cells, column-major, as the level holds them; it is not
// changed (a collected bonus cannot matter later: each column is under the
// hero in one frame only).
//
// A frame is the play loop's: camera column + 1, score + 1, the hero's update
// (its Body and motion rules, the game's own code), the cell two rows above the
// body (bonus + 50, enemy - 100), then the fell-out test, which ends the run.
// Between two frames, and before the first, the player may do any SpaceInput.
// The future depends only on the body's y, the hero's speed and motion state
// (the airborne mark only decides the landing sound, the frame index and clock
// only the picture drawn, and the body's cell is worked out afresh from y each
// frame), so runs that share those three are merged, keeping the best score.
SearchResult searchLevel(const int32_t* grid, const SearchOptions& options);

// Plays `inputs` (one per frame, before that frame) from the start of a level
// with the game's rules, frame by frame, until the inputs end or the hero
// falls out.
std::vector<RunFrame> replayRun(const int32_t* grid, const std::vector<SpaceInput>& inputs);
