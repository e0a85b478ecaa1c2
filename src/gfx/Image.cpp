#include "Image.h"

#include "../settings/Settings.h"

namespace {

// Longest side of a picture: SDL 1.2 keeps a row's bytes in 16 bits and a buffer's in an int.
const int MaxSide = 16383;

Uint32 Little(const Uint8* bytes, int count) {
    Uint32 value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

// True when the bitmap header ahead of the stream declares sides of 1 to MaxSide, a depth SDL
// knows, and headers and pixel rows that the file really holds: SDL's loader allocates from
// the header before it reads, some sizes overflow its arithmetic, and header fields past the
// end of the file reach it uninitialised. Leaves the stream where it was.
bool HeaderSound(SDL_RWops* file) {
    const int start = SDL_RWtell(file);
    const int end = SDL_RWseek(file, 0, RW_SEEK_END);
    Uint8 head[34];
    const int got = start >= 0 && end >= start && SDL_RWseek(file, start, RW_SEEK_SET) == start
                        ? SDL_RWread(file, head, 1, sizeof(head))
                        : 0;
    SDL_RWseek(file, start, RW_SEEK_SET);
    if (got < 26 || head[0] != 'B' || head[1] != 'M') {
        return false;
    }
    const bool core = Little(head + 14, 4) == 12; // the old 12-byte header
    if (!core && got < 34) {
        return false;
    }
    // The core header's sides are unsigned 16-bit; the others' signed 32-bit.
    const long long width = core ? static_cast<long long>(Little(head + 18, 2))
                                 : static_cast<Sint32>(Little(head + 18, 4));
    long long height = core ? static_cast<long long>(Little(head + 20, 2))
                            : static_cast<Sint32>(Little(head + 22, 4));
    const long long bpp = Little(head + (core ? 24 : 28), 2);
    if (height < 0) {
        height = -height; // rows stored top-down
    }
    if (width < 1 || width > MaxSide || height < 1 || height > MaxSide ||
        (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 15 && bpp != 16 && bpp != 24 && bpp != 32)) {
        return false;
    }
    // SDL reads a 12-byte header or one of 40 bytes, then colour masks for these depths when
    // the file has them or when its pixels do not follow the header at once.
    const long long offset = Little(head + 10, 4);
    long long headers = 14 + (core ? 12 : 40);
    const Uint32 compression = core ? 0 : Little(head + 30, 4);
    if (!core && (bpp == 15 || bpp == 16 || bpp == 32) &&
        (compression == 3 || (compression == 0 && offset != 14 + Little(head + 14, 4)))) {
        headers += 12;
    }
    const long long rowBytes = (width * bpp + 31) / 32 * 4;
    return offset >= headers && offset + rowBytes * height <= static_cast<long long>(end - start);
}

// True when a loaded surface can be blitted safely: SDL's bitmap loader accepts some
// damaged headers and hands back surfaces that would crash at the first blit.
bool Sound(const SDL_Surface* s) {
    if (!s || !s->format || !s->pixels || s->w <= 0 || s->h <= 0 || s->w > MaxSide ||
        s->h > MaxSide) {
        return false;
    }
    int bpp = s->format->BitsPerPixel;
    if (bpp != 8 && bpp != 15 && bpp != 16 && bpp != 24 && bpp != 32) {
        return false;
    }
    if (s->format->BytesPerPixel != (bpp + 7) / 8 || s->pitch < s->w * s->format->BytesPerPixel) {
        return false;
    }
    if (bpp == 8) {
        // The blitters look every pixel up in a colour map of the palette's size.
        const SDL_Palette* palette = s->format->palette;
        if (!palette || !palette->colors || palette->ncolors < 1 || palette->ncolors > 256) {
            return false;
        }
        for (int y = 0; y < s->h; ++y) {
            const Uint8* row = static_cast<const Uint8*>(s->pixels) + y * s->pitch;
            for (int x = 0; x < s->w; ++x) {
                if (row[x] >= palette->ncolors) {
                    return false;
                }
            }
        }
    }
    return true;
}

// True when two surfaces store their pixels alike, so that a blit between them is a copy.
bool SameFormat(const SDL_Surface* a, const SDL_Surface* b) {
    const SDL_PixelFormat* f = a->format;
    const SDL_PixelFormat* g = b->format;
    return f->BitsPerPixel == g->BitsPerPixel && f->Rmask == g->Rmask && f->Gmask == g->Gmask &&
           f->Bmask == g->Bmask && f->Amask == g->Amask;
}

} // namespace

CImage::CImage() {
    CSettings* settings = new CSettings();
    settings->Load();
    fullHd = settings->fullHd;
    delete settings;
}

CImage::~CImage() {
    if (surface) {
        SDL_FreeSurface(surface);
    }
}

void CImage::Load(const std::string& fullHdPath, const std::string& scaledPath) {
    const std::string& path = fullHd == 1 ? fullHdPath : scaledPath;
    if (surface) {
        SDL_FreeSurface(surface);
        surface = nullptr;
    }
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (file && HeaderSound(file)) {
        surface = SDL_LoadBMP_RW(file, 1);
    } else if (file) {
        SDL_RWclose(file);
    }
    if (surface && !Sound(surface)) {
        SDL_FreeSurface(surface);
        surface = nullptr;
    }
    // Under SDL 1.2's compatibility layer the loader gives 32-bit bitmaps an alpha channel
    // from their unused fourth byte; bitmaps carry no alpha, so blits must not blend.
    if (surface && (surface->flags & SDL_SRCALPHA)) {
        SDL_SetAlpha(surface, 0, SDL_ALPHA_OPAQUE);
    }
    // A picture of true colours is kept in the screen's own format, so that every library
    // blits it as a plain copy: newer layers over SDL 2 ignore the colour key of a picture that
    // their loader gave an alpha channel. A palette's key is an index, which every library
    // compares alike, so paletted pictures stay as loaded.
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (surface && screen && surface->format->BitsPerPixel > 8 && !SameFormat(surface, screen)) {
        SDL_Surface* converted = SDL_DisplayFormat(surface);
        if (converted) {
            SDL_FreeSurface(surface);
            surface = converted;
        }
    }
    rect.x = 0;
    rect.y = 0;
    rect.w = surface ? static_cast<Uint16>(surface->w) : 0;
    rect.h = surface ? static_cast<Uint16>(surface->h) : 0;
}

void CImage::LoadSheet(const std::string& fullHdPath, const std::string& scaledPath, int frameCount,
                       int frameWidth, int frameHeight) {
    Load(fullHdPath, scaledPath);
    this->frameCount = frameCount;
    if (fullHd != 0) {
        this->frameWidth = frameWidth;
        this->frameHeight = frameHeight;
    } else {
        this->frameWidth = static_cast<int>(frameWidth * ScaleFactor);
        this->frameHeight = static_cast<int>(frameHeight * ScaleFactor);
    }
    clip.w = static_cast<Uint16>(this->frameWidth);
    clip.h = static_cast<Uint16>(this->frameHeight);
    // No bitmap, or one narrower than a frame, leaves no grid to draw from.
    columns = surface && this->frameWidth > 0 ? surface->w / this->frameWidth : 0;
}

void CImage::SetPosition(float x, float y) {
    rect.x = static_cast<Sint16>(static_cast<int>(x));
    rect.y = static_cast<Sint16>(static_cast<int>(y));
    if (fullHd == 0) {
        rect.x = static_cast<Sint16>(static_cast<int>(rect.x * ScaleFactor));
        rect.y = static_cast<Sint16>(static_cast<int>(rect.y * ScaleFactor));
    }
}

void CImage::Draw(SDL_Surface* screen) {
    if (!surface || !screen) {
        return;
    }
    SDL_UpperBlit(surface, nullptr, screen, &rect);
}

void CImage::DrawFrame(SDL_Surface* screen, float frame) {
    if (!surface || !screen || columns <= 0 || frameHeight <= 0) {
        return;
    }
    int n = static_cast<int>(frame);
    clip.x = static_cast<Sint16>(frameWidth * (n % columns));
    clip.y = static_cast<Sint16>(frameHeight * (n / columns));
    SDL_UpperBlit(surface, &clip, screen, &rect);
}

void CImage::SetMagentaKey() {
    if (!surface) {
        return;
    }
    // A key is compared with every bit of a pixel but its alpha, and SDL_MapRGB leaves the bits
    // that no colour uses clear. A picture may hold them set, alike in every pixel: a bitmap's
    // unused fourth byte, which the classic library keeps, or the 255 of the alpha channel
    // that the layer over SDL 3 gives a bitmap and copies into them when it converts it. The
    // key takes them as the first pixel holds them.
    const SDL_PixelFormat* f = surface->format;
    Uint32 key = SDL_MapRGB(f, 255, 0, 255);
    if (f->BytesPerPixel == 4 && SDL_LockSurface(surface) == 0) {
        key |=
            *static_cast<Uint32*>(surface->pixels) & ~(f->Rmask | f->Gmask | f->Bmask | f->Amask);
        SDL_UnlockSurface(surface);
    }
    SDL_SetColorKey(surface, SDL_SRCCOLORKEY, key);
}
