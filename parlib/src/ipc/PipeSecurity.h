#pragma once

#include "util/Scoped.h"

#include <windows.h>

namespace par {

// Security attributes for the program's named pipe: only the current user
// and the system account may open it, so that no other user or session can
// hold the only instance or send requests. The handle is inheritable.
class PipeSecurity {
public:
    PipeSecurity();
    PipeSecurity(const PipeSecurity&) = delete;
    PipeSecurity& operator=(const PipeSecurity&) = delete;

    // Null when the descriptor could not be built; a pipe made with null
    // attributes gets the default descriptor of the process's token.
    SECURITY_ATTRIBUTES* get() { return myDescriptor ? &myAttributes : nullptr; }

private:
    ScopedLocalMemory<void> myDescriptor;
    SECURITY_ATTRIBUTES myAttributes;
};

} // namespace par
