#pragma once

#include <windows.h>

namespace par {

// The theme library "UxTheme.dll", bound at run time so that the program
// also runs where it is missing. Each function is resolved on its first use;
// a missing library or export answers E_FAIL.
class ThemeApi {
public:
    static HRESULT getCurrentThemeName(LPWSTR themeFile, int themeFileSize, LPWSTR colorName,
                                       int colorNameSize, LPWSTR sizeName, int sizeNameSize);

private:
    using GetCurrentThemeNameFunction = HRESULT(WINAPI*)(LPWSTR, int, LPWSTR, int, LPWSTR, int);

    ThemeApi();
    static ThemeApi& instance();
    static HRESULT WINAPI missingGetCurrentThemeName(LPWSTR, int, LPWSTR, int, LPWSTR, int);

    // Never freed: the process keeps it to the end.
    HMODULE myModule;
    GetCurrentThemeNameFunction myGetCurrentThemeName = nullptr;

    friend struct ThemeApiLoader;
};

} // namespace par
