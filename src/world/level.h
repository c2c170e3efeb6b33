#pragma once

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/camera.h"
#include "gfx/animation.h"
#include "gfx/surface.h"
#include "world/cell_code.h"

struct FontDeleter {
    void operator()(TTF_Font* font) const {
        if (font != nullptr) {
            TTF_CloseFont(font);
        }
    }
};
using FontPtr = std::unique_ptr<TTF_Font, FontDeleter>;

// TTF_OpenFont of a regular file; null for anything else or a font that
// does not load.
FontPtr openFont(const std::string& path, int size);

struct CellCoverage;  // which cell pictures hide which; see level.cpp

// One playable level: its grid, its pictures, the run's score and the limit
// above which the success picture shows. Always created on the heap (the
// grid alone is 3.2 MB).
class Level {
  public:
    Level(const std::string& levelPath, Camera* camera);
    ~Level();
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;

    // One frame of play: scroll, score, then draw everything.
    void runFrame();
    void drawBackground();
    void drawScoreAndOverlay();
    // Draws a picture that the cells go over, as blitToScreen does.
    void drawUnderCells(SDL_Surface* picture, SDL_Rect& where);
    void loadLevelFile();
    void loadImages();

    // The visible cells only (part of runFrame, which lists them before it
    // draws the background and draws them after the overlay).
    void drawCells();
    void listCells();
    void drawListedCells();

    std::array<int32_t, GridCells> grid{};
    SDL_Rect backgroundRect{0, 0, 0, 0};
    bool cellsVisible = false;
    Camera* camera = nullptr;
    int32_t scrollStep = 1;
    int32_t score = 0;
    int32_t limit = 0;
    bool hasLimit = false;  // without a "limite" line the success picture never shows
    SurfacePtr tile0Image;
    SDL_Rect tile0Rect{0, 0, 0, 0};
    SurfacePtr tile1Image;
    SDL_Rect tile1Rect{0, 0, 0, 0};
    FontPtr scoreFont;
    SurfacePtr scoreSurface;
    SDL_Rect scoreRect{550, 0, 0, 0};
    std::string levelPath;
    uint64_t fileFingerprint = 0;  // of the level file read, to tie a recorded run to it
    std::string overlayPath, extraImagePath, backgroundPath, tile0Path, tile1Path;
    SurfacePtr overlay, extraImage, background;
    SDL_Rect overlayRect{0, 0, 0, 0};
    SDL_Rect backgroundClip{0, 0, 720, 720};
    char scoreText[100] = {};
    SurfacePtr bonusImage;
    SDL_Rect bonusRect{0, 0, 0, 0};
    SurfacePtr successImage;  // loaded by the first frame that shows it
    bool successImageLoaded = false;
    std::unique_ptr<Animation> enemyAnimation;
    // Lets drawCells skip the pictures that later ones cover entirely.
    std::unique_ptr<CellCoverage> coverage;
    bool cellsListed = false;  // listed this frame, not drawn yet
};
