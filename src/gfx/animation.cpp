#include "gfx/animation.h"

#include <iostream>

#include "util/keyword_text.h"

Animation::Animation(const std::string& path, double speed) : speed(speed) {
    std::string contents;
    if (!text::readWholeFile(path, contents, text::MaxDataFileBytes)) {
        std::cout << std::endl
                  << std::endl
                  << "Impossible d'ouvrir le fichier Hero " << path << " !! 404 Not found !"
                  << std::endl
                  << std::endl;
        return;
    }
    const std::vector<std::string> names = parseAnimationText(contents);
    for (const std::string& name : names) {
        frameFiles[static_cast<std::size_t>(frameCount)] = name;
        ++frameCount;
    }
    loadFrames();
}

void Animation::loadFrames() {
    for (int32_t k = 0; k < frameCount; ++k) {
        const std::size_t slot = static_cast<std::size_t>(k);
        frames[slot] = loadImage(frameFiles[slot]);
        if (frames[slot] == nullptr) {
            std::cout << "Le fichier " << frameFiles[slot]
                      << " a eu un probleme de chargement de fichier" << std::endl;
        }
    }
}

void Animation::advance() {
    if (frameIndex >= frameCount - 1) {
        // The last frame shows for one draw only, then the cycle restarts.
        frameIndex = 0;
        frameClock = speed;
    } else if (frameClock > 1.0) {
        ++frameIndex;
        frameClock = speed;
    } else {
        frameClock += speed;
    }
}

void Animation::draw() {
    advance();
    if (frameIndex < 0 || frameIndex >= MaxAnimationFrames) {
        return;
    }
    SDL_Surface* frame = frames[static_cast<std::size_t>(frameIndex)].get();
    // A copy, because the blit clips its rectangle and the owner's position
    // must stay where the owner put it.
    SDL_Rect where = position;
    blitToScreen(frame, where);
}
