// InstallInitialize, RegisterProduct and InstallFinalize: the journal that makes an
// installation all or nothing, the product's uninstall key and its cached package.
#include "installer/Actions.h"
#include "platform/RegistryStore.h"

#include <algorithm>
#include <charconv>
#include <unistd.h>

namespace installer {
namespace {

using platform::RegistryHive;
using platform::RegistryStore;
using platform::RegistryValue;

constexpr int kErrorCannotWriteValue = 1406;
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

uint32_t Number(const std::string& text)
{
    uint32_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

ProductRecord RecordOf(Session& session)
{
    ProductRecord record;
    record.productCode = session.ProductCode();
    record.upgradeCode = session.Property("UpgradeCode");
    record.version = session.Property("ProductVersion");
    record.language = static_cast<int>(Number(session.Property("ProductLanguage")));
    for (std::size_t i = 0; i < session.TransformPaths().size(); ++i) {
        record.transforms.push_back("transform" + std::to_string(i + 1) + ".mst");
    }
    if (session.Mode() == RunMode::Install) {
        for (const auto& [key, component] : session.Components()) {
            if (component.install) {
                record.components.push_back({component.key, component.id});
            }
        }
    } else if (session.InstalledRecord()) {
        record.components = session.InstalledRecord()->components;
        record.folders = session.InstalledRecord()->folders;
    }
    if (const TargetFolder* desktop = session.Folder("DesktopFolder")) {
        record.desktop = *desktop;
    }
    for (const TargetFolder& folder : session.GetJournal().CreatedFolders()) {
        if (std::find(record.folders.begin(), record.folders.end(), folder) ==
            record.folders.end()) {
            record.folders.push_back(folder);
        }
    }
    return record;
}

} // namespace

int InstallInitialize(Session& session)
{
    if (session.Mode() != RunMode::Remove) {
        session.GetJournal().Begin();
    }
    return kResultSuccess;
}

int RegisterProduct(Session& session)
{
    RegistryStore store;
    const std::string key = kUninstallKey + session.ProductCode();
    if (!store.Load(RegistryHive::LocalMachine)) {
        return session.Fail("the registry store cannot be read", kErrorCannotWriteValue,
                            {"DisplayName", key, "5"});
    }
    if (session.Mode() == RunMode::Remove) {
        store.DeleteKey(key);
        store.Save(RegistryHive::LocalMachine);
        return kResultSuccess;
    }
    // The product's folder first, so that the record holds it among the folders made.
    if (const int fd = OpenTargetFolder(ProductStore::FolderOf(session.ProductCode()), true,
                                        &session.GetJournal());
        fd >= 0) {
        ::close(fd);
    }
    const ProductRecord record = RecordOf(session);
    if (!session.Products().Save(record, session.Package().Path(), session.TransformPaths(),
                                 session.GetJournal())) {
        return session.Fail("the product cannot be kept in " +
                                ProductStore::FolderOf(record.productCode).Path(),
                            kErrorCannotWriteValue, {"LocalPackage", key, "5"});
    }
    store.SetValue(key, "DisplayName", RegistryValue::String(session.Property("ProductName")));
    store.SetValue(key, "DisplayVersion", RegistryValue::String(record.version));
    store.SetValue(key, "Publisher", RegistryValue::String(session.Property("Manufacturer")));
    store.SetValue(key, "Language",
                   RegistryValue::Dword(Number(session.Property("ProductLanguage"))));
    store.SetValue(key, "NoModify", RegistryValue::Dword(Number(session.Property("ARPNOMODIFY"))));
    store.SetValue(key, "WindowsInstaller", RegistryValue::Dword(1));
    if (session.Mode() == RunMode::Install) {
        store.SetValue(key, "InstallSource", RegistryValue::String(session.Property("SourceDir")));
    }
    store.SetValue(key, "LocalPackage",
                   RegistryValue::String(ProductStore::FolderOf(record.productCode).Path() +
                                         ProductRecord::kPackageName));
    if (!store.Save(RegistryHive::LocalMachine)) {
        return session.Fail("the registry store cannot be written", kErrorCannotWriteValue,
                            {"DisplayName", key, "5"});
    }
    return kResultSuccess;
}

int InstallFinalize(Session& session)
{
    if (session.GetJournal().Active()) {
        session.GetJournal().Commit();
    }
    if (session.Mode() == RunMode::Remove && session.InstalledRecord()) {
        session.Products().Remove(*session.InstalledRecord());
    }
    return kResultSuccess;
}

} // namespace installer
