#pragma once

#include <windows.h>

namespace standin {

// A message-only window through which the control does work later on its
// own thread: posted messages and timers reach the handler.
class MessageWindow {
public:
    class Handler {
    public:
        // message is the posted message or WM_TIMER (wParam is the timer id).
        virtual void onMessage(UINT message, WPARAM wParam) = 0;

    protected:
        ~Handler() = default;
    };

    explicit MessageWindow(Handler& handler);
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    bool isValid() const { return myWindow != nullptr; }
    bool post(UINT message, WPARAM wParam);
    void startTimer(UINT_PTR id, DWORD milliseconds);
    void stopTimer(UINT_PTR id);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Handler& myHandler;
    HWND myWindow = nullptr;
};

} // namespace standin
