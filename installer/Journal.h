// What an installation changed, so that a failed or cancelled one can be undone: the folders
// and files it created, the files it replaced (kept aside until the end) and the registry as
// it was before.
#pragma once

#include "installer/TargetFolder.h"
#include "platform/RegistryStore.h"

#include <optional>
#include <string>
#include <vector>

namespace installer {

class Journal
{
public:
    // Takes the registry as it is now; changes are recorded from here on.
    void Begin();
    bool Active() const { return m_active; }

    void FolderCreated(const TargetFolder& folder);
    void FileCreated(const TargetFolder& folder, const std::string& name);
    void FileReplaced(const TargetFolder& folder, const std::string& name,
                      const std::string& asideName);

    // The folders made since Begin, in the order they were made.
    std::vector<TargetFolder> CreatedFolders() const;

    // Keeps every change and deletes what was kept aside.
    void Commit();
    // Undoes every change, newest first, and puts the registry back.
    void Rollback();

private:
    enum class ChangeKind
    {
        FolderCreated,
        FileCreated,
        FileReplaced
    };
    struct Change
    {
        ChangeKind kind;
        TargetFolder folder;
        std::string name;
        std::string asideName;
    };
    struct HiveSnapshot
    {
        platform::RegistryHive hive;
        std::optional<std::string> text; // nothing: the hive file did not exist
    };

    bool m_active = false;
    std::vector<Change> m_changes;
    std::vector<HiveSnapshot> m_hives;
};

} // namespace installer
