#pragma once

#include "swfwindow/ExternalInterfaceFormat.h"

#include <cstddef>
#include <string>
#include <vector>

// A table of commands that the movie calls through ExternalInterface, in a
// form that every answerer of movie calls shares: each command has a name,
// a rule for its arguments, the kind of its answer and a function that
// computes the answer's value. The answer is encoded here, nowhere else.
namespace swfWindow {

enum class ArgumentRule {
    NONE_READ,     // any arguments are ignored
    EXACTLY,       // with another number the call is handled and does nothing
    AT_LEAST,      // with fewer the call is handled and does nothing
    ONLY_EXACTLY,  // with another number the call is not handled
    ONLY_AT_LEAST, // with fewer the call is not handled
};

enum class AnswerKind {
    NONE,   // the answer stays as it came in
    TEXT,   // data: a string element holding the value escaped
    MARKUP, // markup for the movie to parse, unescaped inside a string element
    BARE,   // the value itself, not wrapped
    STRING, // the value as it stands inside a string element, also when empty
};

// What becomes of a call under a rule: run, or not run and still handled,
// or not handled at all.
enum class Admission { RUN, IGNORED, NOT_HANDLED };
Admission admit(ArgumentRule rule, std::size_t count, std::size_t given);

// Puts the value into the answer in the form of its kind; an empty value of
// the kinds TEXT and MARKUP becomes "<undefined/>".
void encodeAnswer(AnswerKind kind, const std::wstring& value, std::wstring& answer);

// Told of a call that its rule leaves undone for the wrong number of
// arguments; a table whose context reports such calls overloads it for its
// context type.
template <typename Context>
void reportIgnoredCall(Context&, const wchar_t* /*name*/, std::size_t /*count*/)
{
}

template <typename Context>
struct MovieCommand {
    const wchar_t* name;
    ArgumentRule rule;
    std::size_t count;
    AnswerKind answer;
    std::wstring (*run)(Context& context, const std::vector<std::wstring>& args);
};

// Runs the first command of the table with the name, compared exactly.
// True when the call is handled, whatever the answer; false leaves the
// answer untouched for the next answerer.
template <typename Context, std::size_t N>
bool runMovieCommand(const MovieCommand<Context> (&table)[N], Context& context, const std::wstring& name,
                     const std::vector<std::wstring>& args, std::wstring& answer)
{
    for (const MovieCommand<Context>& command : table) {
        if (name != command.name)
            continue;
        switch (admit(command.rule, command.count, args.size())) {
        case Admission::NOT_HANDLED:
            return false;
        case Admission::IGNORED:
            reportIgnoredCall(context, command.name, command.count);
            return true;
        case Admission::RUN:
            break;
        }
        encodeAnswer(command.answer, command.run(context, args), answer);
        return true;
    }
    return false;
}

} // namespace swfWindow
