// The desktop program's start: skyvane.exe started from a folder of its own
// with the stand-in's product movie (the stand-in registered in the prefix).
// Prints the median time from the process start to the movie loaded (the
// stand-in's ready state 4 in its transcript) and to the first show of the
// main window, the working set one second after a start in the tray ("-mt")
// and the size of skyvane.exe.
//   bench_start SKYVANE_EXE MOVIE_SCRIPT [STARTS]
#include <windows.h>
#include <psapi.h>

#include "AnsiText.h"
#include "ChildProcess.h"
#include "ProcessWindow.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

HWND mainWindowOf(DWORD processId)
{
    return test::findProcessWindow(processId, "par.QuorMain");
}

class Run {
public:
    Run(const std::string& folder, const std::string& arguments) : myFolder(folder)
    {
        DeleteFileA((folder + "\\transcript.txt").c_str());
        DeleteFileA((folder + "\\log.txt").c_str());
        SetEnvironmentVariableA("FLASH_STANDIN_TRANSCRIPT", (folder + "\\transcript.txt").c_str());
        const std::string command = "\"" + folder + "\\skyvane.exe\" " + arguments;
        const std::wstring folderName = fromAnsi(folder);
        test::ChildOptions options;
        options.folder = folderName.c_str();
        QueryPerformanceCounter(&myStart);
        myProcess = std::make_unique<test::ChildProcess>(fromAnsi(command), options);
        if (!myProcess->started())
            std::fprintf(stderr, "cannot start %s\n", command.c_str());
    }

    ~Run()
    {
        if (HWND window = mainWindowOf(myProcess->id()))
            PostMessageA(window, WM_CLOSE, 0, 0);
        myProcess->waitForEnd(15000);
    }

    // Milliseconds from the start until the condition held, or -1 after 30 s.
    template <typename Condition>
    double until(Condition condition) const
    {
        for (int i = 0; i < 30000; ++i) {
            if (condition()) {
                LARGE_INTEGER now, frequency;
                QueryPerformanceCounter(&now);
                QueryPerformanceFrequency(&frequency);
                return (now.QuadPart - myStart.QuadPart) * 1000.0 / frequency.QuadPart;
            }
            Sleep(1);
        }
        return -1;
    }

    bool transcriptHas(const char* text) const
    {
        return readFile(myFolder + "\\transcript.txt").find(text) != std::string::npos;
    }
    bool logHas(const char* text) const { return readFile(myFolder + "\\log.txt").find(text) != std::string::npos; }
    bool shown() const
    {
        HWND window = mainWindowOf(myProcess->id());
        return window && IsWindowVisible(window);
    }
    HANDLE process() const { return myProcess->handle(); }

private:
    std::string myFolder;
    LARGE_INTEGER myStart;
    std::unique_ptr<test::ChildProcess> myProcess;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_start SKYVANE_EXE MOVIE_SCRIPT [STARTS]\n");
        return 2;
    }
    const int starts = argc > 3 ? std::atoi(argv[3]) : 7;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    // Named "product": the program writes its log there.
    const std::string base = std::string(temp) + "skyvane-bench-" + std::to_string(GetCurrentProcessId());
    const std::string folder = base + "\\product";
    CreateDirectoryA(base.c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "\\data").c_str(), nullptr);
    CopyFileA(argv[1], (folder + "\\skyvane.exe").c_str(), FALSE);
    CopyFileA(argv[2], (folder + "\\skyvanedesktop.swf").c_str(), FALSE);
    std::ofstream(folder + "\\data\\projector.xml") << "<projector><debug logToFile=\"true\"/></projector>";

    std::vector<double> loaded, shown;
    for (int i = 0; i < starts; ++i) {
        Run run(folder, "");
        loaded.push_back(run.until([&] { return run.transcriptHas("\tready-state\t4"); }));
        shown.push_back(run.until([&] { return run.shown(); }));
        run.until([&] { return run.logHas("C++ startup END"); });
    }
    std::printf("start: process start to movie loaded: median %.1f ms (%d starts)\n", median(loaded), starts);
    std::printf("start: process start to first show: median %.1f ms\n", median(shown));

    {
        Run run(folder, "-mt");
        run.until([&] { return run.logHas("C++ startup END"); });
        // The trim comes one second after the start-up; a little more for it to act.
        Sleep(1500);
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(run.process(), &counters, sizeof counters);
        std::printf("start: working set 1 s after going to the tray: %.1f MB\n",
                    counters.WorkingSetSize / (1024.0 * 1024.0));
    }

    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    GetFileAttributesExA(argv[1], GetFileExInfoStandard, &attributes);
    std::printf("start: skyvane.exe: %.2f MB\n", attributes.nFileSizeLow / (1024.0 * 1024.0));

    for (const char* name : {"\\skyvane.exe", "\\skyvanedesktop.swf", "\\data\\projector.xml", "\\log.txt",
                             "\\transcript.txt"})
        DeleteFileA((folder + name).c_str());
    RemoveDirectoryA((folder + "\\data").c_str());
    RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(base.c_str());
    return 0;
}
