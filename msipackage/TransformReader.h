// Applies an installer transform (.mst) to a database held in memory: the stock libmsi cannot.
// Reads the transform's own string pool (any of the installation languages' code pages) into
// UTF-8, checks that the transform was made for this package, and inserts, updates and deletes
// rows as the masks say, with the transform's error conditions.
#pragma once

#include "msipackage/MsiDatabase.h"
#include "msipackage/Outcome.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace msitransform {

struct TransformSummary
{
    std::string templateText;   // the package it applies to, "Intel;1033"
    std::string lastAuthor;     // the package it makes, "Intel;1041"
    std::string revisionNumber; // product codes, versions and upgrade code
    int codePage = 0;           // of its string pool
    std::uint32_t ignoredErrors = 0;
    std::uint32_t validation = 0;
};

// On failure `database` is left as it was.
Outcome<TransformSummary> ApplyTransform(MsiDatabase& database, std::string_view transform);

} // namespace msitransform
