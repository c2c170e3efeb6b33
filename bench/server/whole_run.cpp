// Writes the replay text of a whole-level run: the level checker's best run
// over LEVELFILE, played on until the hero falls out, its score and frame set
// by the game's re-play. The server benchmark submits it.
//   bench-server-whole-run LEVELFILE > run.rpl

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "actors/replay_runner.h"
#include "level_search.h"
#include "screens/replay_file.h"
#include "util/fingerprint.h"
#include "util/keyword_text.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: bench-server-whole-run LEVELFILE" << std::endl;
        return 2;
    }
    LevelFileData data;
    std::vector<int32_t> grid;
    std::string text;
    if (!readLevelGrid("bench-server-whole-run", argv[1], data, grid) ||
        !text::readWholeFile(argv[1], text, MaxLevelFileBytes)) {
        return 1;
    }
    SearchOptions options;
    options.lastColumn = std::max(HeroColumnOffset + 1, lastGroundColumn(grid.data()));
    options.airJumps = false;
    options.keepRun = true;
    const SearchResult result = searchLevel(grid.data(), options);
    if (!result.finishable) {
        std::cerr << argv[1] << ": no run finishes this level" << std::endl;
        return 1;
    }
    ReplayData replay;
    replay.levelFingerprint = fingerprintOf(text);
    for (std::size_t i = 0; i < result.bestInputs.size(); ++i) {
        const int32_t frame = static_cast<int32_t>(i + 1);
        const SpaceInput input = result.bestInputs[i];
        if (input == SpaceInput::Press || input == SpaceInput::PressRelease) {
            addReplayEvent(replay.events, frame, true);
        }
        if (input == SpaceInput::Release || input == SpaceInput::PressRelease ||
            input == SpaceInput::ReleasePress) {
            addReplayEvent(replay.events, frame, false);
        }
        if (input == SpaceInput::ReleasePress) {
            addReplayEvent(replay.events, frame, true);
        }
    }
    replay.frames = MaxReplayFrames;
    ReplayRunner runner(grid.data(), &replay);
    while (runner.step()) {
    }
    replay.frames = runner.frame;
    replay.score = runner.score;
    std::cout << replayText(replay);
    return 0;
}
