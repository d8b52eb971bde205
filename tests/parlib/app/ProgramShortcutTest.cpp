#include "app/Application.h"
#include "app/ProgramShortcut.h"
#include "util/StringUtil.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <wrl/client.h>

#include <string>
#include <thread>
#include <vector>

using Microsoft::WRL::ComPtr;
using par::Application;
using par::ProgramShortcut;

namespace {

std::wstring startupFolder()
{
    wchar_t path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

void makeLink(const std::wstring& path, const std::wstring& target)
{
    ComPtr<IShellLinkW> link;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                              IID_PPV_ARGS(&link)));
    link->SetPath(target.c_str());
    ComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(link.As(&file));
    ASSERT_HRESULT_SUCCEEDED(file->Save(path.c_str(), TRUE));
}

struct LinkFile {
    std::wstring path;
    std::wstring target;
    std::wstring arguments;
};

// Every link in the Startup folder whose target is this program, in any case.
std::vector<LinkFile> programLinks()
{
    std::vector<LinkFile> links;
    const std::wstring folder = startupFolder();
    std::wstring program = Application::getExecutablePath();
    par::toLowerW(program);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.lnk").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return links;
    do {
        LinkFile file{folder + L"\\" + found.cFileName, L"", L""};
        ComPtr<IShellLinkW> link;
        ComPtr<IPersistFile> persist;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))
            || FAILED(link.As(&persist)) || FAILED(persist->Load(file.path.c_str(), STGM_READ)))
            continue;
        wchar_t text[MAX_PATH] = L"";
        link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
        file.target = text;
        link->GetArguments(text, MAX_PATH);
        file.arguments = text;
        std::wstring target = file.target;
        if (par::toLowerW(target) == program)
            links.push_back(file);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return links;
}

void removeProgramLinks()
{
    for (const LinkFile& link : programLinks())
        DeleteFileW(link.path.c_str());
}

std::wstring upperCase(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towupper(c));
    return text;
}

// Links of this test program are removed before and after each test.
class ProgramShortcutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_FALSE(startupFolder().empty());
        CreateDirectoryW(startupFolder().c_str(), nullptr);
        removeProgramLinks();
    }
    void TearDown() override
    {
        removeProgramLinks();
        CoUninitialize();
    }

    std::wstring uniqueLinkPath(const std::wstring& stem) const
    {
        return startupFolder() + L"\\" + stem + std::to_wstring(GetCurrentProcessId()) + L".lnk";
    }

    ProgramShortcut myShortcut;
};

} // namespace

TEST_F(ProgramShortcutTest, InstallingMakesALinkNamedAfterTheExecutable)
{
    EXPECT_FALSE(myShortcut.isInstalled());
    myShortcut.setArguments("-mt");
    myShortcut.setInstalled(true);
    EXPECT_TRUE(myShortcut.isInstalled());

    const std::vector<LinkFile> links = programLinks();
    ASSERT_EQ(1u, links.size());
    EXPECT_EQ(startupFolder() + L"\\test_par_app.lnk", links[0].path);
    EXPECT_EQ(L"-mt", links[0].arguments);

    myShortcut.setInstalled(false);
    EXPECT_FALSE(myShortcut.isInstalled());
    EXPECT_TRUE(programLinks().empty());
}

TEST_F(ProgramShortcutTest, GivenNameNamesTheLink)
{
    const std::wstring path = uniqueLinkPath(L"partest-named-");
    myShortcut.setName(par::toNarrow(path.substr(path.rfind(L'\\') + 1)));
    myShortcut.createProgramShortcut();
    const std::vector<LinkFile> links = programLinks();
    ASSERT_EQ(1u, links.size());
    EXPECT_EQ(path, links[0].path);
}

TEST_F(ProgramShortcutTest, LinkOfAnyNameToTheProgramInAnyCaseCountsAsInstalled)
{
    const std::wstring path = uniqueLinkPath(L"partest-other-");
    makeLink(path, upperCase(Application::getExecutablePath()));
    EXPECT_TRUE(myShortcut.isInstalled());
    myShortcut.setInstalled(true);
    EXPECT_EQ(1u, programLinks().size());

    std::wstring found;
    IShellLinkW* link = nullptr;
    ASSERT_TRUE(myShortcut.findLink(found, &link));
    link->Release();
    EXPECT_EQ(path, found);
}

TEST_F(ProgramShortcutTest, UninstallingRemovesOnlyTheFirstLinkFound)
{
    makeLink(uniqueLinkPath(L"partest-first-"), Application::getExecutablePath());
    makeLink(uniqueLinkPath(L"partest-second-"), Application::getExecutablePath());
    myShortcut.setInstalled(false);
    EXPECT_EQ(1u, programLinks().size());
    EXPECT_TRUE(myShortcut.isInstalled());
    myShortcut.setInstalled(false);
    EXPECT_FALSE(myShortcut.isInstalled());
}

TEST_F(ProgramShortcutTest, LinkThatAnotherReaderHoldsForAMomentIsStillRemoved)
{
    const std::wstring path = uniqueLinkPath(L"partest-held-");
    makeLink(path, Application::getExecutablePath());
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader);
    std::thread letGo([reader] {
        Sleep(200);
        CloseHandle(reader);
    });
    myShortcut.setInstalled(false);
    letGo.join();
    EXPECT_TRUE(programLinks().empty());
}

TEST_F(ProgramShortcutTest, LinksToOtherProgramsAreLeftAlone)
{
    const std::wstring path = uniqueLinkPath(L"partest-foreign-");
    makeLink(path, L"C:\\windows\\notepad.exe");
    EXPECT_FALSE(myShortcut.isInstalled());
    myShortcut.setInstalled(false);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
    DeleteFileW(path.c_str());
}
