#include "app/TaskExtrasGuard.h"

#include <utility>

namespace kelvanto
{

EngineTable GuardTaskExtras(EngineTable engines)
{
    for (auto& [type, engine] : engines) {
        if (!engine.run)
            continue;
        engine.run = [run = std::move(engine.run)](RunContext& context) {
            const Task task = context.TaskCopy();
            if (task.extras.unreadable) {
                context.Log(LogLevel::Error, UnreadableExtrasLine(*task.extras.unreadable));
                return RunOutcome::Failed;
            }
            return run(context);
        };
    }
    return engines;
}

std::string UnreadableExtrasLine(const UnreadableExtras& unreadable)
{
    return "The extra settings of this task cannot be read (" + unreadable.problem
        + "): it does not run without them. Mend the task extras file, then load the task list again.";
}

} // namespace kelvanto
