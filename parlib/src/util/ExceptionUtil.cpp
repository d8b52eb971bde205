#include "util/ExceptionUtil.h"

#include "util/Log.h"

#include <comdef.h>

#include <cstdio>
#include <exception>

namespace par {

std::string describeCurrentException()
{
    try {
        throw;
    } catch (const _com_error& error) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(error.Error()));
        return std::string("COM error ") + code;
    } catch (const std::exception& error) {
        return error.what();
    } catch (const char* text) {
        return text ? text : "";
    } catch (...) {
        return "unknown exception";
    }
}

void logCaughtException(const char* where) noexcept
{
    try {
        logSevere(std::string(where) + " interrupted with exception: " + describeCurrentException());
    } catch (...) {
        // Out of memory for the line: the edge holds all the same.
    }
}

} // namespace par
