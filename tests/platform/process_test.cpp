// Tests of the processors a run may use: taskset and containers narrow them below the machine's.
#include <sched.h>

#include <gtest/gtest.h>

#include <thread>

#include "platform/platform.h"

namespace tanmira::platform {
namespace {

TEST(UsableProcessorsTest, FollowTheAffinity) {
    cpu_set_t all;
    ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    EXPECT_EQ(UsableProcessors(), static_cast<unsigned>(CPU_COUNT(&all)));
    int first = 0;
    while (!CPU_ISSET(first, &all))
        ++first;
    // On a thread of its own, so that the test's own affinity stays as it is.
    unsigned pinned = 0;
    std::thread([&] {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(first, &one);
        if (sched_setaffinity(0, sizeof one, &one) == 0)
            pinned = UsableProcessors();
    }).join();
    EXPECT_EQ(pinned, 1u);
}

}  // namespace
}  // namespace tanmira::platform
