#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace standin {

// What a movie script file says (format: README.md in this folder).
struct MovieScript {
    // A function's answer: the value element, or the failure when it fails.
    // The value may hold {1} to {9} (the call's arguments) and {folder}.
    struct FunctionAnswer {
        std::wstring value;
        HRESULT failure = S_OK;
    };

    // How a function answers; with patterns, only calls whose arguments
    // match them one by one (an empty pattern matches any argument).
    struct FunctionRule {
        std::wstring name;
        bool hasPatterns = false;
        std::vector<std::optional<std::wstring>> patterns;
        FunctionAnswer answer;
    };

    // How a request written into "xmlRequest" is answered: never, or after
    // the delay with the document (the movie's default answer when empty).
    struct RequestRule {
        bool never = false;
        DWORD delayMs = 0;
        std::wstring document;
    };

    struct Action {
        enum class Kind { Show, FsCommand, FlashCall, Event, Hang, Unhang, Answers };
        Kind kind = Kind::Show;
        // Milliseconds after the movie became ready (or after the variable
        // write of a reaction); 0 runs it at once.
        DWORD delayMs = 0;
        // Show: the line; FsCommand: command and arguments; FlashCall: the
        // request; Event: service id and event id; Hang: "" or how long.
        std::wstring first;
        std::wstring second;
        // Answers: the answer lines that come into force.
        std::shared_ptr<const MovieScript> answers;
    };

    // What the movie does when the host writes a variable (with the value,
    // when one is given).
    struct Reaction {
        std::wstring variable;
        std::optional<std::wstring> value;
        Action action;
    };

    std::vector<FunctionRule> functions;
    std::map<std::wstring, std::vector<std::wstring>> callbacks;
    std::map<std::wstring, RequestRule> requests;
    std::vector<Reaction> reactions;
    std::vector<Action> actions;
    // Where the transcript goes, as the script names it (may be relative).
    std::wstring transcript;
};

// Parses the UTF-8 text of a script; false with a message naming the line
// when it is not a movie script.
bool parseMovieScript(const std::string& text, MovieScript& script, std::wstring& error);

// Reads and parses a script file: the file's error code when it cannot be
// read, E_FAIL when it is not a script.
HRESULT loadMovieScript(const std::wstring& path, MovieScript& script, std::wstring& error);

} // namespace standin
