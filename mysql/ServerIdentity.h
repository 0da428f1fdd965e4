#pragma once

#include "mysql/Connection.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvanto
{

// How a server names itself from inside a session: "uuid:" + @@server_uuid (MySQL 5.6 on),
// else "uid:" + @@server_uid (MariaDB 10.6 on), else "host:" + @@hostname, @@port and
// @@datadir; empty when the server answers none of them.
std::string ReadServerIdentity(Connection& connection);

// Whether two open sessions are sessions of one and the same server, asked from inside both,
// so that names, addresses and ports as typed cannot deceive it (localhost, 127.0.0.1, 127.1
// or a second name of the host). Servers whose identities differ are different. When the
// identities are equal or unknown, a named lock decides: `first` takes a lock of a name no one
// else uses, `second` asks whether it is in use, and `first` releases it; servers that merely
// look alike (the same host name, port and folder on two machines) are told apart so. nullopt
// when neither way can tell (servers before 4.1).
std::optional<bool> SameServer(Connection& first, Connection& second);

// Whether database names `a` and `b` name the same database on the server of `connection`:
// equal bytes, or, on a server that folds the case of names (lower_case_table_names), equal
// when the server lowers both. A server that cannot be asked counts them as the same.
bool SameDatabaseName(Connection& connection, std::string_view a, std::string_view b);

} // namespace kelvanto
