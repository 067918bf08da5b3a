// The installer database's formatted texts: [Property], [#File], [!File], [$Component],
// [1]..[n] of a message record, [\c] for a literal character, {...} groups that vanish when a
// property in them is empty, and {{...}} that only a log shows.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace installer {

// The value of one bracketed name ("ProductName", "#PYRN", "$PYRN", "2"); nothing when the
// form is not supported. An unknown property is an empty value, not a failure.
using FormatLookup = std::function<std::optional<std::string>(std::string_view name)>;

enum class FormatAudience
{
    User, // {{...}} left out
    Log   // {{...}} kept without its braces
};

struct FormatResult
{
    std::string text;
    std::string unsupported; // the first bracketed form the lookup refused; empty when none
};

FormatResult FormatText(std::string_view text, const FormatLookup& lookup,
                        FormatAudience audience = FormatAudience::User);

// A control's text without the leading text style ("{\Font_Title}" or "{&Font_Title}").
std::string_view WithoutTextStyle(std::string_view text);

} // namespace installer
