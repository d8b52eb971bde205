#pragma once

#include "app/Application.h"

#include "LoopUntil.h"

namespace test {

// A bare application object for the pipe tests and the pipe peer: the pipe
// server hands its requests to the loop of this thread.
class LoopApplication : public par::Application {
public:
    LoopApplication() : par::Application(GetModuleHandleA(nullptr), nullptr, L"", SW_SHOWNORMAL) {}

    bool runUntil(const std::function<bool()>& condition, unsigned timeoutMs)
    {
        return runLoopUntil(*this, condition, timeoutMs);
    }

protected:
    bool onInit() override { return true; }
    void onExit() override {}
};

} // namespace test
