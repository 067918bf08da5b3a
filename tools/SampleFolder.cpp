#include "tools/SampleFolder.h"

#include "tools/PageIndexFile.h"
#include "tools/SampleFiles.h"

#include <filesystem>
#include <system_error>

namespace samplejob {

int WriteSampleFolder(const SampleFolderOptions& options)
{
    std::error_code error;
    std::filesystem::create_directories(options.folder, error);
    if (error) {
        return -1;
    }
    const std::filesystem::path folder(options.folder);
    auto pathOf = [&folder](const std::string& name) { return (folder / name).string(); };

    const std::string log = MakeJobLogText(options.log);
    const std::string digest = DigestFileBytes(log, options.digest);
    const auto members = LogArchiveMembers(options.baseName, log, digest, options.layout);
    if (WriteZipArchive(pathOf(options.baseName + ".zip"), members) != 0) {
        return -1;
    }
    if (!options.password.empty() &&
        (WriteZipArchive(pathOf(options.baseName + "Protected.zip"), members, options.protection,
                         options.password) != 0 ||
         WriteWholeFile(pathOf("password.txt"), options.password + "\n") != 0)) {
        return -1;
    }
    if (options.looseFiles && (WriteWholeFile(pathOf(options.baseName + ".csv"), log) != 0 ||
                               WriteWholeFile(pathOf(options.baseName + ".mll"), digest) != 0)) {
        return -1;
    }
    if (options.writeStream) {
        PageStreamLayout layout;
        if (WritePageStream(pathOf(options.baseName + ".prn"), options.log, options.stream,
                            &layout) != 0) {
            return -1;
        }
        if (options.writeIndexFile &&
            WritePageIndexFile(pathOf(options.baseName + ".adr"), ExpectedPageIndex(layout)) != 0) {
            return -1;
        }
    }
    return 0;
}

} // namespace samplejob
