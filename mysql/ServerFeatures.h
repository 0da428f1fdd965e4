#pragma once

namespace kelvanto
{

// The switches that a run derives from the numeric server version
// (major * 10000 + minor * 100 + patch), read once right after connecting.
struct ServerFeatures
{
    unsigned long version = 0;
    bool quoteNames = false; // >= 32306: names may be backquoted
    bool readLocalLocks = false; // >= 32311: server read locks end in " READ LOCAL"
    bool createIfNotExists = false; // >= 32312: "CREATE DATABASE IF NOT EXISTS"
    bool showCreate = false; // >= 32320: "SHOW CREATE TABLE" and views
    bool charsetAware = false; // >= 40100: the character-set handshake is done
    bool sqlModeLines = false; // > 40100: the SQL_MODE save/set/restore lines
    bool databaseCharsetClause = false; // > 40100: " DEFAULT CHARACTER SET " on CREATE DATABASE
    // >= 40103: the server has per-session time zones, so TIMESTAMP values can be read and
    // written in UTC ("SET TIME_ZONE='+00:00'") and survive a restore elsewhere.
    bool utcSession = false;
    // >= 50002: "SHOW FULL TABLES" tells views from tables.
    bool fullTables = false;
    // >= 50200: a table may have generated columns (MariaDB 5.2, MySQL 5.7) or invisible ones
    // (MariaDB 10.3, MySQL 8.0.23), which "SHOW COLUMNS" marks in its Extra column.
    bool columnExtras = false;

    static ServerFeatures ForVersion(unsigned long version);
};

} // namespace kelvanto
