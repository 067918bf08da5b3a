#include "installer/ProductStore.h"

#include "installer/TextHelpers.h"
#include "platform/FileSystem.h"
#include "platform/InstallerFolders.h"
#include "platform/TextFields.h"

#include <algorithm>
#include <charconv>
#include <dirent.h>
#include <memory>
#include <unistd.h>

namespace installer {
namespace {

constexpr const char* kRecordName = "product.txt";
constexpr std::size_t kMaxRecordBytes = 1024 * 1024;
constexpr std::size_t kMaxPackageBytes = std::size_t{2} * 1024 * 1024 * 1024;

// A folder as one line's value: its owner ("uid:gid", or "-"), its root and its names, each
// after a tab.
std::string FolderText(const TargetFolder& folder)
{
    std::string text =
        folder.owner ? std::to_string(folder.owner->uid) + ":" + std::to_string(folder.owner->gid)
                     : "-";
    text += "\t" + folder.root;
    for (const std::string& name : folder.names) {
        text += "\t" + name;
    }
    return text;
}

std::optional<TargetFolder> ParseFolder(std::string_view text)
{
    const std::vector<std::string> fields = platform::SplitFields(text, '\t');
    if (fields.size() < 2 || !fields[1].starts_with('/')) {
        return std::nullopt;
    }
    TargetFolder folder{fields[1], {fields.begin() + 2, fields.end()}, {}};
    if (fields[0] != "-") {
        const std::string& ids = fields[0];
        const char* colon = ids.data() + std::min(ids.find(':'), ids.size());
        const char* end = ids.data() + ids.size();
        FolderOwner owner;
        const auto [uidEnd, uidError] = std::from_chars(ids.data(), colon, owner.uid);
        const auto [gidEnd, gidError] =
            std::from_chars(colon + (colon < end ? 1 : 0), end, owner.gid);
        if (colon == end || uidError != std::errc() || gidError != std::errc() || uidEnd != colon ||
            gidEnd != end) {
            return std::nullopt;
        }
        folder.owner = owner;
    }
    if (!std::all_of(folder.names.begin(), folder.names.end(), IsSafeName)) {
        return std::nullopt;
    }
    return folder;
}

} // namespace

bool IsProductCode(std::string_view code)
{
    if (code.size() != 38 || code.front() != '{' || code.back() != '}') {
        return false;
    }
    for (std::size_t i = 1; i < 37; ++i) {
        const char c = code[i];
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return true;
}

std::string ProductRecord::Serialize() const
{
    std::string text = "ProductCode=" + productCode + "\nUpgradeCode=" + upgradeCode +
                       "\nVersion=" + version + "\nLanguage=" + std::to_string(language) + "\n";
    for (const std::string& transform : transforms) {
        text += "Transform=" + transform + "\n";
    }
    for (const InstalledComponent& component : components) {
        text += "Component=" + component.key + "\t" + component.id + "\n";
    }
    if (desktop) {
        text += "Desktop=" + FolderText(*desktop) + "\n";
    }
    for (const TargetFolder& folder : folders) {
        text += "Folder=" + FolderText(folder) + "\n";
    }
    return text;
}

std::optional<ProductRecord> ProductRecord::Parse(std::string_view text)
{
    ProductRecord record;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = line.substr(0, equals);
        const std::string value(line.substr(equals + 1));
        if (key == "ProductCode") {
            record.productCode = value;
        } else if (key == "UpgradeCode") {
            record.upgradeCode = value;
        } else if (key == "Version") {
            record.version = value;
        } else if (key == "Language") {
            record.language = std::atoi(value.c_str());
        } else if (key == "Transform" && IsSafeName(value)) {
            record.transforms.push_back(value);
        } else if (key == "Component") {
            const std::size_t tab = value.find('\t');
            record.components.push_back(
                {value.substr(0, tab), tab == std::string::npos ? "" : value.substr(tab + 1)});
        } else if (key == "Desktop") {
            record.desktop = ParseFolder(value);
        } else if (key == "Folder") {
            if (std::optional<TargetFolder> folder = ParseFolder(value)) {
                record.folders.push_back(std::move(*folder));
            }
        }
    }
    if (!IsProductCode(record.productCode)) {
        return std::nullopt;
    }
    return record;
}

TargetFolder ProductStore::FolderOf(const std::string& productCode)
{
    return TargetFolder{platform::InstallerCacheFolder(), {productCode}, {}};
}

std::vector<ProductRecord> ProductStore::List() const
{
    std::vector<ProductRecord> records;
    std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(platform::InstallerCacheFolder().c_str()),
                                               ::closedir);
    if (!folder) {
        return records;
    }
    std::vector<std::string> codes;
    while (const dirent* entry = ::readdir(folder.get())) {
        if (IsProductCode(entry->d_name)) {
            codes.emplace_back(entry->d_name);
        }
    }
    std::sort(codes.begin(), codes.end());
    for (const std::string& code : codes) {
        if (std::optional<ProductRecord> record = Find(code)) {
            records.push_back(std::move(*record));
        }
    }
    return records;
}

std::optional<ProductRecord> ProductStore::Find(const std::string& productCode) const
{
    if (!IsProductCode(productCode) ||
        KindOf(FolderOf(productCode), kRecordName) != EntryKind::File) {
        return std::nullopt;
    }
    const std::optional<std::string> text =
        platform::ReadSmallFile(FolderOf(productCode).Path() + kRecordName, kMaxRecordBytes);
    std::optional<ProductRecord> record = text ? ProductRecord::Parse(*text) : std::nullopt;
    if (!record || record->productCode != productCode) {
        return std::nullopt;
    }
    return record;
}

bool ProductStore::Save(const ProductRecord& record, const std::string& packagePath,
                        const std::vector<std::string>& transformPaths, Journal& journal) const
{
    const TargetFolder folder = FolderOf(record.productCode);
    if (!IsProductCode(record.productCode) || transformPaths.size() != record.transforms.size()) {
        return false;
    }
    auto copy = [&](const std::string& from, const std::string& name) {
        const std::optional<std::string> bytes = platform::ReadSmallFile(from, kMaxPackageBytes);
        return bytes &&
               WriteTargetFile(folder, name, *bytes, 0600, journal) == WriteOutcome::Written;
    };
    // Maintenance reads the package back from here: never copied onto itself.
    const bool samePackage = packagePath == folder.Path() + ProductRecord::kPackageName;
    if (!samePackage && !copy(packagePath, ProductRecord::kPackageName)) {
        return false;
    }
    for (std::size_t i = 0; i < transformPaths.size(); ++i) {
        if (transformPaths[i] != folder.Path() + record.transforms[i] &&
            !copy(transformPaths[i], record.transforms[i])) {
            return false;
        }
    }
    return WriteTargetFile(folder, kRecordName, record.Serialize(), 0600, journal) ==
           WriteOutcome::Written;
}

void ProductStore::Remove(const ProductRecord& record) const
{
    // Its record, package and transforms, and the icons of its shortcuts: every file in it.
    const TargetFolder folder = FolderOf(record.productCode);
    if (const int fd = OpenTargetFolder(folder, false, nullptr); fd >= 0) {
        std::unique_ptr<DIR, int (*)(DIR*)> entries(::fdopendir(fd), ::closedir);
        std::vector<std::string> names;
        while (const dirent* entry = entries ? ::readdir(entries.get()) : nullptr) {
            names.emplace_back(entry->d_name);
        }
        for (const std::string& name : names) {
            ::unlinkat(fd, name.c_str(), 0); // a folder, "." and ".." stay
        }
        if (!entries) {
            ::close(fd);
        }
    }
    RemoveEmptyTargetFolder(folder);
    std::vector<TargetFolder> made = record.folders;
    std::sort(made.begin(), made.end(), [](const TargetFolder& a, const TargetFolder& b) {
        return a.Path().size() > b.Path().size();
    });
    for (const TargetFolder& madeFolder : made) {
        RemoveEmptyTargetFolder(madeFolder);
    }
}

bool ProductStore::IsHeldElsewhere(std::string_view componentId, std::string_view productCode) const
{
    if (componentId.empty()) {
        return false;
    }
    for (const ProductRecord& record : List()) {
        if (record.productCode == productCode) {
            continue;
        }
        for (const InstalledComponent& component : record.components) {
            if (EqualNoCase(component.id, componentId)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace installer
