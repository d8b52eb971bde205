#include "MessageBoxCloser.h"

namespace test {

namespace {

thread_local MessageBoxCloser* current = nullptr;

std::wstring windowText(HWND window)
{
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

BOOL CALLBACK findText(HWND child, LPARAM found)
{
    wchar_t className[32] = L"";
    GetClassNameW(child, className, 32);
    std::wstring& text = *reinterpret_cast<std::wstring*>(found);
    if (lstrcmpiW(className, L"Static") == 0 && text.empty())
        text = windowText(child);
    return TRUE;
}

} // namespace

MessageBoxCloser::MessageBoxCloser()
    : myHook(SetWindowsHookExW(WH_CALLWNDPROCRET, hook, nullptr, GetCurrentThreadId()))
{
    current = this;
}

MessageBoxCloser::~MessageBoxCloser()
{
    UnhookWindowsHookEx(myHook);
    current = nullptr;
}

// Read when the box has set its caption and text, and only then: its
// activation may come before, more than once, or not at all while other
// programs take the foreground.
LRESULT CALLBACK MessageBoxCloser::hook(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && current && call->message == WM_INITDIALOG) {
        HWND window = call->hwnd;
        wchar_t className[16] = L"";
        GetClassNameW(window, className, 16);
        if (lstrcmpW(className, L"#32770") == 0) {
            Box box;
            box.caption = windowText(window);
            EnumChildWindows(window, findText, reinterpret_cast<LPARAM>(&box.text));
            current->myBoxes.push_back(box);
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(current ? current->myHook : nullptr, code, wParam, lParam);
}

} // namespace test
