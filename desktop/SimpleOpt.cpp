#include "desktop/SimpleOpt.h"

void SimpleOpt::Init(int argc, wchar_t** argv, const SimpleOptOption* options)
{
    myArgc = argc;
    myArgv = argv;
    myOptions = options;
    myNext = 1;
    myLastError = SO_SUCCESS;
    myOptionId = -1;
    myOptionText.clear();
}

bool SimpleOpt::Next()
{
    while (myNext < myArgc && myArgv[myNext][0] != L'-')
        ++myNext;
    if (myNext >= myArgc)
        return false;
    const std::wstring word = myArgv[myNext++];
    const std::wstring::size_type equals = word.find(L'=');
    myOptionText = word.substr(0, equals);
    myOptionId = -1;
    myLastError = SO_OPT_INVALID;
    if (myOptionText.size() < 2 || myOptionText[1] == L'-')
        return true;
    for (const SimpleOptOption* option = myOptions; option->id != -1; ++option) {
        if (myOptionText == option->text) {
            myOptionId = option->id;
            myLastError = equals == std::wstring::npos ? SO_SUCCESS : SO_ARG_INVALID;
            break;
        }
    }
    return true;
}
