#include "model/ServerList.h"

#include <utility>

namespace kelvanto
{

void ServerList::add(ServerConnection profile)
{
    m_profiles.push_back(std::move(profile));
}

bool ServerList::replace(std::size_t index, ServerConnection profile)
{
    if (index >= m_profiles.size())
        return false;
    m_profiles[index] = std::move(profile);
    return true;
}

bool ServerList::remove(std::size_t index)
{
    if (index >= m_profiles.size())
        return false;
    m_profiles.erase(m_profiles.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool ServerList::moveUp(std::size_t index)
{
    if (index == 0 || index >= m_profiles.size())
        return false;
    std::swap(m_profiles[index - 1], m_profiles[index]);
    return true;
}

bool ServerList::moveDown(std::size_t index)
{
    if (index + 1 >= m_profiles.size())
        return false;
    std::swap(m_profiles[index], m_profiles[index + 1]);
    return true;
}

std::optional<ServerConnection> ServerList::at(std::size_t index) const
{
    if (index >= m_profiles.size())
        return std::nullopt;
    return m_profiles[index];
}

bool ServerList::containsName(const std::string& connectionName, std::optional<std::size_t> exceptIndex) const
{
    for (std::size_t i = 0; i < m_profiles.size(); ++i) {
        if (exceptIndex && *exceptIndex == i)
            continue;
        if (m_profiles[i].connectionName == connectionName)
            return true;
    }
    return false;
}

} // namespace kelvanto
