#include "installer/ExecuteSequence.h"

#include "installer/Actions.h"
#include "installer/InstallerLog.h"
#include "installer/SupportCheck.h"

#include <algorithm>
#include <functional>
#include <map>

namespace installer {
namespace {

using ActionFunction = int (*)(Session&);

int NoWork(Session&)
{
    return kResultSuccess;
}

int CostFinalize(Session& session)
{
    return session.Cost() ? kResultSuccess
                          : session.Fail("the folders and components cannot be costed");
}

const std::map<std::string, ActionFunction, std::less<>>& StandardActions()
{
    static const std::map<std::string, ActionFunction, std::less<>> actions = {
        {"FindRelatedProducts", FindRelatedProducts},
        {"AppSearch", AppSearch},
        {"LaunchConditions", LaunchConditions},
        {"ValidateProductID", NoWork},
        {"CostInitialize", NoWork},
        {"FileCost", NoWork},
        {"CostFinalize", CostFinalize},
        {"MigrateFeatureStates", NoWork},
        {"InstallValidate", NoWork},
        {"InstallInitialize", InstallInitialize},
        {"ProcessComponents", NoWork},
        {"UnpublishFeatures", NoWork},
        {"RemoveRegistryValues", RemoveRegistryValues},
        {"RemoveShortcuts", RemoveShortcuts},
        {"RemoveFiles", RemoveFiles},
        {"RemoveFolders", RemoveFolders},
        {"CreateFolders", CreateFolders},
        {"InstallFiles", InstallFiles},
        {"CreateShortcuts", CreateShortcuts},
        {"WriteRegistryValues", WriteRegistryValues},
        {"RegisterUser", NoWork},
        {"RegisterProduct", RegisterProduct},
        {"PublishFeatures", NoWork},
        {"PublishProduct", NoWork},
        {"InstallFinalize", InstallFinalize},
        {"RemoveExistingProducts", RemoveExistingProducts},
    };
    return actions;
}

ProgressTexts ProgressTextsFor(Session& session)
{
    const char* mode = session.Mode() == RunMode::Install  ? "Installing"
                       : session.Mode() == RunMode::Repair ? "Repairing"
                                                           : "Removing";
    ProgressTexts texts;
    texts.caption = session.DialogTitle("ProgressDlg");
    texts.title = session.ControlText("ProgressDlg", std::string("Title") + mode);
    texts.text = session.ControlText("ProgressDlg", std::string("Text") + mode);
    texts.statusLabel = session.ControlText("ProgressDlg", "StatusLabel");
    texts.cancelButton = session.ControlText("ProgressDlg", "Cancel");
    return texts;
}

std::string ActionDescription(Session& session, const std::string& action)
{
    const std::optional<RowView> row = FindRow(session.Database(), "ActionText", action);
    return row ? session.Format(row->Text("Description")) : std::string();
}

int Undo(Session& session, int result)
{
    if (session.GetJournal().Active()) {
        session.GetJournal().Rollback();
    }
    return result;
}

int RunActions(Session& session, const std::vector<SequencedAction>& actions)
{
    InstallerUi& ui = session.Ui();
    bool finalized = false;
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const SequencedAction& step = actions[i];
        if (!finalized && ui.CancelRequested()) {
            LogLine("cancelled by the user before " + step.action);
            return Undo(session, kResultUserExit);
        }
        const ConditionResult condition = session.Evaluate(step.condition);
        if (!condition.error.empty()) {
            return Undo(session, session.Fail("the condition of action " + step.action +
                                              " cannot be read: " + condition.error));
        }
        if (!condition.value) {
            continue;
        }
        if (!session.IsNested()) {
            ui.ActionStarted(ActionDescription(session, step.action), static_cast<int>(i),
                             static_cast<int>(actions.size()));
        }
        const auto standard = StandardActions().find(step.action);
        const int result = standard != StandardActions().end()
                               ? standard->second(session)
                               : RunCustomAction(session, step.action);
        if (result != kResultSuccess) {
            return Undo(session, result);
        }
        finalized = finalized || step.action == "InstallFinalize";
    }
    if (session.GetJournal().Active()) {
        session.GetJournal().Commit();
    }
    return kResultSuccess;
}

} // namespace

std::vector<SequencedAction> ExecuteSequenceOf(const msitransform::MsiDatabase& database)
{
    std::vector<SequencedAction> actions;
    for (const RowView& row : Rows(database, "InstallExecuteSequence")) {
        const std::optional<int> sequence = row.Int("Sequence");
        if (sequence && *sequence > 0) {
            actions.push_back({row.Text("Action"), row.Text("Condition"), *sequence});
        }
    }
    std::stable_sort(
        actions.begin(), actions.end(),
        [](const SequencedAction& a, const SequencedAction& b) { return a.sequence < b.sequence; });
    return actions;
}

bool IsStandardAction(std::string_view action)
{
    return StandardActions().contains(action);
}

int RunExecuteSequence(Session& session)
{
    if (const std::string problem = FindUnsupported(session); !problem.empty()) {
        return session.Fail(problem);
    }
    InstallerUi& ui = session.Ui();
    if (!session.IsNested()) {
        ui.BeginProgress(ProgressTextsFor(session));
    }
    const int result = RunActions(session, ExecuteSequenceOf(session.Database()));
    if (!session.IsNested()) {
        ui.EndProgress();
        // The wizard's closing texts ask for its Finish button: the box's button is that one.
        if (result == kResultSuccess) {
            ui.ShowInformation(session.DialogTitle("ExitDialog"),
                               session.ControlText("ExitDialog", "Title"),
                               session.ControlText("ExitDialog", "Finish"));
        } else if (result == kResultUserExit) {
            ui.ShowInformation(session.DialogTitle("UserExit"),
                               session.ControlText("UserExit", "Description"),
                               session.ControlText("UserExit", "Finish"));
        }
    }
    return result;
}

} // namespace installer
