// One job's files in a folder, as the finisher and the printer leave them: the log archive,
// optionally a password-protected copy, and the page-image stream beside them.
#pragma once

#include "tools/PageStream.h"
#include "tools/SampleArchive.h"
#include "tools/SampleDigest.h"
#include "tools/SampleJobLog.h"

#include <string>

namespace samplejob {

struct SampleFolderOptions
{
    std::string folder;                 // created when missing
    std::string baseName = "SampleJob"; // of the log, the digest, the archive and the stream
    JobLogOptions log;
    DigestKind digest = DigestKind::Correct;
    ArchiveLayout layout = ArchiveLayout::LogAndDigest;
    std::string password; // not empty: also "<base>Protected.zip" and "password.txt"
    ArchiveEncryption protection = ArchiveEncryption::Aes256;
    bool looseFiles = false;
    bool writeStream = true; // "<base>.prn" beside the archives
    PageStreamOptions stream;
    bool writeIndexFile =
        false; // "<base>.adr" beside the stream // also the log and digest beside the archive
};

// 0, or -1 when a file cannot be written.
int WriteSampleFolder(const SampleFolderOptions& options);

} // namespace samplejob
