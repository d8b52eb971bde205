#include "product/QuorSwfWindowListener.h"

#include "product/FlashHandler.h"
#include "product/Skyvane.h"

#include "util/Log.h"
#include "util/StringUtil.h"

namespace {

// Events still arriving while the facade goes find no handler.
FlashHandler* flashHandler()
{
    Skyvane* skyvane = Skyvane::instance();
    return skyvane ? skyvane->getFlashHandler() : nullptr;
}

} // namespace

void QuorSwfWindowListener::onProgress(SwfWindow*, long percent)
{
    par::getLog("stageFlash")->debug("onProgress(percent=" + par::toString(static_cast<int>(percent)) + ")");
}

void QuorSwfWindowListener::onFsCommand(SwfWindow*, const std::wstring& command, const std::wstring& args)
{
    if (FlashHandler* handler = flashHandler())
        handler->handleFsCommand(command, args);
}

std::wstring QuorSwfWindowListener::onExternalCall(SwfWindow*, const std::wstring& name,
                                                   const std::vector<std::wstring>& arguments)
{
    FlashHandler* handler = flashHandler();
    return handler ? handler->handleExternalCall(name, arguments) : std::wstring();
}
