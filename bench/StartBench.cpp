// The desktop program's start against the least host of the same control:
// skyvane.exe and bench_minimal_host.exe, started in turns from one folder
// of their own with the stand-in's product movie (the stand-in registered in
// the prefix), so that the machine's load weighs on both alike. Prints the
// medians of each and the median of skyvane's ratios to the minimal host:
// - from the process start to the main window's first show, and, on its
//   own, to the movie loaded (the stand-in's ready state 4 in its transcript);
// - idle in the tray ("-mt", the minimal host's window hidden), once the
//   working-set trim has come: the working set and the context switches a
//   second of all the process's threads (read from Linux's /proc through
//   Wine's Z: drive);
// and the sizes of skyvane.exe and skyvane.scr.
//   bench_start SKYVANE_EXE MINIMAL_HOST_EXE SKYVANE_SCR MOVIE_SCRIPT [STARTS]
#include <windows.h>
#include <psapi.h>

#include "AnsiText.h"
#include "ChildProcess.h"
#include "ProcessWindow.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

// The working-set trim comes one second after going to the tray; a little
// more for it to act.
const DWORD SETTLE_MS = 1500;
// Idle from then on: after the movie's scripted weather change (4 s after
// it loaded), for four of the hang monitor's pings.
const DWORD IDLE_FROM_MS = 5000;
const DWORD IDLE_MS = 8000;
const int IDLE_RUNS = 3;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

double millisecondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
}

struct Program {
    const char* name;
    std::string file;
    const char* windowClass;
};

// The Linux process whose command line names the program's path (Wine shows
// the Windows command line there); 0 when none does.
std::string linuxProcessOf(const std::string& path)
{
    const std::string wanted = lowered(path);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE)
        return "";
    std::string found;
    do {
        const std::string name = entry.cFileName;
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string line = readFile("Z:\\proc\\" + name + "\\cmdline");
        std::replace(line.begin(), line.end(), '\0', ' ');
        if (lowered(line).find(wanted) != std::string::npos)
            found = name;
    } while (found.empty() && FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

// Voluntary and involuntary context switches of all the process's threads.
long long contextSwitches(const std::string& linuxProcess)
{
    const std::string tasks = "Z:\\proc\\" + linuxProcess + "\\task\\";
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((tasks + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    long long total = 0;
    do {
        if (entry.cFileName[0] == '.')
            continue;
        const std::string status = readFile(tasks + entry.cFileName + "\\status");
        for (const char* key : {"\nvoluntary_ctxt_switches:", "\nnonvoluntary_ctxt_switches:"}) {
            const std::string::size_type at = status.find(key);
            if (at != std::string::npos)
                total += std::atoll(status.c_str() + at + std::strlen(key));
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return total;
}

class Run {
public:
    Run(const std::string& folder, const Program& program, const std::string& arguments)
        : myFolder(folder), myProgram(program)
    {
        DeleteFileA((folder + "\\transcript.txt").c_str());
        SetEnvironmentVariableA("FLASH_STANDIN_TRANSCRIPT", (folder + "\\transcript.txt").c_str());
        const std::string command = "\"" + folder + "\\" + program.file + "\" " + arguments;
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
        if (HWND window = mainWindow())
            PostMessageA(window, WM_CLOSE, 0, 0);
        myProcess->waitForEnd(15000);
    }

    // Milliseconds from the start to the movie loaded and, when the window
    // is to be shown, to its first show; -1 for what did not come in 30 s.
    void watch(bool shows, double& loaded, double& shown)
    {
        loaded = -1;
        shown = -1;
        for (int i = 0; i < 30000 && (loaded < 0 || (shows && shown < 0)); ++i) {
            if (shown < 0 && shows) {
                HWND window = mainWindow();
                if (window && IsWindowVisible(window))
                    shown = millisecondsSince(myStart);
            }
            if (loaded < 0 && readFile(myFolder + "\\transcript.txt").find("\tready-state\t4") != std::string::npos)
                loaded = millisecondsSince(myStart);
            Sleep(1);
        }
    }

    HWND mainWindow() const { return test::findProcessWindow(myProcess->id(), myProgram.windowClass); }
    HANDLE process() const { return myProcess->handle(); }

private:
    std::string myFolder;
    Program myProgram;
    LARGE_INTEGER myStart;
    std::unique_ptr<test::ChildProcess> myProcess;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

struct Figures {
    std::vector<double> shown, loaded, workingSetMb, switchesPerSecond;
};

void timeStart(const std::string& folder, const Program& program, Figures& figures)
{
    Run run(folder, program, "");
    double loaded = 0, shown = 0;
    run.watch(true, loaded, shown);
    figures.loaded.push_back(loaded);
    figures.shown.push_back(shown);
}

void measureTray(const std::string& folder, const Program& program, Figures& figures)
{
    Run run(folder, program, "-mt");
    double loaded = 0, shown = 0;
    run.watch(false, loaded, shown);
    Sleep(SETTLE_MS);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(run.process(), &counters, sizeof counters);
    figures.workingSetMb.push_back(counters.WorkingSetSize / (1024.0 * 1024.0));
    const std::string linuxProcess = linuxProcessOf(folder + "\\" + program.file);
    Sleep(IDLE_FROM_MS - SETTLE_MS);
    const long long before = linuxProcess.empty() ? -1 : contextSwitches(linuxProcess);
    Sleep(IDLE_MS);
    const long long after = linuxProcess.empty() ? -1 : contextSwitches(linuxProcess);
    figures.switchesPerSecond.push_back(before < 0 || after < 0 ? -1 : (after - before) * 1000.0 / IDLE_MS);
}

// The medians, and the median of skyvane's ratios to the minimal host turn
// by turn: the machine's load drifts less within a turn than over the run.
void printRow(const char* what, const char* unit, const std::vector<double>& skyvane,
              const std::vector<double>& host)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < skyvane.size() && i < host.size(); ++i) {
        if (skyvane[i] >= 0 && host[i] > 0)
            ratios.push_back(skyvane[i] / host[i]);
    }
    std::printf("start: %-42s skyvane %7.1f %s  minimal host %7.1f %s", what, median(skyvane), unit, median(host),
                unit);
    if (!ratios.empty())
        std::printf("  ratio %.2fx", median(ratios));
    std::printf("\n");
}

double fileMegabytes(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    GetFileAttributesExA(path, GetFileExInfoStandard, &attributes);
    return attributes.nFileSizeLow / (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: bench_start SKYVANE_EXE MINIMAL_HOST_EXE SKYVANE_SCR MOVIE_SCRIPT [STARTS]\n");
        return 2;
    }
    const int starts = argc > 5 ? std::atoi(argv[5]) : 15;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    // Named "product", as the program's own folder is.
    const std::string base = std::string(temp) + "skyvane-bench-" + std::to_string(GetCurrentProcessId());
    const std::string folder = base + "\\product";
    CreateDirectoryA(base.c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    const Program skyvane = {"skyvane", "skyvane.exe", "par.QuorMain"};
    const Program host = {"minimal host", "bench_minimal_host.exe", "bench.MinimalHost"};
    CopyFileA(argv[1], (folder + "\\" + skyvane.file).c_str(), FALSE);
    CopyFileA(argv[2], (folder + "\\" + host.file).c_str(), FALSE);
    CopyFileA(argv[4], (folder + "\\skyvanedesktop.swf").c_str(), FALSE);

    Figures ours, theirs;
    // Not counted: the first start of each reads its files from the disk.
    {
        Figures unused;
        timeStart(folder, skyvane, unused);
        timeStart(folder, host, unused);
    }
    for (int i = 0; i < starts; ++i) {
        // Each goes first in every other turn.
        if (i % 2 == 0) {
            timeStart(folder, skyvane, ours);
            timeStart(folder, host, theirs);
        } else {
            timeStart(folder, host, theirs);
            timeStart(folder, skyvane, ours);
        }
    }
    for (int i = 0; i < IDLE_RUNS; ++i) {
        measureTray(folder, skyvane, ours);
        measureTray(folder, host, theirs);
    }

    std::printf("start: the %s build, medians of %d starts and of %d tray runs of each, taken in turns\n",
                sizeof(void*) == 8 ? "x86_64" : "i686", starts, IDLE_RUNS);
    printRow("process start to first show:", "ms", ours.shown, theirs.shown);
    printRow("process start to movie loaded:", "ms", ours.loaded, theirs.loaded);
    printRow("working set idle in the tray (-mt):", "MB", ours.workingSetMb, theirs.workingSetMb);
    printRow("context switches a second idle in the tray:", "  ", ours.switchesPerSecond,
             theirs.switchesPerSecond);
    std::printf("start: skyvane.exe %.2f MB, skyvane.scr %.2f MB\n", fileMegabytes(argv[1]), fileMegabytes(argv[3]));

    for (const std::string& name : {skyvane.file, host.file, std::string("skyvanedesktop.swf"),
                                    std::string("transcript.txt"), std::string("log.txt")})
        DeleteFileA((folder + "\\" + name).c_str());
    RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(base.c_str());
    return 0;
}
