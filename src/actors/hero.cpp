#include "actors/hero.h"

#include <algorithm>
#include <iostream>

#include "actors/body.h"
#include "util/keyword_text.h"

namespace {

// A body far below the screen must not wrap round into view.
Sint16 screenCoordinate(int32_t pixel) {
    return static_cast<Sint16>(std::clamp<int32_t>(pixel, INT16_MIN, INT16_MAX));
}

}  // namespace

Hero::Hero(const std::string& heroFilePath, const std::string& name) {
    jumpSample.reset(FSOUND_Sample_Load(-1, "Music/souffle_air.mp3", 0, 0, 0));
    landingSample.reset(FSOUND_Sample_Load(-1, "Music/saut_beton1.mp3", 0, 0, 0));
    this->name = name;
    this->heroFilePath = heroFilePath;
    frameCount = 0;
    motion = HeroMotion{};  // a new hero falls at 10 until it first lands
    spriteRect = SDL_Rect{0, 0, 128, 172};
    readHeroFile();
}

Hero::~Hero() {
    // Pictures first, then the sounds, as they were acquired the other way round.
    for (SurfacePtr& frame : frames) {
        frame.reset();
    }
    cursorImage.reset();
    jumpSample.reset();
    landingSample.reset();
}

void Hero::handleEvent(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_SPACE) {
        if (motion.pressSpace() == HeroSound::Jump) {
            FSOUND_PlaySound(FSOUND_FREE, jumpSample.get());
        }
    } else if (event.type == SDL_KEYUP && event.key.keysym.sym == SDLK_SPACE) {
        motion.releaseSpace();
    }
}

void Hero::update() {
    if (body == nullptr) {
        return;  // nothing to move or place before the start of a game attaches one
    }
    if (motion.step(*body) == HeroSound::Landing) {
        FSOUND_PlaySound(FSOUND_FREE, landingSample.get());
    }
    spriteRect.x = screenCoordinate(body->x - 50);
    spriteRect.y = screenCoordinate(body->y - 85);
    draw();
}

void Hero::draw() {
    const int32_t index = motion.chooseFrame();
    if (index < 0 || index >= MaxHeroFrames) {
        return;
    }
    blitToScreen(frames[static_cast<std::size_t>(index)].get(), spriteRect);
}

void Hero::readHeroFile() {
    std::string contents;
    if (!text::readWholeFile(heroFilePath, contents, text::MaxDataFileBytes)) {
        std::cout << std::endl
                  << std::endl
                  << "Impossible d'ouvrir le fichier Hero " << heroFilePath << " !! 404 Not found !"
                  << std::endl
                  << std::endl;
        return;
    }
    HeroFileData data = parseHeroText(contents);
    heroName = std::move(data.heroName);
    cursorFile = std::move(data.cursorFile);
    const std::size_t kept = std::min(data.frameFiles.size(), frameFiles.size());
    for (std::size_t i = 0; i < frameFiles.size(); ++i) {
        frameFiles[i] = i < kept ? std::move(data.frameFiles[i]) : std::string();
    }
    frameCount = static_cast<int32_t>(kept);
    loadImages();
}

void Hero::loadImages() {
    // frames holds 101 images: names beyond that are kept but never loaded.
    const int32_t loaded = std::clamp(frameCount, 0, MaxHeroFrames);
    for (int32_t i = 0; i < MaxHeroFrames; ++i) {
        auto& frame = frames[static_cast<std::size_t>(i)];
        if (i >= loaded) {
            frame.reset();
            continue;
        }
        const std::string& file = frameFiles[static_cast<std::size_t>(i)];
        frame = loadImage(file);
        if (frame == nullptr) {
            std::cout << "Le fichier " << file << " a eu un probleme de chargement de fichier"
                      << std::endl;
        }
    }
    cursorImage = loadImage(cursorFile);
}
