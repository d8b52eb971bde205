#include "winui/DisplayModeManage.h"

#include "VirtualDesktop.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

using par::DisplayModeManage;
using par::FullscreenDisplayMode;

namespace {

using Triple = std::tuple<DWORD, DWORD, DWORD>;

Triple tripleOf(const DEVMODEA& mode)
{
    return Triple(mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel);
}

Triple currentTriple()
{
    DEVMODEA mode;
    EXPECT_TRUE(DisplayModeManage::getCurrentMode(mode));
    return tripleOf(mode);
}

// Every test leaves the display in its registry mode.
class DisplayModeManageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DEVMODEA mode;
        ASSERT_TRUE(DisplayModeManage::getRegistryMode(mode));
        myRegistry = tripleOf(mode);
        ASSERT_EQ(myRegistry, currentTriple());
    }
    void TearDown() override
    {
        ChangeDisplaySettingsA(nullptr, 0);
    }

    // A listed mode other than the registry mode, if the display has one.
    bool findOtherMode(DEVMODEA& out)
    {
        for (const DEVMODEA& mode : myManager.getModes()) {
            if (tripleOf(mode) != myRegistry) {
                out = mode;
                return true;
            }
        }
        return false;
    }

    DisplayModeManage myManager;
    Triple myRegistry;
};

} // namespace

TEST_F(DisplayModeManageTest, ListsEachTripleOnceWithTheFirstRecordEnumerated)
{
    std::set<Triple> seen;
    std::vector<DEVMODEA> firsts;
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i) {
        if (seen.insert(tripleOf(mode)).second)
            firsts.push_back(mode);
    }
    const std::vector<DEVMODEA>& listed = myManager.getModes();
    ASSERT_EQ(firsts.size(), listed.size());
    for (size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(tripleOf(firsts[i]), tripleOf(listed[i]));
        EXPECT_EQ(firsts[i].dmDisplayFrequency, listed[i].dmDisplayFrequency);
    }
    EXPECT_TRUE(seen.count(myRegistry));
}

TEST_F(DisplayModeManageTest, FindMatchesWildcardsAndRefusesUnlistedModes)
{
    DEVMODEA found;
    const auto [width, height, depth] = myRegistry;
    ASSERT_TRUE(myManager.findMode(found, width, height, -1));
    EXPECT_EQ(width, found.dmPelsWidth);
    ASSERT_TRUE(myManager.findMode(found, -1, -1, depth));
    EXPECT_EQ(depth, found.dmBitsPerPel);
    EXPECT_FALSE(myManager.findMode(found, 123, 45, -1));
}

TEST_F(DisplayModeManageTest, CurrentOrUnlistedModeChangesNothing)
{
    const auto [width, height, depth] = myRegistry;
    myManager.change(width, height, depth);
    EXPECT_FALSE(myManager.isChanged());
    myManager.change(123, 45, 32);
    EXPECT_FALSE(myManager.isChanged());
    EXPECT_EQ(myRegistry, currentTriple());
}

TEST_F(DisplayModeManageTest, ChangeSwitchesAndAskingForTheRegistryModeRestores)
{
    DEVMODEA other;
    if (!findOtherMode(other))
        GTEST_SKIP() << "the display offers a single mode";
    myManager.change(other.dmPelsWidth, other.dmPelsHeight, other.dmBitsPerPel);
    EXPECT_TRUE(myManager.isChanged());
    EXPECT_EQ(tripleOf(other), currentTriple());

    // Asking for the mode already shown keeps the change on record.
    myManager.change(other.dmPelsWidth, other.dmPelsHeight, other.dmBitsPerPel);
    EXPECT_TRUE(myManager.isChanged());

    const auto [width, height, depth] = myRegistry;
    myManager.change(width, height, depth);
    EXPECT_FALSE(myManager.isChanged());
    EXPECT_EQ(myRegistry, currentTriple());
}

TEST_F(DisplayModeManageTest, ApplyProvidedChangesAndDefaultRestores)
{
    DEVMODEA other;
    if (!findOtherMode(other))
        GTEST_SKIP() << "the display offers a single mode";
    FullscreenDisplayMode mode;
    myManager.apply(mode);
    EXPECT_FALSE(myManager.isChanged()) << "default without a change does nothing";
    EXPECT_EQ(myRegistry, currentTriple());

    mode.set(other.dmPelsWidth, other.dmPelsHeight, other.dmBitsPerPel);
    myManager.apply(mode);
    EXPECT_TRUE(myManager.isChanged());
    EXPECT_EQ(tripleOf(other), currentTriple());

    mode.id = FullscreenDisplayMode::DEFAULT;
    myManager.apply(mode);
    EXPECT_FALSE(myManager.isChanged());
    EXPECT_EQ(myRegistry, currentTriple());
}

TEST_F(DisplayModeManageTest, RestoreWithoutOwnChangeLeavesAnotherChangeAlone)
{
    DEVMODEA other;
    if (!findOtherMode(other))
        GTEST_SKIP() << "the display offers a single mode";
    ASSERT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsA(&other, CDS_FULLSCREEN));
    myManager.restore();
    EXPECT_EQ(tripleOf(other), currentTriple()) << "not this object's change";
}

TEST(DisplayModeManageInstance, IsOneForTheProcessWithItsListReady)
{
    DisplayModeManage* instance = DisplayModeManage::getInstance();
    ASSERT_NE(nullptr, instance);
    EXPECT_EQ(instance, DisplayModeManage::getInstance());
    EXPECT_FALSE(instance->getModes().empty());
}

int main(int argc, char** argv)
{
    return test::runTestsInVirtualDesktop(argc, argv);
}
