#include "ChildProcess.h"

namespace test {

namespace {

bool start(const wchar_t* program, std::wstring& commandLine, const ChildOptions& options,
           PROCESS_INFORMATION& process)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (options.output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = options.output;
        startup.hStdError = options.output;
    }
    const BOOL inherit = options.output || options.inheritHandles;
    if (CreateProcessW(program, &commandLine[0], nullptr, nullptr, inherit, 0, nullptr, options.folder,
                       &startup, &process))
        return true;
    process = {};
    return false;
}

} // namespace

ChildProcess::ChildProcess(std::wstring commandLine, const ChildOptions& options)
{
    start(nullptr, commandLine, options, myProcess);
}

ChildProcess::~ChildProcess()
{
    if (!started())
        return;
    if (!hasEnded())
        terminate(99);
    CloseHandle(myProcess.hProcess);
    CloseHandle(myProcess.hThread);
}

bool ChildProcess::hasEnded() const
{
    return waitForEnd(0);
}

bool ChildProcess::waitForEnd(DWORD timeoutMs) const
{
    return started() && WaitForSingleObject(myProcess.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::exitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (started())
        GetExitCodeProcess(myProcess.hProcess, &code);
    return code;
}

void ChildProcess::terminate(UINT exitCode)
{
    if (!started())
        return;
    TerminateProcess(myProcess.hProcess, exitCode);
    WaitForSingleObject(myProcess.hProcess, 5000);
}

bool startDetached(std::wstring commandLine, const ChildOptions& options, const wchar_t* program)
{
    PROCESS_INFORMATION process = {};
    if (!start(program, commandLine, options, process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

} // namespace test
