#include "winui/VisualStyle.h"

#include "winui/ThemeApi.h"

#include <cwchar>

namespace par {

namespace {

constexpr COLORREF WHITE = 0xFFFFFF;
constexpr COLORREF BLACK = 0;
constexpr COLORREF CLASSIC_BACKGROUND = 0xC8D0D4;
constexpr COLORREF LUNA_BLUE = 0xED9B14;

bool sameText(const std::wstring& text, const wchar_t* other)
{
    return _wcsicmp(text.c_str(), other) == 0;
}

} // namespace

int classifyVisualStyle()
{
    wchar_t themeFile[260] = L"";
    wchar_t colorName[256] = L"";
    if (FAILED(ThemeApi::getCurrentThemeName(themeFile, 260, colorName, 256, nullptr, 0)))
        return VISUAL_STYLE_NONE;
    return classifyVisualStyle(themeFile, colorName);
}

int classifyVisualStyle(const std::wstring& themeFile, const std::wstring& colorName)
{
    const std::size_t slash = themeFile.rfind(L'\\');
    if (slash == std::wstring::npos)
        return VISUAL_STYLE_NONE;
    const std::wstring fileName = themeFile.substr(slash + 1);
    if (sameText(fileName, L"AERO.MSSTYLES"))
        return VISUAL_STYLE_AERO;
    if (!sameText(fileName, L"LUNA.MSSTYLES"))
        return VISUAL_STYLE_NONE;
    if (sameText(colorName, L"NORMALCOLOR"))
        return VISUAL_STYLE_LUNA_NORMAL;
    if (sameText(colorName, L"METALLIC"))
        return VISUAL_STYLE_LUNA_METALLIC;
    if (sameText(colorName, L"HOMESTEAD"))
        return VISUAL_STYLE_LUNA_HOMESTEAD;
    return VISUAL_STYLE_NONE;
}

bool visualStyleTextColor(COLORREF* out)
{
    switch (classifyVisualStyle()) {
    case VISUAL_STYLE_LUNA_NORMAL:
    case VISUAL_STYLE_AERO:
        *out = WHITE;
        break;
    case VISUAL_STYLE_LUNA_METALLIC:
    case VISUAL_STYLE_LUNA_HOMESTEAD:
        *out = BLACK;
        break;
    default:
        *out = GetSysColor(COLOR_BTNTEXT);
        break;
    }
    return true;
}

bool visualStyleBackgroundColor(COLORREF* out)
{
    switch (classifyVisualStyle()) {
    case VISUAL_STYLE_LUNA_NORMAL:
        *out = LUNA_BLUE;
        break;
    case VISUAL_STYLE_AERO:
        *out = BLACK;
        break;
    default:
        *out = CLASSIC_BACKGROUND;
        break;
    }
    return true;
}

} // namespace par
