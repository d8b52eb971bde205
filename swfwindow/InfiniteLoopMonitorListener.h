#pragma once

namespace swfWindow {

// Told, on the monitor's own thread, that the movie stopped answering; it
// must not touch windows or the movie from there.
class InfiniteLoopMonitorListener {
public:
    virtual void onInfiniteLoop() {}
    virtual ~InfiniteLoopMonitorListener() = default;
};

} // namespace swfWindow
