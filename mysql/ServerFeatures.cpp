#include "mysql/ServerFeatures.h"

namespace kelvanto
{

ServerFeatures ServerFeatures::ForVersion(unsigned long version)
{
    ServerFeatures features;
    features.version = version;
    features.quoteNames = version >= 32306;
    features.readLocalLocks = version >= 32311;
    features.createIfNotExists = version >= 32312;
    features.showCreate = version >= 32320;
    features.charsetAware = version >= 40100;
    features.sqlModeLines = version > 40100;
    features.databaseCharsetClause = version > 40100;
    features.utcSession = version >= 40103;
    features.fullTables = version >= 50002;
    features.columnExtras = version >= 50200;
    return features;
}

} // namespace kelvanto
