#include "TestApplication.h"

namespace test {

TestApplication::TestApplication(int showCommand)
    : par::UiApplication(GetModuleHandleA(nullptr), nullptr, L"", showCommand)
{
}

par::Window* TestApplication::createMainWindow()
{
    return mainWindowFactory ? mainWindowFactory() : nullptr;
}

bool TestApplication::onInit()
{
    ++inits;
    const bool result = par::UiApplication::onInit();
    if (onInitHook)
        onInitHook();
    return result;
}

void TestApplication::onExit()
{
    ++exits;
    par::UiApplication::onExit();
}

} // namespace test
