#include "model/ConnectionTimeouts.h"

namespace kelvanto
{

ConnectionTimeouts InteractiveTimeouts()
{
    return ConnectionTimeouts {kDefaultConnectTimeout, kDefaultReadWriteTimeout, kDefaultReadWriteTimeout, 0};
}

ConnectionTimeouts RunTimeouts(TaskType type, const TimeoutSettings& settings)
{
    const bool statements = type == TaskType::ExecuteScript || type == TaskType::RestoreFromFiles;
    const std::int32_t readWrite = statements ? 0 : kDefaultReadWriteTimeout;
    return ConnectionTimeouts {settings.connect.value_or(kDefaultConnectTimeout), settings.read.value_or(readWrite),
        settings.write.value_or(readWrite), settings.lockWait.value_or(kDefaultLockWaitTimeout)};
}

} // namespace kelvanto
