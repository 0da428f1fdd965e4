#include "model/AtomicFileSet.h"

#include "model/UniqueFd.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanto
{

namespace
{

constexpr int kMaxKeptNameTries = 100;

struct Step
{
    const FileChange* change = nullptr;
    std::string temporary; // the new file before its rename; empty for a removal
    std::string kept; // the old file's second name; empty when there was no old file
    bool done = false; // the target has changed
};

std::string FolderOf(const std::filesystem::path& target)
{
    const std::filesystem::path folder = target.parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

std::string Failure(const std::filesystem::path& target, int error)
{
    return "Cannot write " + target.string() + ": " + std::strerror(error);
}

Result<std::string> WriteTemporary(const FileChange& change, const FileSetCalls& calls)
{
    const std::string folder = FolderOf(change.target);
    std::string path = folder + "/.kelvanto-tmp-XXXXXX";
    UniqueFd file(::mkstemp(path.data()));
    if (!file.valid())
        return Error {Failure(change.target, errno) + " (a temporary file in " + folder + ")"};
    const auto failed = [&](int error) {
        calls.unlink(path.c_str());
        return Error {Failure(change.target, error)};
    };
    if (::fchmod(file.get(), S_IRUSR | S_IWUSR) != 0)
        return failed(errno);
    const std::string& bytes = *change.bytes;
    std::size_t written = 0;
    while (written < bytes.size()) {
        const long result = calls.write(file.get(), bytes.data() + written, bytes.size() - written);
        if (result < 0 && errno == EINTR)
            continue;
        if (result < 0)
            return failed(errno);
        if (result == 0)
            return failed(ENOSPC);
        written += static_cast<std::size_t>(result);
    }
    if (calls.fsync(file.get()) != 0 || !file.close())
        return failed(errno);
    return path;
}

// Keeps the existing target under a new name in its folder; an empty name when there is
// no target.
Result<std::string> KeepOld(const std::filesystem::path& target, const FileSetCalls& calls)
{
    static std::atomic<unsigned long> counter {0};
    struct stat info
    { };
    if (::lstat(target.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return std::string();
        return Error {Failure(target, errno)};
    }
    if (S_ISDIR(info.st_mode))
        return Error {Failure(target, EISDIR)};
    for (int attempt = 0; attempt < kMaxKeptNameTries; ++attempt) {
        const std::string kept = FolderOf(target) + "/.kelvanto-tmp-" + std::to_string(::getpid()) + "-"
            + std::to_string(counter.fetch_add(1)) + "-old";
        if (calls.link(target.c_str(), kept.c_str()) == 0)
            return kept;
        if (errno != EEXIST)
            return Error {Failure(target, errno)};
    }
    return Error {Failure(target, EEXIST)};
}

// Puts the old files of the changed targets back, last first, and removes what is left of
// the set; the text of every target that could not be put back.
std::string Undo(std::vector<Step>& steps, const FileSetCalls& calls)
{
    std::string unrestored;
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        const std::string target = step->change->target.string();
        if (step->done) {
            const bool back = step->kept.empty() ? calls.unlink(target.c_str()) == 0 || errno == ENOENT
                                                 : calls.rename(step->kept.c_str(), target.c_str()) == 0;
            if (!back)
                unrestored += "; " + target + " could not be put back (" + std::strerror(errno) + ")";
            else
                step->kept.clear();
        }
        if (!step->temporary.empty())
            calls.unlink(step->temporary.c_str());
        if (!step->kept.empty() && !step->done)
            calls.unlink(step->kept.c_str());
    }
    return unrestored;
}

} // namespace

FileSetCalls FileSetCalls::Posix()
{
    return FileSetCalls {
        [](int fd, const char* data, std::size_t size) { return static_cast<long>(::write(fd, data, size)); },
        [](int fd) { return ::fsync(fd); },
        [](const char* from, const char* to) { return ::link(from, to); },
        [](const char* from, const char* to) { return std::rename(from, to); },
        [](const char* path) { return ::unlink(path); },
    };
}

Result<void> ReplaceFilesTogether(const std::vector<FileChange>& changes, const FileSetCalls& calls)
{
    std::vector<Step> steps;
    steps.reserve(changes.size());
    const auto fail = [&](const std::string& error) -> Result<void> { return Error {error + Undo(steps, calls)}; };

    for (const FileChange& change : changes) {
        if (change.target.empty())
            return fail("No file name was given.");
        Step& step = steps.emplace_back();
        step.change = &change;
        if (change.bytes) {
            auto written = WriteTemporary(change, calls);
            if (!written)
                return fail(written.error());
            step.temporary = std::move(*written);
        }
    }
    for (Step& step : steps) {
        auto kept = KeepOld(step.change->target, calls);
        if (!kept)
            return fail(kept.error());
        step.kept = std::move(*kept);
    }
    for (Step& step : steps) {
        const std::string target = step.change->target.string();
        if (!step.temporary.empty()) {
            if (calls.rename(step.temporary.c_str(), target.c_str()) != 0)
                return fail(Failure(target, errno));
            step.temporary.clear();
        } else if (!step.kept.empty() && calls.unlink(target.c_str()) != 0) {
            return fail(Failure(target, errno));
        }
        step.done = true;
    }

    // Every target is in place: the old files are not needed any more, and the renames are
    // made durable (a folder that cannot be flushed does not undo a change already made).
    std::set<std::string> folders;
    for (const Step& step : steps) {
        if (!step.kept.empty())
            calls.unlink(step.kept.c_str());
        folders.insert(FolderOf(step.change->target));
    }
    for (const std::string& folder : folders) {
        UniqueFd directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (directory.valid())
            calls.fsync(directory.get());
    }
    return Ok();
}

} // namespace kelvanto
