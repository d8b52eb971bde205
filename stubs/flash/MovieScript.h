#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace standin {

// What a movie script file says (format: README.md in this folder).
struct MovieScript {
    // A function's answer: the value element, or the failure when it fails.
    struct FunctionAnswer {
        std::wstring value;
        HRESULT failure = S_OK;
    };

    struct Action {
        enum class Kind { Show, FsCommand, FlashCall, Hang };
        Kind kind = Kind::Show;
        // Milliseconds after the movie became ready; 0 runs it at once.
        DWORD delayMs = 0;
        // Show: the line; FsCommand: command and arguments; FlashCall: the request.
        std::wstring first;
        std::wstring second;
    };

    std::map<std::wstring, FunctionAnswer> functions;
    std::map<std::wstring, std::vector<std::wstring>> callbacks;
    std::set<std::wstring> ignoredRequests;
    std::vector<Action> actions;
};

// Parses the UTF-8 text of a script; false with a message naming the line
// when it is not a movie script.
bool parseMovieScript(const std::string& text, MovieScript& script, std::wstring& error);

// Reads and parses a script file: the file's error code when it cannot be
// read, E_FAIL when it is not a script.
HRESULT loadMovieScript(const std::wstring& path, MovieScript& script, std::wstring& error);

} // namespace standin
