// CreateShortcuts and RemoveShortcuts: each shortcut a desktop entry in its folder, its icon a
// picture in the product's folder of the installer's cache (as Windows Installer keeps the icons
// of shortcuts), which goes with the product.
#include "installer/Actions.h"
#include "installer/DesktopEntry.h"

#include <map>

namespace installer {
namespace {

constexpr int kErrorCannotCreateShortcut = 1909;
constexpr std::size_t kMaxIconBytes = 16 * 1024 * 1024;

// The path of the written picture of the Icon table's row `icon`; empty when it cannot be
// written.
std::string WriteIcon(Session& session, const std::string& icon)
{
    const TargetFolder folder = ProductStore::FolderOf(session.ProductCode());
    const auto bytes = session.Package().ReadIcon(icon, kMaxIconBytes);
    if (!bytes || WriteTargetFile(folder, icon, bytes.Value(), 0644, session.GetJournal()) !=
                      WriteOutcome::Written) {
        return {};
    }
    return folder.Path() + icon;
}

std::string EntryName(const RowView& row)
{
    return LongName(row.Text("Name")) + ".desktop";
}

} // namespace

int CreateShortcuts(Session& session)
{
    std::map<std::string, std::string> icons;
    for (const RowView& row : Rows(session.Database(), "Shortcut")) {
        const ComponentState* component = session.Component(row.Text("Component_"));
        const TargetFolder* folder =
            component && component->install ? session.Folder(row.Text("Directory_")) : nullptr;
        if (folder == nullptr) {
            continue;
        }
        DesktopEntry entry;
        entry.name = LongName(row.Text("Name"));
        entry.comment = session.Format(row.Text("Description"));
        entry.program = session.Format(row.Text("Target"));
        entry.arguments = session.Format(row.Text("Arguments"));
        if (const TargetFolder* working =
                row.IsNull("WkDir") ? nullptr : session.Folder(row.Text("WkDir"))) {
            entry.folder = working->Path();
            entry.folder.pop_back();
        }
        const std::string name = EntryName(row);
        if (!row.IsNull("Icon_")) {
            const auto [icon, first] = icons.try_emplace(row.Text("Icon_"));
            if (first) {
                icon->second = WriteIcon(session, icon->first);
            }
            entry.icon = icon->second;
        }
        if ((!row.IsNull("Icon_") && entry.icon.empty()) ||
            WriteTargetFile(*folder, name, entry.Text(), 0755, session.GetJournal()) !=
                WriteOutcome::Written) {
            return session.Fail("cannot write the shortcut " + folder->Path() + name,
                                kErrorCannotCreateShortcut, {name});
        }
    }
    return kResultSuccess;
}

int RemoveShortcuts(Session& session)
{
    for (const RowView& row : Rows(session.Database(), "Shortcut")) {
        const ComponentState* component = session.Component(row.Text("Component_"));
        const TargetFolder* folder =
            component && component->Removes() ? session.Folder(row.Text("Directory_")) : nullptr;
        if (folder != nullptr) {
            RemoveTargetFile(*folder, EntryName(row));
        }
    }
    return kResultSuccess;
}

} // namespace installer
