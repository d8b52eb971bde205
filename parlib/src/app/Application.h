#pragma once

#include "app/ProgramShortcut.h"
#include "thread/UiThreadQueue.h"
#include "winui/FontManager.h"

#include <windows.h>

#include <memory>
#include <string>

namespace par {

class Runnable;

// The process-wide application object: the entry point's arguments, the UI
// thread, the private fonts and the program shortcut, the default window
// class and the message loop. One exists at a time, built on the UI thread.
class Application {
public:
    Application(HINSTANCE instance, HINSTANCE previousInstance, const wchar_t* commandLine,
                int showCommand);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    virtual ~Application();
    virtual bool init();
    virtual void exit();
    virtual bool onInit() = 0;
    virtual void onExit() = 0;
    // True when the message needs no further translation and dispatch.
    virtual bool preTranslateMessage(MSG* msg);

    static Application* instance();

    // Registers a window class with the parameters of "ParDefaultWindowClass".
    void registerWindowClass(const std::string& className);
    // The message loop; its result is the quit message's wParam, or 0 when
    // init fails.
    int run();
    // Hands the runnable to the UI thread's queue; any thread may call it. A
    // failed post deletes the runnable. Modal loops discard what is posted
    // so: work that must not be lost goes through handOff.
    static bool asyncExec(Runnable* runnable);
    // Hands the runnable to the UI thread through the application's hand-off
    // queue, which every message loop of that thread serves, modal loops
    // included; any thread may call it. A failed post deletes the runnable;
    // one still queued when the application goes is deleted, never run.
    static bool handOff(Runnable* runnable);

    static HINSTANCE getInstanceHandle();
    HINSTANCE getPreviousInstanceHandle() const { return myPreviousInstance; }
    const std::wstring& getCommandLine() const { return myCommandLine; }
    int getShowCommand() const { return myShowCommand; }
    DWORD getUiThreadId() const { return myUiThreadId; }
    HANDLE getUiThread() const { return myUiThread; }
    bool isQuitting() const { return myQuitting; }
    const std::wstring& getName() const { return myName; }
    void setName(const std::wstring& name) { myName = name; }
    static FontManager* getFontManager();
    static ProgramShortcut* getProgramShortcut();

    // Narrow text of a string-table resource of the program.
    static std::string loadString(UINT id);
    static std::wstring getExecutablePath();
    // The executable's folder without a trailing backslash; kept for the process.
    static std::wstring getApplicationDirPath();
    static std::wstring getSystemDataPath();
    static std::wstring getCommonDataPath();
    // The two data folders followed by the application's name; empty when
    // the application has no name.
    std::wstring getApplicationDataPath() const;
    std::wstring getApplicationCommonDataPath() const;

    void logInfo(const std::string& text);
    void logSevere(const std::string& text);

protected:
    // For a program that runs from another program's folder.
    static void setApplicationDirPath(const std::wstring& path);

private:
    bool myQuitting = false;
    std::wstring myName;
    HINSTANCE myInstance;
    HINSTANCE myPreviousInstance;
    std::wstring myCommandLine;
    int myShowCommand;
    DWORD myUiThreadId;
    HANDLE myUiThread;
    FontManager myFontManager;
    ProgramShortcut myProgramShortcut;
    std::unique_ptr<UiThreadQueue> myUiQueue;
};

} // namespace par
