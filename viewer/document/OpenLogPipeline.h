#pragma once

#include <QString>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class JobLogFile;
struct OpenLogContext;

// The open thread: extracts the copy, checks the file set and the digest, loads the log and
// indexes the page-image stream beside the chosen archive. Runs off the UI thread; touches only
// the context, what it creates itself, the archiver wrapper and files of this open. Returns 0.
int OpenLogThread(OpenLogContext* context);

// Deletes a job log reader: its open log file is closed first (the reader never closes it),
// then its records and rows go.
void DeleteJobLog(std::unique_ptr<JobLogFile>& log);

// This open's temporary folder ("TempByPYRN_<14 digits>" under GetTempFolderRoot), created,
// or emptied when it exists; false when it cannot be made or emptied (a file of it is in use
// by a loaded log) or the user has no data folder.
bool MakeTempFolder(QString& path);

// The clock that names temporary folders (seconds since the epoch, shown in local time).
// Tests put a fixed one in place; an empty function restores the system's. Returns the
// previous one.
using TempFolderClock = std::function<std::time_t()>;
TempFolderClock SetTempFolderClock(TempFolderClock clock);

// The code of the first check that the extracted `files` fail ("03007" file set, "03008"
// digest), empty when all pass; `csvPath` and `csvBaseName` are set from a ".csv" entry.
void CheckLogFiles(QString& code, const std::vector<std::string>& files, const QString& folder,
                   QString& csvPath, QString& csvBaseName);

// The file matching `mask` beside `archivePath`; with several, the last whose base name is
// `preferred`, else the first in listing order. False, `found` untouched, when none.
bool FindFileByPattern(const QString& archivePath, const QString& mask, QString& found,
                       const QString& preferred);

// The page index file's path beside `archivePath`, named after the log.
void MakeAdrPath(const QString& archivePath, QString& path, const QString& csvBaseName);

// The parts of a file name: the folder (without its last '/', "/" for the root), the name without
// its last extension, and that extension with its dot (".csv"; empty when the name has no dot).
QString FileFolder(const QString& path);
QString FileBaseName(const QString& path);
QString FileExtension(const QString& path);

// Copies the regular file `source` to `destination` (replaced). False, with no destination
// left, for anything that is not a regular file (a FIFO or a device is never read) or a copy
// that fails.
bool CopyRegularFile(const QString& source, const QString& destination);
