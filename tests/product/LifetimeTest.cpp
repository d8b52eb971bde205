#include "ProductTestBase.h"

#include "MessagePump.h"

#include "swfwindow/InfiniteLoopMonitor.h"
#include "swfwindow/SwfWindow.h"

#include "winui/Container.h"

using test::ProductTestBase;

namespace {

class LifetimeTest : public ProductTestBase {};

} // namespace

// Both programs nest the host into a window that outlives the facade.
TEST_F(LifetimeTest, FacadeTakesItsNestedHostAlongBeforeTheHandler)
{
    installMovie(L"late.movie");
    makeSkyvane();
    par::Container main(par::Container::NO_BACKGROUND, WS_OVERLAPPEDWINDOW, 0);
    main.addChild(mySkyvane->createFlashHost());
    SwfWindow* swf = mySkyvane->getSwfWindow();
    ASSERT_NE(nullptr, swf);
    const HWND swfHandle = swf->getHandle();
    ASSERT_TRUE(pumpUntil([&] { return myHandlerLog.movieReady == 1; }));
    ASSERT_TRUE(swf->getInfiniteLoopMonitor()->isEnabled());

    bool movieWindowAtHandlerDeletion = true;
    Skyvane* instanceAtHandlerDeletion = mySkyvane.get();
    myHandlerLog.onDelete = [&] {
        movieWindowAtHandlerDeletion = IsWindow(swfHandle) != FALSE;
        instanceAtHandlerDeletion = Skyvane::instance();
    };
    mySkyvane.reset();

    EXPECT_FALSE(movieWindowAtHandlerDeletion);
    EXPECT_EQ(nullptr, instanceAtHandlerDeletion);
    EXPECT_EQ(nullptr, Skyvane::instance());
    EXPECT_TRUE(main.getChildren().empty());

    // The movie's timed events come due after the facade went: with the
    // movie window gone they reach nothing.
    test::pumpMessages(800);
    EXPECT_EQ(1, myHandlerLog.movieReady);
    EXPECT_EQ(0, myHandlerLog.shutdownDone);
    EXPECT_EQ(1, myHandlerLog.handlersDeleted);
}
