#pragma once

#include "winui/Window.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace test {

// A window-event dispatcher that records what it is asked and answers what
// it is told to (0 by default).
class RecordingDispatcher : public par::Window::WindowEventDispatcher {
public:
    explicit RecordingDispatcher(std::function<LRESULT(UINT)> answer = [](UINT) { return 0; })
        : myAnswer(std::move(answer))
    {
    }

    LRESULT dispatch(par::Window*, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        messages.push_back(message);
        lastWParam = wParam;
        lastLParam = lParam;
        if (message == WM_WINDOWPOSCHANGED)
            changed.push_back(*reinterpret_cast<WINDOWPOS*>(lParam));
        if (message == WM_WINDOWPOSCHANGING)
            changing.push_back(*reinterpret_cast<WINDOWPOS*>(lParam));
        return myAnswer(message);
    }

    bool saw(UINT message) const
    {
        return std::find(messages.begin(), messages.end(), message) != messages.end();
    }
    int count(UINT message) const
    {
        return static_cast<int>(std::count(messages.begin(), messages.end(), message));
    }

    std::vector<UINT> messages;
    WPARAM lastWParam = 0;
    LPARAM lastLParam = 0;
    // Position changes as asked for, and as they came to be.
    std::vector<WINDOWPOS> changing;
    std::vector<WINDOWPOS> changed;

private:
    std::function<LRESULT(UINT)> myAnswer;
};

// A control-event handler that records its calls and gives a fixed answer.
class RecordingHandler : public par::Window::ControlEventHandler {
public:
    explicit RecordingHandler(bool answer) : myAnswer(answer) {}

    bool onControlEvent(par::Window* source, int controlId, int notificationCode) override
    {
        ++calls;
        lastSource = source;
        lastId = controlId;
        lastCode = notificationCode;
        return myAnswer;
    }

    int calls = 0;
    par::Window* lastSource = nullptr;
    int lastId = -1;
    int lastCode = -1;

private:
    bool myAnswer;
};

} // namespace test
