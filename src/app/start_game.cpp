#include <memory>
#include <string>
#include <utility>

#include "app/game.h"
#include "screens/record_store.h"
#include "screens/replay_loader.h"
#include "screens/story.h"
#include "util/atomic_file.h"
#include "util/keyword_text.h"
#include "world/level_extent.h"

void Game::startGame(int32_t levelIndex) {
    // Written before the index is checked. Atomically, so that a crash never
    // leaves an empty saved game (which would stop the next start-up); when
    // it cannot be written the old file stays and the level starts anyway.
    // A file that already says exactly this is left alone: flushing it to
    // disk again would only add a wait to every start of a level.
    const std::string saved = savedGameText(levelCount);
    std::string current;
    if (!text::readWholeFile(SavedGamePath, current, text::MaxDataFileBytes) || current != saved) {
        writeFileAtomically(SavedGamePath, saved);
    }

    if (levelIndex < 0 || levelIndex >= levelCount || levelIndex >= MaxLevelFiles) {
        nextScreen = Screen::End;
        return;
    }

    // Release the previous play first: the hero before its body, the body
    // before the grid it points into, so nothing ever points at freed memory
    // (and two 3 MB levels are never alive at once).
    ghost.clear();
    worldGhost.clear();
    hero.reset();
    body.reset();
    level.reset();

    camera = Camera{};
    hero = std::make_unique<Hero>("Player/hero.hr", "machin");
    nowTicks = 0;
    lastFrameTicks = 0;
    level = std::make_unique<Level>(std::string(levelFiles[levelIndex]), &camera);
    body = std::make_unique<Body>(level->grid.data(), &camera);
    hero->body = body.get();
    level->cellsVisible = true;
    pausedByKey = false;
    pausedByFocusLoss = false;
    spaceDown = false;
    runEvents.clear();
    playedFrames = 0;
    runRecorded = true;
    takenBonuses.clear();
    practiceFrame.reset();
    finishFrame = levelFinishFrame(level->grid.data());
    runPercent = 0;
    // A record made on an earlier version of this level is no target for
    // this one: it is kept apart, and shown so at the end of the level.
    const RecordFiles files = recordFilesOf(levelIndex, pace);
    if (levelIndex < MaxRecords && nextScreen != Screen::WatchRecord &&
        setAsideOtherVersion(levelIndex, files, level->fileFingerprint) && pace == FullPace) {
        records[levelIndex] = recordOnFile(files.records);
    }
    ReplayData record;
    // Checked on the level just read, before anything is taken from it. The
    // record run being watched was checked by the level menu, and races no
    // ghost of itself.
    if (nextScreen != Screen::WatchRecord &&
        loadReplay(levelIndex, levelFiles[levelIndex], level->fileFingerprint, level->grid.data(),
                   record, pace)) {
        ghost.start(level->grid.data(), std::move(record), *hero);
    }
    if (nextScreen != Screen::WatchRecord) {
        startWorldGhost(levelIndex);
    }
    if (practising) {
        practice.begin(takeCheckpoint(), finishFrame);
    }
    tellBoardOfStart(levelIndex);
    currentLevel = levelIndex;
    nextScreen = Screen::PlayLevel;
}
