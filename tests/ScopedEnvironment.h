// Environment variables set for one test and put back as they were afterwards.
#pragma once

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

class ScopedEnvironment
{
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment()
    {
        for (const auto& [name, old] : m_old) {
            old ? ::setenv(name.c_str(), old->c_str(), 1) : ::unsetenv(name.c_str());
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    // Sets `name` to `value`; null unsets it.
    void Set(const std::string& name, const char* value)
    {
        if (m_old.find(name) == m_old.end()) {
            const char* old = std::getenv(name.c_str());
            m_old[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        value ? ::setenv(name.c_str(), value, 1) : ::unsetenv(name.c_str());
    }

private:
    std::map<std::string, std::optional<std::string>> m_old;
};
