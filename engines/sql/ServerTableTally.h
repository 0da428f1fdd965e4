#pragma once

#include "engines/sql/RowTally.h"
#include "model/Result.h"
#include "mysql/Connection.h"
#include "mysql/ServerFeatures.h"

#include <string>

namespace kelvanto
{

// Reads the rows of one table back the way a backup renders them and tallies them, so that
// a restored copy can be compared with the manifest of the backup it came from. The session
// is put in the character set the backup's rows were rendered in (`characterSet`, or the
// connection's own when empty); the caller has set its time zone to +00:00 as the backup did.
class ServerTableTally
{
public:
    explicit ServerTableTally(Connection& connection);

    // The error names what failed, with the server's cause.
    Result<RowTally> Tally(const std::string& database, const std::string& table, const std::string& characterSet);

private:
    Connection& m_connection;
    ServerFeatures m_features;
    std::string m_defaultCharacterSet;
    std::string m_characterSet; // in force now
};

} // namespace kelvanto
