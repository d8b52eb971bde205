#include "LogCapture.h"

namespace test {

LogCapture::LogCapture(const std::string& logName, int level) : myLog(par::getLog(logName))
{
    myLog->setStream(&myText);
    myLog->setLevel(level);
}

LogCapture::~LogCapture()
{
    myLog->setStream(nullptr);
    myLog->setLevel(par::Log::LEVEL_UNSET);
}

int LogCapture::count(const std::string& text) const
{
    const std::string written = myText.str();
    int found = 0;
    for (std::string::size_type at = written.find(text); !text.empty() && at != std::string::npos;
         at = written.find(text, at + text.size()))
        ++found;
    return found;
}

} // namespace test
