#include "engines/export/ExportTables.h"

#include "engines/export/ExportTablesRun.h"
#include "engines/run/WatchedConnection.h"

#include <utility>

namespace kelvanto
{

RunOutcome RunExportTables(RunContext& context, const Connector& connector)
{
    FileSink files;
    return RunExportTables(context, connector, files);
}

RunOutcome RunExportTables(RunContext& context, const Connector& connector, FileSink& sink)
{
    const Connector watched = WatchConnections(context, connector);
    ExportTablesRun run(context, watched, sink);
    return run.Run();
}

Engine MakeExportTablesEngine(Connector connector)
{
    Engine engine;
    engine.run
        = [connector = std::move(connector)](RunContext& context) { return RunExportTables(context, connector); };
    return engine;
}

} // namespace kelvanto
