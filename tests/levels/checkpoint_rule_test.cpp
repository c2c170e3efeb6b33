// Practice never puts a player back where a fall can no longer be saved by
// a person: on a level of every demanding block, from each state of the
// player model's plays where the checkpoint rule allows one, a hero whose
// player does nothing for ReactionFrames (about half a second, to see where
// the game went back to) can still live through the next SurvivalTable::Cap
// frames (more than the screen shows), or to the end.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actors/body.h"
#include "actors/checkpoint_rule.h"
#include "actors/play_frame.h"
#include "app/camera.h"
#include "level_generator.h"
#include "level_search.h"
#include "level_text.h"
#include "player_model.h"
#include "practice_run.h"
#include "survival_table.h"

namespace {

constexpr int32_t ReactionFrames = 15;

// One frame of the game's rules from (y, motion) after `frame`; `body` as
// that frame leaves it (its cell is the frame's, as the game's checkpoint
// sees it).
void playOn(const std::vector<int32_t>& grid, int32_t frame, SpaceInput input, int32_t& y,
            HeroMotion& motion, Camera& camera, Body& body) {
    motion = applyInput(motion, input);
    camera.column = frame;
    body = Body(const_cast<int32_t*>(grid.data()), &camera);
    body.y = y;
    playFrame(body, motion, grid.data());
    y = body.y;
}

}  // namespace

TEST(CheckpointRule, LeavesTimeToSeeAndJump) {
    levelgen::Settings settings;
    std::string error;
    ASSERT_TRUE(levelgen::parseSeedText(
        "seed 11\nplatforms 4\nstepping-stones 3\nfloat 4\nposts 5\nbonus-pit 4\n"
        "enemy-pair 5\nhigh-road 5\nstairs 5\nledge-up 5\nledge-down 4\ngap 5\narc 5\n"
        "platforms 5\nenemy 5\n",
        settings, error))
        << error;
    const std::vector<int32_t> grid = levelgen::generateGrid(settings);
    const SurvivalTable table(grid.data());
    for (const double sigma : {30.0, 60.0, 120.0}) {
        ModelOptions options;
        options.sigmaMs = sigma;
        const PlayerModel model(grid.data(), table, options);
        int allowed = 0;
        for (const PlayResult& play : playMany(model, 3, 40, 2)) {
            HeroMotion motion;
            int32_t y = 240;
            Camera camera;
            Body body(nullptr, &camera);
            for (int32_t frame = 1; frame <= play.frames; ++frame) {
                playOn(grid, frame, play.inputs[static_cast<std::size_t>(frame - 1)], y, motion,
                       camera, body);
                if (!checkpointAllowed(grid.data(), body, motion)) {
                    continue;
                }
                ++allowed;
                int32_t waitY = y;
                HeroMotion waiting = motion;
                Camera waitCamera;
                Body waitBody(nullptr, &waitCamera);
                for (int32_t wait = 1; wait <= ReactionFrames && waitBody.fellOut == 0; ++wait) {
                    playOn(grid, frame + wait, SpaceInput::Nothing, waitY, waiting, waitCamera,
                           waitBody);
                }
                const int32_t at = frame + ReactionFrames;
                const int32_t left =
                    waitBody.fellOut == 0 ? table.framesLeft(at, waitY, waiting) : 0;
                ASSERT_TRUE(left == SurvivalTable::Cap || at + left >= model.finishFrame())
                    << "sigma " << sigma << ", frame " << frame << ": " << left << " left";
            }
        }
        // The rule does allow checkpoints, all along the plays.
        EXPECT_GT(allowed, 40 * 40) << sigma;
    }
}

// Practice as the model plays it: a level that few plays from its start
// finish is finished by nearly every practice within half an hour.
TEST(CheckpointRule, PracticeGetsTheModelToTheEndOfAHardLevel) {
    levelgen::Settings settings;
    std::string error;
    ASSERT_TRUE(levelgen::parseSeedText(
        "seed 5\nstepping-stones 2\nflat 2\nstepping-stones 2\nflat 2\nstepping-stones 2\n"
        "flat 2\nstepping-stones 2\n",
        settings, error))
        << error;
    const std::vector<int32_t> grid = levelgen::generateGrid(settings);
    const SurvivalTable table(grid.data());
    const PlayerModel model(grid.data(), table, ModelOptions{});
    const ModelFigures plays = summarize(playMany(model, 1, 100, 2), 0);
    const std::vector<PracticeResult> practices =
        practiseMany(model, grid.data(), 1, 40, framesInMinutes(30), 2);
    int finished = 0;
    for (const PracticeResult& practice : practices) {
        finished += practice.finished ? 1 : 0;
    }
    EXPECT_LT(plays.finishShare, 0.5);
    EXPECT_GT(finished, 36) << "of 40, where " << plays.finishShare << " of plays finish";
}
