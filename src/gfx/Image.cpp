#include "Image.h"

#include "../settings/Settings.h"

namespace {

// True when a loaded surface can be blitted safely: SDL's bitmap loader accepts some
// damaged headers and hands back surfaces that would crash at the first blit.
bool Sound(const SDL_Surface* s) {
    if (!s || !s->format || !s->pixels || s->w <= 0 || s->h <= 0) {
        return false;
    }
    int bpp = s->format->BitsPerPixel;
    if (bpp != 8 && bpp != 15 && bpp != 16 && bpp != 24 && bpp != 32) {
        return false;
    }
    if (bpp == 8 && (!s->format->palette || !s->format->palette->colors)) {
        return false;
    }
    return s->pitch >= s->w * s->format->BytesPerPixel;
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
    if (file) {
        surface = SDL_LoadBMP_RW(file, 1);
    }
    if (surface && !Sound(surface)) {
        SDL_FreeSurface(surface);
        surface = nullptr;
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
    SDL_SetColorKey(surface, SDL_SRCCOLORKEY, SDL_MapRGB(surface->format, 255, 0, 255));
}
