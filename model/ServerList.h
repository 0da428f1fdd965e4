#pragma once

#include "model/Task.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace kelvanto
{

// The user's ordered list of MySQL connection profiles. An index out of range makes an
// operation do nothing and return false (or nullopt).
class ServerList
{
public:
    void add(ServerConnection profile);
    bool replace(std::size_t index, ServerConnection profile);
    bool remove(std::size_t index);
    // Swaps the profile with its neighbour above (index - 1) or below (index + 1).
    bool moveUp(std::size_t index);
    bool moveDown(std::size_t index);
    std::optional<ServerConnection> at(std::size_t index) const;
    // True when a profile other than the one at exceptIndex has exactly this name.
    bool containsName(const std::string& connectionName, std::optional<std::size_t> exceptIndex = {}) const;

    void clear() { m_profiles.clear(); }
    std::size_t size() const { return m_profiles.size(); }
    bool empty() const { return m_profiles.empty(); }
    const std::vector<ServerConnection>& profiles() const { return m_profiles; }

private:
    std::vector<ServerConnection> m_profiles;
};

} // namespace kelvanto
