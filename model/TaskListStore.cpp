#include "model/TaskListStore.h"

#include "model/AtomicFile.h"
#include "model/BinaryReader.h"
#include "model/BinaryWriter.h"
#include "model/FileBytes.h"
#include "model/FileFormat.h"
#include "model/TaskRecordReader.h"
#include "model/TaskRecordWriter.h"

#include <mutex>
#include <system_error>

namespace kelvanto
{

namespace
{

// A record holds at least its start and end marks.
constexpr std::size_t kMinRecordSize = 8;

Error Damaged(const std::string& detail)
{
    return Error {"The task file is damaged: " + detail + "."};
}

void WriteTaskList(BinaryWriter& writer, const std::vector<Task>& tasks)
{
    writer.writeU32(fileformat::kMagic);
    writer.writeCount(tasks.size());
    for (const Task& task : tasks)
        WriteTaskRecord(writer, task);
}

} // namespace

std::string SerializeTaskList(const std::vector<Task>& tasks)
{
    BinaryWriter writer;
    WriteTaskList(writer, tasks);
    return std::move(writer).take();
}

Result<std::vector<Task>> ParseTaskList(std::string_view bytes)
{
    BinaryReader reader(bytes);
    std::uint32_t magic = 0;
    if (!reader.readU32(magic))
        return Error {"This is not a task file: it is shorter than its 4-byte header."};

    TaskFileLayout layout = TaskFileLayout::Current;
    switch (magic) {
    case fileformat::kMagic:
        layout = TaskFileLayout::Current;
        break;
    case fileformat::kLegacyMagicC0:
        layout = TaskFileLayout::LegacyC0;
        break;
    case fileformat::kLegacyMagicBA:
        layout = TaskFileLayout::LegacyBA;
        break;
    case fileformat::kLegacyMagicAC:
    case fileformat::kLegacyMagicB0:
        return Error {"This task file was written by a very old version whose layout cannot be read."};
    default:
        return Error {"This is not a task file."};
    }

    std::int32_t count = 0;
    if (!reader.readCount(count, kMinRecordSize))
        return Damaged(reader.error());

    std::vector<Task> tasks;
    for (std::int32_t i = 0; i < count; ++i) {
        std::uint32_t startMark = 0;
        if (!reader.readU32(startMark))
            return Damaged(reader.error());
        // A wrong record mark discards the whole file, and the caller keeps its list.
        if (startMark != magic)
            return std::vector<Task> {};
        Task task;
        if (!ReadTaskFields(reader, layout, task))
            return Damaged(reader.error());
        task.runNow = 0;
        task.status = TaskStatus::Stopped;
        std::uint32_t endMark = 0;
        if (!reader.readU32(endMark))
            return Damaged(reader.error());
        if (endMark != magic)
            return std::vector<Task> {};
        tasks.push_back(std::move(task));
    }
    return tasks;
}

Result<void> SaveTaskListFile(const std::filesystem::path& path, const std::vector<Task>& tasks)
{
    if (path.empty())
        return Error {"No task file name was given."};

    // One save at a time, whichever thread it comes from.
    static std::mutex saveMutex;
    const std::lock_guard<std::mutex> lock(saveMutex);

    if (tasks.empty())
        return RemoveFileOfEmptyList(path, "the task list");

    auto bytes = TaskListFileBytes(tasks);
    if (!bytes)
        return Error {bytes.error()};
    return WriteFileAtomically(path, *bytes);
}

Result<std::string> TaskListFileBytes(const std::vector<Task>& tasks)
{
    BinaryWriter writer;
    WriteTaskList(writer, tasks);
    if (writer.overflowed())
        return Error {"Cannot save the task list: a text or list of a task is too long for the task file."};
    return std::move(writer).take();
}

Result<std::vector<Task>> LoadTaskListFile(const std::filesystem::path& path)
{
    if (path.empty())
        return Error {"No task file name was given."};
    Result<std::string> bytes = ReadFileBytes(path);
    if (!bytes)
        return Error {bytes.error()};
    Result<std::vector<Task>> tasks = ParseTaskList(*bytes);
    if (!tasks)
        return Error {path.string() + ": " + tasks.error()};
    return tasks;
}

} // namespace kelvanto
