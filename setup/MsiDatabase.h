// A Windows Installer package read through libmsi, one query at a time, with the Windows
// error codes that setup logs.
#pragma once

#include <QString>
#include <QStringList>

using LibmsiDatabaseHandle = struct _LibmsiDatabase*;
using LibmsiQueryHandle = struct _LibmsiQuery*;

inline constexpr int kErrorSuccess = 0;
inline constexpr int kErrorAccessDenied = 5;
inline constexpr int kErrorInvalidHandle = 6;
inline constexpr int kErrorOpenFailed = 110;
inline constexpr int kErrorFunctionFailed = 1627;

class MsiDatabase
{
public:
    MsiDatabase() = default;
    ~MsiDatabase();
    MsiDatabase(const MsiDatabase&) = delete;
    MsiDatabase& operator=(const MsiDatabase&) = delete;

    // Opens the package read-only: 0, or 110 when it is missing or not a package.
    int Open(const QString& path);
    // Prepares `query`: 0 or the Windows error (1615 for bad syntax or a missing table).
    int OpenView(const char* query);
    int Execute();
    // The next record's fields 1..n; false when there are no more.
    bool Fetch(QStringList& fields);
    void CloseView();
    void Close();

private:
    LibmsiDatabaseHandle m_database = nullptr;
    LibmsiQueryHandle m_view = nullptr;
};
