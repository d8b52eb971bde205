#include "product/FlashHandler.h"

#include "util/Log.h"

void FlashHandler::notifySwfWindowCreated(SwfWindow* swf)
{
    onSwfWindowCreated(swf);
}

void FlashHandler::notifyFlashNotResponding()
{
    par::logInfo("Flash did not responded within 10 seconds, it maybe an infinite loop or a time "
                 "consuming operation.");
    onFlashNotResponding();
}

void FlashHandler::handleFsCommand(const std::wstring& command, const std::wstring&)
{
    if (command == L"quorReady")
        onMovieReady();
}

std::wstring FlashHandler::handleExternalCall(const std::wstring& name, const std::vector<std::wstring>&)
{
    if (name == L"shutdownDone")
        doShutdownDone();
    return std::wstring();
}
