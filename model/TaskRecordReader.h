#pragma once

#include "model/BinaryReader.h"
#include "model/Task.h"

namespace kelvanto
{

// The task list layouts that can be read; the program writes only Current.
enum class TaskFileLayout {
    Current,
    LegacyC0, // plain strings, legacy server blocks, reduced settings, backup history
    LegacyBA, // as LegacyC0 with fewer backup settings and no backup history
};

// Reads the fields of one task record, between its start and end marks, in the given
// layout into task (which starts from the defaults). Fields a layout lacks keep their
// defaults. Returns reader.ok(); on failure the reader's error tells what went wrong.
bool ReadTaskFields(BinaryReader& reader, TaskFileLayout layout, Task& task);

// One server connection block: the current layout (key 0x6E, connectionName, reserved
// byte) or the legacy one (legacy key, no connectionName, no reserved byte).
bool ReadServerConnection(BinaryReader& reader, bool legacy, ServerConnection& server);

bool ReadTimeStamp(BinaryReader& reader, TimeStamp& time);

} // namespace kelvanto
