#include "Options.h"

#include "../gfx/Image.h"
#include "../settings/Settings.h"

COptions::COptions() {}
COptions::~COptions() {
    delete optionsBack;
    delete selections1;
    delete selections2;
    delete select1;
    delete select2;
    delete settings;
}
void COptions::HandleEvents() {}
void COptions::Update() {}
void COptions::Render(SDL_Surface*) {}
