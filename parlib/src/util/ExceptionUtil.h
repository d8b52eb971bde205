#pragma once

#include <string>

namespace par {

// What the exception being handled says; call only inside a catch block.
std::string describeCurrentException();
// Logs the exception being handled as severe, with the place that stopped
// it; call only inside a catch block. Never throws.
void logCaughtException(const char* where) noexcept;

// Runs the call at an edge with a system frame below it (a window, dialog,
// timer or thread procedure, a posted runnable, a COM method): no exception
// may unwind into such a frame, for with the i686 build's DWARF unwinding it
// ends the process at once. An exception is logged and answers the fallback.
template <typename Result, typename Call>
Result callGuarded(const char* where, Result fallback, Call&& call) noexcept
{
    try {
        return call();
    } catch (...) {
        logCaughtException(where);
    }
    return fallback;
}

template <typename Call>
void callGuarded(const char* where, Call&& call) noexcept
{
    try {
        call();
    } catch (...) {
        logCaughtException(where);
    }
}

} // namespace par
