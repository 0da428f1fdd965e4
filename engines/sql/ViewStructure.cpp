#include "engines/sql/ViewStructure.h"

#include "engines/sql/TableDefinition.h"

namespace kelvanto
{

ViewStructureStep ReadViewStructure(Connection& connection, std::string_view name, const std::string& quoted,
    const std::function<bool(const std::string&)>& usePlaceholder, std::string& definition)
{
    const std::string dropTemporary = "DROP TEMPORARY TABLE " + quoted;
    if (!connection.Query("CREATE TEMPORARY TABLE " + quoted + " SELECT * FROM " + quoted + " WHERE 0"))
        return ViewStructureStep::CreateTemporary;
    Result<std::string> temporary = ReadTableDefinition(connection, name);
    // "CREATE TEMPORARY " is 17 characters; what follows it is "TABLE ...".
    constexpr std::size_t kTemporaryPrefix = 17;
    if (!temporary || temporary->size() <= kTemporaryPrefix) {
        connection.Query(dropTemporary);
        return ViewStructureStep::ShowTemporary;
    }
    if (!usePlaceholder("CREATE " + temporary->substr(kTemporaryPrefix))) {
        connection.Query(dropTemporary);
        return ViewStructureStep::UsePlaceholder;
    }
    if (!connection.Query(dropTemporary))
        return ViewStructureStep::DropTemporary;
    Result<std::string> view = ReadTableDefinition(connection, name);
    if (!view || view->empty())
        return ViewStructureStep::ShowView;
    definition = std::move(*view);
    return ViewStructureStep::Done;
}

} // namespace kelvanto
