// Why: the package is data that Windows Installer (and our installer) acts on row by row; every
// property, folder, file condition, registry value, upgrade rule and sequence number that the
// system relies on must be there exactly, whatever wixl and msibuild did on the way.
#include "tests/installer/InstallerFixtures.h"

#include <algorithm>
#include <map>
#include <regex>
#include <set>

namespace {

using namespace installer_test;
using msitransform::MsiRow;
using msitransform::MsiTable;
using msitransform::MsiValue;

const MsiTable& Table(std::string_view name)
{
    const MsiTable* table = Package().FindTable(name);
    if (table == nullptr) {
        static const MsiTable empty("", {});
        ADD_FAILURE() << "no table " << name;
        return empty;
    }
    return *table;
}

std::string Text(const MsiTable& table, const MsiRow& row, std::string_view column)
{
    const MsiValue& value = row.at(*table.ColumnIndex(column));
    return value.kind == MsiValue::Kind::Integer ? std::to_string(value.integer) : value.text;
}

// Rows of `table` as "column=value" texts of the named columns, for whole-table comparisons.
std::set<std::string> Rows(std::string_view name, const std::vector<std::string>& columns)
{
    const MsiTable& table = Table(name);
    std::set<std::string> rows;
    for (const MsiRow& row : table.Rows()) {
        std::string text;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            text += (i == 0 ? "" : " | ") + Text(table, row, columns[i]);
        }
        rows.insert(text);
    }
    return rows;
}

TEST(PackageTablesTest, PropertiesHoldTheirValues)
{
    const std::map<std::string, std::string> expected = {
        {"ProductName", "TARV Post Log Viewer"},
        {"Manufacturer", "TARV MOLTEK CORPORATION"},
        {"ProductVersion", "3.00.00"},
        {"ProductLanguage", "1033"},
        {"ALLUSERS", "1"},
        {"ARPNOMODIFY", "1"},
        {"ARPPRODUCTICON", "PYRNIcon.png"},
        {"REBOOT", "Suppress"},
        {"MANUFACTUREDIRNAME", "TARV"},
        {"MANUALINSTALLFILENAME", "xxx"},
        {"MANUALINSTALLED", "0"},
        {"MANUALSHORTCUTNAME", "User's Guide"},
        {"INSTALLMANUALFLAG", "1"},
        {"UI_DISABLEROLLBACK", "0"},
        {"SecureCustomProperties", "NEWFOUND;OLDFOUND;SELFFOUND"},
        {"WIXUI_INSTALLDIR", "MANUFACTURERDIR"},
    };
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(Package().Property(name).value_or("<missing>"), value) << name;
    }
    const std::regex guid(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})");
    EXPECT_TRUE(std::regex_match(Package().Property("ProductCode").value_or(""), guid));
    EXPECT_TRUE(std::regex_match(Package().Property("UpgradeCode").value_or(""), guid));
    EXPECT_NE(Package().Property("ProductCode"), Package().Property("UpgradeCode"));
    // The viewer's own icon as a picture a desktop shows, not the whole program.
    EXPECT_EQ(Rows("Icon", {"Name"}), std::set<std::string>{"PYRNIcon.png"});
    const ToolRun icon =
        RunTool("msiinfo", {"extract", QString::fromStdString(PackagePath()), "Icon.PYRNIcon.png"});
    EXPECT_EQ(icon.exitCode, 0) << icon.errors.toStdString();
    EXPECT_TRUE(icon.output.toStdString() == ReadBytes(std::string(PYRN_VIEWER_ICON)))
        << "the Icon row does not hold the viewer's icon 320";
    EXPECT_EQ(Package().Summary().templateText, "Intel;1033");
}

TEST(PackageTablesTest, FoldersNestAsInstalled)
{
    const std::string productCode = Package().Property("ProductCode").value_or("");
    EXPECT_EQ(Rows("Directory", {"Directory", "Directory_Parent", "DefaultDir"}),
              (std::set<std::string>{
                  "TARGETDIR |  | SourceDir",
                  "ProgramFilesFolder | TARGETDIR | .",
                  "MANUFACTURERDIR | ProgramFilesFolder | TARV",
                  "INSTALLLOCATION | MANUFACTURERDIR | TARV Post Log Viewer",
                  "CommonAppDataFolder | TARGETDIR | .",
                  "MANUFACTURER_APPDATA_DIR | CommonAppDataFolder | TARV",
                  "APPDATA_LOCATION | MANUFACTURER_APPDATA_DIR | TARV Post Log Viewer",
                  "MSISOURCEDIR | APPDATA_LOCATION | " + productCode,
                  "ProgramMenuFolder | TARGETDIR | .",
                  "ProgramMenuDir | ProgramMenuFolder | TARV",
                  "DesktopFolder | TARGETDIR | .",
              }));
    EXPECT_EQ(Rows("CreateFolder", {"Directory_", "Component_"}),
              (std::set<std::string>{"MANUFACTURER_APPDATA_DIR | ProductRegistry"}));
}

// Exactly one language library per ProductLanguage; everything else unconditional.
TEST(PackageTablesTest, TenLanguageLibrariesEachWithItsLanguage)
{
    const std::map<std::string, std::string> languages = {
        {"DE", "1031"}, {"EN", "1033"}, {"ES", "1034"}, {"FR", "1036"}, {"JP", "1041"},
        {"KO", "1042"}, {"RU", "1049"}, {"SC", "2052"}, {"TC", "1028"}, {"TH", "1054"}};
    std::set<std::string> expectedFiles = {"PYRN | PYRN | INSTALLLOCATION | ",
                                           "lib7-zip32.so | Archiver | INSTALLLOCATION | ",
                                           "PYRN.ini | Settings | INSTALLLOCATION | "};
    for (const auto& [code, lcid] : languages) {
        expectedFiles.insert("kwel_pyrnLanguageResource" + code + ".so | Language" + code +
                             " | INSTALLLOCATION | ProductLanguage = " + lcid);
    }
    std::set<std::string> files;
    const MsiTable& file = Table("File");
    const MsiTable& component = Table("Component");
    for (const MsiRow& row : file.Rows()) {
        const MsiValue componentKey = MsiValue::Str(Text(file, row, "Component_"));
        files.insert(Text(file, row, "FileName") + " | " + componentKey.text + " | " +
                     component.Cell({componentKey}, "Directory_")->text + " | " +
                     component.Cell({componentKey}, "Condition")->text);
    }
    EXPECT_EQ(files, expectedFiles);
    EXPECT_EQ(file.Rows().size(), 13U);
    EXPECT_EQ(Text(Table("Media"), Table("Media").Rows().at(0), "Cabinet"), "#media.cab");
    EXPECT_EQ(Text(Table("Media"), Table("Media").Rows().at(0), "LastSequence"), "13");
}

// One visible feature with a hidden child that holds every component; neither can be set
// absent (16) or advertised (8).
TEST(PackageTablesTest, FeaturesHoldEveryComponentAndCannotBeLeftOut)
{
    EXPECT_EQ(
        Rows("Feature", {"Feature", "Feature_Parent", "Title", "Display", "Attributes"}),
        (std::set<std::string>{"ProductFeature |  | TARV Post Log Viewer | 1 | 24",
                               "MainFeature | ProductFeature | TARV Post Log Viewer | 0 | 24"}));
    std::set<std::string> components;
    for (const MsiRow& row : Table("Component").Rows()) {
        components.insert("MainFeature | " + row.at(0).text);
    }
    EXPECT_EQ(Rows("FeatureComponents", {"Feature_", "Component_"}), components);
}

TEST(PackageTablesTest, RegistryValuesForSetupAndShortcuts)
{
    const std::string product = "Software\\[Manufacturer]\\TARV Post Log Viewer\\Install";
    EXPECT_EQ(
        Rows("Registry", {"Root", "Key", "Name", "Value", "Component_"}),
        (std::set<std::string>{
            "2 | " + product + " | TarvAppDataDir | [MANUFACTURER_APPDATA_DIR] | ProductRegistry",
            "2 | " + product + " | MsiSourceDir | [MSISOURCEDIR] | ProductRegistry",
            "2 | " + product + " | Language | #1033 | ProductRegistry",
            "1 | " + product + " | StartMenuManufactureDir | [ProgramMenuDir] | StartMenuShortcut",
            "1 | " + product + " | desktopmenu | #1 | DesktopShortcut",
            "1 | " + product + " | startmenu | #1 | StartMenuShortcut",
            "2 | Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\[ProductCode] | "
            "NoRepair | #1 | ProductRegistry",
        }));
    // The shortcut components are kept by their HKCU values.
    EXPECT_EQ(Rows("Component", {"Component", "KeyPath"}).count("DesktopShortcut | desktopmenu"),
              1U);
    EXPECT_EQ(Rows("Component", {"Component", "KeyPath"}).count("StartMenuShortcut | startmenu"),
              1U);
}

TEST(PackageTablesTest, ShortcutsStartTheViewerInItsFolder)
{
    EXPECT_EQ(
        Rows("Shortcut", {"Shortcut", "Directory_", "Name", "Target", "Icon_", "WkDir"}),
        (std::set<std::string>{
            "DesktopShortcut | DesktopFolder | TARV Post Log Viewer | [INSTALLLOCATION]PYRN | "
            "PYRNIcon.png | INSTALLLOCATION",
            "StartMenuShortcut | ProgramMenuDir | TARV Post Log Viewer | "
            "[INSTALLLOCATION]PYRN | PYRNIcon.png | INSTALLLOCATION",
        }));
}

TEST(PackageTablesTest, UninstallRemovesTheFoldersAndSetupsFiles)
{
    EXPECT_EQ(Rows("RemoveFile", {"FileName", "DirProperty", "InstallMode"}),
              (std::set<std::string>{" | ProgramMenuDir | 2", " | INSTALLLOCATION | 2",
                                     " | MSISOURCEDIR | 2", " | APPDATA_LOCATION | 2",
                                     " | MANUFACTURER_APPDATA_DIR | 2",
                                     "Install.dat | MSISOURCEDIR | 2", "xxx | MSISOURCEDIR | 2"}));
}

// Older versions are removed after the new files are in place, newer ones stop the install,
// the same version is only detected.
TEST(PackageTablesTest, UpgradeRulesByVersion)
{
    const std::string upgradeCode = Package().Property("UpgradeCode").value_or("");
    EXPECT_EQ(Rows("Upgrade",
                   {"UpgradeCode", "VersionMin", "VersionMax", "Attributes", "ActionProperty"}),
              (std::set<std::string>{
                  upgradeCode + " |  | 3.0.0 | 256 | OLDFOUND",
                  upgradeCode + " | 3.0.0 |  | 2 | NEWFOUND",
                  upgradeCode + " | 3.0.0 | 3.0.0 | 770 | SELFFOUND",
              }));
    EXPECT_EQ(CellText(Package(), "CustomAction", {"NoDowngrade"}, "Type"), "19");
    EXPECT_EQ(CellText(Package(), "CustomAction", {"NoDowngrade"}, "Target"),
              "A newer version of TARV Post Log Viewer is already installed.");
    EXPECT_EQ(CellText(Package(), "LaunchCondition",
                       {"(VersionNT >= 601) OR (VersionNT = 600 AND ServicePackLevel = 2)"},
                       "Description"),
              "Error occurred.");
}

TEST(PackageTablesTest, SequenceNumbersTheSystemReliesOn)
{
    struct Step
    {
        const char* table;
        const char* action;
        const char* condition;
        const char* sequence;
    };
    const Step steps[] = {
        {"InstallExecuteSequence", "FindRelatedProducts", "", "25"},
        {"InstallExecuteSequence", "NoDowngrade", "NEWFOUND", "26"},
        {"InstallExecuteSequence", "AppSearch", "", "50"},
        {"InstallExecuteSequence", "LaunchConditions", "", "100"},
        {"InstallExecuteSequence", "HideCanceAction", "", "6599"},
        {"InstallExecuteSequence", "InstallFinalize", "", "6600"},
        {"InstallExecuteSequence", "RemoveExistingProducts", "NOT Installed", "6601"},
        {"InstallUISequence", "FindRelatedProducts", "", "25"},
        {"InstallUISequence", "NoDowngrade", "NEWFOUND", "26"},
        {"InstallUISequence", "AppSearch", "", "50"},
        {"InstallUISequence", "LaunchConditions", "", "100"},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(CellText(Package(), step.table, {step.action}, "Sequence"), step.sequence)
            << step.table << " " << step.action;
        EXPECT_EQ(CellText(Package(), step.table, {step.action}, "Condition"), step.condition)
            << step.table << " " << step.action;
    }
    for (const char* action : {"InstallFiles", "WriteRegistryValues", "CreateShortcuts",
                               "RemoveFiles", "RemoveFolders", "RegisterProduct"}) {
        EXPECT_NE(CellText(Package(), "InstallExecuteSequence", {action}, "Sequence"), "<missing>")
            << action;
    }
}

// The deferred step that hides Cancel, and the folder page's check, both from the library the
// package carries as the binary stream "CustomAction".
TEST(PackageTablesTest, CustomActionsCallTheCarriedLibrary)
{
    EXPECT_EQ(Rows("CustomAction", {"Action", "Type", "Source", "Target"}),
              (std::set<std::string>{
                  "HideCanceAction | 1025 | CustomAction | HideCancelButton",
                  "WixUIValidatePath | 65 | CustomAction | ValidatePath",
                  "NoDowngrade | 19 |  | A newer version of TARV Post Log Viewer is already "
                  "installed.",
              }));
    const MsiValue* data = Table("Binary").Cell({MsiValue::Str("CustomAction")}, "Data");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->kind, MsiValue::Kind::Stream);
}

TEST(PackageTablesTest, UsersGuideIsLookedForBesideSetup)
{
    EXPECT_EQ(Rows("AppSearch", {"Property", "Signature_"}),
              (std::set<std::string>{"MANUALEXIST | ManualFile"}));
    EXPECT_EQ(Rows("Signature", {"Signature", "FileName"}),
              (std::set<std::string>{"ManualFile | xxx"}));
    EXPECT_EQ(Rows("DrLocator", {"Signature_", "Parent", "Path", "Depth"}),
              (std::set<std::string>{"ManualFile |  | [CURRENTDIRECTORY] | 0"}));
    EXPECT_EQ(CellText(Package(), "Control", {"VerifyReadyDlg", "ManualCheckBox"}, "Property"),
              "INSTALLMANUALFLAG");
    EXPECT_EQ(CellText(Package(), "Control", {"VerifyReadyDlg", "ManualCheckBox"}, "Text"),
              "Install also User's Guide(PDF)");
}

// The base package is English only, so its neutral code page needs nothing beyond ASCII.
TEST(PackageTablesTest, EveryTextIsAscii)
{
    EXPECT_EQ(Package().CodePage(), 0);
    for (const auto& [name, table] : Package().Tables()) {
        for (const MsiRow& row : table.Rows()) {
            for (const MsiValue& value : row) {
                EXPECT_TRUE(
                    std::all_of(value.text.begin(), value.text.end(),
                                [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
                    << name << ": " << value.text;
            }
        }
    }
}

// The wizard's tables are written by hand: every name one row gives must lead to a row.
TEST(PackageTablesTest, WizardTablesReferToWhatExists)
{
    const MsiTable& dialog = Table("Dialog");
    const MsiTable& control = Table("Control");
    auto hasControl = [&](const std::string& dialogName, const std::string& name) {
        return name.empty() ||
               control.FindRow({MsiValue::Str(dialogName), MsiValue::Str(name)}).has_value();
    };
    for (const MsiRow& row : dialog.Rows()) {
        const std::string name = row.at(0).text;
        for (const char* column : {"Control_First", "Control_Default", "Control_Cancel"}) {
            EXPECT_TRUE(hasControl(name, Text(dialog, row, column))) << name << " " << column;
        }
    }
    for (const MsiRow& row : control.Rows()) {
        EXPECT_TRUE(dialog.FindRow({row.at(0)})) << row.at(0).text;
        EXPECT_TRUE(hasControl(row.at(0).text, Text(control, row, "Control_Next")))
            << row.at(0).text << "/" << row.at(1).text;
    }
    const MsiTable& events = Table("ControlEvent");
    for (const MsiRow& row : events.Rows()) {
        EXPECT_TRUE(hasControl(row.at(0).text, row.at(1).text)) << row.at(0).text;
        const std::string event = Text(events, row, "Event");
        if (event == "NewDialog" || event == "SpawnDialog" || event == "SpawnWaitDialog") {
            EXPECT_TRUE(dialog.FindRow({MsiValue::Str(Text(events, row, "Argument"))}))
                << Text(events, row, "Argument");
        }
        if (event == "DoAction") {
            EXPECT_TRUE(
                Table("CustomAction").FindRow({MsiValue::Str(Text(events, row, "Argument"))}));
        }
    }
    for (std::string_view table : {"ControlCondition", "EventMapping"}) {
        for (const MsiRow& row : Table(table).Rows()) {
            EXPECT_TRUE(hasControl(row.at(0).text, row.at(1).text)) << table;
        }
    }
    for (const MsiRow& row : Table("InstallUISequence").Rows()) {
        const std::string action = row.at(0).text;
        if (action.ends_with("Dlg") || action.ends_with("Dialog") || action == "UserExit" ||
            action == "FatalError") {
            EXPECT_TRUE(dialog.FindRow({row.at(0)})) << action;
        }
    }
    const MsiValue* errorDialog = dialog.Cell({MsiValue::Str("ErrorDlg")}, "Attributes");
    ASSERT_NE(errorDialog, nullptr);
    EXPECT_NE(errorDialog->integer & 0x10000, 0) << "the error dialog carries the error flag";
    // Text styles named in texts exist.
    const std::regex style(R"(\{\\([A-Za-z_]+)\})");
    for (const MsiRow& row : control.Rows()) {
        const std::string text = Text(control, row, "Text");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), style);
             it != std::sregex_iterator(); ++it) {
            EXPECT_TRUE(Table("TextStyle").FindRow({MsiValue::Str((*it)[1])})) << (*it)[1];
        }
    }
}

} // namespace
