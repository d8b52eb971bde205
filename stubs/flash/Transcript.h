#pragma once

#include "util/Scoped.h"

#include <windows.h>

#include <vector>
#include <string>

namespace standin {

// The movie's record of what happened, for readers outside the process:
// one UTF-8 line per entry, "MS<TAB>PID<TAB>KIND<TAB>FIELD...", appended and
// written through at once (format: README.md in this folder).
class Transcript {
public:
    // Opens the file named by FLASH_STANDIN_TRANSCRIPT, when it is set.
    Transcript();

    // Writes from now on to the file, appending (closed for the empty path).
    // False when it cannot be opened; the transcript is then closed.
    bool open(const std::wstring& path);
    bool isOpen() const { return myFile.isValid(); }

    void write(const wchar_t* kind, const std::vector<std::wstring>& fields);

private:
    par::ScopedHandle myFile;
    DWORD myStart;
};

} // namespace standin
