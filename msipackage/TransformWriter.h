// Writes an installer transform (.mst) that turns `base` into the package the change list
// describes: its own string pool in `codePage`, one stream per changed table with inserted,
// updated (only the changed cells) and deleted rows, and summary information naming the base
// ("Intel;1033") and the result ("Intel;" + lcid).
#pragma once

#include "msipackage/ChangeList.h"
#include "msipackage/MsiDatabase.h"
#include "msipackage/Outcome.h"

#include <string>

namespace msitransform {

// Fails, naming the change list's line, on a table, row, column or key the base does not have
// (or has, for an insert), a value that does not fit its column or code page, or a change to a
// key or a binary column.
Outcome<std::string> WriteTransform(const MsiDatabase& base, const ChangeList& changes, int lcid,
                                    int codePage);

} // namespace msitransform
