#include "gfx/surface.h"

#include <SDL/SDL_image.h>

SurfacePtr loadImage(const std::string& path) {
    SurfacePtr loaded(IMG_Load(path.c_str()));
    if (loaded == nullptr || SDL_GetVideoSurface() == nullptr) {
        return loaded;
    }
    const bool hasAlpha = loaded->format->Amask != 0;
    SurfacePtr converted(hasAlpha ? SDL_DisplayFormatAlpha(loaded.get())
                                  : SDL_DisplayFormat(loaded.get()));
    return converted != nullptr ? std::move(converted) : std::move(loaded);
}

void blitToScreen(SDL_Surface* surface, SDL_Rect& where) {
    SDL_Surface* video = SDL_GetVideoSurface();
    if (surface == nullptr || video == nullptr) {
        return;
    }
    SDL_UpperBlit(surface, nullptr, video, &where);
}
