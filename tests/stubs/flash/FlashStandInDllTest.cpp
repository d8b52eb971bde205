#include "Bstr.h"
#include "TestContainer.h"

#include "MessagePump.h"
#include "TempRegistryKey.h"

#include <gtest/gtest.h>

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

    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(0, 10), static_cast<LONG>(fixed->dwFileVersionMS));
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
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
