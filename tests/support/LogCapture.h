#pragma once

#include "util/Log.h"

#include <sstream>
#include <string>

namespace test {

// Sends one log's lines, up to the given level, to a string for the life of
// the object; afterwards the log takes stream and level from its parents again.
class LogCapture {
public:
    explicit LogCapture(const std::string& logName = "app", int level = par::Log::LEVEL_DEBUG);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string text() const { return myText.str(); }
    // How often the text occurs in what was written.
    int count(const std::string& text) const;
    bool contains(const std::string& text) const { return count(text) > 0; }
    void clear() { myText.str(""); }

private:
    par::Log* myLog;
    std::ostringstream myText;
};

} // namespace test
