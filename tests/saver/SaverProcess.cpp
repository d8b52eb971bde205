#include "SaverProcess.h"

#include "ProcessWindow.h"
#include "TempDir.h"

#include "util/Scoped.h"

namespace test {

namespace {

std::wstring commandLine(const std::string& program, const std::wstring& arguments)
{
    std::wstring command = L"\"" + winePath(program) + L"\"";
    if (!arguments.empty())
        command += L" " + arguments;
    return command;
}

} // namespace

SaverProcess::SaverProcess(const std::string& program, const std::wstring& arguments,
                           const std::wstring& outputFile)
    : myOutputFile(outputFile)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    par::ScopedHandle output(CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ChildOptions options;
    options.output = output.get();
    myProcess = std::make_unique<ChildProcess>(commandLine(program, arguments), options);
}

std::string SaverProcess::output() const
{
    std::string text = readFile(myOutputFile);
    // The standard output is a text stream: lines end in "\r\n".
    std::string::size_type at = 0;
    while ((at = text.find("\r\n", at)) != std::string::npos)
        text.erase(at, 1);
    return text;
}

HWND SaverProcess::findWindow(const char* className, const char* title) const
{
    return findProcessWindow(myProcess->id(), className, title);
}

} // namespace test
