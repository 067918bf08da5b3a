#include "setup/PurgeFolder.h"

#include "platform/Folder.h"

#include <vector>

namespace {

bool PurgeOpenFolder(const platform::Folder& folder)
{
    std::vector<platform::FolderEntry> entries;
    if (!folder.List("*", entries)) {
        return false;
    }
    for (const platform::FolderEntry& entry : entries) {
        if (entry.name.front() == '.') {
            continue;
        }
        bool done = false;
        if (entry.isFolder && !entry.isLink) {
            platform::Folder child;
            done = folder.OpenChild(entry.name, child) && PurgeOpenFolder(child);
        } else {
            done = folder.RemoveFile(entry.name);
        }
        if (!done) {
            break;
        }
    }
    return true;
}

} // namespace

bool PurgeFolder(const QString& folder)
{
    platform::Folder opened;
    return opened.Open(folder.toStdString(), platform::FinalLink::Refuse) &&
           PurgeOpenFolder(opened);
}
