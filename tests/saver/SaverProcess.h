#pragma once

#include <windows.h>

#include <string>

namespace test {

// A screen saver started as its own process, its standard output and error
// going to a file. The destructor ends a saver that still runs.
class SaverProcess {
public:
    // program: a Unix path (the build's), made a Wine path here.
    SaverProcess(const std::string& program, const std::wstring& arguments,
                 const std::wstring& outputFile);
    ~SaverProcess();
    SaverProcess(const SaverProcess&) = delete;
    SaverProcess& operator=(const SaverProcess&) = delete;

    bool started() const { return myProcess.hProcess != nullptr; }
    DWORD id() const { return myProcess.dwProcessId; }
    bool hasEnded() const;
    // STILL_ACTIVE while it runs.
    DWORD exitCode() const;
    // Lines end in "\n".
    std::string output() const;
    // The first top-level window of the process with that class and, when
    // given, that title.
    HWND findWindow(const char* className, const char* title = nullptr) const;

private:
    PROCESS_INFORMATION myProcess = {};
    std::wstring myOutputFile;
};

// The Wine path of a file named by a Unix path.
std::wstring winePath(const std::string& unixPath);

} // namespace test
