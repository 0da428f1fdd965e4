#include "engines/copy/ServerCopySwitches.h"

namespace kelvanto
{

ServerCopySwitches ServerCopySwitches::Derive(
    const BackupSettings& settings, unsigned long sourceVersion, unsigned long destinationVersion)
{
    ServerCopySwitches switches;
    switches.source = ServerFeatures::ForVersion(sourceVersion);
    switches.destination = ServerFeatures::ForVersion(destinationVersion);
    switches.nameQuoting = settings.quoteNames == 1 && switches.source.quoteNames;
    switches.sourceShowCreate = switches.source.showCreate;
    switches.columnQuoting = settings.allowKeywordColumns == 1 && switches.destination.quoteNames;
    switches.keyDisabling = settings.disableKeys == 1 && destinationVersion >= 40000;

    DumpSessionOptions& session = switches.session;
    session.addSetNames = settings.addSetNames == 1 && destinationVersion > 40099;
    session.addUniqueChecks = settings.addUniqueChecks == 1 && destinationVersion > 32351;
    session.addForeignKeyChecks = settings.addForeignKeyChecks == 1 && destinationVersion > 32351;
    session.sqlModeLines = destinationVersion > 40100;
    session.addSqlNotes = settings.addSqlNotes == 1 && destinationVersion > 40110;
    // Both sessions are put in UTC right after connecting; the time zone needs no SET lines here.
    session.utcSession = false;
    return switches;
}

} // namespace kelvanto
