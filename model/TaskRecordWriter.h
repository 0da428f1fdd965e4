#pragma once

#include "model/BinaryWriter.h"
#include "model/Task.h"

namespace kelvanto
{

// Appends one task as a record of the current task list layout, start and end marks included.
void WriteTaskRecord(BinaryWriter& writer, const Task& task);

// Appends one server connection block of the current layout (also the server list's profile record).
void WriteServerConnection(BinaryWriter& writer, const ServerConnection& server);

void WriteTimeStamp(BinaryWriter& writer, const TimeStamp& time);

} // namespace kelvanto
