#include "app/ProgramShortcut.h"

#include "app/Application.h"
#include "util/Log.h"
#include "util/Scoped.h"
#include "util/StringUtil.h"
#include "util/SystemUtil.h"

#include <shlobj.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace par {

namespace {

const int DELETE_ATTEMPTS = 20;
const DWORD DELETE_RETRY_MS = 50;

std::wstring startupFolder()
{
    wchar_t path[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, path)))
        return std::wstring();
    return path;
}

bool isProgramPath(std::wstring target)
{
    std::wstring program = Application::getExecutablePath();
    return toLowerW(target) == toLowerW(program);
}

std::wstring defaultLinkName()
{
    std::string name = toNarrow(Application::getExecutablePath());
    name = name.substr(name.rfind('\\') + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return toWide(name + ".lnk");
}

} // namespace

bool ProgramShortcut::isInstalled()
{
    std::wstring path;
    ComPtr<IShellLinkW> link;
    return findLink(path, link.GetAddressOf());
}

void ProgramShortcut::setInstalled(bool on)
{
    if (!on)
        removeProgramShortcut();
    else if (!isInstalled())
        createProgramShortcut();
}

bool ProgramShortcut::findLink(std::wstring& path, IShellLinkW** link)
{
    const std::wstring folder = startupFolder();
    if (folder.empty())
        return false;
    WIN32_FIND_DATAW found;
    ScopedFindHandle search(FindFirstFileW((folder + L"\\*.lnk").c_str(), &found));
    if (!search)
        return false;
    do {
        const std::wstring candidate = folder + L"\\" + found.cFileName;
        ComPtr<IShellLinkW> loaded;
        loaded.Attach(loadShortcutLink(candidate));
        if (!loaded)
            continue;
        wchar_t target[MAX_PATH] = L"";
        if (SUCCEEDED(loaded->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))
            && isProgramPath(target)) {
            path = candidate;
            *link = loaded.Detach();
            return true;
        }
    } while (FindNextFileW(search.get(), &found));
    return false;
}

IShellLinkW* ProgramShortcut::loadShortcutLink(const std::wstring& path)
{
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&link))))
        return nullptr;
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file))) {
        logSevere("loadShortcutLink(), IPersistFile request failure");
        return nullptr;
    }
    if (FAILED(file->Load(path.c_str(), STGM_READ)))
        return nullptr;
    return link.Detach();
}

void ProgramShortcut::createProgramShortcut()
{
    const std::wstring folder = startupFolder();
    if (folder.empty())
        return;
    const std::wstring name = myName.empty() ? defaultLinkName() : toWide(myName);
    const std::wstring path = folder + L"\\" + name;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&link))))
        return;
    link->SetPath(Application::getExecutablePath().c_str());
    if (!myArguments.empty())
        link->SetArguments(toWide(myArguments).c_str());
    ComPtr<IPersistFile> file;
    if (SUCCEEDED(link.As(&file)) && FAILED(file->Save(path.c_str(), TRUE)))
        logSevere("Program link creation failure.");
}

void ProgramShortcut::removeProgramShortcut()
{
    std::wstring path;
    ComPtr<IShellLinkW> link;
    if (!findLink(path, link.GetAddressOf()))
        return;
    link.Reset();
    // Another reader of the folder (the shell, a scanner, a program listing
    // the links) may hold the link open for a moment.
    for (int attempt = 1; !DeleteFileW(path.c_str()); ++attempt) {
        if (GetLastError() != ERROR_SHARING_VIOLATION || attempt == DELETE_ATTEMPTS) {
            logSevere("removeProgramShortcut(), Delete failure. error: " + toNarrow(lastErrorText()));
            return;
        }
        Sleep(DELETE_RETRY_MS);
    }
}

} // namespace par
