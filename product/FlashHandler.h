#pragma once

#include <cstddef>
#include <string>
#include <vector>

class SwfWindow;

// The product's answerer of the movie's own commands and FSCommands, and the
// relay of the movie window's creation and of the hang monitor's report. What
// depends on the program is left to the subclasses.
class FlashHandler {
public:
    FlashHandler() = default;
    FlashHandler(const FlashHandler&) = delete;
    FlashHandler& operator=(const FlashHandler&) = delete;
    virtual ~FlashHandler() = default;

    void notifySwfWindowCreated(SwfWindow* swf);
    // On the hang monitor's thread.
    void notifyFlashNotResponding();
    void handleFsCommand(const std::wstring& command, const std::wstring& args);
    // The answer handed back to the movie; "" for a name nobody knows and for
    // a refused call.
    std::wstring handleExternalCall(const std::wstring& name, const std::vector<std::wstring>& args);

    // The movie's checks of its arguments: each logs why it refuses the call
    // of that name.
    static bool checkArgumentCount(const std::wstring& name, const std::vector<std::wstring>& args,
                                   std::size_t count);
    static bool parseBoolArgument(const std::wstring& name, const std::wstring& text, bool& value);
    static bool parseIntArgument(const std::wstring& name, const std::wstring& text, int& value);

    // The result element of one location fix, waited for at most the
    // time-out (below 0 counts as 0).
    static std::wstring detectLocationCoordinates(int timeoutMs);

protected:
    virtual void onSwfWindowCreated(SwfWindow* swf) = 0;
    // Runs on the hang monitor's thread: no window work.
    virtual void onFlashNotResponding() = 0;
    virtual void onMovieReady() = 0;
    // The movie finished its shutdown; the program ends here.
    virtual void doShutdownDone() = 0;
    virtual std::wstring getRole() = 0;
    virtual bool isDebug() = 0;
    virtual bool isFullscreenMode() = 0;
    virtual void setFullscreenMode(bool on) = 0;
    // Applies the facade's fullscreen display mode after it changed.
    virtual void setFullscreenDisplayMode() = 0;

private:
    friend class FlashHandlerCommands;
};
