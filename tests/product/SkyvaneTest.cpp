#include "ProductTestBase.h"

#include "util/RegistryUtil.h"
#include "util/Scoped.h"

using test::ComPtr;

namespace {

const std::wstring MODE_KEY = std::wstring(Skyvane::DEVELOPMENT_REGISTRY_PATH) + L"\\fullscreenDisplayMode";

// Settings go to the development key, which the test prefix does not have
// and which the test removes again.
class SkyvaneTest : public test::ProductTestBase {
protected:
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, Skyvane::DEVELOPMENT_REGISTRY_PATH);
        RegDeleteKeyW(HKEY_CURRENT_USER, Skyvane::DEVELOPMENT_REGISTRY_PATH);
        ProductTestBase::TearDown();
    }

    static DWORD stored(const wchar_t* name)
    {
        par::ScopedRegKey key;
        DWORD value = 0xDEADBEEF;
        if (par::openRegKeyForRead(key.receive(), HKEY_CURRENT_USER, MODE_KEY) == ERROR_SUCCESS)
            par::readRegDword(key.get(), name, &value);
        return value;
    }

    void reload()
    {
        makeSkyvane();
        mySkyvane->loadFullscreenDisplayMode();
    }
};

} // namespace

TEST_F(SkyvaneTest, FullscreenDisplayModeRoundTripsThroughTheDevelopmentKey)
{
    EXPECT_EQ(L"Software\\Ondrel\\skyvane", Skyvane::getRegistryPath());
    par::ScopedRegKey development;
    ASSERT_EQ(ERROR_SUCCESS, par::createRegKey(development.receive(), HKEY_CURRENT_USER,
                                               Skyvane::DEVELOPMENT_REGISTRY_PATH));
    EXPECT_EQ(L"Software\\Ondrel\\quorDev", Skyvane::getRegistryPath());

    makeSkyvane();
    mySkyvane->getFullscreenDisplayMode().set(1024, 768, 32);
    mySkyvane->saveFullscreenDisplayMode();
    EXPECT_EQ(1u, stored(L"id"));
    EXPECT_EQ(1024u, stored(L"width"));
    EXPECT_EQ(768u, stored(L"height"));
    EXPECT_EQ(32u, stored(L"depth"));
    reload();
    const par::FullscreenDisplayMode& mode = mySkyvane->getFullscreenDisplayMode();
    EXPECT_EQ(1, mode.id);
    EXPECT_EQ(1024, mode.width);
    EXPECT_EQ(768, mode.height);
    EXPECT_EQ(32, mode.depth);

    // "default" after "provided" keeps the stored sizes.
    mySkyvane->getFullscreenDisplayMode().id = 0;
    mySkyvane->saveFullscreenDisplayMode();
    EXPECT_EQ(0u, stored(L"id"));
    EXPECT_EQ(1024u, stored(L"width"));

    // Neither 0 nor an unknown id changes a record on loading.
    for (DWORD id : {0u, 2u}) {
        par::ScopedRegKey key;
        par::openRegKeyForWrite(key.receive(), HKEY_CURRENT_USER, MODE_KEY);
        par::writeRegDword(key.get(), L"id", id);
        reload();
        EXPECT_EQ(0, mySkyvane->getFullscreenDisplayMode().id) << id;
        EXPECT_EQ(0, mySkyvane->getFullscreenDisplayMode().width) << id;
    }
}

TEST_F(SkyvaneTest, ExitWithoutAMovieOfOursClosesAtOnce)
{
    // Before any movie window exists.
    makeSkyvane();
    mySkyvane->exit();
    EXPECT_EQ(1, mySkyvane->closes);

    // A movie that says it is not ours, and one whose answer fails.
    for (const wchar_t* script : {L"foreign.movie", L"mute.movie"}) {
        mySkyvane.reset();
        installMovie(script);
        makeSkyvane();
        mySkyvane->createFlashHost();
        ComPtr<IFlashStandIn> standIn = standInOf(mySkyvane->getSwfWindow());
        ASSERT_TRUE(standIn);
        myHandlerLog.movieReady = 0;
        ASSERT_TRUE(test::pumpUntil([&] { return myHandlerLog.movieReady > 0; }, 3000));

        mySkyvane->exit();
        EXPECT_EQ(1, mySkyvane->closes) << script;
        EXPECT_TRUE(variableValues(standIn.Get(), L"shutdown").empty()) << script;
    }
}
