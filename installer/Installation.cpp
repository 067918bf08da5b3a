#include "installer/Installation.h"

#include "installer/ExecuteSequence.h"
#include "installer/InstallerLog.h"
#include "installer/Session.h"

#include <unistd.h>

namespace installer {
namespace {

std::string Absolute(const std::string& path)
{
    if (path.starts_with('/')) {
        return path;
    }
    char folder[4096];
    return ::getcwd(folder, sizeof folder) != nullptr ? std::string(folder) + "/" + path : path;
}

// The package with its transforms, or the result that ends the run.
std::variant<InstallerPackage, int> OpenPackage(const std::string& path,
                                                const std::vector<std::string>& transforms)
{
    auto package = InstallerPackage::Open(path);
    if (!package) {
        LogLine("the package cannot be opened: " + package.Error());
        return kResultPackageOpenFailed;
    }
    for (const std::string& transform : transforms) {
        auto applied = package.Value().ApplyTransform(transform);
        if (!applied) {
            LogLine("the transform cannot be applied: " + applied.Error());
            return kResultTransformFailed;
        }
    }
    return package.Take();
}

std::variant<InstallerPackage, int> OpenInstalled(const ProductRecord& record)
{
    const std::string folder = ProductStore::FolderOf(record.productCode).Path();
    std::vector<std::string> transforms;
    for (const std::string& name : record.transforms) {
        transforms.push_back(folder + name);
    }
    return OpenPackage(folder + ProductRecord::kPackageName, transforms);
}

std::vector<std::string> TransformPathsOf(const ProductRecord& record)
{
    std::vector<std::string> paths;
    for (const std::string& name : record.transforms) {
        paths.push_back(ProductStore::FolderOf(record.productCode).Path() + name);
    }
    return paths;
}

MaintenanceTexts TextsOf(Session& session)
{
    MaintenanceTexts texts;
    texts.caption = session.DialogTitle("MaintenanceTypeDlg");
    texts.title = session.ControlText("MaintenanceTypeDlg", "Title");
    texts.description = session.ControlText("MaintenanceTypeDlg", "Description");
    texts.repairButton = session.ControlText("MaintenanceTypeDlg", "RepairButton");
    texts.repairText = session.ControlText("MaintenanceTypeDlg", "RepairText");
    texts.removeButton = session.ControlText("MaintenanceTypeDlg", "RemoveButton");
    texts.removeText = session.ControlText("MaintenanceTypeDlg", "RemoveText");
    texts.cancelButton = session.ControlText("MaintenanceTypeDlg", "Cancel");
    return texts;
}

} // namespace

int RunInstall(const std::string& packagePath, const std::vector<std::string>& transformPaths,
               MaintenanceRequest request, InstallerUi& ui, bool quiet)
{
    std::vector<std::string> transforms;
    for (const std::string& path : transformPaths) {
        transforms.push_back(Absolute(path));
    }
    auto opened = OpenPackage(Absolute(packagePath), transforms);
    if (const int* result = std::get_if<int>(&opened)) {
        return *result;
    }
    InstallerPackage& package = std::get<InstallerPackage>(opened);
    const std::string productCode = package.Property("ProductCode");
    if (ProductStore().Find(productCode)) {
        return RunMaintenance(productCode, request, ui, quiet);
    }
    Session session(std::move(package), transforms, RunMode::Install, ui);
    if (!IsProductCode(productCode)) {
        return session.Fail("the package's product code \"" + productCode +
                            "\" is not a GUID in braces with upper-case digits");
    }
    return RunExecuteSequence(session);
}

int RunMaintenance(const std::string& productCode, MaintenanceRequest request, InstallerUi& ui,
                   bool quiet)
{
    const std::optional<ProductRecord> record = ProductStore().Find(productCode);
    if (!record) {
        LogLine("the product " + productCode + " is not installed");
        return kResultUnknownProduct;
    }
    if (request == MaintenanceRequest::Ask && quiet) {
        return kResultSuccess;
    }
    auto opened = OpenInstalled(*record);
    if (const int* result = std::get_if<int>(&opened)) {
        return *result;
    }
    RunMode mode = request == MaintenanceRequest::Remove ? RunMode::Remove : RunMode::Repair;
    if (request == MaintenanceRequest::Ask) {
        Session asking(std::get<InstallerPackage>(opened), {}, RunMode::Repair, ui);
        const MaintenanceChoice choice = ui.ChooseMaintenance(TextsOf(asking));
        if (choice == MaintenanceChoice::Cancel) {
            return kResultUserExit;
        }
        mode = choice == MaintenanceChoice::Remove ? RunMode::Remove : RunMode::Repair;
    }
    Session session(std::move(std::get<InstallerPackage>(opened)), TransformPathsOf(*record), mode,
                    ui);
    session.SetInstalledRecord(*record);
    return RunExecuteSequence(session);
}

int RemoveInstalledProduct(const ProductRecord& record, InstallerUi& ui)
{
    auto opened = OpenInstalled(record);
    if (const int* result = std::get_if<int>(&opened)) {
        return *result;
    }
    Session session(std::move(std::get<InstallerPackage>(opened)), TransformPathsOf(record),
                    RunMode::Remove, ui);
    session.SetNested(true);
    session.SetInstalledRecord(record);
    return RunExecuteSequence(session);
}

} // namespace installer
