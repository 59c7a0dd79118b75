// The timer service under Wine. Timing checks compare against the spread between the
// two outcomes they tell apart, never against a speed target.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/SimpleTimer.h"
#include "app/tests/MessagePump.h"

namespace qm {
namespace {

using test::Now;
using test::PumpFor;
using test::PumpUntil;

TEST(SimpleTimer, ConstructionNeverStartsAndIntervalZeroCannotStart) {
    TSimpleTimer plain;
    EXPECT_EQ(plain.Interval(), 1000u);
    EXPECT_FALSE(plain.Enabled());
    EXPECT_FALSE(plain.OnTimer());
    EXPECT_FALSE(plain.Stop(true));  // the platform has no such timer

    int ticks = 0;
    TSimpleTimer zero(0, [&](TSimpleTimer*) { ++ticks; });
    zero.SetEnabled(true);
    EXPECT_FALSE(zero.Enabled());
    EXPECT_FALSE(zero.Start());
    PumpFor(100);
    EXPECT_EQ(ticks, 0);
}

TEST(SimpleTimer, RewritingTheIntervalRestartsThePeriodOnlyWhenItChanges) {
    ULONGLONG sameTick = 0, newTick = 0;
    TSimpleTimer same(1500, [&](TSimpleTimer* t) {
        if (!sameTick) sameTick = Now();
        t->Stop(true);
    });
    TSimpleTimer changed(1500, [&](TSimpleTimer* t) {
        if (!newTick) newTick = Now();
        t->Stop(true);
    });
    const ULONGLONG start = Now();
    ASSERT_TRUE(same.Start());
    ASSERT_TRUE(changed.Start());
    PumpFor(750);
    const ULONGLONG rewrite = Now();
    same.SetInterval(1500);
    changed.SetInterval(1600);
    EXPECT_TRUE(changed.Enabled());
    ASSERT_TRUE(PumpUntil([&] { return sameTick && newTick; }, 8000));
    // Kept period: due at start + 1500; a restart would make it rewrite + 1500.
    EXPECT_LT(sameTick, rewrite + 1500 - 200) << "same interval restarted the period";
    EXPECT_GE(sameTick + 20, start + 1500);
    // New period from the rewrite, not from the start.
    EXPECT_GE(newTick + 20, rewrite + 1600);
}

TEST(SimpleTimer, PausedTimerStaysEnabledAndOnlyANewIntervalResumesIt) {
    int ticks = 0;
    TSimpleTimerEvent count = [&](TSimpleTimer*) { ++ticks; };
    TSimpleTimer timer(30, count);
    ASSERT_TRUE(timer.Start());
    ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }, 3000));
    // No tick while paused, and ticks again after a new interval.
    const auto pausedUntil = [&](std::uint32_t interval) {
        PumpFor(50);
        ticks = 0;
        PumpFor(200);
        EXPECT_EQ(ticks, 0);
        timer.SetInterval(interval);
        return PumpUntil([&] { return ticks > 0; }, 3000);
    };

    timer.SetInterval(0);
    EXPECT_TRUE(timer.Enabled());
    ASSERT_TRUE(pausedUntil(30));

    timer.SetOnTimer(nullptr);
    EXPECT_TRUE(timer.Enabled());
    timer.SetOnTimer(count);  // does not resume
    EXPECT_TRUE(pausedUntil(40));

    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_FALSE(timer.Stop(false));
}

TEST(SimpleTimer, TimersTickIndependentlyAndTheSharedWindowGoesWithTheLast) {
    ASSERT_EQ(TSimpleTimerHandler::Instance(), nullptr);
    int aTicks = 0, bTicks = 0;
    auto a = std::make_unique<TSimpleTimer>(30, [&](TSimpleTimer*) { ++aTicks; });
    auto b = std::make_unique<TSimpleTimer>(30, [&](TSimpleTimer*) { ++bTicks; });
    ASSERT_NE(TSimpleTimerHandler::Instance(), nullptr);
    EXPECT_EQ(TSimpleTimerHandler::Instance()->RefCount(), 2);
    EXPECT_NE(a->Id(), b->Id());
    a->SetEnabled(true);
    b->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return aTicks >= 3 && bTicks >= 3; }, 5000));

    a.reset();
    const int bBefore = bTicks;
    ASSERT_TRUE(PumpUntil([&] { return bTicks >= bBefore + 3; }, 5000));
    EXPECT_EQ(TSimpleTimerHandler::Instance()->RefCount(), 1);

    HWND first = TSimpleTimerHandler::Instance()->Handle();
    b.reset();
    EXPECT_EQ(TSimpleTimerHandler::Instance(), nullptr);
    EXPECT_FALSE(IsWindow(first));

    int cTicks = 0;
    TSimpleTimer c(30, [&](TSimpleTimer*) { ++cTicks; });
    ASSERT_NE(TSimpleTimerHandler::Instance(), nullptr);
    EXPECT_TRUE(IsWindow(TSimpleTimerHandler::Instance()->Handle()));
    c.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return cTicks >= 2; }, 5000));
}

TEST(SimpleTimer, TickQueuedForADestroyedTimerIsDropped) {
    TSimpleTimer keeper;  // keeps the shared window
    HWND window = TSimpleTimerHandler::Instance()->Handle();
    int goneTicks = 0;
    auto gone = std::make_unique<TSimpleTimer>(1, [&](TSimpleTimer*) { ++goneTicks; });
    const UINT_PTR id = gone->Id();
    gone->SetEnabled(true);
    Sleep(50);  // ticks fall due with nobody handling them
    gone.reset();
    PostMessageA(window, WM_TIMER, id, 0);
    PumpFor(100);
    EXPECT_EQ(goneTicks, 0);

    // The identifier is not handed on: a message meant for the old timer does not
    // tick a new one.
    int newTicks = 0;
    TSimpleTimer next(100000, [&](TSimpleTimer*) { ++newTicks; });
    EXPECT_NE(next.Id(), id);
    PostMessageA(window, WM_TIMER, id, 0);
    PumpFor(50);
    EXPECT_EQ(newTicks, 0);
    SendMessageA(window, WM_TIMER, next.Id(), 0);
    EXPECT_EQ(newTicks, 1);
}

TEST(SimpleTimer, CallbackMayDestroyItsOwnTimer) {
    std::unique_ptr<TSimpleTimer> once;
    int ticks = 0;
    once = std::make_unique<TSimpleTimer>(10, [&](TSimpleTimer* sender) {
        EXPECT_EQ(sender, once.get());
        ++ticks;
        once.reset();
    });
    once->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return !once; }, 3000));
    PumpFor(60);
    EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace qm
