#include "winui/Window.h"

#include "app/Application.h"
#include "thread/Runnable.h"
#include "util/ExceptionUtil.h"
#include "util/Log.h"
#include "util/StringUtil.h"
#include "util/SystemUtil.h"
#include "winui/Layout.h"

#include <algorithm>
#include <map>

namespace par {

namespace {

// Never destroyed: windows owned by static objects may still go after main.
std::map<HWND, Window*>& windowMap()
{
    static auto* windows = new std::map<HWND, Window*>;
    return *windows;
}

constexpr UINT SHOW_FLAGS = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW
    | SWP_NOCOPYBITS | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;
constexpr UINT HIDE_FLAGS = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_HIDEWINDOW
    | SWP_NOCOPYBITS | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;
constexpr UINT TO_FRONT_FLAGS = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOCOPYBITS
    | SWP_NOSENDCHANGING;
constexpr UINT ADOPT_FLAGS = SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE
    | SWP_FRAMECHANGED;

} // namespace

Window::Window(HWND handle)
{
    myHandle = handle;
    registerWindow(handle, this);
}

Window::Window(DWORD style, const std::string& className, DWORD exStyle)
{
    create(nullptr, className, style, exStyle);
}

Window::Window(Window* parent, const std::string& className, DWORD style, DWORD exStyle)
{
    create(parent, className, style, exStyle);
}

Window::~Window()
{
    *myAlive = false;
    // A child deleted by its holder must not be deleted again by its parent.
    leaveParent();
    std::list<Window*> children;
    children.swap(myChildren);
    for (Window* child : children) {
        child->myParent = nullptr;
        if (!child->myHeldElsewhere)
            delete child;
    }
    if (myOwnsHandle && IsWindow(myHandle))
        DestroyWindow(myHandle);
    // A foreign handle that outlives this object gets its own procedure back.
    if (IsWindow(myHandle)
        && reinterpret_cast<WNDPROC>(GetWindowLongPtrA(myHandle, GWLP_WNDPROC)) == windowProc)
        SetWindowLongPtrA(myHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mySavedProc));
    auto entry = windowMap().find(myHandle);
    if (entry != windowMap().end() && entry->second == this)
        windowMap().erase(entry);
    PostedRunnables::discard(myHandle);
    delete myLayout;
}

void Window::create(Window* parent, const std::string& className, DWORD style, DWORD exStyle)
{
    HWND handle = CreateWindowExA(exStyle, className.c_str(), "", style, CW_USEDEFAULT, 0,
                                  CW_USEDEFAULT, 0, parent ? parent->myHandle : nullptr, nullptr,
                                  Application::getInstanceHandle(), this);
    if (!handle) {
        throw Exception(L"HWND creation failed.\n" + (L"className: \"" + toWide(className))
                        + L"\"\n" + L"Reason: " + lastErrorText());
    }
    myHandle = handle;
    try {
        registerWindow(handle, this);
    } catch (...) {
        DestroyWindow(handle);
        throw;
    }
    myOwnsHandle = true;
    if (parent)
        parent->addToChildList(this);
}

void Window::registerWindow(HWND handle, Window* window)
{
    Window*& mapped = windowMap()[handle];
    if (mapped)
        throw "Attempt to register the same window for the second time.";
    window->mySavedProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(handle, GWLP_WNDPROC));
    SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windowProc));
    mapped = window;
}

void Window::unregisterWindow(HWND handle)
{
    auto entry = windowMap().find(handle);
    if (entry == windowMap().end() || !entry->second)
        throw "Attempt to unregister not registered window.";
    windowMap().erase(entry);
}

Window* Window::fromHwnd(HWND handle)
{
    auto entry = windowMap().find(handle);
    return entry == windowMap().end() ? nullptr : entry->second;
}

LRESULT CALLBACK Window::defaultWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(handle, message, wParam, lParam);
}

LRESULT CALLBACK Window::windowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFYFORMAT)
        return NFR_ANSI;
    Window* window = fromHwnd(handle);
    if (!window)
        return DefWindowProcA(handle, message, wParam, lParam);
    return callGuarded("Window::windowProc()", LRESULT(0),
                       [&] { return window->routeMessage(message, wParam, lParam); });
}

LRESULT Window::routeMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A control's handler or a runnable may delete this window.
    const std::shared_ptr<bool> alive = myAlive;
    switch (message) {
    case WM_COMMAND:
        if (lParam) {
            Window* control = fromHwnd(reinterpret_cast<HWND>(lParam));
            if (control && GetParent(control->myHandle) == myHandle
                && control->fireControlEvent(LOWORD(wParam), HIWORD(wParam)))
                return 0;
        }
        break;
    case WM_NOTIFY: {
        NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        Window* sender = header ? fromHwnd(header->hwndFrom) : nullptr;
        if (sender && sender->onNotify(wParam, header))
            return 0;
        break;
    }
    case WM_ASYNC_EXEC:
        PostedRunnables::run(reinterpret_cast<Runnable*>(lParam));
        // The runnable is gone; nobody further on may read the pointer.
        lParam = 0;
        break;
    default:
        break;
    }
    if (!*alive)
        return 0;
    return handleMessage(message, wParam, lParam);
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const std::shared_ptr<bool> alive = myAlive;
    // A dispatcher may remove dispatchers, or delete this window, while it
    // is being asked.
    for (WindowEventDispatcher* dispatcher : myWindowEventDispatchers.snapshot()) {
        if (!myWindowEventDispatchers.contains(dispatcher))
            continue;
        const LRESULT result = dispatcher->dispatch(this, message, wParam, lParam);
        if (result || !*alive)
            return result;
    }
    if (message == WM_SIZE)
        doLayout();
    if (!mySavedProc)
        return DefWindowProcA(myHandle, message, wParam, lParam);
    return CallWindowProcA(mySavedProc, myHandle, message, wParam, lParam);
}

bool Window::fireControlEvent(int controlId, int notificationCode)
{
    const std::shared_ptr<bool> alive = myAlive;
    bool handled = false;
    for (ControlEventHandler* handler : myControlEventHandlers.snapshot()) {
        if (myControlEventHandlers.contains(handler))
            handled = handler->onControlEvent(this, controlId, notificationCode) || handled;
        if (!*alive)
            break;
    }
    return handled;
}

bool Window::onNotify(WPARAM, NMHDR*)
{
    return false;
}

void Window::addChild(Window* child)
{
    addToChildList(child);
    HWND childHandle = child->myHandle;
    if (!childHandle || !IsWindow(childHandle) || GetParent(childHandle) == myHandle)
        return;
    DWORD style = (child->getStyle() | WS_CHILD) & ~(WS_POPUP | WS_CAPTION);
    if (child->isVisible())
        style |= WS_VISIBLE;
    child->setStyle(style);
    SetParent(childHandle, myHandle);
    SetWindowPos(childHandle, HWND_BOTTOM, 0, 0, 0, 0, ADOPT_FLAGS);
}

void Window::addToChildList(Window* child)
{
    if (std::find(myChildren.begin(), myChildren.end(), child) != myChildren.end())
        throw "Attempt to add the same Window for the second time.";
    myChildren.push_back(child);
    child->myParent = this;
}

void Window::removeChild(Window* child)
{
    auto found = std::find(myChildren.begin(), myChildren.end(), child);
    if (found == myChildren.end())
        throw "Attempt to remove Window that is not a child of this one.";
    myChildren.erase(found);
    child->myParent = nullptr;
    ShowWindow(child->myHandle, SW_HIDE);
    SetParent(child->myHandle, nullptr);
}

void Window::leaveParent()
{
    if (!myParent)
        return;
    myParent->myChildren.remove(this);
    myParent = nullptr;
}

Window* Window::getFirstChild() const
{
    return myChildren.empty() ? nullptr : myChildren.front();
}

void Window::setLayout(Layout* layout)
{
    delete myLayout;
    myLayout = layout;
    if (layout)
        layout->setContainer(this);
}

void Window::doLayout()
{
    if (myLayout)
        myLayout->layout();
}

void Window::addWindowEventDispatcher(WindowEventDispatcher* dispatcher, bool owned)
{
    myWindowEventDispatchers.add(dispatcher, owned);
}

void Window::removeWindowEventDispatcher(WindowEventDispatcher* dispatcher)
{
    myWindowEventDispatchers.remove(dispatcher);
}

void Window::addControlEventHandler(ControlEventHandler* handler, bool owned)
{
    myControlEventHandlers.add(handler, owned);
}

void Window::removeControlEventHandler(ControlEventHandler* handler)
{
    myControlEventHandlers.remove(handler);
}

void Window::setVisible(bool show, bool activate)
{
    myVisible = show;
    UINT flags = show ? SHOW_FLAGS : HIDE_FLAGS;
    if (!(show && activate))
        flags |= SWP_NOACTIVATE;
    SetWindowPos(myHandle, nullptr, 0, 0, 0, 0, flags);
}

void Window::toFront()
{
    SetWindowPos(myHandle, HWND_TOP, 0, 0, 0, 0, TO_FRONT_FLAGS);
}

bool Window::isResizable() const
{
    return (getStyle() & WS_THICKFRAME) != 0;
}

void Window::setResizable(bool resizable)
{
    setStyle(resizable ? getStyle() | WS_THICKFRAME : getStyle() & ~WS_THICKFRAME);
}

void Window::setControlParent(bool controlParent)
{
    DWORD exStyle = getExStyle();
    exStyle = controlParent ? exStyle | WS_EX_CONTROLPARENT : exStyle & ~WS_EX_CONTROLPARENT;
    SetWindowLongA(myHandle, GWL_EXSTYLE, static_cast<LONG>(exStyle));
}

DWORD Window::getStyle() const
{
    return static_cast<DWORD>(GetWindowLongA(myHandle, GWL_STYLE));
}

void Window::setStyle(DWORD style)
{
    SetWindowLongA(myHandle, GWL_STYLE, static_cast<LONG>(style));
}

DWORD Window::getExStyle() const
{
    return static_cast<DWORD>(GetWindowLongA(myHandle, GWL_EXSTYLE));
}

LRESULT Window::sendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(myHandle, message, wParam, lParam);
}

void Window::close()
{
    PostMessageA(myHandle, WM_CLOSE, 0, 0);
}

void Window::invalidate(bool erase)
{
    InvalidateRect(myHandle, nullptr, erase);
}

void Window::setFocus()
{
    SetFocus(myHandle);
}

void Window::setTitle(const std::string& title)
{
    SetWindowTextA(myHandle, title.c_str());
}

void Window::setText(const std::string& text)
{
    SendMessageA(myHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Window::setFont(HFONT font)
{
    SendMessageA(myHandle, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void Window::setBounds(int x, int y, int width, int height)
{
    MoveWindow(myHandle, x, y, width, height, TRUE);
}

Rect Window::getBounds() const
{
    RECT bounds = {};
    GetWindowRect(myHandle, &bounds);
    return Rect{bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
}

void Window::setSize(int width, int height)
{
    RECT bounds = {};
    GetWindowRect(myHandle, &bounds);
    POINT topLeft = {bounds.left, bounds.top};
    // MoveWindow places a child in its parent's client coordinates.
    HWND parent = GetParent(myHandle);
    if ((getStyle() & WS_CHILD) && parent)
        MapWindowPoints(nullptr, parent, &topLeft, 1);
    MoveWindow(myHandle, topLeft.x, topLeft.y, width, height, TRUE);
}

bool Window::asyncExec(Runnable* runnable)
{
    return postRunnable(myHandle, runnable);
}

bool Window::postRunnable(HWND handle, Runnable* runnable)
{
    if (PostedRunnables::post(handle, runnable))
        return true;
    getLog("parlib.winui.Window")->debug("::PostMessage(WM_ASYNC_EXEC) failed.");
    return false;
}

} // namespace par
