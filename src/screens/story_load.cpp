#include <iostream>

#include "app/game.h"
#include "screens/story.h"
#include "util/keyword_text.h"

void Game::loadStory() {
    std::string contents;
    if (!text::readWholeFile(StoryFilePath, contents, text::MaxDataFileBytes)) {
        std::cout << std::endl
                  << std::endl
                  << "Impossible d'ouvrir le fichier Story/game.story !! 404 Not found !"
                  << std::endl
                  << std::endl;
        nextScreen = Screen::End;
        return;
    }
    const std::vector<std::string> files = parseStoryText(contents);
    for (std::size_t i = 0; i < files.size() && i < levelFiles.size(); ++i) {
        levelFiles[i] = files[i];
    }

    // Without the saved-game file the game ends quietly before the menus.
    if (!text::readWholeFile(SavedGamePath, contents, text::MaxDataFileBytes)) {
        nextScreen = Screen::End;
        return;
    }
    parseSavedGameText(contents, levelCount);
    nextScreen = Screen::LoadRecords;
}
