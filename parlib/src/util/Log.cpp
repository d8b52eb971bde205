#include "util/Log.h"

#include "util/LogManager.h"

#include <mutex>

namespace par {

Log::Log(const std::string& name, std::ostream* stream, int level)
    : myName(name), myStream(stream), myLevel(level)
{
}

void Log::debug(const std::string& text)
{
    std::lock_guard<std::recursive_mutex> lock(LogManager::instance().myMutex);
    write(LEVEL_DEBUG, text);
}

void Log::info(const std::string& text)
{
    std::lock_guard<std::recursive_mutex> lock(LogManager::instance().myMutex);
    write(LEVEL_INFO, text);
}

void Log::severe(const std::string& text)
{
    std::lock_guard<std::recursive_mutex> lock(LogManager::instance().myMutex);
    write(LEVEL_SEVERE, text);
}

bool Log::isEnabled(int level) const
{
    return level <= getLevel();
}

std::ostream* Log::getStream() const
{
    std::lock_guard<std::recursive_mutex> lock(LogManager::instance().myMutex);
    return owner(hasStream)->myStream;
}

void Log::setStream(std::ostream* stream)
{
    std::lock_guard<std::recursive_mutex> lock(LogManager::instance().myMutex);
    myStream = stream;
}

int Log::getLevel() const
{
    std::lock_guard<std::recursive_mutex> lock(LogManager::instance().myMutex);
    return owner(hasLevel)->myLevel;
}

void Log::setLevel(int level)
{
    std::lock_guard<std::recursive_mutex> lock(LogManager::instance().myMutex);
    myLevel = level;
}

bool Log::getDisplayName() const
{
    std::lock_guard<std::recursive_mutex> lock(LogManager::instance().myMutex);
    return owner(hasDisplayName)->myDisplayName;
}

void Log::setDisplayName(bool displayName)
{
    std::lock_guard<std::recursive_mutex> lock(LogManager::instance().myMutex);
    myDisplayName = displayName;
    myDisplayNameSet = true;
}

void Log::write(int severity, const std::string& text)
{
    if (severity > owner(hasLevel)->myLevel)
        return;
    std::ostream* stream = owner(hasStream)->myStream;
    if (!stream)
        return;
    if (owner(hasDisplayName)->myDisplayName)
        *stream << "[" << myName << "] ";
    *stream << text << "\n";
    stream->flush();
}

const Log* Log::owner(bool (*hasProperty)(const Log&)) const
{
    LogManager& manager = LogManager::instance();
    const Log* log = this;
    while (log != &manager.myRoot) {
        if (hasProperty(*log))
            return log;
        log = manager.parentOf(*log);
    }
    return log;
}

bool Log::hasStream(const Log& log)
{
    return log.myStream != nullptr;
}

bool Log::hasLevel(const Log& log)
{
    return log.myLevel != LEVEL_UNSET;
}

bool Log::hasDisplayName(const Log& log)
{
    return log.myDisplayNameSet;
}

Log* getLog(const std::string& name)
{
    return LogManager::instance().getLog(name);
}

void logInfo(const std::string& text)
{
    getLog("app")->info(text);
}

void logSevere(const std::string& text)
{
    getLog("app")->severe(text);
}

} // namespace par
