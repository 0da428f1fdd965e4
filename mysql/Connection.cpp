#include "mysql/Connection.h"

namespace kelvanto
{

bool Connection::DiscardResults()
{
    if (std::unique_ptr<ResultSet> result = UseResult()) {
        RowView row;
        while (result->FetchRow(row)) { }
    }
    return ErrorNumber() == 0;
}

} // namespace kelvanto
