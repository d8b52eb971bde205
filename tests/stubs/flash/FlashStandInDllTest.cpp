#include "Bstr.h"
#include "TestContainer.h"

#include "ChildProcess.h"
#include "MessagePump.h"
#include "TempDir.h"
#include "TempRegistryKey.h"
#include "TranscriptReader.h"
#include "WinePath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <string>
#include <vector>

using namespace ShockwaveFlashObjects;
using standin::Bstr;
using test::ComPtr;

// The control of this test program is the DLL that the fixture
// "flash_standin" registered in the test prefix.

namespace {

const wchar_t* const kClassKey = L"CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}";
const wchar_t* const kServerKey = L"CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}\\InprocServer32";

std::wstring readString(HKEY root, const wchar_t* key, const wchar_t* name)
{
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::wstring();
    return value;
}

bool keyExists(HKEY root, const wchar_t* key)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

VS_FIXEDFILEINFO fileVersion(const std::wstring& path, std::vector<char>& info)
{
    DWORD ignored = 0;
    info.assign(GetFileVersionInfoSizeW(path.c_str(), &ignored), 0);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (info.empty() ||
        !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()) ||
        !VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length))
        return VS_FIXEDFILEINFO{};
    return *fixed;
}

using test::readTranscript;
using Entry = test::TranscriptEntry;

// The entries of a kind, with the given name (first field) when one is given.
std::vector<Entry> entriesOf(const std::vector<Entry>& entries, const std::wstring& kind,
                             const std::wstring& name = L"")
{
    std::vector<Entry> found;
    for (const Entry& entry : entries) {
        if (entry[0] == kind && (name.empty() || (entry.size() > 1 && entry[1] == name)))
            found.push_back(entry);
    }
    return found;
}

// The index of the first entry of a kind and name, or the count of entries.
size_t indexOf(const std::vector<Entry>& entries, const std::wstring& kind, const std::wstring& name)
{
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i][0] == kind && entries[i].size() > 1 && entries[i][1] == name)
            return i;
    }
    return entries.size();
}

// Plays a product movie, saved under the movie's file name, in the host
// program as a process of its own; answers its exit code.
class HostRun {
public:
    HostRun(const std::wstring& role, const char* movieFile) : myTranscript(myFolder.file(L"transcript.txt"))
    {
        const std::wstring movie = myFolder.file(L"skyvanedesktop.swf");
        CopyFileW((test::winePath(FLASH_STANDIN_MOVIES) + L"\\" + std::wstring(movieFile, movieFile + strlen(movieFile))).c_str(),
                  movie.c_str(), FALSE);
        std::wstring commandLine = L"\"" + test::winePath(FLASH_STANDIN_HOST) + L"\" " + role + L" \"" + movie + L"\"";
        SetEnvironmentVariableW(L"FLASH_STANDIN_TRANSCRIPT", myTranscript.c_str());
        test::ChildProcess host(commandLine);
        SetEnvironmentVariableW(L"FLASH_STANDIN_TRANSCRIPT", nullptr);
        if (host.waitForEnd(45000))
            myExitCode = host.exitCode();
    }

    DWORD exitCode() const { return myExitCode; }
    std::vector<Entry> transcript() const { return readTranscript(myTranscript); }
    const std::wstring& folder() const { return myFolder.path(); }

private:
    test::TempDir myFolder;
    std::wstring myTranscript;
    DWORD myExitCode = 999;
};

class FlashStandInDllTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

// The registered DLL, loaded once more for calls of its exports.
class LoadedServer {
public:
    LoadedServer() : myModule(LoadLibraryW(readString(HKEY_CLASSES_ROOT, kServerKey, nullptr).c_str())) {}
    ~LoadedServer() { FreeLibrary(myModule); }
    LoadedServer(const LoadedServer&) = delete;
    LoadedServer& operator=(const LoadedServer&) = delete;

    HMODULE module() const { return myModule; }
    HRESULT call(const char* name) const
    {
        auto function = reinterpret_cast<HRESULT(WINAPI*)()>(export_(name));
        return function ? function() : E_NOTIMPL;
    }
    HRESULT getClassObject(REFIID riid, void** object) const
    {
        auto function =
            reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(export_("DllGetClassObject"));
        return function ? function(CLSID_ShockwaveFlash, riid, object) : E_NOTIMPL;
    }

private:
    // Exports have various types; a plain function pointer is cast to each.
    void (*export_(const char* name) const)() { return reinterpret_cast<void (*)()>(GetProcAddress(myModule, name)); }

    HMODULE myModule;
};

} // namespace

TEST_F(FlashStandInDllTest, RegistrationNamesTheDllOfVersion10WithApartmentThreading)
{
    const std::wstring path = readString(HKEY_CLASSES_ROOT, kServerKey, nullptr);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(L"FlashStandIn.dll", path.substr(path.find_last_of(L'\\') + 1));
    EXPECT_EQ(L"Apartment", readString(HKEY_CLASSES_ROOT, kServerKey, L"ThreadingModel"));

    std::vector<char> info;
    const VS_FIXEDFILEINFO fixed = fileVersion(path, info);
    EXPECT_EQ(MAKELONG(0, 10), static_cast<LONG>(fixed.dwFileVersionMS));
    EXPECT_EQ(0u, fixed.dwFileVersionLS);
}

TEST_F(FlashStandInDllTest, OutdatedBuildIsVersion8AndRegistersItself)
{
    test::TempRegistryKey classesRoot;
    const std::wstring path = test::winePath(FLASH_STANDIN_OLD);
    std::vector<char> info;
    const VS_FIXEDFILEINFO fixed = fileVersion(path, info);
    EXPECT_EQ(MAKELONG(0, 8), static_cast<LONG>(fixed.dwFileVersionMS));
    EXPECT_EQ(MAKELONG(0, 99), static_cast<LONG>(fixed.dwFileVersionLS));

    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(nullptr, module);
    auto registerServer = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "DllRegisterServer")));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CLASSES_ROOT, classesRoot.key()));
    EXPECT_EQ(S_OK, registerServer());
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    const std::wstring registered = readString(classesRoot.key(), kServerKey, nullptr);
    EXPECT_EQ(L"FlashStandInOld.dll", registered.substr(registered.find_last_of(L'\\') + 1));
    FreeLibrary(module);
}

TEST_F(FlashStandInDllTest, CoCreateInstanceAndOleCreateFindTheRegisteredControl)
{
    ComPtr<IShockwaveFlash> flash;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShockwaveFlash, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShockwaveFlash, reinterpret_cast<void**>(flash.GetAddressOf())));
    ComPtr<IFlashStandIn> standIn;
    EXPECT_EQ(S_OK, flash.As(&standIn));
    EXPECT_NE(nullptr, GetModuleHandleW(L"FlashStandIn.dll"));
    flash.Reset();
    standIn.Reset();

    test::TestContainer container;
    ASSERT_EQ(S_OK, container.embed());
    ASSERT_EQ(S_OK, container.flash()->SetVariable(Bstr(L"xmlRequest").get(),
                                                   Bstr(L"<asyncRequest id=\"ping\"/>").get()));
    ASSERT_TRUE(test::pumpUntil([&] { return !container.sink().events.empty(); }, 3000));
    EXPECT_EQ((std::vector<std::wstring>{L"xmlResponse", L"<asyncResponse id=\"ping\"/>"}),
              container.sink().events[0].args);
}

TEST_F(FlashStandInDllTest, DllCanBeUnloadedOnlyWithoutLiveObjectsOrLocks)
{
    LoadedServer server;
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, server.getClassObject(IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())));
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown,
                                            reinterpret_cast<void**>(control.GetAddressOf())));
    factory->LockServer(TRUE);
    factory.Reset();
    EXPECT_EQ(S_FALSE, server.call("DllCanUnloadNow"));
    control.Reset();
    EXPECT_EQ(S_FALSE, server.call("DllCanUnloadNow")) << "still locked";
    ASSERT_EQ(S_OK, server.getClassObject(IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())));
    factory->LockServer(FALSE);
    factory.Reset();
    EXPECT_EQ(S_OK, server.call("DllCanUnloadNow"));
}

TEST_F(FlashStandInDllTest, DllRegistersAndUnregistersOnlyItself)
{
    // A test key stands in for HKEY_CLASSES_ROOT: the prefix's registration stays.
    test::TempRegistryKey classesRoot;
    LoadedServer server;
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(server.module(), path, MAX_PATH);
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CLASSES_ROOT, classesRoot.key()));

    EXPECT_EQ(S_OK, server.call("DllRegisterServer"));
    EXPECT_EQ(path, readString(classesRoot.key(), kServerKey, nullptr));
    EXPECT_EQ(L"Apartment", readString(classesRoot.key(), kServerKey, L"ThreadingModel"));
    EXPECT_EQ(S_OK, server.call("DllUnregisterServer"));
    EXPECT_FALSE(keyExists(classesRoot.key(), kClassKey));

    const std::wstring other = L"C:\\Flash\\Flash10x.ocx";
    RegSetKeyValueW(classesRoot.key(), kServerKey, nullptr, REG_SZ, other.c_str(),
                    static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(S_FALSE, server.call("DllUnregisterServer"));
    EXPECT_EQ(other, readString(classesRoot.key(), kServerKey, nullptr));
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
}

// --- the product's movies, played for a host in another process ---

TEST_F(FlashStandInDllTest, DesktopMoviePlaysItsSideOfTheProgramsConversations)
{
    HostRun run(L"app", "skyvane.movie");
    ASSERT_EQ(0u, run.exitCode()) << "the host ends on \"shutdownDone\"";
    const std::vector<Entry> entries = run.transcript();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(L"load", entries[0][0]);
    EXPECT_LT(indexOf(entries, L"fscommand", L"parProgramReady"), indexOf(entries, L"fscommand", L"quorReady"));

    auto answers = [&](const std::wstring& function) {
        std::vector<std::wstring> found;
        for (const Entry& call : entriesOf(entries, L"call", function))
            found.push_back(call.at(2));
        return found;
    };
    EXPECT_EQ((std::vector<std::wstring>{L"<string>21</string>", L"<string>25</string>"}),
              answers(L"trayGetTemperature"))
        << "the temperature changed before the event reached the tray's subscription";
    EXPECT_EQ(std::vector<std::wstring>{L"<true/>"}, answers(L"isParProgram"));
    EXPECT_EQ(std::vector<std::wstring>{L"<string>60</string>"}, answers(L"trayGetWeatherAgeSec"));
    EXPECT_EQ((std::vector<std::wstring>{L"<string>#FFFFFF</string>", L"<string>#1E5AA0</string>"}),
              answers(L"getOptionsValue"));
    EXPECT_EQ((Entry{L"call", L"convertCwfToUserValue", L"<number>21.0000</number>", L"temperature", L"21.0000"}),
              entriesOf(entries, L"call", L"convertCwfToUserValue").at(0));
    EXPECT_EQ(std::vector<std::wstring>{L"<string>Open Skyvane</string>"}, answers(L"formatLocaleString"));
    EXPECT_EQ(std::vector<std::wstring>{L"<string>Exit</string>"}, answers(L"getLocaleString"));
    EXPECT_EQ(std::vector<std::wstring>{L"<string>&lt;options path=\"" + run.folder() + L"\\options.xml\"/&gt;</string>"},
              answers(L"hackSaveOptions"));

    std::vector<std::wstring> responses;
    for (const Entry& command : entriesOf(entries, L"fscommand", L"xmlResponse"))
        responses.push_back(command.at(2));
    EXPECT_EQ(1, std::count(responses.begin(), responses.end(), L"<asyncResponse id=\"suspend\" result=\"true\"/>"));
    EXPECT_EQ(1, std::count(responses.begin(), responses.end(), L"<asyncResponse id=\"resume\" result=\"true\"/>"));
    EXPECT_GE(std::count(responses.begin(), responses.end(), L"<asyncResponse id=\"ping\"/>"), 1);
    EXPECT_EQ((std::vector<Entry>{{L"fscommand", L"xmlCommandEvent", L"<event uin=\"1\" serviceId=\"tray\" eventId=\"handleTotalUpdate\"/>"}}),
              entriesOf(entries, L"fscommand", L"xmlCommandEvent"));

    EXPECT_EQ(1u, entriesOf(entries, L"set", L"shutdown").size());
    ASSERT_EQ(1u, entriesOf(entries, L"flashcall", L"shutdownDone").size());
    EXPECT_LT(indexOf(entries, L"set", L"shutdown"), indexOf(entries, L"flashcall", L"shutdownDone"));
    EXPECT_EQ((std::vector<Entry>{{L"return", L"shutdownDone", L""}}), entriesOf(entries, L"return", L"shutdownDone"));
}

TEST_F(FlashStandInDllTest, SaverMovieAsksForItsRoleAndEndsTheSaverByItself)
{
    HostRun run(L"screenSaver", "saver.movie");
    ASSERT_EQ(0u, run.exitCode());
    const std::vector<Entry> entries = run.transcript();
    EXPECT_LT(indexOf(entries, L"fscommand", L"parProgramReady"), indexOf(entries, L"fscommand", L"quorReady"));
    EXPECT_EQ((std::vector<Entry>{{L"return", L"getRole", L"<string>screenSaver</string>"}}),
              entriesOf(entries, L"return", L"getRole"));
    EXPECT_EQ(1u, entriesOf(entries, L"flashcall", L"shutdownDone").size());
    EXPECT_TRUE(entriesOf(entries, L"set", L"shutdown").empty());
}
