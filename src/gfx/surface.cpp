#include "gfx/surface.h"

#include <SDL/SDL_image.h>

#include "util/regular_file.h"

#ifndef __EMSCRIPTEN__
namespace {

// The byte of a 24-bit pixel that holds the channel of `mask`, or -1 when the
// channel is not one whole byte.
int byteOfMask(Uint32 mask) {
    for (int byte = 0; byte < 3; ++byte) {
        if (mask == Uint32{0xff} << (8 * byte)) {
            return byte;
        }
    }
    return -1;
}

// SDL_DisplayFormat of an opaque 24-bit picture onto a 32-bit screen without
// alpha, done directly: SDL's general converter takes every pixel apart and
// puts it together again, and the full-screen pictures (backgrounds, title
// and menu screens) are exactly this case. The result is what SDL_DisplayFormat
// makes, byte for byte (the unused top byte is 0); any other case, or a
// screen that could hold hardware surfaces, is left to SDL (null here).
SDL_Surface* convertRgb24ToScreen(SDL_Surface* picture) {
    const SDL_Surface* video = SDL_GetVideoSurface();
    const SDL_PixelFormat* from = picture->format;
    const SDL_PixelFormat* to = video->format;
    if (from->BytesPerPixel != 3 || from->Amask != 0 ||
        (picture->flags & (SDL_SRCCOLORKEY | SDL_SRCALPHA | SDL_RLEACCELOK)) != 0 ||
        to->BytesPerPixel != 4 || to->Amask != 0 || to->Rloss != 0 || to->Gloss != 0 ||
        to->Bloss != 0 || (video->flags & SDL_HWSURFACE) != 0) {
        return nullptr;
    }
    const int red = byteOfMask(from->Rmask);
    const int green = byteOfMask(from->Gmask);
    const int blue = byteOfMask(from->Bmask);
    if (red < 0 || green < 0 || blue < 0) {
        return nullptr;
    }
    SDL_Surface* converted = SDL_CreateRGBSurface(SDL_SWSURFACE, picture->w, picture->h, 32,
                                                  to->Rmask, to->Gmask, to->Bmask, 0);
    if (converted == nullptr) {
        return nullptr;
    }
    const bool lockSource = SDL_MUSTLOCK(picture);
    if (lockSource && SDL_LockSurface(picture) != 0) {
        SDL_FreeSurface(converted);
        return nullptr;
    }
    for (int y = 0; y < picture->h; ++y) {
        const Uint8* source = static_cast<const Uint8*>(picture->pixels) + y * picture->pitch;
        Uint32* target = reinterpret_cast<Uint32*>(static_cast<Uint8*>(converted->pixels) +
                                                   y * converted->pitch);
        for (int x = 0; x < picture->w; ++x, source += 3) {
            target[x] = (Uint32{source[red]} << to->Rshift) |
                        (Uint32{source[green]} << to->Gshift) |
                        (Uint32{source[blue]} << to->Bshift);
        }
    }
    if (lockSource) {
        SDL_UnlockSurface(picture);
    }
    return converted;
}

// The SDL_SetAlpha flags that give a surface the alpha state it has.
Uint32 alphaFlagsOf(const SDL_Surface* surface) {
    return (surface->flags & SDL_SRCALPHA) |
           ((surface->flags & SDL_RLEACCELOK) != 0 ? Uint32{SDL_RLEACCEL} : 0);
}

// SDL_DisplayFormatAlpha of a 32-bit picture with alpha, done directly for
// the same reason. The format, flags and per-surface alpha are taken from
// SDL's own conversion of one pixel of the picture, so only the copying of
// the channels is ours; each channel is copied whole, as SDL's copy does.
SDL_Surface* convertRgba32ToScreen(SDL_Surface* picture) {
    const SDL_PixelFormat* from = picture->format;
    if (from->BytesPerPixel != 4 || from->Amask == 0 || from->Rloss != 0 || from->Gloss != 0 ||
        from->Bloss != 0 || from->Aloss != 0 || picture->w <= 0 || picture->h <= 0 ||
        (picture->flags & SDL_SRCCOLORKEY) != 0 || SDL_MUSTLOCK(picture)) {
        return nullptr;
    }
    SurfacePtr one(SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 32, from->Rmask, from->Gmask,
                                        from->Bmask, from->Amask));
    if (one == nullptr) {
        return nullptr;
    }
    SDL_SetAlpha(one.get(), alphaFlagsOf(picture), from->alpha);
    SurfacePtr sample(SDL_DisplayFormatAlpha(one.get()));
    if (sample == nullptr) {
        return nullptr;
    }
    const SDL_PixelFormat* to = sample->format;
    if (to->BytesPerPixel != 4 || to->Rloss != 0 || to->Gloss != 0 || to->Bloss != 0 ||
        to->Aloss != 0 || to->Amask == 0 || (sample->flags & (SDL_HWSURFACE | SDL_RLEACCEL)) != 0) {
        return nullptr;
    }
    SDL_Surface* converted = SDL_CreateRGBSurface(SDL_SWSURFACE, picture->w, picture->h, 32,
                                                  to->Rmask, to->Gmask, to->Bmask, to->Amask);
    if (converted == nullptr) {
        return nullptr;
    }
    for (int y = 0; y < picture->h; ++y) {
        const Uint32* source = reinterpret_cast<const Uint32*>(
            static_cast<const Uint8*>(picture->pixels) + y * picture->pitch);
        Uint32* target = reinterpret_cast<Uint32*>(static_cast<Uint8*>(converted->pixels) +
                                                   y * converted->pitch);
        for (int x = 0; x < picture->w; ++x) {
            const Uint32 pixel = source[x];
            target[x] = (((pixel & from->Rmask) >> from->Rshift) << to->Rshift) |
                        (((pixel & from->Gmask) >> from->Gshift) << to->Gshift) |
                        (((pixel & from->Bmask) >> from->Bshift) << to->Bshift) |
                        (((pixel & from->Amask) >> from->Ashift) << to->Ashift);
        }
    }
    SDL_SetAlpha(converted, alphaFlagsOf(sample.get()), to->alpha);
    SDL_SetClipRect(converted, &picture->clip_rect);
    return converted;
}

}  // namespace
#endif

SurfacePtr loadImage(const std::string& path) {
    if (!isRegularFile(path)) {
        return nullptr;
    }
    SurfacePtr loaded(IMG_Load(path.c_str()));
#ifdef __EMSCRIPTEN__
    // In a browser page every picture is a canvas that the browser itself
    // decoded and blends: there is no pixel format to convert to.
    return loaded;
#else
    if (loaded == nullptr || SDL_GetVideoSurface() == nullptr) {
        return loaded;
    }
    const bool hasAlpha = loaded->format->Amask != 0;
    SurfacePtr converted(hasAlpha ? convertRgba32ToScreen(loaded.get())
                                  : convertRgb24ToScreen(loaded.get()));
    if (converted == nullptr) {
        converted.reset(hasAlpha ? SDL_DisplayFormatAlpha(loaded.get())
                                 : SDL_DisplayFormat(loaded.get()));
    }
    return converted != nullptr ? std::move(converted) : std::move(loaded);
#endif
}

static SDL_Surface* namedDrawingSurface = nullptr;

SDL_Surface* drawingSurface() {
    return namedDrawingSurface != nullptr ? namedDrawingSurface : SDL_GetVideoSurface();
}

void setDrawingSurface(SDL_Surface* surface) {
    namedDrawingSurface = surface;
}

void blitToScreen(SDL_Surface* surface, SDL_Rect& where) {
    SDL_Surface* video = drawingSurface();
    if (surface == nullptr || video == nullptr) {
        return;
    }
    SDL_UpperBlit(surface, nullptr, video, &where);
}
