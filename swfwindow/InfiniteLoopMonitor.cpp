#include "swfwindow/InfiniteLoopMonitor.h"

#include "swfwindow/ComDiagnostics.h"

#include "app/UiApplication.h"
#include "util/Log.h"

namespace swfWindow {

void InfiniteLoopMonitor::Ping::run()
{
    const std::shared_ptr<InfiniteLoopMonitor> monitor = myMonitor.lock();
    if (!monitor)
        return;
    // Runs from the UI thread's message loop, which an exception must not reach.
    try {
        monitor->sendPing();
    } catch (const _com_error& error) {
        par::logSevere("InfiniteLoopMonitor::Ping::run(), the ping is not sent\n" + comErrorText(error));
    }
}

InfiniteLoopMonitor::PingRequest::PingRequest(std::weak_ptr<InfiniteLoopMonitor> monitor)
    : SwfWindow::Request(makeDocument(PING_ID)), myMonitor(monitor)
{
}

void InfiniteLoopMonitor::PingRequest::onResponse(IXMLDOMDocument2Ptr)
{
    if (const std::shared_ptr<InfiniteLoopMonitor> monitor = myMonitor.lock())
        monitor->onPong();
}

InfiniteLoopMonitor::InfiniteLoopMonitor(SwfWindow* owner)
    : myOwner(owner),
      myPongEvent(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      mySelf(this, [](InfiniteLoopMonitor*) {})
{
}

InfiniteLoopMonitor::~InfiniteLoopMonitor()
{
    requestStopAndWait();
    // The thread, the only other user of the token, has ended.
    mySelf.reset();
}

void InfiniteLoopMonitor::setEnabled(bool enabled)
{
    if (enabled == myEnabled)
        return;
    myEnabled = enabled;
    if (enabled)
        start();
    else
        requestStopAndWait();
}

void InfiniteLoopMonitor::sendPing()
{
    myOwner->sendXmlRequest(new PingRequest(mySelf));
}

void InfiniteLoopMonitor::onPong()
{
    SetEvent(myPongEvent.get());
}

unsigned InfiniteLoopMonitor::run()
{
    HANDLE stop = getStopEvent();
    for (;;) {
        if (WaitForSingleObject(stop, IDLE_MS) == WAIT_OBJECT_0)
            return 0;
        // A refused hand-off has deleted the ping; the wait then times out.
        par::UiApplication::asyncExec(new Ping(mySelf));

        HANDLE events[] = {stop, myPongEvent.get()};
        const DWORD woken = WaitForMultipleObjects(2, events, FALSE, ANSWER_TIMEOUT_MS);
        if (woken == WAIT_OBJECT_0)
            return 0;
        if (woken == WAIT_TIMEOUT) {
            if (myListener)
                myListener->onInfiniteLoop();
            return 0;
        }
    }
}

} // namespace swfWindow
