#include "world/level.h"

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <vector>

#include "util/fingerprint.h"
#include "util/keyword_text.h"
#include "util/regular_file.h"
#include "world/cell_coverage.h"
#include "world/level_file.h"

namespace {

// Adds without the undefined behaviour of a signed overflow: the camera and
// the score grow for as long as a level runs.
int32_t wrappingAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// SDL_Rect holds 16-bit positions. With the camera's offsets at 0 every cell
// position fits; any other offset is clamped, which keeps a far-off picture
// off the screen instead of wrapping it back onto it.
Sint16 toRectPosition(int64_t value) {
    return static_cast<Sint16>(value < INT16_MIN   ? INT16_MIN
                               : value > INT16_MAX ? INT16_MAX
                                                   : value);
}

// Pictures with per-pixel alpha are mostly transparent margins around the
// sprite. Run-length encoding them lets SDL skip those runs and copy opaque
// runs whole instead of testing every pixel, with the same blending for the
// rest: a full screen of enemies costs several times less.
// A browser page's pictures are canvases the browser blends by itself.
SDL_Surface* withRunLengthBlits(SDL_Surface* picture) {
#ifndef __EMSCRIPTEN__
    if (picture != nullptr && (picture->flags & SDL_SRCALPHA) != 0 && picture->format->Amask != 0) {
        SDL_SetAlpha(picture, SDL_SRCALPHA | SDL_RLEACCEL, picture->format->alpha);
    }
#endif
    return picture;
}

SurfacePtr loadPicture(const std::string& path) {
    // An empty path means its line was missing: nothing to load, no message.
    if (path.empty()) {
        return SurfacePtr();
    }
    SurfacePtr picture = loadImage(path);
    withRunLengthBlits(picture.get());
    return picture;
}

}  // namespace

FontPtr openFont(const std::string& path, int size) {
#ifdef __EMSCRIPTEN__
    // The page draws text with the font it declares under the file's name;
    // the file itself is not in the page's data tree.
    return FontPtr(TTF_OpenFont(path.c_str(), size));
#else
    return FontPtr(isRegularFile(path) ? TTF_OpenFont(path.c_str(), size) : nullptr);
#endif
}

Level::Level(const std::string& path, Camera* sharedCamera) {
    TTF_Init();
    camera = sharedCamera;
    levelPath = path;
    overlayRect = SDL_Rect{0, 0, 0, 0};
    backgroundRect = SDL_Rect{0, 0, 0, 0};
    backgroundClip = SDL_Rect{0, 0, 720, 720};
    score = 0;
    scoreFont = openFont("shark.ttf", 65);
    scoreRect = SDL_Rect{550, 0, 0, 0};
    bonusImage = loadPicture("Niveaux/bonus.png");
    enemyAnimation = std::make_unique<Animation>("Enemies/ennemi-01.imga", 0.35);
    for (SurfacePtr& frame : enemyAnimation->frames) {
        withRunLengthBlits(frame.get());
    }
    scrollStep = 1;
    loadLevelFile();
}

Level::~Level() {
    tile0Image.reset();
    tile1Image.reset();
    overlay.reset();
    extraImage.reset();
    background.reset();
    scoreSurface.reset();
    scoreFont.reset();
    TTF_Quit();
}

void Level::loadLevelFile() {
    std::string contents;
    if (!text::readWholeFile(levelPath, contents, MaxLevelFileBytes)) {
        std::cout << std::endl
                  << std::endl
                  << "Impossible d'ouvrir le fichier niveau  " << levelPath << " !! 404 Not found !"
                  << std::endl
                  << std::endl;
        return;
    }
    fileFingerprint = fingerprintOf(contents);
    LevelFileData data;
    data.backgroundPath = backgroundPath;
    data.overlayPath = overlayPath;
    data.extraImagePath = extraImagePath;
    data.tile0Path = tile0Path;
    data.tile1Path = tile1Path;
    data.hasLimit = hasLimit;
    data.limit = limit;
    parseLevelText(contents, data, grid.data());
    backgroundPath = data.backgroundPath;
    overlayPath = data.overlayPath;
    extraImagePath = data.extraImagePath;
    tile0Path = data.tile0Path;
    tile1Path = data.tile1Path;
    hasLimit = data.hasLimit;
    limit = data.limit;
    loadImages();
}

void Level::loadImages() {
    extraImage = loadPicture(extraImagePath);
    overlay = loadPicture(overlayPath);
    // Kept as it is in memory, not run-length encoded: the level draws it by
    // itself where the cells leave it to be seen (see drawBackground).
    background = backgroundPath.empty() ? SurfacePtr() : loadImage(backgroundPath);
    tile0Image = loadPicture(tile0Path);
    tile1Image = loadPicture(tile1Path);
}

void Level::runFrame() {
    if (camera != nullptr) {
        camera->column = wrappingAdd(camera->column, scrollStep);
    }
    score = wrappingAdd(score, scrollStep == 2 ? 5 : 1);
    std::snprintf(scoreText, sizeof scoreText, "%ld", static_cast<long>(score));
    if (scoreFont != nullptr) {
        const SDL_Color black{0, 0, 0, 0};
        scoreSurface.reset(TTF_RenderText_Blended(scoreFont.get(), scoreText, black));
    }
    // The cells are drawn last, but listed first: where they hide the
    // background entirely it need not be drawn.
    if (cellsVisible) {
        listCells();
    }
    drawBackground();
    drawScoreAndOverlay();
    if (hasLimit && score > limit) {
        // Decoding this full-screen picture took about 4 ms of every start of
        // a level, and many runs never get above the limit: it is read when
        // it is first shown.
        if (!successImageLoaded) {
            successImage = loadPicture("Niveaux/reussi.png");
            successImageLoaded = true;
        }
        drawUnderCells(successImage.get(), overlayRect);
    }
    if (cellsVisible) {
        drawListedCells();
    }
}

void Level::drawBackground() {
    // Only `backgroundClip` of the picture is drawn, so this one blit takes a
    // source rectangle.
    SDL_Surface* screen = drawingSurface();
    if (background == nullptr || screen == nullptr) {
        return;
    }
    SDL_Rect clip = backgroundClip;
    if (cellsListed) {
        coverage->drawUncovered(background.get(), &clip, &backgroundRect, screen);
    } else {
        SDL_UpperBlit(background.get(), &clip, screen, &backgroundRect);
    }
}

void Level::drawUnderCells(SDL_Surface* picture, SDL_Rect& where) {
    SDL_Surface* screen = drawingSurface();
    if (cellsListed && picture != nullptr && screen != nullptr) {
        // Left out where the cells drawn later hide it.
        coverage->drawUncovered(picture, nullptr, &where, screen);
    } else {
        blitToScreen(picture, where);
    }
}

void Level::drawScoreAndOverlay() {
    blitToScreen(scoreSurface.get(), scoreRect);
    // Whole-screen pictures, mostly clear: the level's own blend passes over
    // them faster than SDL's.
    drawUnderCells(overlay.get(), overlayRect);
}

void Level::drawCells() {
    listCells();
    drawListedCells();
}

void Level::listCells() {
    cellsListed = false;
    if (camera == nullptr) {
        return;
    }
    if (coverage == nullptr) {
        coverage = std::make_unique<CellCoverage>();
    }
    // First list the pictures in drawing order, then leave out those that
    // later ones cover completely; the result on the screen is the same.
    std::vector<CellCoverage::Draw>& draws = coverage->draws;
    draws.clear();
    Animation* enemy = enemyAnimation.get();
    const int32_t enemyFrame = enemy != nullptr ? enemy->frameIndex : 0;
    const double enemyClock = enemy != nullptr ? enemy->frameClock : 0.0;
    const int64_t offsetX = camera->offsetX;
    const int64_t offsetY = camera->offsetY;
    for (int32_t i = 0; i < VisibleColumns; ++i) {
        // Columns past the grid's last one read as Empty.
        const int32_t column = wrappingAdd(camera->column, i);
        const int64_t x = CellSize * i - offsetX;
        for (int32_t j = 0; j < VisibleRows; ++j) {
            const int64_t y = CellSize * j - offsetY;
            const int32_t code = cellAt(grid.data(), column, j);
            switch (code) {
                case Tile0:
                    draws.push_back({tile0Image.get(), toRectPosition(x), toRectPosition(y), code});
                    break;
                case Bonus:
                    draws.push_back(
                        {bonusImage.get(), toRectPosition(x - 25), toRectPosition(y - 50), code});
                    break;
                case Enemy:
                    if (enemy != nullptr) {
                        // Each enemy shows the frame its own draw moves to.
                        enemy->advance();
                        const int32_t frame = enemy->frameIndex;
                        SDL_Surface* picture = frame >= 0 && frame < MaxAnimationFrames
                                                   ? enemy->frames[frame].get()
                                                   : nullptr;
                        draws.push_back(
                            {picture, toRectPosition(x - 50), toRectPosition(y - 70), code});
                    }
                    break;
                case Tile1:
                    draws.push_back(
                        {tile1Image.get(), toRectPosition(x - 40), toRectPosition(y - 70), code});
                    break;
                default:
                    break;
            }
        }
    }
    if (enemy != nullptr) {
        enemy->frameIndex = enemyFrame;
        enemy->frameClock = enemyClock;
    }
    coverage->findVisibleParts(drawingSurface());
    cellsListed = true;
}

void Level::drawListedCells() {
    if (!cellsListed) {
        return;
    }
    cellsListed = false;
    Animation* enemy = enemyAnimation.get();
    std::vector<CellCoverage::Draw>& draws = coverage->draws;
    SDL_Surface* screen = drawingSurface();
    for (std::size_t k = 0; k < draws.size(); ++k) {
        const CellCoverage::Draw& draw = draws[k];
        SDL_Rect* rect = &tile0Rect;
        if (draw.code == Bonus) {
            rect = &bonusRect;
        } else if (draw.code == Tile1) {
            rect = &tile1Rect;
        } else if (draw.code == Enemy) {
            // An enemy's draw moves its animation on, seen or not; the frame it
            // shows is the one listed above.
            rect = &enemy->position;
            enemy->advance();
        }
        rect->x = static_cast<Sint16>(draw.x);
        rect->y = static_cast<Sint16>(draw.y);
        coverage->drawPart(k, screen);
    }
    coverage->forget();
}
