#include "util/LogManager.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace par {

LogManager& LogManager::instance()
{
    // Never destroyed: threads and static destructors may log until the end.
    static LogManager* manager = new LogManager();
    return *manager;
}

LogManager::LogManager()
    : myRoot("Root", &std::cout, Log::LEVEL_INFO)
{
}

Log* LogManager::getLog(const std::string& name)
{
    if (name.empty())
        return &myRoot;
    std::lock_guard<std::recursive_mutex> lock(myMutex);
    Log*& log = myLogs[name];
    if (!log)
        log = new Log(name, nullptr, Log::LEVEL_UNSET);
    return log;
}

Log* LogManager::parentOf(const Log& log)
{
    std::string name = log.getName();
    for (;;) {
        const std::string::size_type dot = name.rfind('.');
        if (dot == std::string::npos)
            return &myRoot;
        name.erase(dot);
        if (name.empty())
            return &myRoot;
        Log* parent = myLogs[name];
        if (parent)
            return parent;
    }
}

void LogManager::openConsole()
{
    std::lock_guard<std::recursive_mutex> lock(myMutex);
    if (myConsoleOpened)
        return;
    AllocConsole();
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(output, &info)) {
        COORD size = info.dwSize;
        size.Y = 5000;
        SetConsoleScreenBufferSize(output, size);
    }
    FILE* stream = nullptr;
    if (freopen_s(&stream, "CONOUT$", "w", stdout) == 0)
        setvbuf(stdout, nullptr, _IONBF, 0);
    if (freopen_s(&stream, "CONIN$", "r", stdin) == 0)
        setvbuf(stdin, nullptr, _IONBF, 0);
    if (freopen_s(&stream, "CONOUT$", "w", stderr) == 0)
        setvbuf(stderr, nullptr, _IONBF, 0);
    std::cout.clear();
    std::cin.clear();
    std::cerr.clear();
    std::wcout.clear();
    std::wcin.clear();
    std::wcerr.clear();
    myConsoleOpened = true;
    std::ios::sync_with_stdio();
}

std::ostream* LogManager::openLogFile(const std::wstring& path)
{
    std::lock_guard<std::recursive_mutex> lock(myMutex);
    if (myLogFile)
        return nullptr;
    myLogFile.reset(new std::ofstream(std::filesystem::path(path), std::ios::out | std::ios::trunc));
    myTee.reset(new teeostream(*myLogFile, std::cout));
    myRoot.setStream(myTee.get());
    return myTee.get();
}

} // namespace par
