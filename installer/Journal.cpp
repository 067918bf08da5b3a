#include "installer/Journal.h"

#include "platform/FileSystem.h"
#include "platform/RegistryStore.h"

#include <unistd.h>

namespace installer {
namespace {

constexpr std::size_t kMaxHiveBytes = 16 * 1024 * 1024;

// Runs `operation` on the folder's descriptor, if it can still be opened.
template <typename Operation>
void InFolder(const TargetFolder& folder, Operation operation)
{
    const int fd = OpenTargetFolder(folder, false, nullptr);
    if (fd >= 0) {
        operation(fd);
        ::close(fd);
    }
}

} // namespace

void Journal::Begin()
{
    m_changes.clear();
    m_hives.clear();
    for (const platform::RegistryHive hive :
         {platform::RegistryHive::LocalMachine, platform::RegistryHive::CurrentUser}) {
        m_hives.push_back({hive, platform::ReadSmallFile(platform::RegistryStore::HivePath(hive),
                                                         kMaxHiveBytes)});
    }
    m_active = true;
}

void Journal::FolderCreated(const TargetFolder& folder)
{
    if (m_active) {
        m_changes.push_back({ChangeKind::FolderCreated, folder, {}, {}});
    }
}

void Journal::FileCreated(const TargetFolder& folder, const std::string& name)
{
    if (m_active) {
        m_changes.push_back({ChangeKind::FileCreated, folder, name, {}});
    }
}

void Journal::FileReplaced(const TargetFolder& folder, const std::string& name,
                           const std::string& asideName)
{
    if (m_active) {
        m_changes.push_back({ChangeKind::FileReplaced, folder, name, asideName});
    } else {
        InFolder(folder, [&](int fd) { ::unlinkat(fd, asideName.c_str(), 0); });
    }
}

std::vector<TargetFolder> Journal::CreatedFolders() const
{
    std::vector<TargetFolder> folders;
    for (const Change& change : m_changes) {
        if (change.kind == ChangeKind::FolderCreated) {
            folders.push_back(change.folder);
        }
    }
    return folders;
}

void Journal::Commit()
{
    for (const Change& change : m_changes) {
        if (change.kind == ChangeKind::FileReplaced) {
            InFolder(change.folder, [&](int fd) { ::unlinkat(fd, change.asideName.c_str(), 0); });
        }
    }
    m_changes.clear();
    m_hives.clear();
    m_active = false;
}

void Journal::Rollback()
{
    for (auto change = m_changes.rbegin(); change != m_changes.rend(); ++change) {
        switch (change->kind) {
        case ChangeKind::FolderCreated:
            RemoveEmptyTargetFolder(change->folder);
            break;
        case ChangeKind::FileCreated:
            RemoveTargetFile(change->folder, change->name);
            break;
        case ChangeKind::FileReplaced:
            InFolder(change->folder, [&](int fd) {
                ::renameat(fd, change->asideName.c_str(), fd, change->name.c_str());
            });
            break;
        }
    }
    for (const HiveSnapshot& snapshot : m_hives) {
        platform::RegistryStore store;
        if (!snapshot.text) {
            ::unlink(platform::RegistryStore::HivePath(snapshot.hive).c_str());
        } else if (store.Parse(*snapshot.text)) {
            store.Save(snapshot.hive);
        }
    }
    m_changes.clear();
    m_hives.clear();
    m_active = false;
}

} // namespace installer
