#include "WindowTestSupport.h"
#include "base/EventLoopYield.h"
#include "shell/CloseProgram.h"
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tw;

namespace {

TEST(YieldTest, AMillionYieldsWithNothingPendingCostWellUnderASecond) {
    twtest::ensureApplication();
    ProgramEnd end;
    EventLoopYield yield(end);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 1'000'000; ++i)
        yield.DoEvents();
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST(YieldTest, PendingWorkRunsWithinTheInterval) {
    twtest::ensureApplication();
    ProgramEnd end;
    EventLoopYield yield(end);
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    QElapsedTimer clock;
    clock.start();
    while (!ran && clock.elapsed() < 1000)
        yield.DoEvents();
    EXPECT_TRUE(ran);
    EXPECT_LT(clock.elapsed(), 100);
}

TEST(YieldTest, ClosingTheProgramDuringAYieldEndsTheWorkAtThatYield) {
    twtest::ensureApplication();
    ProgramEnd end;
    EventLoopYield yield(end, 0);
    QWidget window;
    window.show();
    QTimer::singleShot(0, [&] { closeProgram(end); });
    int yields = 0;
    try {
        while (yields < 1000) {
            ++yields;
            yield.DoEvents();
        }
        ADD_FAILURE() << "the work went on after the program was closed";
    } catch (const ProgramEnding&) {
    }
    EXPECT_LE(yields, 2);
    EXPECT_FALSE(window.isVisible());
    EXPECT_THROW(yield.DoEvents(), ProgramEnding);
}

}
