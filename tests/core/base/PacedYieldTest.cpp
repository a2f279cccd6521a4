#include "core/base/PacedYield.h"

#include <gtest/gtest.h>

namespace {

struct FakeClock
{
    qint64 now = 1'000'000;
    int looks = 0;
    std::function<qint64()> clock()
    {
        return [this] {
            ++looks;
            return now;
        };
    }
};

constexpr qint64 Interval = 10'000'000;

TEST(PacedYield, FirstCallAlwaysYields)
{
    FakeClock clock;
    int yields = 0;
    PacedYield yield([&] { ++yields; }, Interval, clock.clock());
    yield();
    EXPECT_EQ(yields, 1);
    EXPECT_EQ(yield.yields(), 1);
}

TEST(PacedYield, NoFurtherYieldWithinTheInterval)
{
    FakeClock clock;
    int yields = 0;
    PacedYield yield([&] { ++yields; }, Interval, clock.clock());
    for (int i = 0; i < 10'000; ++i) {
        yield();
        clock.now += 999; // 10 ms after about 10,000 calls
    }
    EXPECT_EQ(yields, 1);
}

TEST(PacedYield, YieldsAgainSoonAfterTheIntervalHasPassed)
{
    FakeClock clock;
    int yields = 0;
    PacedYield yield([&] { ++yields; }, Interval, clock.clock());
    yield();
    clock.now += Interval;
    int calls = 0;
    while (yields < 2 && calls < 1000) {
        yield();
        ++calls;
    }
    EXPECT_EQ(yields, 2);
    EXPECT_LE(calls, 16);
}

TEST(PacedYield, TheClockIsReadOnlyEveryFewCalls)
{
    FakeClock clock;
    PacedYield yield([] {}, Interval, clock.clock());
    for (int i = 0; i < 1600; ++i)
        yield();
    // 100 looks, plus one after the single yield.
    EXPECT_EQ(clock.looks, 101);
}

TEST(PacedYield, AStretchLooksOnceAndCountsItsCalls)
{
    FakeClock clock;
    int yields = 0;
    PacedYield yield([&] { ++yields; }, Interval, clock.clock());
    EXPECT_TRUE(yield.dueWithin(100)); // the first call yields
    yield();
    const int looks = clock.looks;
    EXPECT_FALSE(yield.dueWithin(100));
    EXPECT_EQ(clock.looks, looks + 1);
    clock.now += Interval;
    EXPECT_TRUE(yield.dueWithin(100));
    yield(); // the first call after a due stretch yields
    EXPECT_EQ(yields, 2);
}

TEST(PacedYield, TheIntervalCountsFromTheEndOfASlowYield)
{
    FakeClock clock;
    int yields = 0;
    PacedYield yield(
        [&] {
            ++yields;
            clock.now += 3 * Interval; // a repaint or another handler ran long
        },
        Interval, clock.clock());
    yield();
    for (int i = 0; i < 64; ++i)
        yield();
    EXPECT_EQ(yields, 1);
}

} // namespace
