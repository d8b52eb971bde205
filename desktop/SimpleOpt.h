#pragma once

#include <string>

// Last errors of SimpleOpt::Next.
constexpr int SO_SUCCESS = 0;
constexpr int SO_OPT_INVALID = -1;
constexpr int SO_ARG_INVALID = -3;

// Option kinds of the table; every option of ours takes no argument.
constexpr int SO_NONE = 0;

// One row of an option table; a row with id -1 ends the table.
struct SimpleOptOption {
    int id;
    const wchar_t* text;
    int argumentType;
};

// A small command-line option walker over a table of exact, case-sensitive
// option texts. Words that do not start with "-" are file arguments and are
// skipped. A lone "-", "--name" and texts missing from the table are invalid
// options; "-name=value" for a known option is an invalid argument. The error's
// option text is the word cut at "=".
class SimpleOpt {
public:
    // The vector and the table must outlive the walker; argv[0] is the
    // program's name and is skipped.
    void Init(int argc, wchar_t** argv, const SimpleOptOption* options);
    // False at the end of the words; otherwise the next option, valid or not.
    bool Next();
    int LastError() const { return myLastError; }
    int OptionId() const { return myOptionId; }
    const wchar_t* OptionText() const { return myOptionText.c_str(); }

private:
    int myArgc = 0;
    wchar_t** myArgv = nullptr;
    const SimpleOptOption* myOptions = nullptr;
    int myNext = 1;
    int myLastError = SO_SUCCESS;
    int myOptionId = -1;
    std::wstring myOptionText;
};
