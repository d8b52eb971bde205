#include "MovieScript.h"

#include "util/Scoped.h"
#include "util/StringUtil.h"

#include <cwchar>
#include <iterator>
#include <list>

namespace standin {

namespace {

const wchar_t* const kMagicLine = L"flash-standin-movie 1";
const wchar_t* const kBlanks = L" \t";

std::wstring fromUtf8(const std::string& text)
{
    std::string bytes = text;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    if (bytes.empty())
        return std::wstring();
    int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                     nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0],
                        length);
    return wide;
}

// Splits the first blank-delimited word off the text; rest keeps inner blanks.
void splitWord(const std::wstring& text, std::wstring& word, std::wstring& rest)
{
    const std::wstring trimmed = par::trimString(text, kBlanks);
    const std::wstring::size_type end = trimmed.find_first_of(kBlanks);
    if (end == std::wstring::npos) {
        word = trimmed;
        rest.clear();
        return;
    }
    word = trimmed.substr(0, end);
    rest = par::trimString(trimmed.substr(end), kBlanks);
}

bool parseNumber(const std::wstring& text, int base, unsigned long& value)
{
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    value = std::wcstoul(text.c_str(), &end, base);
    return *end == L'\0';
}

class Parser {
public:
    Parser(MovieScript& script, std::wstring& error) : myScript(script), myError(error) {}

    bool parseLine(const std::wstring& line, unsigned number)
    {
        myLine = number;
        std::wstring keyword, rest;
        splitWord(line, keyword, rest);
        if (keyword.empty() || keyword[0] == L'#')
            return true;
        if (keyword == L"function")
            return parseFunction(rest);
        if (keyword == L"callback")
            return parseCallback(rest);
        if (keyword == L"ignore-request")
            return parseIgnoreRequest(rest);
        if (keyword == L"at")
            return parseTimedAction(rest);
        MovieScript::Action action;
        if (!parseAction(keyword, rest, action))
            return false;
        myScript.actions.push_back(action);
        return true;
    }

private:
    bool fail(const std::wstring& problem)
    {
        myError = L"line " + par::toWString(static_cast<int>(myLine)) + L": " + problem;
        return false;
    }

    bool parseFunction(const std::wstring& text)
    {
        std::wstring name, answer;
        splitWord(text, name, answer);
        if (name.empty() || answer.empty())
            return fail(L"function needs a name and an answer");
        MovieScript::FunctionAnswer result;
        if (answer[0] == L'<') {
            result.value = answer;
        } else {
            std::wstring word, code;
            splitWord(answer, word, code);
            unsigned long failure = static_cast<unsigned long>(E_FAIL);
            if (word != L"fail" || (!code.empty() && !parseNumber(code, 16, failure)))
                return fail(L"a function answers a value element or fail [HRESULT]");
            result.failure = static_cast<HRESULT>(failure);
            if (SUCCEEDED(result.failure))
                return fail(L"a failure needs a failing HRESULT");
        }
        myScript.functions[name] = result;
        return true;
    }

    bool parseCallback(const std::wstring& text)
    {
        std::wstring name, request;
        splitWord(text, name, request);
        if (name.empty() || request.empty())
            return fail(L"callback needs a function name and a request");
        myScript.callbacks[name].push_back(request);
        return true;
    }

    bool parseIgnoreRequest(const std::wstring& id)
    {
        if (id.empty())
            return fail(L"ignore-request needs an id");
        myScript.ignoredRequests.insert(id);
        return true;
    }

    bool parseTimedAction(const std::wstring& text)
    {
        std::wstring delay, rest, keyword, arguments;
        splitWord(text, delay, rest);
        splitWord(rest, keyword, arguments);
        unsigned long milliseconds = 0;
        if (!parseNumber(delay, 10, milliseconds) || keyword.empty())
            return fail(L"at needs milliseconds and an action");
        MovieScript::Action action;
        if (!parseAction(keyword, arguments, action))
            return false;
        action.delayMs = milliseconds;
        myScript.actions.push_back(action);
        return true;
    }

    bool parseAction(const std::wstring& keyword, const std::wstring& text,
                     MovieScript::Action& action)
    {
        if (keyword == L"show") {
            action.kind = MovieScript::Action::Kind::Show;
            action.first = text;
            return true;
        }
        if (keyword == L"fscommand") {
            action.kind = MovieScript::Action::Kind::FsCommand;
            splitWord(text, action.first, action.second);
            return !action.first.empty() || fail(L"fscommand needs a command");
        }
        if (keyword == L"flashcall") {
            action.kind = MovieScript::Action::Kind::FlashCall;
            action.first = text;
            return !text.empty() || fail(L"flashcall needs a request");
        }
        if (keyword == L"hang") {
            action.kind = MovieScript::Action::Kind::Hang;
            return text.empty() || fail(L"hang takes no arguments");
        }
        return fail(L"unknown keyword \"" + keyword + L"\"");
    }

    MovieScript& myScript;
    std::wstring& myError;
    unsigned myLine = 0;
};

} // namespace

bool parseMovieScript(const std::string& text, MovieScript& script, std::wstring& error)
{
    std::list<std::wstring> lines;
    par::splitString(lines, fromUtf8(text), L"\n");
    for (std::wstring& line : lines) {
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
    }
    if (lines.empty() || par::trimString(lines.front(), kBlanks) != kMagicLine) {
        error = L"not a movie script: the first line must be \"" + std::wstring(kMagicLine) + L"\"";
        return false;
    }
    MovieScript parsed;
    Parser parser(parsed, error);
    unsigned number = 1;
    for (auto line = std::next(lines.begin()); line != lines.end(); ++line) {
        if (!parser.parseLine(*line, ++number))
            return false;
    }
    script = parsed;
    return true;
}

HRESULT loadMovieScript(const std::wstring& path, MovieScript& script, std::wstring& error)
{
    par::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    BOOL ok = file.isValid();
    while (ok && (ok = ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) && got > 0)
        text.append(buffer, got);
    if (!ok) {
        const DWORD code = GetLastError();
        error = L"cannot read the file, error " + par::toWString(static_cast<int>(code));
        return HRESULT_FROM_WIN32(code);
    }
    return parseMovieScript(text, script, error) ? S_OK : E_FAIL;
}

} // namespace standin
