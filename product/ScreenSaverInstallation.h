#pragma once

#include <windows.h>

#include <string>

// Hands the product's screen saver to the shell's "install" verb, which
// makes it the user's screen saver and opens its settings.
class ScreenSaverInstallation {
public:
    static constexpr const wchar_t* FILE_NAME = L"skyvane.scr";

    // The shell's verb on a file; tests put a recorder in its place, for
    // the real verb starts the screen saver's settings dialog.
    using Launcher = void (*)(const wchar_t* verb, const std::wstring& file);

    // Failures of the system calls are not reported.
    static void install();
    // Windows 2000 and XP (major version 5) keep screen savers in the system
    // folder, later versions in the Windows folder; empty when the folder is
    // not found.
    static std::wstring screenSaverPath(DWORD majorVersion);

    static void setLauncher(Launcher launcher);
    static void resetLauncher();

private:
    static void shellExecute(const wchar_t* verb, const std::wstring& file);

    static Launcher ourLauncher;
};
