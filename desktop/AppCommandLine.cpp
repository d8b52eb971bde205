#include "desktop/App.h"

#include "desktop/SimpleOpt.h"

#include "util/StringUtil.h"

#include <vector>

namespace {

// Every option shares this id; they are told apart by their text.
constexpr int OPTION = 0;

const SimpleOptOption OPTIONS[] = {
    {OPTION, L"-screenSaver", SO_NONE},
    {OPTION, L"-s", SO_NONE},
    {OPTION, L"-screenSaverConfig", SO_NONE},
    {OPTION, L"-sc", SO_NONE},
    {OPTION, L"-mt", SO_NONE},
    {OPTION, L"-newInstance", SO_NONE},
    {OPTION, L"-debug", SO_NONE},
    {OPTION, L"-d", SO_NONE},
    {OPTION, L"-?", SO_NONE},
    {OPTION, L"-h", SO_NONE},
    {-1, nullptr, SO_NONE},
};

const char* const HELP_TEXT =
    "Command-line options:\n"
    "/debug - start application in debug mode;\n"
    "/screenSaver - start application with \"screenSaver\" role;\n"
    "/mt - start minimized to tray";

// The argument vector of a command line: "programName", then the line split
// at every single blank, without quoting.
class CommandLineArguments {
public:
    explicit CommandLineArguments(const std::wstring& commandLine)
    {
        myWords.push_back(L"programName");
        std::wstring::size_type start = 0;
        if (!commandLine.empty()) {
            for (;;) {
                const std::wstring::size_type blank = commandLine.find(L' ', start);
                myWords.push_back(commandLine.substr(start, blank - start));
                if (blank == std::wstring::npos)
                    break;
                start = blank + 1;
            }
        }
        for (std::wstring& word : myWords)
            myVector.push_back(&word[0]);
    }

    int argc() { return static_cast<int>(myVector.size()); }
    wchar_t** argv() { return myVector.data(); }

private:
    std::vector<std::wstring> myWords;
    std::vector<wchar_t*> myVector;
};

} // namespace

std::string App::parseCommandLine(const std::wstring& commandLine)
{
    CommandLineArguments arguments(commandLine);
    SimpleOpt options;
    options.Init(arguments.argc(), arguments.argv(), OPTIONS);
    while (options.Next()) {
        if (options.LastError() != SO_SUCCESS)
            return "Invalid argument: " + par::toNarrow(options.OptionText()) + "\n" + HELP_TEXT;
        const std::wstring option = options.OptionText();
        if (option == L"-?" || option == L"-h")
            return HELP_TEXT;
        if (option == L"-screenSaver" || option == L"-s")
            myMode = MODE_SCREEN_SAVER;
        else if (option == L"-screenSaverConfig" || option == L"-sc")
            myMode = MODE_SCREEN_SAVER_CONFIG;
        else if (option == L"-mt")
            myStartState = START_STATE_MINIMIZE_TO_TRAY;
        else if (option == L"-newInstance")
            myNewInstance = true;
        else if (option == L"-debug" || option == L"-d")
            myDebug = true;
    }
    return std::string();
}
