// InstallFiles, RemoveFiles, CreateFolders and RemoveFolders.
#include "installer/Actions.h"
#include "installer/Cabinet.h"
#include "installer/InstallerLog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace installer {
namespace {

constexpr std::size_t kMaxCabinetBytes = std::size_t{2} * 1024 * 1024 * 1024;
constexpr int kFileReadOnly = 1;
constexpr int kErrorCannotCreateFolder = 1303;
constexpr int kErrorFolderInTheWay = 1301;
constexpr int kErrorWriteFailed = 1310;
constexpr int kErrorCabinetMissingFile = 1311;
constexpr int kErrorCabinetCorrupt = 1335;

struct PendingFile
{
    std::string key;
    std::string name;
    TargetFolder folder;
    std::uint32_t size = 0;
    int attributes = 0;
};

// The embedded cabinet holding the file with `sequence`: the first media whose last
// sequence reaches it.
std::string CabinetOf(const Session& session, int sequence)
{
    int best = -1;
    std::string cabinet;
    for (const RowView& row : Rows(session.Database(), "Media")) {
        const int last = row.Int("LastSequence").value_or(0);
        if (last >= sequence && (best < 0 || last < best)) {
            best = last;
            cabinet = row.Text("Cabinet");
        }
    }
    return cabinet.starts_with('#') ? cabinet.substr(1) : std::string();
}

// Whether a RemoveFile row takes effect: on installing its component (mode 1), on removing it
// (mode 2) or both (3).
bool RemovalApplies(const Session& session, const RowView& row)
{
    const ComponentState* component = session.Component(row.Text("Component_"));
    const int mode = row.Int("InstallMode").value_or(0);
    return component != nullptr &&
           (((mode & 1) != 0 && component->install) || ((mode & 2) != 0 && component->Removes()));
}

int WriteFiles(Session& session, const std::string& cabinet, const std::vector<PendingFile>& files)
{
    std::map<std::string, std::uint32_t> wanted;
    std::size_t total = 0;
    for (const PendingFile& file : files) {
        wanted[file.key] = file.size;
        total += file.size;
    }
    if (total > kMaxCabinetBytes) {
        return session.Fail("the files of cabinet " + cabinet + " are too large",
                            kErrorCabinetCorrupt, {cabinet});
    }
    auto bytes = session.Package().ReadStream(cabinet, kMaxCabinetBytes);
    if (!bytes) {
        return session.Fail(bytes.Error(), kErrorCabinetCorrupt, {cabinet});
    }
    auto read = ReadCabinetFiles(bytes.Value(), wanted);
    if (!read) {
        return session.Fail(read.Error(), kErrorCabinetCorrupt, {cabinet});
    }
    for (const PendingFile& file : files) {
        const auto found = read.Value().find(file.key);
        if (found == read.Value().end()) {
            return session.Fail("the cabinet " + cabinet + " holds no entry " + file.key +
                                    " of the size the package gives",
                                kErrorCabinetMissingFile, {file.key});
        }
        mode_t mode = (found->second.attributes & kCabinetExecutable) != 0 ? 0755 : 0644;
        if ((file.attributes & kFileReadOnly) != 0) {
            mode &= ~0222U;
        }
        const std::string path = file.folder.Path() + file.name;
        switch (WriteTargetFile(file.folder, file.name, found->second.bytes, mode,
                                session.GetJournal())) {
        case WriteOutcome::Written:
            break;
        case WriteOutcome::IsFolder:
            return session.Fail("a folder stands where " + path + " belongs", kErrorFolderInTheWay,
                                {path});
        case WriteOutcome::Failed:
            return session.Fail("cannot write " + path + ": " + std::strerror(errno),
                                kErrorWriteFailed, {std::strerror(errno), path});
        }
    }
    return kResultSuccess;
}

} // namespace

int InstallFiles(Session& session)
{
    std::map<std::string, std::vector<PendingFile>> byCabinet;
    for (const RowView& row : Rows(session.Database(), "File")) {
        const ComponentState* component = session.Component(row.Text("Component_"));
        const TargetFolder* folder = component ? session.Folder(component->directory) : nullptr;
        if (component == nullptr || !component->install || folder == nullptr) {
            continue;
        }
        PendingFile file{row.Text("File"), LongName(row.Text("FileName")), *folder,
                         static_cast<std::uint32_t>(row.Int("FileSize").value_or(0)),
                         row.Int("Attributes").value_or(0)};
        // A repair restores what is missing.
        if (session.Mode() == RunMode::Repair &&
            KindOf(file.folder, file.name) != EntryKind::Missing) {
            continue;
        }
        const std::string cabinet = CabinetOf(session, row.Int("Sequence").value_or(0));
        if (cabinet.empty()) {
            return session.Fail("no cabinet holds the file " + file.key, kErrorCabinetMissingFile,
                                {file.key});
        }
        byCabinet[cabinet].push_back(std::move(file));
    }
    for (const auto& [cabinet, files] : byCabinet) {
        if (const int result = WriteFiles(session, cabinet, files); result != kResultSuccess) {
            return result;
        }
    }
    return kResultSuccess;
}

int RemoveFiles(Session& session)
{
    for (const RowView& row : Rows(session.Database(), "File")) {
        const ComponentState* component = session.Component(row.Text("Component_"));
        const TargetFolder* folder =
            component && component->Removes() ? session.Folder(component->directory) : nullptr;
        if (folder != nullptr) {
            RemoveTargetFile(*folder, LongName(row.Text("FileName")));
        }
    }
    for (const RowView& row : Rows(session.Database(), "RemoveFile")) {
        const TargetFolder* folder =
            RemovalApplies(session, row) ? session.Folder(row.Text("DirProperty")) : nullptr;
        if (folder != nullptr && !row.IsNull("FileName")) {
            RemoveTargetFile(*folder, LongName(row.Text("FileName")));
        }
    }
    return kResultSuccess;
}

int CreateFolders(Session& session)
{
    for (const RowView& row : Rows(session.Database(), "CreateFolder")) {
        const ComponentState* component = session.Component(row.Text("Component_"));
        const TargetFolder* folder =
            component && component->install ? session.Folder(row.Text("Directory_")) : nullptr;
        if (folder == nullptr) {
            continue;
        }
        const int fd = OpenTargetFolder(*folder, true, &session.GetJournal());
        if (fd < 0) {
            return session.Fail("cannot create the folder " + folder->Path(),
                                kErrorCannotCreateFolder, {folder->Path()});
        }
        ::close(fd);
    }
    return kResultSuccess;
}

int RemoveFolders(Session& session)
{
    std::vector<TargetFolder> folders;
    auto add = [&](const std::string& directory) {
        if (const TargetFolder* folder = session.Folder(directory)) {
            folders.push_back(*folder);
        }
    };
    for (const auto& [key, component] : session.Components()) {
        if (component.Removes()) {
            add(component.directory);
        }
    }
    for (const RowView& row : Rows(session.Database(), "CreateFolder")) {
        const ComponentState* component = session.Component(row.Text("Component_"));
        if (component != nullptr && component->Removes()) {
            add(row.Text("Directory_"));
        }
    }
    for (const RowView& row : Rows(session.Database(), "RemoveFile")) {
        if (row.IsNull("FileName") && RemovalApplies(session, row)) {
            add(row.Text("DirProperty"));
        }
    }
    // Deepest first; then the folders above that the product alone filled, up to the system's
    // folders, which stay.
    std::sort(folders.begin(), folders.end(), [](const TargetFolder& a, const TargetFolder& b) {
        return a.names.size() > b.names.size();
    });
    for (const TargetFolder& folder : folders) {
        if (!session.IsSystemFolder(folder)) {
            RemoveEmptyTargetFolder(folder);
        }
    }
    if (session.Mode() == RunMode::Remove) {
        for (TargetFolder folder : folders) {
            while (!folder.names.empty() && !session.IsSystemFolder(folder)) {
                folder.names.pop_back();
                if (session.IsSystemFolder(folder) || !RemoveEmptyTargetFolder(folder)) {
                    break;
                }
            }
        }
    }
    return kResultSuccess;
}

} // namespace installer
