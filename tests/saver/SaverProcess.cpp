#include "SaverProcess.h"

#include "TempDir.h"

#include <cstring>

namespace test {

namespace {

struct WindowSearch {
    DWORD processId;
    const char* className;
    const char* title;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char text[256] = "";
    if (processId != search->processId || !GetClassNameA(window, text, sizeof text)
        || std::strcmp(text, search->className) != 0)
        return TRUE;
    GetWindowTextA(window, text, sizeof text);
    if (search->title && std::strcmp(text, search->title) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

std::wstring winePath(const std::string& unixPath)
{
    std::wstring path = L"Z:" + std::wstring(unixPath.begin(), unixPath.end());
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

SaverProcess::SaverProcess(const std::string& program, const std::wstring& arguments,
                           const std::wstring& outputFile)
    : myOutputFile(outputFile)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::wstring command = L"\"" + winePath(program) + L"\"";
    if (!arguments.empty())
        command += L" " + arguments;
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &myProcess))
        myProcess = {};
    CloseHandle(output);
}

SaverProcess::~SaverProcess()
{
    if (!started())
        return;
    if (!hasEnded()) {
        TerminateProcess(myProcess.hProcess, 99);
        WaitForSingleObject(myProcess.hProcess, 5000);
    }
    CloseHandle(myProcess.hProcess);
    CloseHandle(myProcess.hThread);
}

bool SaverProcess::hasEnded() const
{
    return started() && WaitForSingleObject(myProcess.hProcess, 0) == WAIT_OBJECT_0;
}

DWORD SaverProcess::exitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (started())
        GetExitCodeProcess(myProcess.hProcess, &code);
    return code;
}

std::string SaverProcess::output() const
{
    std::string text = readFile(myOutputFile);
    // The standard output is a text stream: lines end in "\r\n".
    std::string::size_type at = 0;
    while ((at = text.find("\r\n", at)) != std::string::npos)
        text.erase(at, 1);
    return text;
}

HWND SaverProcess::findWindow(const char* className, const char* title) const
{
    WindowSearch search = {myProcess.dwProcessId, className, title, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace test
