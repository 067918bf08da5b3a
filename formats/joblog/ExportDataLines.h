// Writes the data lines of a job log (every line after its eight header lines) to a file of
// the user's.
#pragma once

#include <string>

// 0 the destination holds the data lines, byte for byte, CR LF between them and none after
// the last; -1 the source cannot be read or has fewer than 8 lines, or the destination cannot
// be created or written (a file already there is left as it was); -2 a path is empty.
// The source is read whole and closed before the destination is opened, so both may name
// the same file.
int ExportDataLines(const std::string& source, const std::string& destination);
