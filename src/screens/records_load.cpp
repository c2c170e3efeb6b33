#include <iostream>
#include <string>

#include "app/game.h"
#include "screens/progress.h"
#include "screens/records.h"
#include "util/keyword_text.h"

void Game::loadRecords() {
    const int32_t count = levelCount < MaxRecords ? levelCount : MaxRecords;
    for (int32_t i = 0; i < count; ++i) {
        // A file without a number holds no record: it must not take the
        // record of the level before, or a lower real score is never saved.
        double square = 0.0;
        std::string contents;
        if (!text::readWholeFile(recordsFileName(i), contents, text::MaxDataFileBytes)) {
            std::cout << std::endl
                      << std::endl
                      << "Impossible d'ouvrir le fichier Save/records.rcd !! 404 Not found !"
                      << std::endl
                      << std::endl;
            continue;
        }
        readRecordSquare(contents, square);
        records[i] = recordFromSquare(square);
    }
    progress = readProgress();
    nextScreen = Screen::TitleMenu;
}
