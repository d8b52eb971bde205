#include "swfwindow/ComDiagnostics.h"

#include "util/Log.h"
#include "util/StringUtil.h"
#include "util/SystemUtil.h"
#include "util/XmlUtil.h"

namespace swfWindow {

std::string comErrorText(const _com_error& error)
{
    const HRESULT code = error.Error();
    return "COM Error...\n"
           "Code = 0x" + par::toHexString(static_cast<int>(code)) + "\n"
           "Code meaning = " + par::toNarrow(par::errorText(static_cast<DWORD>(code))) + "\n"
           "Source = " + par::bstrToString(error.Source()) + "\n"
           "Error Description = " + par::bstrToString(error.Description()) + "\n";
}

HRESULT logNotImplemented(const char* method)
{
    par::logSevere(std::string(method) + " not implemented");
    return E_NOTIMPL;
}

void logQueryInterface(const char* className, const char* interfaceLabel, bool markUnsupported)
{
    par::Log* log = par::getLog("swfWindow.queryInterface");
    if (!log->isEnabled(par::Log::LEVEL_DEBUG))
        return;
    log->debug(std::string(className) + "::QueryInterface(" + interfaceLabel + ")" +
               (markUnsupported ? " UNSUPPORTED" : ""));
}

void logFlashText(const std::wstring& text)
{
    const std::string narrow = par::toNarrow(text);
    if (narrow.find("[SEVERE]") != std::string::npos)
        par::logSevere("[FLASH] " + narrow);
    else
        par::logInfo("[FLASH] " + narrow);
}

} // namespace swfWindow
