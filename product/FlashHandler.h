#pragma once

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
    // The answer handed back to the movie; "" for a name nobody knows.
    std::wstring handleExternalCall(const std::wstring& name, const std::vector<std::wstring>& args);

protected:
    virtual void onSwfWindowCreated(SwfWindow* swf) = 0;
    // Runs on the hang monitor's thread: no window work.
    virtual void onFlashNotResponding() = 0;
    virtual void onMovieReady() = 0;
    // The movie finished its shutdown; the program ends here.
    virtual void doShutdownDone() = 0;
};
