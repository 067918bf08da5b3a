#pragma once

#include <QString>
#include <string>
#include <vector>

struct OpenLogContext;

// The open thread: extracts the copy, checks the file set and the digest, loads the log and
// indexes the page-image stream beside the chosen archive. Runs off the UI thread; touches only
// the context, what it creates itself, the archiver wrapper and files of this open. Returns 0.
int OpenLogThread(OpenLogContext* context);

// This open's temporary folder (".../TARV/TARV Post Log Viewer/TempByPYRN_<14 digits>"),
// created or emptied; false when it cannot be made or emptied (a file of it is in use).
bool MakeTempFolder(QString& path);

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
