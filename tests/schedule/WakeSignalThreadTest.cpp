// The doorbell that ends a worker's sleep: no ring is lost, and one ring ends one wait.
#include "schedule/WakeSignal.h"

#include <gtest/gtest.h>

#include <atomic>
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

} // namespace
} // namespace kelvanto::test
