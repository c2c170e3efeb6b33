#include <SDL/SDL_ttf.h>

#include <string>

#include "app/game.h"
#include "screens/record_store.h"

// Under the level's record, the record its earlier version kept, if any: a
// score worth remembering, but not one to beat on this version.
void Game::showOldVersionRecord() {
    oldVersionRecord = 0;
    oldVersionSurface.reset();
    if (currentLevel < 0 || currentLevel >= MaxRecords) {
        return;
    }
    oldVersionRecord = recordOnFile(oldVersionOf(recordFilesOf(currentLevel, pace)).records);
    const FontPtr small = oldVersionRecord > 0 ? openFont("shark.ttf", 24) : nullptr;
    if (small) {
        const std::string text = "ancienne version : " + std::to_string(oldVersionRecord);
        oldVersionSurface.reset(
            TTF_RenderText_Blended(small.get(), text.c_str(), SDL_Color{0, 0, 0, 0}));
    }
}
