#pragma once

#include "ui/Notifier.h"

#include <vector>

namespace kelvanto::test
{

// Records the notifications instead of showing them; a test clicks one by calling its
// `clicked`.
class RecordingNotifier final : public Notifier
{
public:
    void notify(const Notification& notification) override { shown.push_back(notification); }

    std::vector<Notification> shown;
};

} // namespace kelvanto::test
