#pragma once

#include "product/FlashHandler.h"

// The desktop program's answers to the product's movie commands.
class AppFlashHandler : public FlashHandler {
public:
    virtual std::wstring getRole();
    virtual bool isDebug();
    virtual bool isFullscreenMode();
    virtual void setFullscreenMode(bool on);
    virtual void setFullscreenDisplayMode();

protected:
    void onSwfWindowCreated(SwfWindow* swf) override;
    // The desktop program keeps running with a hanging movie.
    void onFlashNotResponding() override;
    void onMovieReady() override;
    void doShutdownDone() override;
};
