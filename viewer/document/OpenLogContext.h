#pragma once

#include <QString>
#include <memory>

class CDornComFile;
class CZipFile;
class JobLogFile;
class ProgressDialog;

// What one open hands from the UI thread to the open thread and back. Built by the opener on
// its own stack; the thread fills it; the opener reads it only after the thread has ended.
struct OpenLogContext
{
    OpenLogContext();
    ~OpenLogContext();
    OpenLogContext(const OpenLogContext&) = delete;
    OpenLogContext& operator=(const OpenLogContext&) = delete;

    bool bOk = true;
    bool bHasPageImages = true;
    QString strCode; // message code of the failure or warning; empty when none
    ProgressDialog* pProgressDialog = nullptr;
    QString strTempFolder;
    CZipFile* pZipFile = nullptr; // the application's archiver wrapper
    QString strTempZipPath;       // temporary folder + "/Temp.zip"
    QString strArchivePath;       // the path that the user chose
    QString strCsvPath;
    QString strCsvBaseName;
    const QString* pPassword = nullptr; // empty text when none was asked
    std::unique_ptr<JobLogFile> pJobLogFile;
    std::unique_ptr<CDornComFile> pComFile;
};
