// One run of the installer on one package: its properties, folders and components, the texts
// it shows, and the journal that undoes a failed installation. The actions of the execute
// sequence (ExecuteSequence.h) work on it.
#pragma once

#include "installer/Condition.h"
#include "installer/FormattedText.h"
#include "installer/InstallerPackage.h"
#include "installer/InstallerUi.h"
#include "installer/Journal.h"
#include "installer/ProductStore.h"
#include "installer/TableRows.h"
#include "installer/TargetFolder.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace installer {

enum class RunMode
{
    Install,
    Repair,
    Remove
};

// Results of the installer program and its actions, as Windows Installer gives them.
inline constexpr int kResultSuccess = 0;
inline constexpr int kResultUserExit = 1602;
inline constexpr int kResultFailure = 1603;
inline constexpr int kResultUnknownProduct = 1605;
inline constexpr int kResultAlreadyRunning = 1618;
inline constexpr int kResultPackageOpenFailed = 1619;
inline constexpr int kResultTransformFailed = 1624;
inline constexpr int kResultInvalidCommandLine = 1639;

// Messages of the package's Error table that the installer shows.
inline constexpr int kErrorCaption = 9;
inline constexpr int kErrorInstallationFailed = 1708;

struct ComponentState
{
    std::string key;
    std::string id; // ComponentId
    std::string directory;
    bool install = false; // its files, values and shortcuts are written
    bool remove = false;  // it leaves this product
    bool shared = false;  // removed from this product, another still holds it: it stays
    bool Removes() const { return remove && !shared; }
};

class Session
{
public:
    Session(InstallerPackage package, std::vector<std::string> transformPaths, RunMode mode,
            InstallerUi& ui);

    const InstallerPackage& Package() const { return m_package; }
    const msitransform::MsiDatabase& Database() const { return m_package.Database(); }
    const std::vector<std::string>& TransformPaths() const { return m_transformPaths; }
    RunMode Mode() const { return m_mode; }
    InstallerUi& Ui() { return m_ui; }
    Journal& GetJournal() { return m_journal; }
    const ProductStore& Products() const { return m_products; }
    std::string ProductCode() const { return Property("ProductCode"); }

    // A run that removes an older product inside another one shows no progress of its own.
    void SetNested(bool nested) { m_nested = nested; }
    bool IsNested() const { return m_nested; }
    // The record of this product when it is installed already.
    void SetInstalledRecord(ProductRecord record);
    const std::optional<ProductRecord>& InstalledRecord() const { return m_installed; }

    std::string Property(std::string_view name) const;
    void SetProperty(const std::string& name, std::string value);

    // Formats a text of the package; a form that is not supported is logged once and comes
    // out empty (UnsupportedFormat tells it).
    std::string Format(std::string_view text, FormatAudience audience = FormatAudience::User,
                       const std::vector<std::string>& fields = {});
    ConditionResult Evaluate(std::string_view condition) const;
    // False for a bracketed form of formatted texts that this installer does not resolve.
    static bool IsSupportedFormName(std::string_view name);

    // Resolves the folders and chooses the components' states for the run's mode. False, with
    // the reason logged, when a folder or condition cannot be used.
    bool Cost();
    bool IsCosted() const { return m_costed; }
    // The resolved folder of a Directory row; null when it has none.
    const TargetFolder* Folder(const std::string& directory);
    // True for one of the system's folders that packages install below, which stay.
    bool IsSystemFolder(const TargetFolder& folder);
    const std::map<std::string, ComponentState>& Components() const { return m_components; }
    const ComponentState* Component(const std::string& key) const;
    // Why a folder could not be resolved; empty when it could.
    std::string FolderProblem(const std::string& directory);

    // Texts of the package in its language.
    std::string ErrorText(int number, const std::vector<std::string>& fields = {});
    std::string DialogTitle(std::string_view dialog);
    std::string ControlText(std::string_view dialog, std::string_view control);

    // Logs `line`, shows the package's message `error` ([1] its number, `fields` [2] on) and
    // gives 1603.
    int Fail(std::string_view line, int error = kErrorInstallationFailed,
             const std::vector<std::string>& fields = {});
    // Shows an error message of the package (and logs it, for quiet runs).
    void ShowError(const std::string& text);

private:
    std::optional<std::string> Lookup(std::string_view name,
                                      const std::vector<std::string>& fields);
    std::optional<TargetFolder> SystemFolder(std::string_view directory) const;
    std::optional<TargetFolder> ResolveFolder(const std::string& directory, int depth,
                                              std::string& problem);
    bool ChooseComponents();
    std::vector<std::string> SelectedFeatures();

    InstallerPackage m_package;
    std::vector<std::string> m_transformPaths;
    RunMode m_mode;
    InstallerUi& m_ui;
    Journal m_journal;
    ProductStore m_products;
    bool m_nested = false;
    std::optional<ProductRecord> m_installed;
    std::map<std::string, std::string, std::less<>> m_properties;
    std::map<std::string, std::optional<TargetFolder>, std::less<>> m_folders;
    std::map<std::string, std::string, std::less<>> m_folderProblems;
    std::map<std::string, ComponentState> m_components;
    bool m_costed = false;
    std::string m_reportedFormat;
};

} // namespace installer
