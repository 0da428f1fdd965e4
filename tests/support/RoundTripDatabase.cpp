#include "tests/support/RoundTripDatabase.h"

#include "tests/support/RoundTrip.h"

#include <algorithm>
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
    std::string sql = "DROP DATABASE IF EXISTS " + QuoteName(m_name) + ";\n";
    for (const auto& name : m_derived)
        sql += "DROP DATABASE IF EXISTS " + QuoteName(name) + ";\n";
    return RunMariadbClient(server, sql) == 0;
}

std::string RoundTripDatabase::Derived(const std::string& suffix)
{
    const std::string name = m_name + suffix;
    if (std::find(m_derived.begin(), m_derived.end(), name) == m_derived.end())
        m_derived.push_back(name);
    for (const auto& server : m_servers)
        RunMariadbClient(server, "DROP DATABASE IF EXISTS " + QuoteName(name) + ";\n");
    return name;
}

} // namespace kelvanto::test
