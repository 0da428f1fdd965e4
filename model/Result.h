#pragma once

#include <string>
#include <utility>
#include <variant>

namespace kelvanto
{

// A failure that crosses a function boundary as a value: a text for the user or the log.
struct Error
{
    std::string message;
};

// Result<T>: either a value or an Error (GCC 12 has no std::expected in C++20).
template <typename T>
class Result
{
public:
    Result(T value)
        : m_data(std::move(value))
    { }
    Result(Error error)
        : m_data(std::move(error))
    { }

    bool ok() const { return std::holds_alternative<T>(m_data); }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<T>(m_data); }
    const T& value() const& { return std::get<T>(m_data); }
    T&& value() && { return std::get<T>(std::move(m_data)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const std::string& error() const { return std::get<Error>(m_data).message; }

private:
    std::variant<T, Error> m_data;
};

// Result<void>: success, or an Error.
template <>
class Result<void>
{
public:
    Result() = default;
    Result(Error error)
        : m_error(std::move(error.message))
        , m_ok(false)
    { }

    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const std::string& error() const { return m_error; }

private:
    std::string m_error;
    bool m_ok = true;
};

inline Result<void> Ok()
{
    return {};
}

} // namespace kelvanto
