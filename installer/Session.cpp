#include "installer/Session.h"

#include "installer/InstallerLog.h"
#include "platform/InstallerFolders.h"
#include "platform/SetupFolders.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <set>
#include <unistd.h>

namespace installer {
namespace {

using msitransform::MsiValue;

constexpr int kMaxFolderDepth = 32;

// The system's folders that a package may install below, by their Directory names.
constexpr std::array<std::string_view, 4> kSystemFolders = {
    "ProgramFilesFolder", "CommonAppDataFolder", "ProgramMenuFolder", "DesktopFolder"};

std::string CurrentFolder()
{
    std::string folder(4096, '\0');
    if (::getcwd(folder.data(), folder.size()) == nullptr) {
        return {};
    }
    folder.resize(folder.find('\0'));
    return folder;
}

std::string FolderOfFile(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return CurrentFolder() + "/";
    }
    return path.substr(0, slash + 1);
}

bool IsNumber(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() && value > 0;
}

} // namespace

Session::Session(InstallerPackage package, std::vector<std::string> transformPaths, RunMode mode,
                 InstallerUi& ui)
    : m_package(std::move(package)), m_transformPaths(std::move(transformPaths)), m_mode(mode),
      m_ui(ui)
{
    for (const RowView& row : Rows(Database(), "Property")) {
        m_properties[row.Text("Property")] = row.Text("Value");
    }
    // A supported system: Windows 7 with Service Pack 1, run by an administrator.
    m_properties["VersionNT"] = "601";
    m_properties["ServicePackLevel"] = "1";
    m_properties["WindowsBuild"] = "7601";
    m_properties["Privileged"] = "1";
    m_properties["AdminUser"] = "1";
    m_properties.try_emplace("INSTALLLEVEL", "1");
    for (const std::string_view folder : kSystemFolders) {
        if (const std::optional<TargetFolder> resolved = SystemFolder(folder)) {
            m_properties[std::string(folder)] = resolved->Path();
        }
    }
    m_properties["OriginalDatabase"] = m_package.Path();
    m_properties["SourceDir"] = FolderOfFile(m_package.Path());
    m_properties["SOURCEDIR"] = m_properties["SourceDir"];
    m_properties["CURRENTDIRECTORY"] = CurrentFolder();
    std::string transforms;
    for (const std::string& path : m_transformPaths) {
        transforms += (transforms.empty() ? "" : ";") + path;
    }
    m_properties["TRANSFORMS"] = transforms;
    if (mode != RunMode::Install) {
        m_properties["Installed"] = "1";
        m_properties[mode == RunMode::Remove ? "REMOVE" : "REINSTALL"] = "ALL";
    }
}

void Session::SetInstalledRecord(ProductRecord record)
{
    m_installed = std::move(record);
    if (m_installed->desktop) {
        m_properties["DesktopFolder"] = m_installed->desktop->Path();
    }
}

std::optional<TargetFolder> Session::SystemFolder(std::string_view directory) const
{
    if (directory == "ProgramFilesFolder") {
        return TargetFolder{platform::ProgramFilesFolder(), {}, {}};
    }
    if (directory == "CommonAppDataFolder") {
        return TargetFolder{platform::CommonAppDataFolder(), {}, {}};
    }
    if (directory == "ProgramMenuFolder") {
        return TargetFolder{platform::ProgramMenuFolder(), {}, {}};
    }
    // Maintenance works on the desktop that the installation wrote to, whoever runs it.
    if (m_installed && m_installed->desktop) {
        return m_installed->desktop;
    }
    const std::optional<platform::UserDesktop> desktop = platform::DesktopFolder();
    if (!desktop) {
        return std::nullopt;
    }
    return TargetFolder{desktop->home, desktop->names, FolderOwner{desktop->uid, desktop->gid}};
}

std::string Session::Property(std::string_view name) const
{
    const auto found = m_properties.find(name);
    return found == m_properties.end() ? std::string() : found->second;
}

void Session::SetProperty(const std::string& name, std::string value)
{
    if (value.empty()) {
        m_properties.erase(name);
    } else {
        m_properties[name] = std::move(value);
    }
}

std::optional<std::string> Session::Lookup(std::string_view name,
                                           const std::vector<std::string>& fields)
{
    if (IsNumber(name)) {
        std::size_t index = 0;
        std::from_chars(name.data(), name.data() + name.size(), index);
        return index <= fields.size() ? fields[index - 1] : std::string();
    }
    if (name.front() == '#' || name.front() == '!') {
        const std::optional<RowView> file = FindRow(Database(), "File", name.substr(1));
        const ComponentState* component = file ? Component(file->Text("Component_")) : nullptr;
        const TargetFolder* folder = component ? Folder(component->directory) : nullptr;
        return folder ? folder->Path() + LongName(file->Text("FileName")) : std::string();
    }
    if (name.front() == '$') {
        const ComponentState* component = Component(std::string(name.substr(1)));
        const TargetFolder* folder = component ? Folder(component->directory) : nullptr;
        return folder ? folder->Path() : std::string();
    }
    return IsSupportedFormName(name) ? std::optional(Property(name)) : std::nullopt;
}

bool Session::IsSupportedFormName(std::string_view name)
{
    // Environment variables ([%NAME]) and the list separator ([~]) are not written here.
    return !name.starts_with('%') && !name.starts_with('~');
}

std::string Session::Format(std::string_view text, FormatAudience audience,
                            const std::vector<std::string>& fields)
{
    const FormatResult result = FormatText(
        text, [&](std::string_view name) { return Lookup(name, fields); }, audience);
    if (!result.unsupported.empty() && m_reportedFormat != result.unsupported) {
        m_reportedFormat = result.unsupported;
        LogLine("the formatted form " + result.unsupported + " is not supported");
    }
    return result.text;
}

ConditionResult Session::Evaluate(std::string_view condition) const
{
    return EvaluateCondition(condition, [this](std::string_view name) { return Property(name); });
}

std::optional<TargetFolder> Session::ResolveFolder(const std::string& directory, int depth,
                                                   std::string& problem)
{
    if (std::find(kSystemFolders.begin(), kSystemFolders.end(), directory) !=
        kSystemFolders.end()) {
        std::optional<TargetFolder> folder = SystemFolder(directory);
        if (!folder) {
            problem = "is the desktop of a user who cannot be found";
        } else if (!std::all_of(folder->names.begin(), folder->names.end(), IsSafeName)) {
            problem = "is the desktop " + folder->Path() + ", whose names are not safe names";
            folder.reset();
        }
        return folder;
    }
    const std::optional<RowView> row = FindRow(Database(), "Directory", directory);
    if (!row) {
        problem = "is not in the Directory table";
        return std::nullopt;
    }
    const std::string parent = row->Text("Directory_Parent");
    if (parent.empty() || parent == directory || depth > kMaxFolderDepth) {
        problem = "lies outside the program files, common data, menu and desktop folders";
        return std::nullopt;
    }
    std::optional<TargetFolder> folder = ResolveFolder(parent, depth + 1, problem);
    if (!folder) {
        return std::nullopt;
    }
    const std::string name = LongName(row->Text("DefaultDir"));
    if (name == ".") {
        return folder;
    }
    if (!IsSafeName(name)) {
        problem = "leads through " + directory + ", named \"" + name + "\", not a safe name";
        return std::nullopt;
    }
    return folder->Child(name);
}

const TargetFolder* Session::Folder(const std::string& directory)
{
    auto found = m_folders.find(directory);
    if (found == m_folders.end()) {
        std::string problem;
        std::optional<TargetFolder> folder = ResolveFolder(directory, 0, problem);
        if (!folder) {
            m_folderProblems[directory] = "the folder " + directory + " " + problem;
        }
        found = m_folders.emplace(directory, std::move(folder)).first;
    }
    return found->second ? &*found->second : nullptr;
}

std::string Session::FolderProblem(const std::string& directory)
{
    Folder(directory);
    const auto found = m_folderProblems.find(directory);
    return found == m_folderProblems.end() ? std::string() : found->second;
}

bool Session::IsSystemFolder(const TargetFolder& folder)
{
    return std::any_of(kSystemFolders.begin(), kSystemFolders.end(), [&](std::string_view name) {
        const TargetFolder* system = Folder(std::string(name));
        return system != nullptr && *system == folder;
    });
}

const ComponentState* Session::Component(const std::string& key) const
{
    const auto found = m_components.find(key);
    return found == m_components.end() ? nullptr : &found->second;
}

std::vector<std::string> Session::SelectedFeatures()
{
    int installLevel = 1;
    const std::string level = Property("INSTALLLEVEL");
    std::from_chars(level.data(), level.data() + level.size(), installLevel);
    std::map<std::string, std::string> parents;
    std::set<std::string> enabled;
    for (const RowView& row : Rows(Database(), "Feature")) {
        const std::optional<int> featureLevel = row.Int("Level");
        parents[row.Text("Feature")] = row.Text("Feature_Parent");
        if (featureLevel && *featureLevel > 0 && *featureLevel <= installLevel) {
            enabled.insert(row.Text("Feature"));
        }
    }
    std::vector<std::string> selected;
    for (const std::string& feature : enabled) {
        // A feature whose parent is off is off too.
        std::string parent = parents[feature];
        int depth = 0;
        while (!parent.empty() && enabled.contains(parent) && ++depth < kMaxFolderDepth) {
            parent = parents[parent];
        }
        if (parent.empty()) {
            selected.push_back(feature);
        }
    }
    return selected;
}

bool Session::ChooseComponents()
{
    m_components.clear();
    std::set<std::string> chosen;
    if (m_mode == RunMode::Install) {
        const std::vector<std::string> features = SelectedFeatures();
        for (const RowView& row : Rows(Database(), "FeatureComponents")) {
            if (std::find(features.begin(), features.end(), row.Text("Feature_")) !=
                features.end()) {
                chosen.insert(row.Text("Component_"));
            }
        }
    } else if (m_installed) {
        for (const InstalledComponent& component : m_installed->components) {
            chosen.insert(component.key);
        }
    }
    for (const RowView& row : Rows(Database(), "Component")) {
        ComponentState state;
        state.key = row.Text("Component");
        state.id = row.Text("ComponentId");
        state.directory = row.Text("Directory_");
        if (!chosen.contains(state.key)) {
            m_components.emplace(state.key, state);
            continue;
        }
        if (m_mode == RunMode::Install) {
            const ConditionResult condition = Evaluate(row.Text("Condition"));
            if (!condition.error.empty()) {
                LogLine("the condition of component " + state.key +
                        " cannot be read: " + condition.error);
                return false;
            }
            state.install = condition.value;
        } else {
            state.install = m_mode == RunMode::Repair;
            state.remove = m_mode == RunMode::Remove;
            state.shared = state.remove && m_products.IsHeldElsewhere(state.id, ProductCode());
        }
        if ((state.install || state.remove) && Folder(state.directory) == nullptr) {
            LogLine(FolderProblem(state.directory));
            return false;
        }
        m_components.emplace(state.key, state);
    }
    return true;
}

bool Session::Cost()
{
    for (const RowView& row : Rows(Database(), "Directory")) {
        const std::string directory = row.Text("Directory");
        if (const TargetFolder* folder = Folder(directory)) {
            m_properties[directory] = folder->Path();
        }
    }
    m_costed = ChooseComponents();
    return m_costed;
}

std::string Session::ErrorText(int number, const std::vector<std::string>& fields)
{
    const msitransform::MsiTable* table = Database().FindTable("Error");
    const MsiValue* message = table ? table->Cell({MsiValue::Int(number)}, "Message") : nullptr;
    return message ? Format(message->text, FormatAudience::User, fields) : std::string();
}

std::string Session::DialogTitle(std::string_view dialog)
{
    const std::optional<RowView> row = FindRow(Database(), "Dialog", dialog);
    return row ? Format(row->Text("Title")) : std::string();
}

std::string Session::ControlText(std::string_view dialog, std::string_view control)
{
    const msitransform::MsiTable* table = Database().FindTable("Control");
    const MsiValue* text =
        table
            ? table->Cell({MsiValue::Str(std::string(dialog)), MsiValue::Str(std::string(control))},
                          "Text")
            : nullptr;
    return text ? Format(WithoutTextStyle(text->text)) : std::string();
}

int Session::Fail(std::string_view line, int error, const std::vector<std::string>& fields)
{
    LogLine(line);
    std::vector<std::string> record = {std::to_string(error)};
    record.insert(record.end(), fields.begin(), fields.end());
    std::string text = ErrorText(error, record);
    if (text.empty()) {
        text = ErrorText(kErrorInstallationFailed);
    }
    ShowError(text);
    return kResultFailure;
}

void Session::ShowError(const std::string& text)
{
    LogLine("message: " + text);
    m_ui.ShowError(ErrorText(kErrorCaption), text, ControlText("ErrorDlg", "O"));
}

} // namespace installer
