#pragma once

#include "ChildProcess.h"
#include "TempDir.h"
#include "TranscriptReader.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace test {

// Pairs of an old text of the product movie and its new text.
using MovieReplacements = std::vector<std::pair<std::string, std::string>>;

// One skyvane.exe started as a process of its own from a folder of its own
// (named "product", so that its log file "log.txt" is written there), with
// the stand-in's product movie saved under the movie's file name, debug
// settings that turn the log file on, and a transcript of the stand-in.
// A process still running when the object goes is ended.
class SkyvaneRun {
public:
    // The product movie with the replacements made; an old text that is
    // missing fails the test.
    explicit SkyvaneRun(const MovieReplacements& replacements = {});
    ~SkyvaneRun();
    SkyvaneRun(const SkyvaneRun&) = delete;
    SkyvaneRun& operator=(const SkyvaneRun&) = delete;

    // Starts the program with the arguments; false when it cannot start.
    // An output handle (inheritable) becomes its standard output and error.
    bool start(const std::wstring& arguments, HANDLE output = nullptr);
    // True once the log holds the text; false when the time is up first.
    bool waitForLog(const std::string& text, unsigned timeoutMs) const;
    std::string log() const;
    // The exit code, or -1 when the process is still running after the time.
    long waitForExit(unsigned timeoutMs) const;
    bool isRunning() const;
    // The top-level window of the process with the class, or null.
    HWND findWindow(const char* className) const;
    // Waits until the process has a top-level window with the class.
    HWND waitForWindow(const char* className, unsigned timeoutMs) const;
    // The transcript's entries: kind first, then the fields.
    std::vector<TranscriptEntry> transcript() const;
    // An entry of the kind whose first field is `first` and whose second
    // field holds `second` (any, when empty).
    bool transcriptHas(const std::wstring& kind, const std::wstring& first, const std::wstring& second = L"") const;
    bool waitForTranscript(const std::wstring& kind, const std::wstring& first, const std::wstring& second,
                           unsigned timeoutMs) const;
    HANDLE process() const { return myProcess ? myProcess->handle() : nullptr; }
    DWORD processId() const { return myProcess ? myProcess->id() : 0; }
    const std::wstring& folder() const { return myFolder; }

private:
    TempDir myTemp;
    std::wstring myFolder;
    std::wstring myTranscript;
    std::unique_ptr<ChildProcess> myProcess;
};

// Sends one request to the pipe and answers its answer ("" on failure).
std::string pipeRequest(const std::string& pipe, const std::string& request, unsigned timeoutMs);
// True while a server listens on the pipe.
bool pipeExists(const std::string& pipe);
// The product's registry key under HKEY_CURRENT_USER, removed.
void removeProductKey();

} // namespace test
