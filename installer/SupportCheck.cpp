#include "installer/SupportCheck.h"

#include "installer/Actions.h"
#include "installer/ExecuteSequence.h"

#include <set>

namespace installer {
namespace {

// Tables whose rows this installer carries out or reads.
const std::set<std::string, std::less<>> kCarriedOut = {
    "_Validation",
    "ActionText",
    "AppSearch",
    "Binary",
    "Component",
    "CreateFolder",
    "CustomAction",
    "Directory",
    "DrLocator",
    "Error",
    "Feature",
    "FeatureComponents",
    "File",
    "Icon",
    "InstallExecuteSequence",
    "LaunchCondition",
    "Media",
    "MsiFileHash",
    "Property",
    "Registry",
    "RemoveFile",
    "Shortcut",
    "Signature",
    "Upgrade",
};
// The wizard, which this installer does not draw (its own windows take the wizard's texts),
// and the sequences of runs it never makes (administrative, advertising).
const std::set<std::string, std::less<>> kNotRun = {
    "AdminExecuteSequence",
    "AdminUISequence",
    "AdvtExecuteSequence",
    "AdvtUISequence",
    "BBControl",
    "Billboard",
    "CheckBox",
    "ComboBox",
    "Control",
    "ControlCondition",
    "ControlEvent",
    "Dialog",
    "EventMapping",
    "InstallUISequence",
    "ListBox",
    "ListView",
    "RadioButton",
    "TextStyle",
    "UIText",
};

constexpr int kComponentRegistryKeyPath = 4;
constexpr int kFileReadOnly = 1, kFileHidden = 2, kFileSystem = 4, kFileVital = 512,
              kFileChecksum = 1024, kFileCompressed = 16384, kFileNoncompressed = 8192;
constexpr int kCompressedByDefault = 2;

std::string Tables(const Session& session)
{
    for (const auto& [name, table] : session.Database().Tables()) {
        if (!table.Rows().empty() && !kCarriedOut.contains(name) && !kNotRun.contains(name)) {
            return "the table " + name + " is not supported";
        }
    }
    return {};
}

std::string Conditions(const Session& session)
{
    auto check = [&](const char* table, const char* column, const char* key) -> std::string {
        for (const RowView& row : Rows(session.Database(), table)) {
            const ConditionResult result =
                EvaluateCondition(row.Text(column), [](std::string_view) { return std::string(); });
            if (!result.error.empty()) {
                return "the condition of " + std::string(table) + " row " + row.Text(key) +
                       " cannot be read: " + result.error;
            }
        }
        return {};
    };
    for (const std::string& problem : {check("InstallExecuteSequence", "Condition", "Action"),
                                       check("Component", "Condition", "Component"),
                                       check("LaunchCondition", "Condition", "Condition")}) {
        if (!problem.empty()) {
            return problem;
        }
    }
    return {};
}

std::string Actions(const Session& session)
{
    for (const SequencedAction& step : ExecuteSequenceOf(session.Database())) {
        if (IsStandardAction(step.action)) {
            continue;
        }
        if (!FindRow(session.Database(), "CustomAction", step.action)) {
            return "the action " + step.action + " is not supported";
        }
        if (std::string problem = CustomActionProblem(session, step.action); !problem.empty()) {
            return problem;
        }
    }
    return {};
}

std::string Components(Session& session)
{
    for (const RowView& row : Rows(session.Database(), "Component")) {
        const int attributes = row.Int("Attributes").value_or(0);
        if ((attributes & ~kComponentRegistryKeyPath) != 0) {
            return "the attributes " + std::to_string(attributes) + " of component " +
                   row.Text("Component") + " are not supported";
        }
        if (std::string problem = session.FolderProblem(row.Text("Directory_")); !problem.empty()) {
            return problem;
        }
    }
    return {};
}

std::string Files(const Session& session)
{
    const bool compressed = (session.Package().WordCount() & kCompressedByDefault) != 0;
    constexpr int kKnown = kFileReadOnly | kFileHidden | kFileSystem | kFileVital | kFileChecksum |
                           kFileCompressed | kFileNoncompressed;
    for (const RowView& row : Rows(session.Database(), "File")) {
        const int attributes = row.Int("Attributes").value_or(0);
        const bool inCabinet = (attributes & kFileCompressed) != 0 ||
                               (compressed && (attributes & kFileNoncompressed) == 0);
        if ((attributes & ~kKnown) != 0 || !inCabinet) {
            return "the file " + row.Text("File") + " lies outside the package's cabinet" +
                   " or has attributes that are not supported";
        }
        if (!IsSafeName(LongName(row.Text("FileName")))) {
            return "the file name \"" + row.Text("FileName") + "\" is not a safe name";
        }
    }
    for (const RowView& row : Rows(session.Database(), "Media")) {
        if (!row.Text("Cabinet").starts_with('#')) {
            return "the media " + row.Text("DiskId") + " has no cabinet inside the package";
        }
    }
    return {};
}

// The first formatted column of the tables the installer writes from whose text has a form
// that it does not resolve.
std::string FormattedTexts(const Session& session)
{
    const FormatLookup lookup = [](std::string_view name) -> std::optional<std::string> {
        return Session::IsSupportedFormName(name) ? std::optional(std::string()) : std::nullopt;
    };
    const struct
    {
        const char* table;
        std::vector<const char*> columns;
    } formatted[] = {
        {"Registry", {"Key", "Name", "Value"}},
        {"Shortcut", {"Target", "Arguments", "Description"}},
        {"CustomAction", {"Target"}},
        {"DrLocator", {"Path"}},
        {"LaunchCondition", {"Description"}},
    };
    for (const auto& [table, columns] : formatted) {
        for (const RowView& row : Rows(session.Database(), table)) {
            for (const char* column : columns) {
                const FormatResult result = FormatText(row.Text(column), lookup);
                if (!result.unsupported.empty()) {
                    return "the form " + result.unsupported + " in " + table + "." + column +
                           " is not supported";
                }
            }
        }
    }
    return {};
}

std::string Values(Session& session)
{
    for (const RowView& row : Rows(session.Database(), "Registry")) {
        const int root = row.Int("Root").value_or(-2);
        const std::string name = row.Text("Name");
        const std::string value = row.Text("Value");
        const bool supportedValue = !row.IsNull("Value") &&
                                    value.find("[~]") == std::string::npos &&
                                    !(value.starts_with('#') && value.size() > 1 &&
                                      (value[1] == 'x' || value[1] == 'X' || value[1] == '%'));
        if ((root != -1 && root != 1 && root != 2) || name == "+" || name == "-" || name == "*" ||
            !supportedValue) {
            return "the registry row " + row.Text("Registry") + " is of a kind not supported";
        }
    }
    for (const RowView& row : Rows(session.Database(), "Shortcut")) {
        if (row.Text("Target").find('[') == std::string::npos) {
            return "the advertised shortcut " + row.Text("Shortcut") + " is not supported";
        }
        if (!row.IsNull("Icon_") && (!IsSafeName(row.Text("Icon_")) ||
                                     !FindRow(session.Database(), "Icon", row.Text("Icon_")))) {
            return "the icon \"" + row.Text("Icon_") + "\" of shortcut " + row.Text("Shortcut") +
                   " is not in the Icon table under a safe name";
        }
        for (const char* column : {"Directory_", "WkDir"}) {
            if (!row.IsNull(column)) {
                if (std::string problem = session.FolderProblem(row.Text(column));
                    !problem.empty()) {
                    return problem;
                }
            }
        }
    }
    for (const RowView& row : Rows(session.Database(), "RemoveFile")) {
        if (row.Text("FileName").find_first_of("*?") != std::string::npos ||
            !FindRow(session.Database(), "Directory", row.Text("DirProperty"))) {
            return "the removal row " + row.Text("FileKey") + " is of a kind not supported";
        }
    }
    for (const RowView& row : Rows(session.Database(), "Upgrade")) {
        if (!row.IsNull("Remove")) {
            return "the upgrade row of " + row.Text("ActionProperty") +
                   " removes features, which is not supported";
        }
    }
    for (const RowView& row : Rows(session.Database(), "DrLocator")) {
        if (!row.IsNull("Parent") || row.Int("Depth").value_or(0) > 0) {
            return "the search " + row.Text("Signature_") + " is of a kind not supported";
        }
    }
    for (const RowView& row : Rows(session.Database(), "Signature")) {
        for (const char* column : {"MinVersion", "MaxVersion", "MinSize", "MaxSize", "MinDate",
                                   "MaxDate", "Languages"}) {
            if (!row.IsNull(column)) {
                return "the signature " + row.Text("Signature") + " is of a kind not supported";
            }
        }
    }
    return {};
}

} // namespace

std::string FindUnsupported(Session& session)
{
    for (auto check : {Tables, Conditions, Actions, FormattedTexts}) {
        if (std::string problem = check(session); !problem.empty()) {
            return problem;
        }
    }
    for (auto check : {Components, Values}) {
        if (std::string problem = check(session); !problem.empty()) {
            return problem;
        }
    }
    return Files(session);
}

} // namespace installer
