// The log archive through the archiver library: test it, test a password, extract it.
#pragma once

#include "platform/LibraryLoader.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CZipFile
{
public:
    CZipFile() = default;
    // Clears the file list; the library stays loaded (the application frees it).
    virtual ~CZipFile();
    CZipFile(const CZipFile&) = delete;
    CZipFile& operator=(const CZipFile&) = delete;

    // 0, and `needsPassword` set, when the file is a ZIP archive that tests well or needs a
    // password; -2 bad argument; -5 not a readable ZIP archive or the test failed.
    // `needsPassword` is left alone on failure.
    static int TestArchive(const std::string& archivePath, bool& needsPassword);
    // 0 the password opens every entry; -2 bad argument (an empty password too); -5 not a
    // readable ZIP archive or another failure; -6 wrong password.
    static int TestArchivePassword(const std::string& archivePath, const std::string& password);
    // Extracts into `destination`, which may hold at most one file and no folder. 0, and
    // m_files lists every file below the destination; -2 bad argument or destination; -6 wrong
    // or missing password; -1 any other failure (a list of the files that cannot be complete
    // included), after which the destination is emptied (the folder itself stays) and m_files
    // keeps the previous list. Runs on the open thread.
    int ExtractArchive(const std::string& archivePath, std::optional<std::string_view> password,
                       const std::string& destination);
    void ClearFileList();

    // The archiver library as the application loaded it; set and freed by the application.
    platform::LibraryHandle m_hArchiver = nullptr;
    // Full paths of the files found below the destination after the last successful extraction.
    std::vector<std::string> m_files;
};
