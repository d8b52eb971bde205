#pragma once

#include <windows.h>
#include <comdef.h>

#include <string>

// Log helpers shared by every object of the Flash host.
namespace swfWindow {

// The multi-line text of a COM error: code, its meaning, source, description.
std::string comErrorText(const _com_error& error);

// Writes "<method> not implemented" to the log "app" at severity severe and
// answers E_NOTIMPL, for the methods the host's COM objects do not support.
HRESULT logNotImplemented(const char* method);

// Records a QueryInterface on one of the host's COM objects at debug level
// in the log "swfWindow.queryInterface", marking the refusal when asked.
void logQueryInterface(const char* className, const char* interfaceLabel, bool markUnsupported);

// Writes the movie's text after "[FLASH] " to the log "app": at severity
// severe when the text holds "[SEVERE]", otherwise at severity info.
void logFlashText(const std::wstring& text);

} // namespace swfWindow
