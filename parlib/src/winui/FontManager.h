#pragma once

#include <list>
#include <string>

namespace par {

// Font files added to the process for the program's own use; they are
// removed again when the manager goes.
class FontManager {
public:
    FontManager() = default;
    FontManager(const FontManager&) = delete;
    FontManager& operator=(const FontManager&) = delete;
    virtual ~FontManager();

    // The path is remembered even when the system refuses the font, so that
    // it is removed in any case.
    void loadFont(const std::string& path);

private:
    std::list<std::string> myFonts;
};

} // namespace par
