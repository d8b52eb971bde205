#include "VirtualDesktop.h"

#include "ChildProcess.h"
#include "PollUntil.h"
#include "TempDir.h"

#include <gmock/gmock.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace test {

namespace {

const char* const RESULT_OPTION = "--par-desktop-result=";
const DWORD CHILD_LIMIT_MS = 100000;

std::wstring widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

} // namespace

int runTestsInVirtualDesktop(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], RESULT_OPTION, std::strlen(RESULT_OPTION)) == 0) {
            const std::wstring resultFile = widen(argv[i] + std::strlen(RESULT_OPTION));
            testing::InitGoogleMock(&argc, argv);
            const int result = RUN_ALL_TESTS();
            // Written last and renamed into place, so the waiting parent never
            // reads a half-written file.
            writeFile(resultFile + L".tmp", std::to_string(result));
            MoveFileW((resultFile + L".tmp").c_str(), resultFile.c_str());
            return result;
        }
    }

    // Explorer starts the program in the desktop but does not pass its exit
    // code on, so the child reports it through a file.
    TempDir dir;
    const std::wstring resultFile = dir.file(L"result.txt");
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"explorer.exe /desktop=partest-" + std::to_wstring(GetCurrentProcessId()) +
                           L",1024x768 \"" + self + L"\"";
    for (int i = 1; i < argc; ++i)
        command += L" \"" + widen(argv[i]) + L"\"";
    command += L" " + widen(RESULT_OPTION) + resultFile;

    ChildOptions options;
    options.inheritHandles = true;
    if (!startDetached(command, options)) {
        std::fprintf(stderr, "cannot start the virtual desktop\n");
        return 1;
    }

    std::string result;
    if (pollUntil([&] { return !(result = readFile(resultFile)).empty(); }, CHILD_LIMIT_MS, 50))
        return std::stoi(result);
    std::fprintf(stderr, "the tests in the virtual desktop did not finish\n");
    return 1;
}

} // namespace test
