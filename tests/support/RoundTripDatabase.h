#pragma once

#include "tests/support/TestServer.h"

#include <string>
#include <vector>

namespace kelvanto::test
{

// A uniquely named database on one or more test servers (the source and the servers a
// dump is restored into). It is dropped on every one of them when the object goes away,
// so that a failed test leaves nothing behind for the next one.
class RoundTripDatabase
{
public:
    RoundTripDatabase(const std::string& stem, std::vector<TestServerAddress> servers);
    ~RoundTripDatabase();
    RoundTripDatabase(const RoundTripDatabase&) = delete;
    RoundTripDatabase& operator=(const RoundTripDatabase&) = delete;

    const std::string& name() const { return m_name; }
    // Drops the database on one server (a fresh target for the next restore); true on success.
    bool DropOn(const TestServerAddress& server) const;
    // A database that a test derives from this one (a copy's destination): dropped with it.
    std::string Derived(const std::string& suffix);

private:
    std::string m_name;
    std::vector<std::string> m_derived;
    std::vector<TestServerAddress> m_servers;
};

} // namespace kelvanto::test
