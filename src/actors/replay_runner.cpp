#include "actors/replay_runner.h"

#include "actors/play_frame.h"

// The body only reads the grid; it wants a mutable pointer like the game's.
ReplayRunner::ReplayRunner(const int32_t* grid, const ReplayData* replay)
    : body(const_cast<int32_t*>(grid), &camera), grid(grid), replay(replay) {}

bool ReplayRunner::step() {
    if (ended()) {
        return false;
    }
    ++frame;
    const std::vector<ReplayEvent>& events = replay->events;
    while (nextEvent < events.size() && events[nextEvent].frame <= frame) {
        if (events[nextEvent].press) {
            motion.pressSpace();
        } else {
            motion.releaseSpace();
        }
        ++nextEvent;
    }
    // The level scrolls one column a frame before the hero moves.
    camera.column = frame;
    score += playFrame(body, motion, grid);
    return true;
}

bool replayReplays(const int32_t* grid, const ReplayData& replay, std::string& reason) {
    ReplayRunner runner(grid, &replay);
    while (runner.step()) {
    }
    if (runner.body.fellOut == 0 || runner.frame != replay.frames) {
        reason = "ne tombe pas du niveau a l'image " + std::to_string(replay.frames) + " (image " +
                 std::to_string(runner.frame) + ")";
        return false;
    }
    if (runner.score != replay.score) {
        reason = "annonce le score " + std::to_string(replay.score) + " mais en fait " +
                 std::to_string(runner.score);
        return false;
    }
    return true;
}
