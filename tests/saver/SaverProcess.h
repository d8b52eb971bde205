#pragma once

#include "ChildProcess.h"
#include "WinePath.h"

#include <windows.h>

#include <memory>
#include <string>

namespace test {

// A screen saver started as its own process, its standard output and error
// going to a file. The destructor ends a saver that still runs.
class SaverProcess {
public:
    // program: a Unix path (the build's), made a Wine path here.
    SaverProcess(const std::string& program, const std::wstring& arguments,
                 const std::wstring& outputFile);

    bool started() const { return myProcess->started(); }
    DWORD id() const { return myProcess->id(); }
    bool hasEnded() const { return myProcess->hasEnded(); }
    // STILL_ACTIVE while it runs.
    DWORD exitCode() const { return myProcess->exitCode(); }
    // Lines end in "\n".
    std::string output() const;
    // The first top-level window of the process with that class and, when
    // given, that title.
    HWND findWindow(const char* className, const char* title = nullptr) const;

private:
    std::wstring myOutputFile;
    std::unique_ptr<ChildProcess> myProcess;
};

} // namespace test
