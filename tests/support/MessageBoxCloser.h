#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test {

// Closes every message box that the constructing thread opens while the
// object lives, and records each box's caption and text, so that a test
// never blocks on a box.
class MessageBoxCloser {
public:
    struct Box {
        std::wstring caption;
        std::wstring text;
    };

    MessageBoxCloser();
    ~MessageBoxCloser();
    MessageBoxCloser(const MessageBoxCloser&) = delete;
    MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;

    const std::vector<Box>& boxes() const { return myBoxes; }
    void clear() { myBoxes.clear(); }

private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam);

    HHOOK myHook;
    std::vector<Box> myBoxes;
};

} // namespace test
