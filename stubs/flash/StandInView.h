#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

// The control's window while it is in-place active: the background colour,
// the movie's name, the lines the movie shows and what it last did. What it shows is kept
// while no window exists.
class StandInView {
public:
    StandInView() = default;
    ~StandInView() { destroy(); }
    StandInView(const StandInView&) = delete;
    StandInView& operator=(const StandInView&) = delete;

    bool create(HWND parent, const RECT& rect);
    void destroy();
    HWND handle() const { return myWindow; }
    void move(const RECT& rect);

    void setBackground(COLORREF color);
    void setTitle(const std::wstring& title);
    void setLines(const std::vector<std::wstring>& lines);
    // What the movie last did, shown under its lines.
    void setStatus(const std::wstring& status);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HDC dc);
    void redraw();

    HWND myWindow = nullptr;
    bool myRedrawPending = false;
    COLORREF myBackground = RGB(255, 255, 255);
    std::wstring myTitle;
    std::vector<std::wstring> myLines;
    std::wstring myStatus;
};

} // namespace standin
