#include "schedule/LogRecord.h"

#include "model/BinaryReader.h"
#include "model/BinaryWriter.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace kelvanto
{

std::string EncodeLogRecord(LogLevel level, const TimeStamp& time, std::string_view message)
{
    BinaryWriter writer;
    writer.writeU8(static_cast<std::uint8_t>(level));
    for (const std::int32_t field :
        {time.year, time.month, time.day, time.hour, time.minute, time.second, time.dayOfWeek}) {
        writer.writeI32(field);
    }
    std::string bytes = std::move(writer).take();
    const std::string_view text = message.substr(0, kLogTextSize);
    bytes.append(text);
    bytes.resize(kLogRecordSize, '\0');
    return bytes;
}

LogRecord DecodeLogRecord(std::string_view bytes)
{
    LogRecord record;
    BinaryReader reader(bytes.substr(0, kLogRecordSize - kLogTextSize));
    std::uint8_t level = 0;
    std::array<std::int32_t, 7> fields {};
    reader.readU8(level);
    for (std::int32_t& field : fields)
        reader.readI32(field);
    record.level = static_cast<LogLevel>(level);
    record.time = TimeStamp {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]};
    if (bytes.size() > kLogRecordSize - kLogTextSize) {
        const std::string_view text = bytes.substr(kLogRecordSize - kLogTextSize, kLogTextSize);
        record.message = std::string(text.substr(0, text.find('\0')));
    }
    return record;
}

std::string_view LogLevelName(LogLevel level)
{
    switch (level) {
    case LogLevel::General:
        return "General Info";
    case LogLevel::Warning:
        return "Warning Info";
    default:
        return "Error Info";
    }
}

} // namespace kelvanto
