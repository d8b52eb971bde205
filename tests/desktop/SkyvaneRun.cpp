#include "SkyvaneRun.h"

#include "ipc/PipeClient.h"
#include "PollUntil.h"
#include "ProcessWindow.h"
#include "TranscriptReader.h"
#include "WinePath.h"

#include <gtest/gtest.h>


namespace test {


SkyvaneRun::SkyvaneRun(const MovieReplacements& replacements)
    : myFolder(myTemp.file(L"product")), myTranscript(myTemp.file(L"transcript.txt"))
{
    CreateDirectoryW(myFolder.c_str(), nullptr);
    CreateDirectoryW((myFolder + L"\\data").c_str(), nullptr);
    CopyFileW(winePath(SKYVANE_EXE).c_str(), (myFolder + L"\\skyvane.exe").c_str(), FALSE);
    std::string movie = readFile(winePath(SKYVANE_MOVIE));
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

SkyvaneRun::~SkyvaneRun() = default;

bool SkyvaneRun::start(const std::wstring& arguments, HANDLE output)
{
    std::wstring commandLine = L"\"" + myFolder + L"\\skyvane.exe\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    SetEnvironmentVariableW(L"FLASH_STANDIN_TRANSCRIPT", myTranscript.c_str());
    ChildOptions options;
    options.folder = myFolder.c_str();
    options.output = output;
    myProcess = std::make_unique<ChildProcess>(commandLine, options);
    SetEnvironmentVariableW(L"FLASH_STANDIN_TRANSCRIPT", nullptr);
    return myProcess->started();
}

std::string SkyvaneRun::log() const
{
    return readFile(myFolder + L"\\log.txt");
}

bool SkyvaneRun::waitForLog(const std::string& text, unsigned timeoutMs) const
{
    return pollUntil([&] { return log().find(text) != std::string::npos; }, timeoutMs, 20);
}

long SkyvaneRun::waitForExit(unsigned timeoutMs) const
{
    if (!myProcess || !myProcess->waitForEnd(timeoutMs))
        return -1;
    return static_cast<long>(myProcess->exitCode());
}

bool SkyvaneRun::isRunning() const
{
    return myProcess && myProcess->started() && !myProcess->hasEnded();
}

HWND SkyvaneRun::findWindow(const char* className) const
{
    return myProcess ? findProcessWindow(myProcess->id(), className) : nullptr;
}

HWND SkyvaneRun::waitForWindow(const char* className, unsigned timeoutMs) const
{
    HWND found = nullptr;
    pollUntil([&] { return (found = findWindow(className)) != nullptr; }, timeoutMs, 20);
    return found;
}

std::vector<TranscriptEntry> SkyvaneRun::transcript() const
{
    return readTranscript(myTranscript);
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
    return pollUntil([&] { return transcriptHas(kind, first, second); }, timeoutMs, 20);
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
