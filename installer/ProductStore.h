// The products this installer has installed, one folder each under the installer's cache
// folder named by the product code: the package and transforms it was installed from (for
// maintenance, which must work after setup's copy is gone) and a record of what it holds.
// Components are counted by their ComponentId across products, so removing one product
// leaves what another still uses.
#pragma once

#include "installer/Journal.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace installer {

struct InstalledComponent
{
    std::string key; // the Component table's key
    std::string id;  // its ComponentId
};

struct ProductRecord
{
    std::string productCode;
    std::string upgradeCode;
    std::string version;
    int language = 0;
    std::vector<std::string> transforms; // file names in the product's folder, in order
    std::vector<InstalledComponent> components;
    // The desktop its shortcuts went to, where maintenance finds them whoever runs it.
    std::optional<TargetFolder> desktop;
    // The folders its installation made, which its removal takes again when they are empty.
    std::vector<TargetFolder> folders;

    static constexpr const char* kPackageName = "package.msi";

    std::string Serialize() const;
    static std::optional<ProductRecord> Parse(std::string_view text);
};

// A product code as the installer writes it: a GUID in braces with upper-case hex digits.
bool IsProductCode(std::string_view code);

class ProductStore
{
public:
    // The cached folder of `productCode` (which must be IsProductCode).
    static TargetFolder FolderOf(const std::string& productCode);

    std::vector<ProductRecord> List() const;
    std::optional<ProductRecord> Find(const std::string& productCode) const;

    // Writes the record with copies of the package and the transforms (given by path).
    bool Save(const ProductRecord& record, const std::string& packagePath,
              const std::vector<std::string>& transformPaths, Journal& journal) const;
    // Deletes the product's folder with everything in it, then the folders its installation
    // made that are left empty.
    void Remove(const ProductRecord& record) const;

    // True when a product other than `productCode` holds the component.
    bool IsHeldElsewhere(std::string_view componentId, std::string_view productCode) const;
};

} // namespace installer
