#include "winui/FontManager.h"

#include <windows.h>

namespace par {

FontManager::~FontManager()
{
    for (const std::string& path : myFonts)
        RemoveFontResourceA(path.c_str());
}

void FontManager::loadFont(const std::string& path)
{
    AddFontResourceA(path.c_str());
    myFonts.push_back(path);
}

} // namespace par
