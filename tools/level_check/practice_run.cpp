#include "practice_run.h"

#include <algorithm>
#include <thread>

#include "actors/body.h"
#include "actors/checkpoint_rule.h"
#include "actors/play_frame.h"
#include "app/camera.h"
#include "app/practice.h"
#include "cautious_model.h"
#include "level_search.h"

CheckpointWalk walkCheckpoints(const int32_t* grid, const PlayStart& start, const PlayResult& play,
                               int32_t framesSince) {
    CheckpointWalk walk{start, framesSince};
    int32_t y = start.y;
    HeroMotion motion = start.motion;
    for (std::size_t i = 0; i < play.inputs.size(); ++i) {
        const int32_t frame = start.frame + 1 + static_cast<int32_t>(i);
        motion = applyInput(motion, play.inputs[i]);
        Camera camera;
        camera.column = frame;
        Body body(const_cast<int32_t*>(grid), &camera);
        body.y = y;
        playFrame(body, motion, grid);
        y = body.y;
        if (body.fellOut != 0) {
            break;
        }
        // As the game's practice does after each frame.
        if (walk.framesSince >= Practice::AutoCheckpointFrames &&
            checkpointAllowed(grid, body, motion)) {
            walk.last = PlayStart{frame, y, motion};
            walk.framesSince = 0;
        } else {
            ++walk.framesSince;
        }
    }
    return walk;
}

template <typename Model>
PracticeResult practise(const Model& model, const int32_t* grid, uint64_t seed,
                        int32_t budgetFrames) {
    PracticeResult result;
    CheckpointWalk at;
    for (int32_t attempt = 0; result.framesPlayed < budgetFrames; ++attempt) {
        const PlayResult play = model.play(playSeed(seed, attempt), at.last);
        result.framesPlayed += play.frames - at.last.frame;
        if (play.finished) {
            result.finished = result.framesPlayed <= budgetFrames;
            return result;
        }
        ++result.falls;
        result.framesPlayed += Practice::FallPauseFrames;
        at = walkCheckpoints(grid, at.last, play, at.framesSince);
        at.framesSince = 0;  // the game counts again from the restore
    }
    return result;
}

template <typename Model>
std::vector<PracticeResult> practiseMany(const Model& model, const int32_t* grid, uint64_t seed,
                                         int32_t count, int32_t budgetFrames, int32_t threads) {
    std::vector<PracticeResult> results(static_cast<std::size_t>(std::max(0, count)));
    std::vector<std::thread> workers;
    for (int32_t w = 0; w < std::clamp(threads, 1, 64); ++w) {
        workers.emplace_back([&, w, threads] {
            for (int32_t i = w; i < count; i += std::clamp(threads, 1, 64)) {
                results[static_cast<std::size_t>(i)] =
                    practise(model, grid, playSeed(seed, i), budgetFrames);
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    return results;
}

template std::vector<PracticeResult> practiseMany<PlayerModel>(const PlayerModel&, const int32_t*,
                                                               uint64_t, int32_t, int32_t, int32_t);
template std::vector<PracticeResult> practiseMany<CautiousModel>(const CautiousModel&,
                                                                 const int32_t*, uint64_t, int32_t,
                                                                 int32_t, int32_t);
template PracticeResult practise<PlayerModel>(const PlayerModel&, const int32_t*, uint64_t,
                                              int32_t);
template PracticeResult practise<CautiousModel>(const CautiousModel&, const int32_t*, uint64_t,
                                                int32_t);
