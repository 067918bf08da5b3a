// The installer database's conditions: property names, integers and "strings" compared with
// = <> < > <= >= (and ~ for any letter case), >< (contains), << (begins), >> (ends), joined by
// NOT, AND, OR, XOR, EQV and IMP with parentheses. Component and feature states (? $ ! &) and
// environment variables (%) are not supported.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace installer {

using PropertyLookup = std::function<std::string(std::string_view name)>;

struct ConditionResult
{
    bool value = false;
    std::string error; // why the condition could not be read; empty when it could
};

// An empty condition is true.
ConditionResult EvaluateCondition(std::string_view condition, const PropertyLookup& property);

} // namespace installer
