// The doorbell that ends a worker's sleep: no ring is lost, and one ring ends one wait, a
// wait for a time on the wall clock included.
#include "schedule/WakeSignal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

namespace kelvanto::test
{
namespace
{

using namespace std::chrono_literals;

TEST(WakeSignal, KeepsARingUntilAWaitConsumesIt)
{
    WakeSignal signal;
    EXPECT_FALSE(signal.WaitFor(0ms));
    EXPECT_FALSE(signal.TakeRing());
    signal.Ring();
    signal.Ring(); // rings do not pile up
    EXPECT_TRUE(signal.WaitFor(10min));
    EXPECT_FALSE(signal.WaitFor(1ms));
    signal.Ring();
    EXPECT_TRUE(signal.TakeRing());
    EXPECT_FALSE(signal.TakeRing());
}

TEST(WakeSignal, ARingFromAnotherThreadEndsALongWait)
{
    for (int round = 0; round < 50; ++round) {
        WakeSignal signal;
        std::atomic<bool> woken {false};
        std::thread sleeper([&] { woken.store(signal.WaitFor(10min)); });
        if (round % 2 == 0)
            std::this_thread::sleep_for(1ms); // sometimes before, sometimes after it lies down
        signal.Ring();
        sleeper.join();
        EXPECT_TRUE(woken.load()) << round;
    }
}

TEST(WakeSignal, AWaitForAWallClockTimeEndsAtItOrAtARing)
{
    using System = std::chrono::system_clock;
    WakeSignal signal;
    EXPECT_FALSE(signal.WaitUntil(System::now() - 1h)); // a past time ends the wait at once
    EXPECT_FALSE(signal.WaitUntil(System::time_point {}));
    const auto deadline = System::now() + 20ms;
    EXPECT_FALSE(signal.WaitUntil(deadline));
    EXPECT_GE(System::now(), deadline);
    signal.Ring();
    EXPECT_TRUE(signal.WaitUntil(System::now() + 10min));
    for (const bool timed : {false, true}) {
        std::atomic<bool> woken {false};
        std::thread sleeper(
            [&] { woken.store(signal.WaitUntil(timed ? std::optional(System::now() + 10min) : std::nullopt)); });
        std::this_thread::sleep_for(1ms);
        signal.Ring();
        sleeper.join();
        EXPECT_TRUE(woken.load()) << timed;
    }
}

} // namespace
} // namespace kelvanto::test
