// Tests of the timer's assignment rules and of the random generator.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "banner/random.h"
#include "fakes.h"

namespace tanmira {
namespace {

using testing::FakeClock;

struct TimerTest : ::testing::Test {
    FakeClock clock;
    std::unique_ptr<TTimer> timer = clock.Factory()();
    std::vector<long long> ticks;

    void Start(int interval) {
        timer->SetInterval(interval);
        timer->SetOnTimer([this] { ticks.push_back(clock.now); });
        timer->SetEnabled(true);
    }
};

TEST_F(TimerTest, AssigningTheSameValueLeavesTheRunningPeriodAlone) {
    Start(100);
    clock.Advance(60);
    timer->SetInterval(100);
    timer->SetEnabled(true);
    clock.Advance(240);
    EXPECT_EQ(ticks, (std::vector<long long>{100, 200, 300}));
}

TEST_F(TimerTest, AssigningADifferentValueRestartsAFullPeriodLater) {
    Start(100);
    clock.Advance(60);
    timer->SetInterval(50);
    clock.Advance(120);
    EXPECT_EQ(ticks, (std::vector<long long>{110, 160}));
}

TEST_F(TimerTest, DisabledZeroIntervalOrNoHandlerDoesNotTick) {
    timer->SetInterval(10);
    timer->SetEnabled(true);  // no handler yet
    clock.Advance(50);
    Start(0);
    clock.Advance(50);
    timer->SetInterval(10);
    timer->SetEnabled(false);
    clock.Advance(50);
    EXPECT_TRUE(ticks.empty());
}

TEST_F(TimerTest, ARefusedTimerRaisesOutOfResources) {
    Start(100);
    clock.refuse = true;
    try {
        timer->SetInterval(200);
        FAIL() << "no error raised";
    } catch (const EOutOfResources& error) {
        EXPECT_STREQ(error.what(), "タイマーを取得できません");
    }
    timer->SetEnabled(false);  // stopping needs nothing from the system
    clock.Advance(1000);
    EXPECT_TRUE(ticks.empty());
}

TEST(Random, FollowsTheCongruentialRuleForFixedSeeds) {
    struct Case {
        std::uint32_t seed, n;
        std::vector<std::uint32_t> expected;
        std::uint32_t finalSeed;
    };
    const Case cases[] = {
        {0, 100, {0, 3, 86, 20, 27}, 1172187917u},
        {12345, 10, {3, 2, 0, 5, 6, 3, 4, 0}, 340655249u},
        {0xFFFFFFFFu, 0x80000000u, {2080095742u, 433171958u, 1115652049u}, 2231304098u},
        {0, 0, {0}, 1u},
    };
    for (const Case& c : cases) {
        SetRandSeed(c.seed);
        std::vector<std::uint32_t> drawn;
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            drawn.push_back(Random(c.n));
        EXPECT_EQ(drawn, c.expected) << "seed " << c.seed;
        EXPECT_EQ(RandSeed(), c.finalSeed) << "seed " << c.seed;
    }
}

TEST(Random, SeedIsTheMillisecondsSinceMidnightUtc) {
    using namespace std::chrono;
    const sys_days day = year(2026) / 12 / 7;
    EXPECT_EQ(
        MillisecondsSinceMidnightUtc(day + hours(1) + minutes(2) + seconds(3) + milliseconds(4)),
        3723004u);
    EXPECT_EQ(MillisecondsSinceMidnightUtc(day), 0u);
    EXPECT_EQ(MillisecondsSinceMidnightUtc(day - milliseconds(1)), 86399999u);
}

}  // namespace
}  // namespace tanmira
