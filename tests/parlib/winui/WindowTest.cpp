#include "winui/Layout.h"
#include "winui/Window.h"
#include "util/StringUtil.h"
#include "util/SystemUtil.h"

#include "LogCapture.h"
#include "MessagePump.h"
#include "TestApplication.h"
#include "TestRunnable.h"
#include "WindowListeners.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

using par::Window;
using test::RunnableRecord;
using test::TestRunnable;

namespace {

const char* const RECORDING_CLASS = "partest.Recording";
const UINT PROBE = WM_USER + 5;

// Messages that reached the recording class's own procedure.
std::vector<UINT> classProcedureMessages;

LRESULT CALLBACK recordingProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    classProcedureMessages.push_back(message);
    if (message == PROBE)
        return 55;
    return DefWindowProcA(handle, message, wParam, lParam);
}

void registerRecordingClass()
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = recordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = RECORDING_CLASS;
    RegisterClassExA(&windowClass);
}

bool reachedClassProcedure(UINT message)
{
    return std::count(classProcedureMessages.begin(), classProcedureMessages.end(), message) > 0;
}

class CountingLayout : public par::Layout {
public:
    void layout() override { ++passes; }
    int passes = 0;
};

class NotifyingWindow : public Window {
public:
    NotifyingWindow(Window* parent, bool answer)
        : Window(parent, "ParDefaultWindowClass", WS_CHILD, 0), myAnswer(answer)
    {
    }
    bool onNotify(WPARAM, NMHDR* header) override
    {
        lastCode = header->code;
        return myAnswer;
    }
    UINT lastCode = 0;

private:
    bool myAnswer;
};

class TrackedWindow : public Window {
public:
    TrackedWindow(Window* parent, bool& destroyed)
        : Window(parent, "ParDefaultWindowClass", WS_CHILD, 0), myDestroyed(destroyed)
    {
    }
    ~TrackedWindow() override { myDestroyed = true; }

private:
    bool& myDestroyed;
};

// Deletes a window when it is told of a command or a message, as the OK
// button of a dialog deletes its dialog; answers "not handled".
class DeletingListener : public Window::ControlEventHandler, public Window::WindowEventDispatcher {
public:
    explicit DeletingListener(Window* victim) : myVictim(victim) {}
    bool onControlEvent(Window*, int, int) override
    {
        deleteVictim();
        return false;
    }
    LRESULT dispatch(Window*, UINT message, WPARAM, LPARAM) override
    {
        if (message == PROBE)
            deleteVictim();
        return 0;
    }

private:
    void deleteVictim()
    {
        delete myVictim;
        myVictim = nullptr;
    }

    Window* myVictim;
};

class ThrowingRunnable : public par::Runnable {
public:
    void run() override { throw std::runtime_error("runnable failed"); }
};

class WindowTest : public ::testing::Test {
protected:
    WindowTest()
    {
        registerRecordingClass();
        classProcedureMessages.clear();
    }

    static Window* topLevel(const char* className = "ParDefaultWindowClass")
    {
        return new Window(WS_OVERLAPPEDWINDOW, className, 0);
    }

    test::TestApplication myApplication;
};

} // namespace

TEST_F(WindowTest, NotifyFormatIsAnsweredAnsiBeforeAnyDispatcher)
{
    test::RecordingDispatcher dispatcher([](UINT) { return 99; });
    std::unique_ptr<Window> window(topLevel());
    window->addWindowEventDispatcher(&dispatcher, false);
    EXPECT_EQ(NFR_ANSI, window->sendMessage(WM_NOTIFYFORMAT, 0, NF_QUERY));
    EXPECT_TRUE(dispatcher.messages.empty());
}

TEST_F(WindowTest, DispatchersAreAskedInOrderUntilOneAnswers)
{
    test::RecordingDispatcher first;
    test::RecordingDispatcher answering([](UINT message) { return message == PROBE ? 7 : 0; });
    test::RecordingDispatcher last;
    std::unique_ptr<Window> window(topLevel(RECORDING_CLASS));
    window->addWindowEventDispatcher(&first, false);
    window->addWindowEventDispatcher(&answering, false);
    window->addWindowEventDispatcher(&last, false);

    EXPECT_EQ(7, window->sendMessage(PROBE, 0, 0));
    EXPECT_TRUE(first.saw(PROBE));
    EXPECT_FALSE(last.saw(PROBE));
    EXPECT_FALSE(reachedClassProcedure(PROBE));

    window->removeWindowEventDispatcher(&answering);
    EXPECT_EQ(55, window->sendMessage(PROBE, 0, 0));
    EXPECT_TRUE(last.saw(PROBE));
    EXPECT_TRUE(reachedClassProcedure(PROBE));
}

TEST_F(WindowTest, ExceptionsStopAtTheSystemsFramesAndAreLogged)
{
    // Unwinding into the system's frames would end an i686 process at once.
    test::LogCapture log;
    test::RecordingDispatcher throwing([](UINT message) -> LRESULT {
        if (message == PROBE)
            throw "handler failed";
        return 0;
    });
    std::unique_ptr<Window> window(topLevel());
    window->addWindowEventDispatcher(&throwing, false);
    EXPECT_EQ(0, window->sendMessage(PROBE, 0, 0));
    EXPECT_TRUE(log.contains("Window::windowProc() interrupted with exception: handler failed\n")) << log.text();

    ASSERT_TRUE(window->asyncExec(new ThrowingRunnable()));
    EXPECT_TRUE(test::pumpUntil(
        [&] { return log.contains("PostedRunnables::run() interrupted with exception: runnable failed\n"); }, 2000))
        << log.text();
    // The window goes on.
    EXPECT_EQ(0, window->sendMessage(PROBE, 0, 0));
    EXPECT_EQ(2, throwing.count(PROBE));
}

TEST_F(WindowTest, UnansweredSizeRunsTheLayoutAndTheSavedProcedure)
{
    std::unique_ptr<Window> window(topLevel(RECORDING_CLASS));
    auto* layout = new CountingLayout;
    window->setLayout(layout);
    classProcedureMessages.clear();
    window->sendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(100, 50));
    EXPECT_EQ(1, layout->passes);
    EXPECT_TRUE(reachedClassProcedure(WM_SIZE));
}

TEST_F(WindowTest, DispatcherAnsweringSizePreventsLayoutAndSavedProcedure)
{
    test::RecordingDispatcher dispatcher([](UINT message) { return message == WM_SIZE ? 1 : 0; });
    std::unique_ptr<Window> window(topLevel(RECORDING_CLASS));
    auto* layout = new CountingLayout;
    window->setLayout(layout);
    window->addWindowEventDispatcher(&dispatcher, false);
    classProcedureMessages.clear();
    window->sendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(100, 50));
    EXPECT_EQ(0, layout->passes);
    EXPECT_FALSE(reachedClassProcedure(WM_SIZE));
}

TEST_F(WindowTest, ControlCommandReachesEveryHandlerOfTheControlAndStopsThere)
{
    test::RecordingHandler answering(true), silent(false);
    test::RecordingDispatcher parentDispatcher;
    std::unique_ptr<Window> parent(topLevel());
    auto* button = new Window(parent.get(), "BUTTON", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0);
    button->setBounds(0, 0, 80, 20);
    button->addControlEventHandler(&answering, false);
    button->addControlEventHandler(&silent, false);
    parent->addWindowEventDispatcher(&parentDispatcher, false);

    button->sendMessage(BM_CLICK, 0, 0);
    EXPECT_EQ(1, answering.calls);
    EXPECT_EQ(1, silent.calls);
    EXPECT_EQ(button, silent.lastSource);
    EXPECT_EQ(BN_CLICKED, silent.lastCode);
    EXPECT_FALSE(parentDispatcher.saw(WM_COMMAND));

    const LRESULT result = parent->sendMessage(
        WM_COMMAND, MAKEWPARAM(17, BN_CLICKED), reinterpret_cast<LPARAM>(button->getHandle()));
    EXPECT_EQ(0, result);
    EXPECT_EQ(17, answering.lastId);
}

TEST_F(WindowTest, HandlerThatDeletesItsWindowEndsTheMessagesRoadThere)
{
    test::RecordingHandler later(false);
    test::RecordingDispatcher parentDispatcher;
    Window* dialog = topLevel();
    auto* button = new Window(dialog, "BUTTON", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0);
    button->setBounds(0, 0, 80, 20);
    DeletingListener closing(dialog);
    button->addControlEventHandler(&closing, false);
    button->addControlEventHandler(&later, false);
    dialog->addWindowEventDispatcher(&parentDispatcher, false);
    HWND buttonHandle = button->getHandle();
    SendMessageA(buttonHandle, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(buttonHandle));
    EXPECT_EQ(0, later.calls);
    EXPECT_FALSE(parentDispatcher.saw(WM_COMMAND));

    test::RecordingDispatcher second;
    Window* window = topLevel(RECORDING_CLASS);
    DeletingListener deleting(window);
    window->addWindowEventDispatcher(&deleting, false);
    window->addWindowEventDispatcher(&second, false);
    HWND handle = window->getHandle();
    SendMessageA(handle, PROBE, 0, 0);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(second.saw(PROBE));
    EXPECT_FALSE(reachedClassProcedure(PROBE)) << "the saved procedure of a deleted window was called";
}

TEST_F(WindowTest, UnhandledControlCommandGoesOnToTheParent)
{
    test::RecordingHandler silent(false);
    test::RecordingDispatcher parentDispatcher;
    std::unique_ptr<Window> parent(topLevel());
    auto* button = new Window(parent.get(), "BUTTON", WS_CHILD, 0);
    button->addControlEventHandler(&silent, false);
    parent->addWindowEventDispatcher(&parentDispatcher, false);
    parent->sendMessage(WM_COMMAND, MAKEWPARAM(3, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button->getHandle()));
    EXPECT_EQ(1, silent.calls);
    EXPECT_TRUE(parentDispatcher.saw(WM_COMMAND));
}

TEST_F(WindowTest, CommandFromAControlOfAnotherParentGoesOnUnchanged)
{
    test::RecordingHandler answering(true);
    test::RecordingDispatcher strangerDispatcher;
    std::unique_ptr<Window> parent(topLevel());
    std::unique_ptr<Window> stranger(topLevel());
    auto* button = new Window(parent.get(), "BUTTON", WS_CHILD, 0);
    button->addControlEventHandler(&answering, false);
    stranger->addWindowEventDispatcher(&strangerDispatcher, false);
    const WPARAM command = MAKEWPARAM(9, BN_CLICKED);
    stranger->sendMessage(WM_COMMAND, command, reinterpret_cast<LPARAM>(button->getHandle()));
    EXPECT_EQ(0, answering.calls);
    EXPECT_TRUE(strangerDispatcher.saw(WM_COMMAND));
    EXPECT_EQ(command, strangerDispatcher.lastWParam);
    EXPECT_EQ(reinterpret_cast<LPARAM>(button->getHandle()), strangerDispatcher.lastLParam);
}

TEST_F(WindowTest, NotificationGoesToTheSendersOnNotify)
{
    test::RecordingDispatcher parentDispatcher;
    std::unique_ptr<Window> parent(topLevel());
    auto* taking = new NotifyingWindow(parent.get(), true);
    auto* declining = new NotifyingWindow(parent.get(), false);
    parent->addWindowEventDispatcher(&parentDispatcher, false);

    NMHDR header = {taking->getHandle(), 0, 1234};
    EXPECT_EQ(0, parent->sendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(1234u, taking->lastCode);
    EXPECT_FALSE(parentDispatcher.saw(WM_NOTIFY));

    header.hwndFrom = declining->getHandle();
    parent->sendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(1234u, declining->lastCode);
    EXPECT_TRUE(parentDispatcher.saw(WM_NOTIFY));
}

TEST_F(WindowTest, ChildListRefusesMisuse)
{
    std::unique_ptr<Window> parent(topLevel());
    std::unique_ptr<Window> stranger(topLevel());
    auto* child = new Window(parent.get(), "ParDefaultWindowClass", WS_CHILD, 0);
    try {
        parent->addChild(child);
        FAIL() << "a child was added twice";
    } catch (const char* text) {
        EXPECT_STREQ("Attempt to add the same Window for the second time.", text);
    }
    try {
        parent->removeChild(stranger.get());
        FAIL() << "a stranger was removed";
    } catch (const char* text) {
        EXPECT_STREQ("Attempt to remove Window that is not a child of this one.", text);
    }
    EXPECT_EQ(1u, parent->getChildren().size());
}

TEST_F(WindowTest, AddChildAdoptsAPopupAndRemoveChildLetsItGo)
{
    test::RecordingDispatcher popupDispatcher;
    std::unique_ptr<Window> parent(topLevel());
    std::unique_ptr<Window> popup(new Window(WS_POPUP | WS_CAPTION, "ParDefaultWindowClass", 0));
    popup->addWindowEventDispatcher(&popupDispatcher, false);

    parent->addChild(popup.get());
    EXPECT_EQ(parent.get(), popup->getParent());
    EXPECT_EQ(popup.get(), parent->getFirstChild());
    EXPECT_EQ(parent->getHandle(), GetParent(popup->getHandle()));
    const DWORD style = popup->getStyle();
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_FALSE(style & WS_POPUP);
    EXPECT_EQ(0u, style & WS_CAPTION);
    ASSERT_FALSE(popupDispatcher.changing.empty());
    const WINDOWPOS& adopted = popupDispatcher.changing.back();
    EXPECT_EQ(HWND_BOTTOM, adopted.hwndInsertAfter);
    EXPECT_EQ(0x3Bu, adopted.flags & 0x7FF);

    parent->removeChild(popup.get());
    EXPECT_EQ(nullptr, popup->getParent());
    EXPECT_TRUE(parent->getChildren().empty());
    EXPECT_EQ(GetDesktopWindow(), GetAncestor(popup->getHandle(), GA_PARENT));
    EXPECT_FALSE(IsWindowVisible(popup->getHandle()));
}

TEST_F(WindowTest, WindowCreatedWithAParentIsItsChildAndGoesWithIt)
{
    bool destroyed = false;
    Window* parent = topLevel();
    auto* child = new TrackedWindow(parent, destroyed);
    HWND childHandle = child->getHandle();
    EXPECT_EQ(child, parent->getFirstChild());
    delete parent;
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(IsWindow(childHandle));
}

TEST_F(WindowTest, ChildDeletedByItsHolderLeavesTheParentsList)
{
    std::unique_ptr<Window> parent(topLevel());
    bool destroyed = false;
    delete new TrackedWindow(parent.get(), destroyed);
    EXPECT_TRUE(destroyed);
    EXPECT_TRUE(parent->getChildren().empty());
}

TEST_F(WindowTest, WindowMapRefusesMisuse)
{
    std::unique_ptr<Window> window(topLevel());
    EXPECT_EQ(window.get(), Window::fromHwnd(window->getHandle()));
    try {
        Window::registerWindow(window->getHandle(), window.get());
        FAIL() << "a handle was registered twice";
    } catch (const char* text) {
        EXPECT_STREQ("Attempt to register the same window for the second time.", text);
    }
    HWND unknown = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(nullptr, Window::fromHwnd(unknown));
    try {
        Window::unregisterWindow(unknown);
        FAIL() << "an unknown handle was unregistered";
    } catch (const char* text) {
        EXPECT_STREQ("Attempt to unregister not registered window.", text);
    }
}

TEST_F(WindowTest, AttachedHandleOutlivesItsObjectWithItsOwnProcedure)
{
    test::RecordingDispatcher dispatcher;
    HWND handle = CreateWindowExA(0, RECORDING_CLASS, "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, handle);
    auto* window = new Window(handle);
    window->addWindowEventDispatcher(&dispatcher, false);
    EXPECT_EQ(55, SendMessageA(handle, PROBE, 0, 0));
    EXPECT_TRUE(dispatcher.saw(PROBE));
    delete window;

    ASSERT_TRUE(IsWindow(handle));
    EXPECT_EQ(nullptr, Window::fromHwnd(handle));
    classProcedureMessages.clear();
    EXPECT_EQ(55, SendMessageA(handle, PROBE, 0, 0));
    EXPECT_TRUE(reachedClassProcedure(PROBE));
    DestroyWindow(handle);
}

TEST_F(WindowTest, CreationFailureNamesTheClassAndTheReason)
{
    try {
        Window window(WS_POPUP, "partest.NoSuchClass", 0);
        FAIL() << "a window of an unknown class was created";
    } catch (const Window::Exception& exception) {
        const std::wstring start = L"HWND creation failed.\nclassName: \"partest.NoSuchClass\"\nReason: ";
        // Windows and Wine name the missing class with different codes.
        EXPECT_TRUE(exception.getMessage() == start + par::errorText(ERROR_CANNOT_FIND_WND_CLASS)
                    || exception.getMessage() == start + par::errorText(ERROR_CLASS_DOES_NOT_EXIST))
            << par::toNarrow(exception.getMessage());
    }
}

TEST_F(WindowTest, RunnableFromAWorkerRunsOnceInTheWindowProcedure)
{
    test::RecordingDispatcher dispatcher;
    std::unique_ptr<Window> window(topLevel());
    window->addWindowEventDispatcher(&dispatcher, false);
    RunnableRecord record;
    bool posted = false;
    std::thread worker([&] { posted = window->asyncExec(new TestRunnable(record)); });
    worker.join();
    EXPECT_TRUE(posted);
    EXPECT_TRUE(test::pumpUntil([&] { return record.deletions > 0; }, 5000));
    EXPECT_EQ(1, record.runs);
    EXPECT_TRUE(record.aliveWhenRun);
    EXPECT_EQ(GetCurrentThreadId(), record.runThread);
    // The message goes on after the run, without the freed pointer.
    EXPECT_TRUE(dispatcher.saw(par::WM_ASYNC_EXEC));
    EXPECT_EQ(0, dispatcher.lastLParam);
}

TEST_F(WindowTest, AsyncExecOnAWindowWhoseHandleIsGoneFailsAndDeletes)
{
    std::unique_ptr<Window> window(topLevel());
    DestroyWindow(window->getHandle());
    RunnableRecord record;
    EXPECT_FALSE(window->asyncExec(new TestRunnable(record)));
    EXPECT_EQ(1, record.deletions);
    EXPECT_EQ(0, record.runs);
}

TEST_F(WindowTest, RunnablePendingWhenItsWindowGoesIsDeletedNotRun)
{
    RunnableRecord record;
    {
        std::unique_ptr<Window> window(topLevel());
        ASSERT_TRUE(window->asyncExec(new TestRunnable(record)));
    }
    EXPECT_EQ(1, record.deletions);
    test::pumpMessages(100);
    EXPECT_EQ(0, record.runs);
    EXPECT_EQ(1, record.deletions);
}

// The first change that a call brings is the one it asked for. Showing with
// activation lets the system put the window on top first.
TEST_F(WindowTest, ShowingAndHidingPassTheirPositionFlags)
{
    test::RecordingDispatcher dispatcher;
    std::unique_ptr<Window> first(topLevel());
    std::unique_ptr<Window> second(topLevel());
    first->addWindowEventDispatcher(&dispatcher, false);
    second->addWindowEventDispatcher(&dispatcher, false);
    auto flagsOf = [&](Window& window, bool show, bool activate) {
        dispatcher.changed.clear();
        window.setVisible(show, activate);
        return dispatcher.changed.empty() ? 0u : dispatcher.changed.front().flags & 0x7FF;
    };

    EXPECT_EQ(0x757u, flagsOf(*second, true, false));
    EXPECT_NE(second->getHandle(), GetActiveWindow());
    EXPECT_TRUE(second->isVisible());

    flagsOf(*first, true, true);
    EXPECT_EQ(first->getHandle(), GetActiveWindow());
    EXPECT_TRUE(IsWindowVisible(first->getHandle()));

    EXPECT_EQ(0x797u, flagsOf(*first, false, true));
    EXPECT_FALSE(first->isVisible());
    EXPECT_FALSE(IsWindowVisible(first->getHandle()));
}

TEST_F(WindowTest, SetSizeKeepsAChildsPlaceInItsParent)
{
    std::unique_ptr<Window> parent(topLevel());
    parent->setBounds(100, 100, 400, 300);
    auto* child = new Window(parent.get(), "ParDefaultWindowClass", WS_CHILD | WS_VISIBLE, 0);
    child->setBounds(10, 20, 50, 50);
    child->setSize(70, 30);
    RECT bounds;
    GetWindowRect(child->getHandle(), &bounds);
    MapWindowPoints(nullptr, parent->getHandle(), reinterpret_cast<POINT*>(&bounds), 2);
    EXPECT_EQ(10, bounds.left);
    EXPECT_EQ(20, bounds.top);
    EXPECT_EQ(70, bounds.right - bounds.left);
    EXPECT_EQ(30, bounds.bottom - bounds.top);
}
