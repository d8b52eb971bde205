#pragma once

#include <windows.h>

#include <string>

namespace test {

// How a child process is started.
struct ChildOptions {
    // Takes the child's standard output and error; it must be inheritable.
    HANDLE output = nullptr;
    // Lets the child inherit this process's inheritable handles; implied by
    // an output.
    bool inheritHandles = false;
    // The child's current folder; null for this process's.
    const wchar_t* folder = nullptr;
};

// A program started as a process of its own. The destructor ends a child
// that still runs.
class ChildProcess {
public:
    // commandLine: the whole line, the program first (quoted where needed).
    explicit ChildProcess(std::wstring commandLine, const ChildOptions& options = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return myProcess.hProcess != nullptr; }
    DWORD id() const { return myProcess.dwProcessId; }
    HANDLE handle() const { return myProcess.hProcess; }
    bool hasEnded() const;
    // True once the child has ended within the time.
    bool waitForEnd(DWORD timeoutMs) const;
    // STILL_ACTIVE while it runs.
    DWORD exitCode() const;
    // Ends the child with that exit code and waits a little for it to go.
    void terminate(UINT exitCode);

private:
    PROCESS_INFORMATION myProcess = {};
};

// Starts a program and lets it go: for programs whose handles cannot be
// waited for, or that outlive the caller. False when it cannot be started.
bool startDetached(std::wstring commandLine, const ChildOptions& options = {},
                   const wchar_t* program = nullptr);

} // namespace test
