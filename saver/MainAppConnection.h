#pragma once

#include <windows.h>

#include <memory>
#include <mutex>

namespace par {
class PipeClient;
}

class SaverController;

// The saver's conversation with a running desktop program: "suspend" before
// the movie starts and "resume" when the saver ends, over the desktop
// program's plain pipe. Without a desktop program listening, nothing is sent.
class MainAppConnection {
public:
    static const char* const PIPE_NAME;
    static constexpr DWORD CONNECT_TIMEOUT_MS = 5000;
    static constexpr DWORD SUSPEND_TIMEOUT_MS = 5000;
    static constexpr DWORD RESUME_TIMEOUT_MS = 5000;

    explicit MainAppConnection(SaverController* controller);
    ~MainAppConnection();
    MainAppConnection(const MainAppConnection&) = delete;
    MainAppConnection& operator=(const MainAppConnection&) = delete;

    // Closes the saver afterwards when the user made input meanwhile.
    void suspend();
    // Only after a suspend that connected, and once; from any thread. The
    // time limit is for the whole resume, the wait for another thread's
    // resume included.
    void resume(DWORD timeoutMs = INFINITE);

private:
    // The UI thread and the hang monitor's may both resume.
    std::timed_mutex myResumeMutex;
    // Not owned.
    SaverController* myController;
    std::unique_ptr<par::PipeClient> myClient;
};
