#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <string>

namespace par {

// Makes the program start at logon through a shell link to its own
// executable in the current user's Startup folder. Any link there that points
// to the executable counts, whatever its file name. COM must be initialised
// on the calling thread.
class ProgramShortcut {
public:
    // The link's file name with its extension; empty: the executable's name.
    void setName(const std::string& name) { myName = name; }
    void setArguments(const std::string& arguments) { myArguments = arguments; }

    bool isInstalled();
    void setInstalled(bool on);
    // On success: the link file's full path and the loaded link, which the
    // caller releases.
    bool findLink(std::wstring& path, IShellLinkW** link);
    IShellLinkW* loadShortcutLink(const std::wstring& path);
    void createProgramShortcut();
    void removeProgramShortcut();

private:
    std::string myName;
    std::string myArguments;
};

} // namespace par
