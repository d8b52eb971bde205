#pragma once

#include "util/Log.h"
#include "util/TeeStream.h"

#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace par {

// Keeps every log of the process by name, and the log file. Created on first
// use and never destroyed, so that logging works until the very end. Any
// thread may request logs and write lines: one lock serialises both.
class LogManager {
public:
    static LogManager& instance();

    Log* getLog(const std::string& name);
    // Opens a console window with a 5000-line buffer and attaches the
    // standard streams to it; does nothing the second time.
    void openConsole();
    // Sends every log that has no stream of its own to the file and the
    // standard output. Returns the tee, or null when a file is already open.
    std::ostream* openLogFile(const std::wstring& path);

private:
    friend class Log;

    LogManager();
    // The log that a log inherits from; expects the lock to be held.
    Log* parentOf(const Log& log);

    std::recursive_mutex myMutex;
    bool myConsoleOpened = false;
    std::map<std::string, Log*> myLogs;
    Log myRoot;
    std::unique_ptr<std::ofstream> myLogFile;
    std::unique_ptr<teeostream> myTee;
};

} // namespace par
