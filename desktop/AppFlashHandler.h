#pragma once

#include "product/FlashHandler.h"

// The desktop program's answers to the product's movie commands.
class AppFlashHandler : public FlashHandler {
public:
    std::wstring getRole() override;
    bool isDebug() override;
    bool isFullscreenMode() override;
    void setFullscreenMode(bool on) override;
    void setFullscreenDisplayMode() override;

protected:
    void onSwfWindowCreated(SwfWindow* swf) override;
    // The desktop program keeps running with a hanging movie.
    void onFlashNotResponding() override;
    void onMovieReady() override;
    void doShutdownDone() override;
};
