#pragma once

#include "mysql/Connection.h"

#include <memory>
#include <vector>

struct st_mysql_res;

namespace kelvanto
{

// A result set of MariaDB Connector/C, buffered or streamed; frees it when it goes away.
class MariaDbResultSet final : public ResultSet
{
public:
    struct ResultFreer
    {
        void operator()(st_mysql_res* result) const noexcept;
    };
    using Handle = std::unique_ptr<st_mysql_res, ResultFreer>;

    explicit MariaDbResultSet(Handle result);

    const std::vector<FieldInfo>& Fields() const override { return m_fields; }
    bool FetchRow(RowView& row) override;

private:
    Handle m_result;
    std::vector<FieldInfo> m_fields;
};

} // namespace kelvanto
