#pragma once

#include "engines/sql/DumpText.h"
#include "model/Task.h"
#include "mysql/ServerFeatures.h"

namespace kelvanto
{

// What a copy derives from the task's settings and the versions of its two servers, fixed
// once both connections stand.
struct ServerCopySwitches
{
    ServerFeatures source;
    ServerFeatures destination;
    bool nameQuoting = false; // quoteNames, and the source takes backquotes
    bool sourceShowCreate = false; // the source can describe tables and views
    bool columnQuoting = false; // allowKeywordColumns, and the destination takes backquotes
    bool keyDisabling = false; // disableKeys, and the destination has DISABLE KEYS (4.0)
    // The SET lines that open and close the destination session, each already limited to the
    // destination versions that know it; serverCharset is filled in once it is known.
    DumpSessionOptions session;

    static ServerCopySwitches Derive(
        const BackupSettings& settings, unsigned long sourceVersion, unsigned long destinationVersion);
};

} // namespace kelvanto
