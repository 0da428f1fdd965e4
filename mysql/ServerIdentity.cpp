#include "mysql/ServerIdentity.h"

#include <atomic>
#include <cstdio>
#include <random>

namespace kelvanto
{

namespace
{

// The values of the first row of a query; nullopt when the query or its result fails. A
// NULL value comes back as nullopt inside.
std::optional<std::vector<std::optional<std::string>>> FirstRow(Connection& connection, std::string_view sql)
{
    if (!connection.Query(sql))
        return std::nullopt;
    std::unique_ptr<ResultSet> result = connection.StoreResult();
    RowView row;
    if (!result || !result->FetchRow(row))
        return std::nullopt;
    std::vector<std::optional<std::string>> values;
    for (std::size_t i = 0; i < row.count; ++i) {
        if (row.isNull(i))
            values.emplace_back();
        else
            values.emplace_back(row.value(i));
    }
    return values;
}

// The first value of a query's first row when it is a non-empty text.
std::optional<std::string> Value(Connection& connection, std::string_view sql)
{
    auto row = FirstRow(connection, sql);
    if (!row || row->empty() || !row->front() || row->front()->empty())
        return std::nullopt;
    return row->front();
}

std::string UniqueLockName()
{
    static std::atomic<unsigned> counter {0};
    std::random_device random;
    char name[64];
    std::snprintf(name, sizeof name, "kelvanto_same_server_%08x%08x_%u", random(), random(), ++counter);
    return name;
}

// True or false when the lock of `first` is seen from `second`; nullopt when they cannot tell.
std::optional<bool> LockSeenFromBoth(Connection& first, Connection& second)
{
    const std::string name = UniqueLockName();
    const auto taken = Value(first, "SELECT GET_LOCK('" + name + "', 0)");
    if (!taken || *taken != "1")
        return std::nullopt;
    const auto holder = FirstRow(second, "SELECT IS_USED_LOCK('" + name + "')");
    FirstRow(first, "SELECT RELEASE_LOCK('" + name + "')");
    if (!holder || holder->empty())
        return std::nullopt;
    return holder->front().has_value();
}

} // namespace

std::string ReadServerIdentity(Connection& connection)
{
    if (auto uuid = Value(connection, "SELECT @@server_uuid"))
        return "uuid:" + *uuid;
    if (auto uid = Value(connection, "SELECT @@server_uid"))
        return "uid:" + *uid;
    auto row = FirstRow(connection, "SELECT @@hostname, @@port, @@datadir");
    if (!row || row->size() != 3)
        return {};
    std::string identity = "host:";
    for (const auto& value : *row) {
        identity += value.value_or("");
        identity += '\n';
    }
    return identity;
}

std::optional<bool> SameServer(Connection& first, Connection& second)
{
    const std::string firstIdentity = ReadServerIdentity(first);
    const std::string secondIdentity = ReadServerIdentity(second);
    const bool bothKnown = !firstIdentity.empty() && !secondIdentity.empty();
    if (bothKnown && firstIdentity != secondIdentity)
        return false;
    if (auto seen = LockSeenFromBoth(first, second))
        return seen;
    if (bothKnown)
        return true;
    return std::nullopt;
}

bool SameDatabaseName(Connection& connection, std::string_view a, std::string_view b)
{
    if (a == b)
        return true;
    const auto folding = Value(connection, "SELECT @@lower_case_table_names");
    if (!folding)
        return true;
    if (*folding == "0")
        return false;
    std::string query = "SELECT LOWER('";
    connection.AppendEscaped(query, a);
    query += "') = BINARY LOWER('";
    connection.AppendEscaped(query, b);
    query += "')";
    const auto same = Value(connection, query);
    return !same || *same != "0";
}

} // namespace kelvanto
