#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace kelvanto::test
{

// Polls until pred holds; the limit only keeps a broken build from hanging.
inline bool WaitUntil(const std::function<bool()>& pred, std::chrono::seconds limit = std::chrono::seconds(60))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace kelvanto::test
