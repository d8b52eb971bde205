#include "ipc/PipeSecurity.h"

#include "util/Scoped.h"

#include <sddl.h>

#include <string>
#include <vector>

namespace par {

namespace {

// The current user's SID as text, or "" when the token cannot be read.
std::string currentUserSid()
{
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken))
        return std::string();
    ScopedHandle token(rawToken);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0)
        return std::string();
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size))
        return std::string();
    ScopedLocalMemory<char> text;
    if (!ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, text.receive()))
        return std::string();
    return text.get();
}

} // namespace

PipeSecurity::PipeSecurity()
{
    myAttributes.nLength = sizeof myAttributes;
    myAttributes.lpSecurityDescriptor = nullptr;
    myAttributes.bInheritHandle = TRUE;

    const std::string user = currentUserSid();
    if (user.empty())
        return;
    // A protected DACL: full access for the system account and the user.
    const std::string sddl = "D:P(A;;GA;;;SY)(A;;GA;;;" + user + ")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                             &descriptor, nullptr)) {
        myDescriptor.reset(descriptor);
        myAttributes.lpSecurityDescriptor = descriptor;
    }
}

} // namespace par
