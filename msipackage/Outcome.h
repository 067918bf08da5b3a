// A result or the reason there is none: what every reader and writer here returns.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace msitransform {

struct Failure
{
    std::string message;
};

template <typename T>
class [[nodiscard]] Outcome
{
public:
    Outcome(T value) : m_state(std::move(value)) {}
    Outcome(Failure failure) : m_state(std::move(failure)) {}

    bool Ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return Ok(); }

    T& Value() { return std::get<T>(m_state); }
    const T& Value() const { return std::get<T>(m_state); }
    T&& Take() { return std::get<T>(std::move(m_state)); }
    const std::string& Error() const { return std::get<Failure>(m_state).message; }
    Failure TakeFailure() { return std::get<Failure>(std::move(m_state)); }

private:
    std::variant<T, Failure> m_state;
};

// For operations that give nothing back but can fail.
struct Done
{};
using Status = Outcome<Done>;

inline Status Success()
{
    return Done{};
}

} // namespace msitransform
