#include "tests/support/RoundTripDatabase.h"

#include "tests/support/RoundTrip.h"

#include <utility>

namespace kelvanto::test
{

RoundTripDatabase::RoundTripDatabase(const std::string& stem, std::vector<TestServerAddress> servers)
    : m_name(UniqueDatabaseName(stem))
    , m_servers(std::move(servers))
{
    for (const auto& server : m_servers)
        DropOn(server);
}

RoundTripDatabase::~RoundTripDatabase()
{
    for (const auto& server : m_servers)
        DropOn(server);
}

bool RoundTripDatabase::DropOn(const TestServerAddress& server) const
{
    return RunMariadbClient(server, "DROP DATABASE IF EXISTS " + QuoteName(m_name) + ";\n") == 0;
}

} // namespace kelvanto::test
