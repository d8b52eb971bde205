#include "ProductTestBase.h"

#include "util/RegistryUtil.h"
#include "util/Scoped.h"

using test::ComPtr;
using test::ProductTestBase;

namespace {

// The development key for the life of the object; the test prefix has none.
class DevelopmentKey {
public:
    DevelopmentKey()
    {
        par::ScopedRegKey key;
        myExisted = par::openRegKeyForRead(key.receive(), HKEY_CURRENT_USER,
                                           Skyvane::DEVELOPMENT_REGISTRY_PATH) == ERROR_SUCCESS;
        par::createRegKey(key.receive(), HKEY_CURRENT_USER, Skyvane::DEVELOPMENT_REGISTRY_PATH);
    }
    ~DevelopmentKey()
    {
        if (myExisted)
            return;
        RegDeleteTreeW(HKEY_CURRENT_USER, Skyvane::DEVELOPMENT_REGISTRY_PATH);
        RegDeleteKeyW(HKEY_CURRENT_USER, Skyvane::DEVELOPMENT_REGISTRY_PATH);
    }
    bool existed() const { return myExisted; }

private:
    bool myExisted = false;
};

DWORD storedDword(const wchar_t* name)
{
    par::ScopedRegKey key;
    DWORD value = 0xDEADBEEF;
    if (par::openRegKeyForRead(key.receive(), HKEY_CURRENT_USER,
                               std::wstring(Skyvane::DEVELOPMENT_REGISTRY_PATH) + L"\\fullscreenDisplayMode")
        == ERROR_SUCCESS)
        par::readRegDword(key.get(), name, &value);
    return value;
}

void storeId(DWORD id)
{
    par::ScopedRegKey key;
    par::openRegKeyForWrite(key.receive(), HKEY_CURRENT_USER,
                            std::wstring(Skyvane::DEVELOPMENT_REGISTRY_PATH) + L"\\fullscreenDisplayMode");
    par::writeRegDword(key.get(), L"id", id);
}

class SkyvaneTest : public ProductTestBase {};

} // namespace

TEST_F(SkyvaneTest, DevelopmentKeyWinsWhileItExists)
{
    EXPECT_EQ(L"Software\\Ondrel\\skyvane", Skyvane::getRegistryPath());
    {
        DevelopmentKey key;
        ASSERT_FALSE(key.existed());
        EXPECT_EQ(L"Software\\Ondrel\\quorDev", Skyvane::getRegistryPath());
    }
    EXPECT_EQ(L"Software\\Ondrel\\skyvane", Skyvane::getRegistryPath());
}

TEST_F(SkyvaneTest, FullscreenDisplayModeRoundTripsThroughTheProductKey)
{
    DevelopmentKey key;
    ASSERT_FALSE(key.existed());
    makeSkyvane();
    mySkyvane->getFullscreenDisplayMode().set(1024, 768, 32);
    mySkyvane->saveFullscreenDisplayMode();
    EXPECT_EQ(1u, storedDword(L"id"));
    EXPECT_EQ(1024u, storedDword(L"width"));
    EXPECT_EQ(768u, storedDword(L"height"));
    EXPECT_EQ(32u, storedDword(L"depth"));

    mySkyvane.reset();
    makeSkyvane();
    mySkyvane->loadFullscreenDisplayMode();
    par::FullscreenDisplayMode& mode = mySkyvane->getFullscreenDisplayMode();
    EXPECT_EQ(1, mode.id);
    EXPECT_EQ(1024, mode.width);
    EXPECT_EQ(768, mode.height);
    EXPECT_EQ(32, mode.depth);

    // "default" after "provided" keeps the stored sizes; loading it changes
    // nothing, neither does an id that is neither.
    mode.id = 0;
    mySkyvane->saveFullscreenDisplayMode();
    EXPECT_EQ(0u, storedDword(L"id"));
    EXPECT_EQ(1024u, storedDword(L"width"));
    for (DWORD id : {0u, 2u}) {
        storeId(id);
        mySkyvane.reset();
        makeSkyvane();
        mySkyvane->getFullscreenDisplayMode().width = 5;
        mySkyvane->loadFullscreenDisplayMode();
        EXPECT_EQ(0, mySkyvane->getFullscreenDisplayMode().id) << id;
        EXPECT_EQ(5, mySkyvane->getFullscreenDisplayMode().width) << id;
        EXPECT_EQ(0, mySkyvane->getFullscreenDisplayMode().height) << id;
    }
}

TEST_F(SkyvaneTest, FacadeIsTheInstanceAndMakesItsHandlerOnce)
{
    EXPECT_EQ(nullptr, Skyvane::instance());
    makeSkyvane();
    EXPECT_EQ(mySkyvane.get(), Skyvane::instance());
    EXPECT_EQ(nullptr, mySkyvane->getSwfWindow());
    FlashHandler* handler = mySkyvane->getFlashHandler();
    EXPECT_EQ(handler, mySkyvane->getFlashHandler());
    EXPECT_EQ(1, myHandlerLog.handlersMade);
    mySkyvane.reset();
    EXPECT_EQ(1, myHandlerLog.handlersDeleted);
    EXPECT_EQ(nullptr, Skyvane::instance());
}

TEST_F(SkyvaneTest, ExitWithoutAMovieOfOursClosesAtOnce)
{
    // Before any movie window exists.
    makeSkyvane();
    mySkyvane->exit();
    EXPECT_EQ(1, mySkyvane->closes);

    // A movie that says it is not ours, and one that cannot answer.
    for (const wchar_t* script : {L"foreign.movie", L"mute.movie"}) {
        mySkyvane.reset();
        installMovie(script);
        makeSkyvane();
        mySkyvane->createFlashHost();
        ASSERT_NE(nullptr, mySkyvane->getSwfWindow());
        ComPtr<IFlashStandIn> standIn = standInOf(mySkyvane->getSwfWindow());
        ASSERT_TRUE(standIn);
        ASSERT_TRUE(pumpUntil([&] { return myHandlerLog.movieReady > 0; }));
        myHandlerLog.movieReady = 0;

        mySkyvane->exit();
        EXPECT_EQ(1, mySkyvane->closes) << script;
        EXPECT_TRUE(variableValues(standIn.Get(), L"shutdown").empty()) << script;
    }
}
