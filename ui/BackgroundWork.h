#pragma once

#include <functional>
#include <optional>
#include <utility>

class QWidget;

namespace kelvanto
{

// Runs work on a thread of its own and returns when it is done, while the event loop goes on:
// the windows keep painting and moving, timers keep firing. Meanwhile the busy widget (the
// dialog that asked) is disabled and cannot be closed, and the cursor is the wait cursor.
// The thread ends with the client library's per-thread clean-up, so work may connect to
// servers. Calls nest safely.
void runOffUiThread(QWidget* busy, const std::function<void()>& work);

// True on the user-interface thread while a RunOffUiThread call waits there (its event loop
// runs, but the caller is in the middle of its work).
bool waitingOffUiThread();

// The same for work that returns a value.
template <typename T>
T runOffUiThread(QWidget* busy, const std::function<T()>& work)
{
    std::optional<T> result;
    runOffUiThread(busy, std::function<void()>([&] { result.emplace(work()); }));
    return std::move(*result);
}

} // namespace kelvanto
