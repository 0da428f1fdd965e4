#include "model/OptionsStore.h"

#include "model/AtomicFile.h"
#include "model/BinaryReader.h"
#include "model/BinaryWriter.h"
#include "model/FileBytes.h"
#include "model/FileFormat.h"

#include <system_error>

namespace kelvanto
{

namespace
{

constexpr std::uint8_t kKey = fileformat::kFileKey;

LoadedOptions Defaults(OptionsOrigin origin, std::string message)
{
    return LoadedOptions {Options {}, origin, std::move(message)};
}

} // namespace

std::string SerializeOptions(const Options& options)
{
    BinaryWriter writer;
    writer.writeU32(fileformat::kMagic);
    writer.writeString(options.loginUser, kKey);
    writer.writeString(options.loginPassword, kKey);
    writer.writeU8(options.autoRun);
    writer.writeU16(options.hotKeyCode);
    writer.writeU16(options.hotKeyModifiers);
    writer.writeU8(options.dateFormat);
    writer.writeU8(options.timeFormat);
    writer.writeI32(options.lastTipIndex);
    writer.writeU8(options.showTips);
    writer.writeString(options.defaultBackupFolder, kKey);
    writer.writeU8(options.noShutdownWhileRunning);
    writer.writeU8(options.logSizeLimited);
    writer.writeI32(options.logMaxSizeKB);
    writer.writeU8(options.dontAskAutoRun);
    if (options.runNotices != RunNotices::Failures)
        writer.writeU8(static_cast<std::uint8_t>(options.runNotices));
    return std::move(writer).take();
}

LoadedOptions ParseOptions(std::string_view bytes)
{
    BinaryReader reader(bytes);
    std::uint32_t magic = 0;
    if (!reader.readU32(magic) || magic != fileformat::kMagic)
        return Defaults(OptionsOrigin::Foreign, "not an options file; the default options are used");

    Options options;
    reader.readString(options.loginUser, kKey);
    reader.readString(options.loginPassword, kKey);
    reader.readU8(options.autoRun);
    reader.readU16(options.hotKeyCode);
    reader.readU16(options.hotKeyModifiers);
    reader.readU8(options.dateFormat);
    reader.readU8(options.timeFormat);
    reader.readI32(options.lastTipIndex);
    reader.readU8(options.showTips);
    reader.readString(options.defaultBackupFolder, kKey);
    reader.readU8(options.noShutdownWhileRunning);
    reader.readU8(options.logSizeLimited);
    reader.readI32(options.logMaxSizeKB);
    reader.readU8(options.dontAskAutoRun);
    if (!reader.ok())
        return Defaults(OptionsOrigin::Damaged,
            "the options file is damaged (" + reader.error() + "); the default options are used");
    // Fields added after the original record: absent or unknown values leave the default.
    std::uint8_t notices = 0;
    if (!reader.atEnd() && reader.readU8(notices) && notices <= static_cast<std::uint8_t>(RunNotices::Never))
        options.runNotices = static_cast<RunNotices>(notices);
    return LoadedOptions {std::move(options), OptionsOrigin::File, {}};
}

LoadedOptions LoadOptionsFile(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error)
        return Defaults(OptionsOrigin::Missing, path.string() + " does not exist; the default options are used");
    Result<std::string> bytes = ReadFileBytes(path);
    if (!bytes)
        return Defaults(OptionsOrigin::Unreadable, bytes.error() + "; the default options are used");
    LoadedOptions loaded = ParseOptions(*bytes);
    if (!loaded.message.empty())
        loaded.message = path.string() + ": " + loaded.message;
    return loaded;
}

Result<void> SaveOptionsFile(const std::filesystem::path& path, const Options& options)
{
    if (path.empty())
        return Error {"No options file name was given."};
    return WriteFileAtomically(path, SerializeOptions(options));
}

} // namespace kelvanto
