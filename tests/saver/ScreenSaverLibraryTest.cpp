// Our screen-saver library, through a tiny saver of the tests' own started
// as its own process.
#include "SaverProcess.h"
#include "TinySaver.h"

#include "MessagePump.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const SAVER_CLASS = "WindowsScreenSaverClass";
constexpr unsigned LIMIT_MS = 10000;

class ScreenSaverLibraryTest : public ::testing::Test {
protected:
    std::unique_ptr<test::SaverProcess> start(const std::wstring& arguments)
    {
        auto saver = std::make_unique<test::SaverProcess>(TINY_SAVER_PATH, arguments,
                                                          myFolder.file(L"output.txt"));
        EXPECT_TRUE(saver->started());
        return saver;
    }
    // Pumps this thread's messages meanwhile: a preview's parent lives here.
    static bool ends(const test::SaverProcess& saver)
    {
        return test::pumpUntil([&] { return saver.hasEnded(); }, LIMIT_MS);
    }
    static HWND waitForWindow(const test::SaverProcess& saver, const char* className,
                              const char* title = nullptr)
    {
        HWND window = nullptr;
        test::pumpUntil([&] { return (window = saver.findWindow(className, title)) != nullptr; },
                        LIMIT_MS);
        return window;
    }
    static std::wstring handleText(HWND window)
    {
        return std::to_wstring(reinterpret_cast<UINT_PTR>(window));
    }

    test::TempDir myFolder;
};

TEST_F(ScreenSaverLibraryTest, PasswordChangeEndsAtOnceAndConfigureFormsShowTheDialog)
{
    auto password = start(L"/a");
    ASSERT_TRUE(ends(*password));
    EXPECT_EQ(0u, password->exitCode());
    EXPECT_EQ("", password->output());

    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    // No argument is what the shell's "install" verb gives.
    const std::wstring forms[] = {L"", L"/c", L"-C:" + handleText(owner)};
    for (const std::wstring& form : forms) {
        SCOPED_TRACE(std::string(form.begin(), form.end()));
        auto saver = start(form);
        HWND dialog = waitForWindow(*saver, "#32770", TINY_SAVER_DIALOG_TITLE);
        ASSERT_NE(nullptr, dialog);
        const std::string expectedOwner =
            form.find(L':') != std::wstring::npos ? std::to_string(reinterpret_cast<UINT_PTR>(owner)) : "0";
        const std::string expected = "register-dialog-classes\nconfigure owner=" + expectedOwner + "\n";
        // The dialog exists a moment before it is initialised.
        test::pumpUntil([&] { return saver->output() == expected; }, LIMIT_MS);
        EXPECT_EQ(expected, saver->output());
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(ends(*saver));
        EXPECT_EQ(0u, saver->exitCode());
    }
    DestroyWindow(owner);
}

TEST_F(ScreenSaverLibraryTest, PreviewIsAChildOfTheGivenWindowAtItsClientSize)
{
    for (const wchar_t* form : {L"/p ", L"-L "}) {
        HWND parent = CreateWindowExA(0, "STATIC", "preview", WS_POPUP | WS_VISIBLE, 10, 10, 200, 150,
                                      nullptr, nullptr, nullptr, nullptr);
        auto saver = start(form + handleText(parent));
        HWND preview = nullptr;
        test::pumpUntil([&] { return (preview = FindWindowExA(parent, nullptr, SAVER_CLASS, nullptr)) != nullptr; },
                        LIMIT_MS);
        ASSERT_NE(nullptr, preview);
        // Found while it is being made, the window may not have its client area yet.
        RECT client = {};
        test::pumpUntil([&] { return GetClientRect(preview, &client) && client.right == 200; }, LIMIT_MS);
        EXPECT_EQ(200, client.right);
        EXPECT_EQ(150, client.bottom);
        EXPECT_TRUE(GetWindowLongPtrA(preview, GWL_STYLE) & WS_CHILD);
        // In the preview, input is the default procedure's: it closes nothing.
        PostMessageA(preview, WM_KEYDOWN, 'A', 0);
        test::pumpMessages(300);
        EXPECT_FALSE(saver->hasEnded());
        EXPECT_EQ("create preview=1 instance=1\n", saver->output());
        PostMessageA(preview, WM_CLOSE, 0, 0);
        ASSERT_TRUE(ends(*saver));
        EXPECT_EQ(static_cast<DWORD>(TINY_SAVER_EXIT_CODE), saver->exitCode());
        DestroyWindow(parent);
    }
}

TEST_F(ScreenSaverLibraryTest, FullScreenWindowIgnoresSystemCommandsAndSmallMovesButClosesOnWiderMovesAndKeys)
{
    auto saver = start(L"-S");
    HWND window = waitForWindow(*saver, SAVER_CLASS);
    ASSERT_NE(nullptr, window);
    // The window can be found while its creation is still being handled.
    const std::string created = "create preview=0 instance=1\n";
    test::pumpUntil([&] { return saver->output() == created; }, LIMIT_MS);
    EXPECT_EQ(created, saver->output());
    // Made first, shown a moment later.
    EXPECT_TRUE(test::pumpUntil([&] { return IsWindowVisible(window) != FALSE; }, LIMIT_MS));
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_EQ(WS_POPUP | WS_VISIBLE, style & (WS_POPUP | WS_VISIBLE | WS_CHILD | WS_CAPTION));
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(0u, GetClassLongPtrA(window, GCLP_HCURSOR));
    RECT bounds;
    GetWindowRect(window, &bounds);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), bounds.right - bounds.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), bounds.bottom - bounds.top);

    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_SYSCOMMAND, SC_CLOSE | 0x2, 0, SMTO_BLOCK, LIMIT_MS, &ignored);
    SendMessageTimeoutA(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0, SMTO_BLOCK, LIMIT_MS, &ignored);
    POINT cursor;
    GetCursorPos(&cursor);
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x + 2, cursor.y));
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x + 2, cursor.y + 3));
    // A message sent after them comes back once they are handled.
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, LIMIT_MS, &ignored);
    test::pumpMessages(200);
    EXPECT_FALSE(saver->hasEnded());

    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x + 30, cursor.y));
    ASSERT_TRUE(ends(*saver));
    EXPECT_EQ(static_cast<DWORD>(TINY_SAVER_EXIT_CODE), saver->exitCode());

    auto keyed = start(L"/s");
    window = waitForWindow(*keyed, SAVER_CLASS);
    ASSERT_NE(nullptr, window);
    PostMessageA(window, WM_KEYDOWN, 'A', 0);
    ASSERT_TRUE(ends(*keyed));
}

} // namespace
