#include "mysql/MySqlLibrary.h"

#include <mutex>

#include <mysql.h>

namespace kelvanto
{

void InitMySqlLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mysql_library_init(0, nullptr, nullptr); });
}

void EndMySqlThread()
{
    mysql_thread_end();
}

} // namespace kelvanto
