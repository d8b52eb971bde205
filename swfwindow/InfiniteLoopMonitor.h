#pragma once

#include "swfwindow/InfiniteLoopMonitorListener.h"
#include "swfwindow/SwfWindow.h"

#include "thread/Runnable.h"
#include "thread/Thread.h"
#include "util/Scoped.h"

#include <memory>

namespace swfWindow {

// Tells its listener, once, that the movie stopped answering. The movie runs
// on the UI thread, so the monitor's own thread has the UI thread send the
// movie a "ping" request and waits for the answer; none within the limit
// means the movie (or the UI thread) hangs. Started by the movie's
// "parProgramReady"; ends with the report or with its window.
class InfiniteLoopMonitor : public par::Thread {
public:
    static constexpr DWORD IDLE_MS = 2000;
    static constexpr DWORD ANSWER_TIMEOUT_MS = 10000;
    // The id of the monitor's requests: no other request may take it, or it
    // would replace a pending ping and the movie would seem to hang.
    static constexpr const char* PING_ID = "ping";

    // Work for the UI thread on behalf of a monitor. It may run after the
    // monitor is gone (its window was destroyed meanwhile): then it does
    // nothing.
    class MyRunnable : public par::Runnable {
    public:
        explicit MyRunnable(std::weak_ptr<InfiniteLoopMonitor> monitor) : myMonitor(monitor) {}

    protected:
        std::weak_ptr<InfiniteLoopMonitor> myMonitor;
    };

    class Ping : public MyRunnable {
    public:
        using MyRunnable::MyRunnable;
        void run() override;
    };

    // The request "asyncRequest" with the id "ping"; its answer is the pong.
    class PingRequest : public SwfWindow::Request {
    public:
        explicit PingRequest(std::weak_ptr<InfiniteLoopMonitor> monitor);
        void onResponse(IXMLDOMDocument2Ptr answer) override;

    private:
        std::weak_ptr<InfiniteLoopMonitor> myMonitor;
    };

    explicit InfiniteLoopMonitor(SwfWindow* owner);
    ~InfiniteLoopMonitor() override;

    // Set before the monitor is enabled; told on the monitor's thread.
    void setListener(InfiniteLoopMonitorListener* listener) { myListener = listener; }
    // The first enabling starts the thread; nothing restarts it after a report.
    void setEnabled(bool enabled);
    bool isEnabled() const { return myEnabled; }
    // On the UI thread.
    void sendPing();
    void onPong();

protected:
    unsigned run() override;

private:
    SwfWindow* myOwner;
    bool myEnabled = false;
    InfiniteLoopMonitorListener* myListener = nullptr;
    par::ScopedHandle myPongEvent;
    // Owns nothing: lets runnables and requests that outlive the monitor
    // find that it is gone.
    std::shared_ptr<InfiniteLoopMonitor> mySelf;
};

} // namespace swfWindow
