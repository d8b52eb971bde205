#include "SkyvaneRun.h"

#include "ipc/PipeClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace test {

namespace {

// A file of the build, as this Wine process sees it.
std::wstring windowsPath(const char* path)
{
    std::wstring windows = L"Z:" + std::wstring(path, path + strlen(path));
    std::replace(windows.begin(), windows.end(), L'/', L'\\');
    return windows;
}

bool waitFor(const std::function<bool()>& condition, unsigned timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK findProcessWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (process != search->processId || strcmp(className, search->className) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

SkyvaneRun::SkyvaneRun(const MovieReplacements& replacements)
    : myFolder(myTemp.file(L"product")), myTranscript(myTemp.file(L"transcript.txt"))
{
    CreateDirectoryW(myFolder.c_str(), nullptr);
    CreateDirectoryW((myFolder + L"\\data").c_str(), nullptr);
    CopyFileW(windowsPath(SKYVANE_EXE).c_str(), (myFolder + L"\\skyvane.exe").c_str(), FALSE);
    std::string movie = readFile(windowsPath(SKYVANE_MOVIE));
    EXPECT_FALSE(movie.empty());
    for (const auto& replacement : replacements) {
        const std::size_t at = movie.find(replacement.first);
        EXPECT_NE(std::string::npos, at) << replacement.first;
        if (at != std::string::npos)
            movie.replace(at, replacement.first.size(), replacement.second);
    }
    writeFile(myFolder + L"\\skyvanedesktop.swf", movie);
    writeFile(myFolder + L"\\data\\projector.xml", "<projector><debug logToFile=\"true\"/></projector>");
}

SkyvaneRun::~SkyvaneRun()
{
    if (!myProcess)
        return;
    if (isRunning()) {
        TerminateProcess(myProcess, 99);
        WaitForSingleObject(myProcess, 5000);
    }
    CloseHandle(myProcess);
}

bool SkyvaneRun::start(const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + myFolder + L"\\skyvane.exe\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    SetEnvironmentVariableW(L"FLASH_STANDIN_TRANSCRIPT", myTranscript.c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    const BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                        myFolder.c_str(), &startup, &info);
    SetEnvironmentVariableW(L"FLASH_STANDIN_TRANSCRIPT", nullptr);
    if (!started)
        return false;
    CloseHandle(info.hThread);
    myProcess = info.hProcess;
    myProcessId = info.dwProcessId;
    return true;
}

std::string SkyvaneRun::log() const
{
    return readFile(myFolder + L"\\log.txt");
}

bool SkyvaneRun::waitForLog(const std::string& text, unsigned timeoutMs) const
{
    return waitFor([&] { return log().find(text) != std::string::npos; }, timeoutMs);
}

long SkyvaneRun::waitForExit(unsigned timeoutMs) const
{
    if (!myProcess || WaitForSingleObject(myProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(myProcess, &code);
    return static_cast<long>(code);
}

bool SkyvaneRun::isRunning() const
{
    return myProcess && WaitForSingleObject(myProcess, 0) == WAIT_TIMEOUT;
}

HWND SkyvaneRun::findWindow(const char* className) const
{
    WindowSearch search = {myProcessId, className, nullptr};
    EnumWindows(findProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND SkyvaneRun::waitForWindow(const char* className, unsigned timeoutMs) const
{
    HWND found = nullptr;
    waitFor([&] { return (found = findWindow(className)) != nullptr; }, timeoutMs);
    return found;
}

std::vector<std::vector<std::wstring>> SkyvaneRun::transcript() const
{
    const std::string bytes = readFile(myTranscript);
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                        &text[0], static_cast<int>(text.size()))));
    std::vector<std::vector<std::wstring>> entries;
    std::vector<std::wstring> fields(1);
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\n') {
            // The time and the process are left out.
            if (fields.size() > 2)
                entries.emplace_back(fields.begin() + 2, fields.end());
            fields.assign(1, std::wstring());
        } else if (c == L'\t') {
            fields.emplace_back();
        } else if (c == L'\\' && i + 1 < text.size()) {
            const wchar_t escaped = text[++i];
            fields.back() += escaped == L'n' ? L'\n' : escaped == L't' ? L'\t' : escaped == L'r' ? L'\r' : escaped;
        } else {
            fields.back() += c;
        }
    }
    return entries;
}

bool SkyvaneRun::transcriptHas(const std::wstring& kind, const std::wstring& first, const std::wstring& second) const
{
    for (const auto& entry : transcript()) {
        if (entry[0] == kind && entry.size() > 1 && entry[1] == first
            && (second.empty() || (entry.size() > 2 && entry[2].find(second) != std::wstring::npos)))
            return true;
    }
    return false;
}

bool SkyvaneRun::waitForTranscript(const std::wstring& kind, const std::wstring& first, const std::wstring& second,
                                   unsigned timeoutMs) const
{
    return waitFor([&] { return transcriptHas(kind, first, second); }, timeoutMs);
}

std::string pipeRequest(const std::string& pipe, const std::string& request, unsigned timeoutMs)
{
    par::PipeClient client(pipe);
    client.start();
    std::string answer;
    if (!client.connect(true, timeoutMs) || !client.sendRequest(request, timeoutMs, answer))
        return std::string();
    client.connect(false, timeoutMs);
    return answer;
}

bool pipeExists(const std::string& pipe)
{
    return WaitNamedPipeA(pipe.c_str(), 1) || GetLastError() != ERROR_FILE_NOT_FOUND;
}

void removeProductKey()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ondrel\\skyvane");
}

} // namespace test
