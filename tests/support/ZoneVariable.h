#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace kelvanto::test
{

// Sets the TZ variable (and reads it with tzset) for one test, and puts the previous value
// back when it goes away. Set it before the threads of the test start.
class ZoneVariable
{
public:
    explicit ZoneVariable(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        Set(zone);
    }
    ~ZoneVariable()
    {
        if (m_old)
            Set(m_old->c_str());
        else
            unsetenv("TZ");
        tzset();
    }
    ZoneVariable(const ZoneVariable&) = delete;
    ZoneVariable& operator=(const ZoneVariable&) = delete;

    void Set(const char* zone)
    {
        setenv("TZ", zone, 1);
        tzset();
    }

private:
    std::optional<std::string> m_old;
};

} // namespace kelvanto::test
