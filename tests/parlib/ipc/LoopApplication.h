#pragma once

#include "app/Application.h"

#include <functional>

namespace test {

// An application object for tests that need the real message loop (work
// handed over from other threads reaches the UI thread through it).
class LoopApplication : public par::Application {
public:
    LoopApplication() : par::Application(GetModuleHandleA(nullptr), nullptr, L"", SW_SHOWNORMAL) {}

    // Runs the loop until the condition holds or the time (INFINITE: none)
    // is up; returns the condition's last answer.
    bool runUntil(const std::function<bool()>& condition, unsigned timeoutMs);

protected:
    bool onInit() override { return true; }
    void onExit() override {}
};

} // namespace test
