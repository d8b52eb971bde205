#pragma once

#include "winui/FullscreenDisplayMode.h"

#include <atomic>
#include <memory>
#include <string>

namespace par {
class Window;
}

class FlashHandler;
class FlashHost;
class SwfWindow;
class TrayColors;

// The product's facade, one per process: the product's registry key, the
// flash host, the command dispatcher, the tray's default colours and the
// fullscreen display mode. What differs between the programs is left to
// the subclasses.
class Skyvane {
public:
    static const wchar_t* const REGISTRY_PATH;
    static const wchar_t* const DEVELOPMENT_REGISTRY_PATH;

    Skyvane();
    Skyvane(const Skyvane&) = delete;
    Skyvane& operator=(const Skyvane&) = delete;
    // Takes the flash host out of the window it was nested in and deletes it
    // (its movie window and hang monitor with it) before the handler.
    virtual ~Skyvane();

    // Null before a facade is made and once it is being destroyed.
    static Skyvane* instance();
    // Under HKEY_CURRENT_USER; the development key wins when it exists.
    static std::wstring getRegistryPath();

    // Made in the holder when one is given, as the child that addChild would
    // make of it.
    FlashHost* createFlashHost(par::Window* holder = nullptr);
    // Also while it is being made and loads its movie.
    FlashHost* getFlashHost() const { return myFlashHost.get(); }
    SwfWindow* getSwfWindow() const;
    FlashHandler* getFlashHandler();
    // Lets the movie finish before the program ends, when the movie is one
    // of ours; otherwise ends the program at once.
    void exit();
    // Asks the movie to shut down; ends the program at once when the movie
    // cannot be told.
    void shutdownFlashHost();
    TrayColors* getTrayColors() const { return myTrayColors.get(); }
    par::FullscreenDisplayMode& getFullscreenDisplayMode() { return myFullscreenDisplayMode; }
    void loadFullscreenDisplayMode();
    void saveFullscreenDisplayMode();

    // The folder of the movie files, without a trailing backslash.
    virtual std::wstring getInstallFolder() = 0;

protected:
    virtual FlashHandler* createFlashHandler() = 0;
    // Ends the program without asking the movie.
    virtual void close() = 0;

private:
    static std::atomic<Skyvane*> ourInstance;

    std::unique_ptr<FlashHost> myFlashHost;
    std::unique_ptr<FlashHandler> myFlashHandler;
    std::unique_ptr<TrayColors> myTrayColors;
    par::FullscreenDisplayMode myFullscreenDisplayMode;
};
