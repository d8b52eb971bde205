#pragma once

#include "product/FlashHandler.h"

#include <string>

// The saver's answers to the movie: it always runs full screen, never in
// debug mode, and its role is the controller's mode.
class SaverFlashHandler : public FlashHandler {
public:
    std::wstring getRole() override;
    bool isDebug() override;
    bool isFullscreenMode() override;
    void setFullscreenMode(bool fullscreen) override;
    void setFullscreenDisplayMode() override;

protected:
    void onSwfWindowCreated(SwfWindow* swf) override;
    // On the hang monitor's thread: a hanging movie ends the saver at once.
    void onFlashNotResponding() override;
    void onMovieReady() override;
    void doShutdownDone() override;
};
