#include "model/ServerListStore.h"

#include "model/AtomicFile.h"
#include "model/BinaryReader.h"
#include "model/BinaryWriter.h"
#include "model/FileBytes.h"
#include "model/FileFormat.h"
#include "model/TaskRecordReader.h"
#include "model/TaskRecordWriter.h"

namespace kelvanto
{

std::string SerializeServerList(const ServerList& list)
{
    BinaryWriter writer;
    writer.writeU32(fileformat::kMagic);
    for (const ServerConnection& profile : list.profiles())
        WriteServerConnection(writer, profile);
    return std::move(writer).take();
}

Result<void> ParseServerList(std::string_view bytes, ServerList& list)
{
    list.clear();
    BinaryReader reader(bytes);
    std::uint32_t magic = 0;
    if (!reader.readU32(magic))
        return Error {"This is not a server list file: it is shorter than its 4-byte header."};
    bool legacy = false;
    if (magic == fileformat::kLegacyMagicBA)
        legacy = true;
    else if (magic != fileformat::kMagic)
        return Error {"This is not a server list file."};

    ServerList loaded;
    while (!reader.atEnd()) {
        ServerConnection profile;
        if (!ReadServerConnection(reader, legacy, profile))
            return Error {"The server list file is damaged: " + reader.error() + "."};
        if (profile.connectionName.empty())
            profile.connectionName = profile.host;
        loaded.add(std::move(profile));
    }
    list = std::move(loaded);
    return Ok();
}

Result<void> LoadServerListFile(const std::filesystem::path& path, ServerList& list)
{
    list.clear();
    Result<std::string> bytes = ReadFileBytes(path);
    if (!bytes)
        return Error {bytes.error()};
    Result<void> parsed = ParseServerList(*bytes, list);
    if (!parsed)
        return Error {path.string() + ": " + parsed.error()};
    return Ok();
}

Result<void> SaveServerListFile(const std::filesystem::path& path, const ServerList& list)
{
    if (path.empty())
        return Error {"No server list file name was given."};
    return WriteFileAtomically(path, SerializeServerList(list));
}

bool ServerListNeedsUpgrade(const std::filesystem::path& path)
{
    Result<std::string> bytes = ReadFileBytes(path);
    if (!bytes || bytes->size() < 4)
        return false;
    BinaryReader reader(*bytes);
    std::uint32_t magic = 0;
    reader.readU32(magic);
    if (magic == fileformat::kMagic)
        return false;
    if (magic == fileformat::kLegacyMagicBA) {
        ServerList probe;
        return ParseServerList(*bytes, probe).ok();
    }
    return true;
}

} // namespace kelvanto
