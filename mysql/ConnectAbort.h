#pragma once

#include "model/UniqueFd.h"
#include "schedule/RunContext.h"

#include <atomic>

namespace kelvanto
{

// Ends a connection attempt from any thread. The attempt polls Descriptor() beside its
// socket; Cancel() makes it readable, and the attempt gives up at once. Registered with a
// run while the run connects, so that a stop ends the attempt as soon as it is requested.
class ConnectAbort final : public Cancellable
{
public:
    ConnectAbort();

    void Cancel() noexcept override;
    bool CancelOnQuit() const noexcept override { return true; }

    // Readable once cancelled; -1 when none could be made (the attempt then still ends by its
    // time-out, and at its next wake-up after a cancel).
    int Descriptor() const { return m_event.get(); }
    bool Cancelled() const { return m_cancelled.load(); }

private:
    UniqueFd m_event;
    std::atomic<bool> m_cancelled {false};
};

} // namespace kelvanto
