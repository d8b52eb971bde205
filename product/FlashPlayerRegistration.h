#pragma once

#include "util/SystemUtil.h"

#include <windows.h>

#include <string>

// Where the installed Flash Player is found: the default value of the
// InprocServer32 key of the control's class names its file, and that file's
// version is the player's. Another key can be put in its place for the whole
// process (tests use their own key rather than change the registration that
// every program of the machine sees).
class FlashPlayerRegistration {
public:
    static const wchar_t* const CLASS_KEY;

    static void setKey(HKEY root, const std::wstring& path);
    static void resetKey();
    // The registered file; "" when no player is registered.
    static std::wstring readPlayerPath();
    // False when no player is registered or its version cannot be read.
    static bool readInstalledVersion(par::FileVersion& out);
};
