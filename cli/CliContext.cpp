#include "cli/CliContext.h"

#include <ostream>

namespace kelvanto
{

CliContext::CliContext(std::ostream& outStream, std::ostream& errStream, std::istream& inStream)
    : out(outStream)
    , err(errStream)
    , in(inStream)
{ }

std::optional<DataFolder> CliContext::LocateFolder()
{
    auto located = DataFolder::Locate(dataDir, env);
    if (!located) {
        Fail(located.error());
        return std::nullopt;
    }
    auto folder = DataFolder::Prepare(*located);
    if (!folder) {
        Fail(folder.error());
        return std::nullopt;
    }
    return std::move(*folder);
}

std::unique_ptr<Application> CliContext::OpenApplication(
    TaskServerOwner* observer, Access access, const std::string& verb)
{
    auto folder = LocateFolder();
    if (!folder)
        return nullptr;
    if (access == Access::Change) {
        // Taken before anything is read, so that the task list read is the one left by
        // the previous holder and no scheduler can start and save over this command's work.
        auto lock = DataFolderLock::Acquire(folder->Root(), "kelvanto-cli " + verb);
        if (!lock) {
            Fail(lock.error());
            return nullptr;
        }
        folderLock = std::move(*lock);
    }
    auto app = Application::Open(*folder, clock, engines ? engines() : EngineTable {}, observer);
    if (!app) {
        Fail(app.error());
        return nullptr;
    }
    return std::move(*app);
}

void CliContext::Fail(const std::string& message)
{
    err << "kelvanto-cli: " << message << "\n";
}

} // namespace kelvanto
