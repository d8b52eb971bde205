#pragma once

#include "product/AbstractFlashHost.h"

#include "swfwindow/InfiniteLoopMonitorListener.h"

// The product's flash host: makes the main movie window, loads the product
// movie into it, relays the hang monitor's report, and lets the page's
// "exit" link end the program.
class FlashHost : public AbstractFlashHost, public swfWindow::InfiniteLoopMonitorListener {
public:
    static const wchar_t* const MOVIE_FILE_NAME;

    explicit FlashHost(par::Window* holder = nullptr);
    // The movie window goes first, so that its monitor thread has stopped
    // before the rest of the host does.
    ~FlashHost() override;

    // True when the control took the movie's path.
    bool loadSwf(SwfWindow* swf);
    // Asks the movie, once, to shut down; it answers with "shutdownDone".
    // False when the movie could not be told, and so will not answer.
    bool shutdown();

    void onEvent(const std::wstring& name, std::wstring& response,
                 const htmlWindow::RequestParameters& parameters) override;
    // On the monitor's thread.
    void onInfiniteLoop() override;

protected:
    void createSwfWindow() override;

private:
    bool myShutdownRequested = false;
};
