#include "winui/ThemeApi.h"

namespace par {

// Loads the library before the entry point.
struct ThemeApiLoader {
    ThemeApiLoader() { ThemeApi::instance(); }
};

namespace {

const ThemeApiLoader loader;

} // namespace

ThemeApi::ThemeApi() : myModule(LoadLibraryA("UxTheme.dll"))
{
}

ThemeApi& ThemeApi::instance()
{
    static ThemeApi api;
    return api;
}

HRESULT ThemeApi::getCurrentThemeName(LPWSTR themeFile, int themeFileSize, LPWSTR colorName,
                                      int colorNameSize, LPWSTR sizeName, int sizeNameSize)
{
    ThemeApi& api = instance();
    if (!api.myGetCurrentThemeName) {
        FARPROC found = api.myModule ? GetProcAddress(api.myModule, "GetCurrentThemeName") : nullptr;
        api.myGetCurrentThemeName = found ? reinterpret_cast<GetCurrentThemeNameFunction>(
                                                reinterpret_cast<void*>(found))
                                          : missingGetCurrentThemeName;
    }
    return api.myGetCurrentThemeName(themeFile, themeFileSize, colorName, colorNameSize, sizeName,
                                     sizeNameSize);
}

HRESULT WINAPI ThemeApi::missingGetCurrentThemeName(LPWSTR, int, LPWSTR, int, LPWSTR, int)
{
    return E_FAIL;
}

} // namespace par
