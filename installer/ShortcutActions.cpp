// CreateShortcuts and RemoveShortcuts: each shortcut a desktop entry in its folder.
#include "installer/Actions.h"
#include "installer/DesktopEntry.h"

namespace installer {
namespace {

constexpr int kErrorCannotCreateShortcut = 1909;

std::string EntryName(const RowView& row)
{
    return LongName(row.Text("Name")) + ".desktop";
}

} // namespace

int CreateShortcuts(Session& session)
{
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
        if (WriteTargetFile(*folder, name, entry.Text(), 0755, session.GetJournal()) !=
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
