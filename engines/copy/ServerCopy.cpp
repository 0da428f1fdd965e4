#include "engines/copy/ServerCopy.h"

#include "engines/copy/ServerCopyRun.h"
#include "engines/run/WatchedConnection.h"

#include <utility>

namespace kelvanto
{

RunOutcome RunServerCopy(RunContext& context, const Connector& connector)
{
    const Connector watched = WatchConnections(context, connector);
    ServerCopyRun run(context, watched);
    return run.Run();
}

Engine MakeServerCopyEngine(Connector connector)
{
    Engine engine;
    engine.run = [connector = std::move(connector)](RunContext& context) { return RunServerCopy(context, connector); };
    return engine;
}

} // namespace kelvanto
