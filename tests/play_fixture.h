#pragma once

// A small playable data tree for the tests of the play loop, the start of a
// game and the end of a level, and the rules that predict its score.

#include <SDL/SDL_mixer.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/game.h"
#include "test_sounds.h"
#include "test_support.h"
#include "world/cell_code.h"

namespace play {

// The floor's row: the hero starts at pixel row 240 (row 24), falls 10 pixels
// a frame and comes to rest at y 290, in row 29, on top of it.
constexpr int FloorRow = 30;
constexpr int StandingRow = FloorRow - 1;
// The cell the hero takes while standing: two rows above its body's cell.
constexpr int WaistRow = StandingRow - 2;
// The body's cell is screen column 31 plus the camera's column, which is the
// frame number at scroll step 1.
constexpr int BodyScreenColumn = 31;

// A cell of the level file, in the file's own numbering (1 tile, 2 bonus,
// 3 enemy).
struct FileCell {
    int column;
    int row;
    int number;
};
constexpr int FileTile = 1;
constexpr int FileBonus = 2;
constexpr int FileEnemy = 3;

// The frame in which a hero standing on the floor meets column `column`.
constexpr int frameAtColumn(int column) {
    return column - BodyScreenColumn;
}

// Frames (and so points) of a level whose floor covers columns 0 to
// floorEnd - 1, when the hero walks off its end at `fallSpeed` pixels a
// frame: it leaves y 290 in the frame in which its column reaches floorEnd,
// and the frame in which it starts below pixel row 500 ends the level.
constexpr int framesToFallOut(int floorEnd, int fallSpeed) {
    int falls = 0;
    while (290 + falls * fallSpeed <= 500) {
        ++falls;
    }
    return frameAtColumn(floorEnd) + falls;
}

// The text of a level file: a floor from column 0 to floorEnd - 1, and the
// given extra cells.
inline std::string levelText(int floorEnd, const std::vector<FileCell>& cells = {}) {
    std::vector<char> numbers(GridCells, '0');
    for (int column = 0; column < floorEnd && column < GridColumns; ++column) {
        numbers[column * GridRows + FloorRow] = '0' + FileTile;
    }
    for (const FileCell& cell : cells) {
        numbers[cell.column * GridRows + cell.row] = static_cast<char>('0' + cell.number);
    }
    std::string text = "limite 100000\n#Collisions\n";
    text.reserve(text.size() + 2 * GridCells);
    for (int column = 0; column < GridColumns; ++column) {
        for (int row = 0; row < GridRows; ++row) {
            text += numbers[column * GridRows + row];
            text += row + 1 < GridRows ? ' ' : '\n';
        }
    }
    return text;
}

// The files a run needs besides the level files: story, saved game, an empty
// hero file and empty animation files (so that nothing is reported missing).
inline void writeCommonData(int levelCount = 2) {
    writeFile("Story/game.story", "0 Niveaux/test-0.lvl\n1 Niveaux/test-1.lvl\n");
    writeFile("Save/save.sv", std::to_string(levelCount) + "\n");
    writeFile("Player/hero.hr", "name machin\n");
    writeFile("Enemies/ennemi-01.imga", "");
    writeFile("Title/gameover.imga", "");
    writeFile("Title/hero.imga", "");
}

// A game past its start-up on the dummy drivers, with the common data and
// `levels` as Niveaux/test-0.lvl, test-1.lvl (levels 0 and 1), ready for a
// test to drive its screens.
inline std::unique_ptr<Game> startedGame(const std::vector<std::string>& levels) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    writeCommonData();
    for (std::size_t i = 0; i < levels.size(); ++i) {
        writeFile("Niveaux/test-" + std::to_string(i) + ".lvl", levels[i]);
    }
    auto game = std::make_unique<Game>(GameFlow::StartupOnly);
    EXPECT_FALSE(game->startupFailed);
    // The story is read by the screen flow, which the tests run themselves.
    for (std::size_t i = 0; i < levels.size() && i < game->levelFiles.size(); ++i) {
        game->levelFiles[i] = "Niveaux/test-" + std::to_string(i) + ".lvl";
    }
    return game;
}

// A silent sound of `seconds` at `path`: long enough to be still playing when
// a test looks, and told apart from the others by its length. The sound layer
// reads any format SDL_mixer does, whatever the name says.
inline void writeSilentSound(const std::string& path, int seconds) {
    test_sounds::writeWav(path, std::vector<int16_t>(22050 * seconds, 0), 22050, 1);
}

// How many sounds of `seconds` are playing now.
inline int soundsPlaying(int seconds) {
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    if (Mix_QuerySpec(&frequency, &format, &channels) == 0) {
        return 0;
    }
    const double bytesPerSecond = frequency * channels * 2.0;
    int playing = 0;
    for (int channel = 0; channel < Mix_AllocateChannels(-1); ++channel) {
        Mix_Chunk* chunk = Mix_Playing(channel) != 0 ? Mix_GetChunk(channel) : nullptr;
        if (chunk != nullptr && chunk->alen / bytesPerSecond > seconds - 0.5 &&
            chunk->alen / bytesPerSecond < seconds + 0.5) {
            ++playing;
        }
    }
    return playing;
}

// Draws play frames directly, without waiting for the clock, until the hero
// has fallen out; returns how many were drawn (at most maxFrames).
inline int drawFramesUntilLevelEnds(Game& game, int maxFrames = 20000) {
    game.running = true;
    game.levelEnded = false;
    int frames = 0;
    while (!game.levelEnded && frames < maxFrames) {
        game.fillWhite();
        game.drawPlayFrame();
        ++frames;
    }
    return frames;
}

}  // namespace play
