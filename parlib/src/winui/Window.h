#pragma once

#include "thread/ListenerList.h"
#include "thread/PostedRunnables.h"
#include "winui/Rect.h"

#include <windows.h>

#include <list>
#include <memory>
#include <string>

namespace par {

class Layout;
class Runnable;

// One object per window handle. The object subclasses the handle, sits in a
// process-wide map from handle to object, owns its child window objects and
// its layout, and lets dispatchers and control-event handlers take part in
// its message handling. Everything but asyncExec runs on the window's thread.
class Window {
public:
    // Sees the window's messages before the window itself; a non-zero result
    // means handled, and is the message's result.
    class WindowEventDispatcher {
    public:
        virtual LRESULT dispatch(Window* window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
        // Owned dispatchers are deleted through this interface.
        virtual ~WindowEventDispatcher() = default;
    };

    // Told of the commands of a control; true means handled.
    class ControlEventHandler {
    public:
        virtual bool onControlEvent(Window* source, int controlId, int notificationCode) = 0;
        // Owned handlers are deleted through this interface.
        virtual ~ControlEventHandler() = default;
    };

    // Thrown when a window or a dialog cannot be created.
    class Exception {
    public:
        explicit Exception(const std::wstring& message) : myMessage(message) {}
        const std::wstring& getMessage() const { return myMessage; }

    private:
        std::wstring myMessage;
    };

    // Attaches an existing handle, which stays its creator's to destroy.
    explicit Window(HWND handle);
    Window(DWORD style, const std::string& className, DWORD exStyle);
    Window(Window* parent, const std::string& className, DWORD style, DWORD exStyle);
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    virtual ~Window();
    virtual void addChild(Window* child);
    virtual void removeChild(Window* child);
    virtual void setVisible(bool show, bool activate);
    virtual void invalidate(bool erase);
    virtual void setFocus();
    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Asks every control-event handler, in the order of addition; true when
    // any of them handled the event.
    virtual bool fireControlEvent(int controlId, int notificationCode);
    virtual bool onNotify(WPARAM wParam, NMHDR* header);

    HWND getHandle() const { return myHandle; }

    static void registerWindow(HWND handle, Window* window);
    static void unregisterWindow(HWND handle);
    static Window* fromHwnd(HWND handle);
    static LRESULT CALLBACK defaultWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK windowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

    Window* getParent() const { return myParent; }
    // For a window that its holder deletes: a parent that goes first only
    // lets go of it.
    void setHeldElsewhere(bool held) { myHeldElsewhere = held; }
    const std::list<Window*>& getChildren() const { return myChildren; }
    Window* getFirstChild() const;

    void setLayout(Layout* layout);
    Layout* getLayout() const { return myLayout; }
    void doLayout();

    void addWindowEventDispatcher(WindowEventDispatcher* dispatcher, bool owned);
    void removeWindowEventDispatcher(WindowEventDispatcher* dispatcher);
    void addControlEventHandler(ControlEventHandler* handler, bool owned);
    void removeControlEventHandler(ControlEventHandler* handler);

    bool isVisible() const { return myVisible; }
    void toFront();
    bool isResizable() const;
    void setResizable(bool resizable);
    void setControlParent(bool controlParent);
    DWORD getStyle() const;
    void setStyle(DWORD style);
    DWORD getExStyle() const;
    LRESULT sendMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void close();
    void setTitle(const std::string& title);
    void setText(const std::string& text);
    void setFont(HFONT font);
    void setBounds(int x, int y, int width, int height);
    Rect getBounds() const;
    void setSize(int width, int height);

    // Hands the runnable to this window's thread, which runs it once and
    // deletes it. Any thread may call it; a failed post deletes the runnable.
    bool asyncExec(Runnable* runnable);
    // The same for a bare handle, for callers that must not touch a window
    // object from another thread.
    static bool postRunnable(HWND handle, Runnable* runnable);

protected:
    void create(Window* parent, const std::string& className, DWORD style, DWORD exStyle);

private:
    LRESULT routeMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void addToChildList(Window* child);
    void leaveParent();

    HWND myHandle = nullptr;
    std::list<Window*> myChildren;
    Window* myParent = nullptr;
    bool myVisible = true;
    bool myOwnsHandle = false;
    bool myHeldElsewhere = false;
    Layout* myLayout = nullptr;
    WNDPROC mySavedProc = nullptr;
    ListenerList<ControlEventHandler> myControlEventHandlers;
    ListenerList<WindowEventDispatcher> myWindowEventDispatchers;
    // Cleared by the destructor. A handler may delete the window it was
    // called for: its callers hold a copy and look before they go on.
    std::shared_ptr<bool> myAlive = std::make_shared<bool>(true);
};

} // namespace par
