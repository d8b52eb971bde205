#pragma once

#include "app/UiApplication.h"

#include <functional>

namespace test {

// An application for tests: its main window comes from a factory (none by
// default), and it counts its initialisations and exits.
class TestApplication : public par::UiApplication {
public:
    explicit TestApplication(int showCommand = SW_SHOWNORMAL);

    par::Window* createMainWindow() override;
    bool onInit() override;
    void onExit() override;

    std::function<par::Window*()> mainWindowFactory;
    // Called at the end of onInit, inside the loop's first step.
    std::function<void()> onInitHook;
    int inits = 0;
    int exits = 0;

    using par::UiApplication::myPersistPlacement;
    using par::UiApplication::myRestorePlacement;
};

} // namespace test
