#pragma once

#include <ostream>
#include <string>

namespace par {

// A named log of the process-wide hierarchy kept by LogManager. What a log
// does not set itself (stream, level, whether its name is shown) it takes
// from its nearest dotted ancestor that sets it, and finally from "Root".
// Levels: 0 off, 1 severe, 2 info, 3 debug.
class Log {
public:
    static constexpr int LEVEL_OFF = 0;
    static constexpr int LEVEL_SEVERE = 1;
    static constexpr int LEVEL_INFO = 2;
    static constexpr int LEVEL_DEBUG = 3;
    static constexpr int LEVEL_UNSET = -1;

    Log(const std::string& name, std::ostream* stream, int level);
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    void debug(const std::string& text);
    void info(const std::string& text);
    void severe(const std::string& text);
    bool isEnabled(int level) const;

    // The getters answer the effective values.
    std::ostream* getStream() const;
    void setStream(std::ostream* stream);
    int getLevel() const;
    void setLevel(int level);
    bool getDisplayName() const;
    void setDisplayName(bool displayName);
    const std::string& getName() const { return myName; }

private:
    friend class LogManager;

    // These expect the manager's lock to be held.
    void write(int severity, const std::string& text);
    // The nearest log, from this one up to the root, that sets a property.
    const Log* owner(bool (*hasProperty)(const Log&)) const;
    static bool hasStream(const Log& log);
    static bool hasLevel(const Log& log);
    static bool hasDisplayName(const Log& log);

    std::string myName;
    std::ostream* myStream;
    bool myDisplayName = false;
    bool myDisplayNameSet = false;
    int myLevel;
};

// The log of that name (the root for the empty name), created on first request.
Log* getLog(const std::string& name);
// Shortcuts to the program-wide log "app".
void logInfo(const std::string& text);
void logSevere(const std::string& text);

} // namespace par
