#include "mysql/MariaDbResultSet.h"

#include <mysql.h>

namespace kelvanto
{

void MariaDbResultSet::ResultFreer::operator()(st_mysql_res* result) const noexcept
{
    mysql_free_result(result);
}

MariaDbResultSet::MariaDbResultSet(Handle result)
    : m_result(std::move(result))
{
    const unsigned count = mysql_num_fields(m_result.get());
    const MYSQL_FIELD* fields = mysql_fetch_fields(m_result.get());
    m_fields.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        const MYSQL_FIELD& field = fields[i];
        FieldInfo info;
        info.name.assign(field.name ? field.name : "", field.name ? field.name_length : 0);
        if (field.def)
            info.def = std::string(field.def, field.def_length);
        info.length = field.length;
        info.flags = field.flags;
        info.type = static_cast<int>(field.type);
        m_fields.push_back(std::move(info));
    }
}

bool MariaDbResultSet::FetchRow(RowView& row)
{
    MYSQL_ROW values = mysql_fetch_row(m_result.get());
    if (!values)
        return false;
    row.values = values;
    row.lengths = mysql_fetch_lengths(m_result.get());
    row.count = m_fields.size();
    return true;
}

} // namespace kelvanto
