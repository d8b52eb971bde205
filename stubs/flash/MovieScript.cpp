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

bool parseNumber(const std::wstring& text, int base, unsigned long& value)
{
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    value = std::wcstoul(text.c_str(), &end, base);
    return *end == L'\0';
}

// Reads the words of one line. A word is either bare (up to the next blank)
// or quoted ("..." with the escapes \" \\ \n \r \t); the text that runs to
// the end of the line is bare (trimmed, kept as written) or one quoted word.
class LineReader {
public:
    explicit LineReader(const std::wstring& text) : myText(text) {}

    // False with the problem when a quoted word is not closed.
    bool word(std::wstring& word, std::wstring& problem) { return take(word, problem, false); }

    bool rest(std::wstring& rest, std::wstring& problem)
    {
        skipBlanks();
        if (atQuote())
            return take(rest, problem, true);
        rest = par::trimString(myText.substr(myAt), kBlanks);
        myAt = myText.size();
        return true;
    }

    // The next character after blanks, or 0 at the end.
    wchar_t peek()
    {
        skipBlanks();
        return myAt < myText.size() ? myText[myAt] : L'\0';
    }

    // The character at once (no blanks skipped), or 0 at the end.
    wchar_t next() const { return myAt < myText.size() ? myText[myAt] : L'\0'; }
    void skip() { ++myAt; }

    // Bare text up to one of the stop characters, trimmed.
    std::wstring until(const wchar_t* stops)
    {
        const std::wstring::size_type end = myText.find_first_of(stops, myAt);
        const std::wstring text = myText.substr(myAt, end == std::wstring::npos ? end : end - myAt);
        myAt = end == std::wstring::npos ? myText.size() : end;
        return par::trimString(text, kBlanks);
    }

    bool atQuote() { return peek() == L'"'; }

private:
    void skipBlanks()
    {
        while (myAt < myText.size() && std::wcschr(kBlanks, myText[myAt]))
            ++myAt;
    }

    bool take(std::wstring& word, std::wstring& problem, bool wholeRest)
    {
        word.clear();
        skipBlanks();
        if (!atQuote()) {
            const std::wstring::size_type end = myText.find_first_of(kBlanks, myAt);
            word = myText.substr(myAt, end == std::wstring::npos ? end : end - myAt);
            myAt = end == std::wstring::npos ? myText.size() : end;
            return true;
        }
        for (++myAt; myAt < myText.size(); ++myAt) {
            wchar_t c = myText[myAt];
            if (c == L'"') {
                ++myAt;
                if (wholeRest && peek() != L'\0') {
                    problem = L"nothing may follow a quoted text at the end of a line";
                    return false;
                }
                return true;
            }
            if (c == L'\\' && myAt + 1 < myText.size()) {
                c = myText[++myAt];
                switch (c) {
                case L'n': c = L'\n'; break;
                case L'r': c = L'\r'; break;
                case L't': c = L'\t'; break;
                case L'"':
                case L'\\': break;
                default:
                    problem = std::wstring(L"unknown escape \\") + c;
                    return false;
                }
            }
            word += c;
        }
        problem = L"a quoted text is not closed";
        return false;
    }

    std::wstring myText;
    std::wstring::size_type myAt = 0;
};

class Parser {
public:
    Parser(MovieScript& script, std::wstring& error) : myScript(script), myError(error) {}

    bool parseLine(const std::wstring& line, unsigned number)
    {
        myLine = number;
        LineReader reader(line);
        std::wstring keyword;
        if (reader.peek() == L'\0' || reader.peek() == L'#')
            return true;
        if (!reader.word(keyword, myProblem))
            return fail(myProblem);
        if (keyword == L"transcript")
            return parseTranscript(reader);
        if (keyword == L"at")
            return parseTimedAction(reader);
        if (keyword == L"on")
            return parseReaction(reader);
        if (isAnswerKeyword(keyword))
            return parseAnswer(keyword, reader, myScript);
        MovieScript::Action action;
        if (!parseAction(keyword, reader, action))
            return false;
        myScript.actions.push_back(action);
        return true;
    }

private:
    static bool isAnswerKeyword(const std::wstring& keyword)
    {
        return keyword == L"function" || keyword == L"callback" || keyword == L"request" ||
               keyword == L"ignore-request";
    }

    bool fail(const std::wstring& problem)
    {
        myError = L"line " + par::toWString(static_cast<int>(myLine)) + L": " + problem;
        return false;
    }

    bool word(LineReader& reader, std::wstring& word) { return reader.word(word, myProblem) || fail(myProblem); }
    bool rest(LineReader& reader, std::wstring& rest) { return reader.rest(rest, myProblem) || fail(myProblem); }

    bool milliseconds(LineReader& reader, DWORD& delay)
    {
        std::wstring text;
        unsigned long value = 0;
        if (!word(reader, text))
            return false;
        if (!parseNumber(text, 10, value))
            return fail(L"\"" + text + L"\" is not a number of milliseconds");
        delay = value;
        return true;
    }

    bool parseTranscript(LineReader& reader)
    {
        if (!rest(reader, myScript.transcript))
            return false;
        return !myScript.transcript.empty() || fail(L"transcript needs a file");
    }

    bool parseAnswer(const std::wstring& keyword, LineReader& reader, MovieScript& into)
    {
        if (keyword == L"function")
            return parseFunction(reader, into);
        if (keyword == L"callback")
            return parseCallback(reader, into);
        if (keyword == L"request")
            return parseRequest(reader, into);
        return parseIgnoreRequest(reader, into);
    }

    // NAME or NAME(ARGUMENT, ...): a bare argument is trimmed, "*" is any.
    bool parseFunctionName(LineReader& reader, MovieScript::FunctionRule& rule)
    {
        if (reader.peek() == L'"')
            return fail(L"a function name is not quoted");
        rule.name = reader.until(L" \t(");
        if (reader.next() != L'(')
            return true;
        reader.skip();
        rule.hasPatterns = true;
        if (reader.peek() == L')') {
            reader.skip();
            return true;
        }
        for (;;) {
            std::optional<std::wstring> pattern;
            if (reader.atQuote()) {
                std::wstring quoted;
                if (!word(reader, quoted))
                    return false;
                pattern = quoted;
                if (reader.peek() != L',' && reader.peek() != L')')
                    return fail(L"an argument list needs \",\" or \")\" after a quoted argument");
            } else {
                const std::wstring bare = reader.until(L",)");
                if (bare != L"*")
                    pattern = bare;
            }
            rule.patterns.push_back(pattern);
            const wchar_t separator = reader.next();
            if (separator != L',' && separator != L')')
                return fail(L"an argument list ends with \")\"");
            reader.skip();
            if (separator == L')')
                return true;
        }
    }

    bool parseFunction(LineReader& reader, MovieScript& into)
    {
        MovieScript::FunctionRule rule;
        if (!parseFunctionName(reader, rule))
            return false;
        const bool quoted = reader.atQuote();
        std::wstring answer;
        if (!rest(reader, answer))
            return false;
        if (rule.name.empty() || answer.empty())
            return fail(L"function needs a name and an answer");
        if (quoted || answer[0] == L'<') {
            rule.answer.value = answer;
        } else {
            LineReader words(answer);
            std::wstring failWord, code;
            words.word(failWord, myProblem);
            words.rest(code, myProblem);
            unsigned long failure = static_cast<unsigned long>(E_FAIL);
            if (failWord != L"fail" || (!code.empty() && !parseNumber(code, 16, failure)))
                return fail(L"a function answers a value element or fail [HRESULT]");
            rule.answer.failure = static_cast<HRESULT>(failure);
            if (SUCCEEDED(rule.answer.failure))
                return fail(L"a failure needs a failing HRESULT");
        }
        into.functions.push_back(rule);
        return true;
    }

    bool parseCallback(LineReader& reader, MovieScript& into)
    {
        std::wstring name, request;
        if (!word(reader, name) || !rest(reader, request))
            return false;
        if (name.empty() || request.empty())
            return fail(L"callback needs a function name and a request");
        into.callbacks[name].push_back(request);
        return true;
    }

    // request ID [after MS] (never | DOCUMENT | nothing: the default answer)
    bool parseRequest(LineReader& reader, MovieScript& into)
    {
        std::wstring id;
        MovieScript::RequestRule rule;
        if (!word(reader, id))
            return false;
        if (id.empty())
            return fail(L"request needs an id");
        if (reader.peek() == L'a' && !reader.atQuote()) {
            std::wstring after;
            if (!word(reader, after))
                return false;
            if (after != L"after")
                return fail(L"request answers after MS, never or with a document");
            if (!milliseconds(reader, rule.delayMs))
                return false;
        }
        const bool quoted = reader.atQuote();
        std::wstring answer;
        if (!rest(reader, answer))
            return false;
        if (!quoted && answer == L"never")
            rule.never = true;
        else if (!answer.empty() && answer[0] != L'<')
            return fail(L"request answers after MS, never or with a document");
        else
            rule.document = answer;
        if (rule.never && rule.delayMs)
            return fail(L"a request that is never answered has no delay");
        into.requests[id] = rule;
        return true;
    }

    bool parseIgnoreRequest(LineReader& reader, MovieScript& into)
    {
        std::wstring id;
        if (!rest(reader, id))
            return false;
        if (id.empty())
            return fail(L"ignore-request needs an id");
        into.requests[id].never = true;
        return true;
    }

    bool parseTimedAction(LineReader& reader)
    {
        MovieScript::Action action;
        DWORD delay = 0;
        std::wstring keyword;
        if (!milliseconds(reader, delay) || !word(reader, keyword))
            return false;
        if (keyword.empty())
            return fail(L"at needs milliseconds and an action");
        if (!parseAction(keyword, reader, action))
            return false;
        action.delayMs = delay;
        myScript.actions.push_back(action);
        return true;
    }

    // on VARIABLE [is VALUE] [after MS] ACTION
    bool parseReaction(LineReader& reader)
    {
        MovieScript::Reaction reaction;
        std::wstring keyword;
        if (!word(reader, reaction.variable) || !word(reader, keyword))
            return false;
        if (reaction.variable.empty() || keyword.empty())
            return fail(L"on needs a variable and an action");
        if (keyword == L"is") {
            std::wstring value;
            if (!word(reader, value) || !word(reader, keyword))
                return false;
            reaction.value = value;
        }
        if (keyword == L"after") {
            if (!milliseconds(reader, reaction.action.delayMs) || !word(reader, keyword))
                return false;
        }
        const DWORD delay = reaction.action.delayMs;
        if (!parseAction(keyword, reader, reaction.action))
            return false;
        reaction.action.delayMs = delay;
        myScript.reactions.push_back(reaction);
        return true;
    }

    bool parseAction(const std::wstring& keyword, LineReader& reader, MovieScript::Action& action)
    {
        using Kind = MovieScript::Action::Kind;
        if (isAnswerKeyword(keyword)) {
            auto answers = std::make_shared<MovieScript>();
            if (!parseAnswer(keyword, reader, *answers))
                return false;
            action.kind = Kind::Answers;
            action.answers = answers;
            return true;
        }
        if (keyword == L"show") {
            action.kind = Kind::Show;
            return rest(reader, action.first);
        }
        if (keyword == L"fscommand") {
            action.kind = Kind::FsCommand;
            if (!word(reader, action.first) || !rest(reader, action.second))
                return false;
            return !action.first.empty() || fail(L"fscommand needs a command");
        }
        if (keyword == L"flashcall") {
            action.kind = Kind::FlashCall;
            if (!rest(reader, action.first))
                return false;
            return !action.first.empty() || fail(L"flashcall needs a request");
        }
        if (keyword == L"event") {
            action.kind = Kind::Event;
            std::wstring more;
            if (!word(reader, action.first) || !word(reader, action.second) || !rest(reader, more))
                return false;
            return (!action.second.empty() && more.empty()) ||
                   fail(L"event needs a service id and an event id");
        }
        if (keyword == L"hang") {
            action.kind = Kind::Hang;
            if (!rest(reader, action.first))
                return false;
            unsigned long ms = 0;
            return action.first.empty() || parseNumber(action.first, 10, ms) ||
                   fail(L"hang takes nothing or milliseconds");
        }
        if (keyword == L"unhang") {
            action.kind = Kind::Unhang;
            return reader.peek() == L'\0' || fail(L"unhang takes no arguments");
        }
        return fail(L"unknown keyword \"" + keyword + L"\"");
    }

    MovieScript& myScript;
    std::wstring& myError;
    std::wstring myProblem;
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
