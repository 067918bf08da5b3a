// FindRelatedProducts and RemoveExistingProducts with the Upgrade table's rules.
#include "installer/Actions.h"
#include "installer/Installation.h"
#include "installer/InstallerLog.h"
#include "installer/ProductVersion.h"
#include "installer/TextHelpers.h"

#include <algorithm>
#include <cctype>

namespace installer {
namespace {

constexpr int kOnlyDetect = 2;
constexpr int kIgnoreRemoveFailure = 4;
constexpr int kMinInclusive = 256;
constexpr int kMaxInclusive = 512;
constexpr int kLanguagesExclusive = 1024;

bool LanguageMatches(const std::string& languages, int language, bool exclusive)
{
    if (languages.empty()) {
        return true;
    }
    bool listed = false;
    std::size_t start = 0;
    while (start <= languages.size()) {
        const std::size_t comma = std::min(languages.find(',', start), languages.size());
        listed = listed || std::atoi(languages.substr(start, comma - start).c_str()) == language;
        start = comma + 1;
    }
    return listed != exclusive;
}

bool Matches(const RowView& row, const ProductRecord& product)
{
    const std::optional<ProductVersion> version = ProductVersion::Parse(product.version);
    if (!version || !EqualNoCase(row.Text("UpgradeCode"), product.upgradeCode)) {
        return false;
    }
    const int attributes = row.Int("Attributes").value_or(0);
    if (!row.IsNull("VersionMin")) {
        const std::optional<ProductVersion> minimum = ProductVersion::Parse(row.Text("VersionMin"));
        if (!minimum || *version < *minimum ||
            (*version == *minimum && (attributes & kMinInclusive) == 0)) {
            return false;
        }
    }
    if (!row.IsNull("VersionMax")) {
        const std::optional<ProductVersion> maximum = ProductVersion::Parse(row.Text("VersionMax"));
        if (!maximum || *version > *maximum ||
            (*version == *maximum && (attributes & kMaxInclusive) == 0)) {
            return false;
        }
    }
    return LanguageMatches(row.Text("Language"), product.language,
                           (attributes & kLanguagesExclusive) != 0);
}

} // namespace

int FindRelatedProducts(Session& session)
{
    // Only a first installation looks for related products.
    if (session.Mode() != RunMode::Install) {
        return kResultSuccess;
    }
    const std::vector<ProductRecord> installed = session.Products().List();
    for (const RowView& row : Rows(session.Database(), "Upgrade")) {
        const std::string property = row.Text("ActionProperty");
        for (const ProductRecord& product : installed) {
            if (product.productCode == session.ProductCode() || !Matches(row, product)) {
                continue;
            }
            const std::string found = session.Property(property);
            const std::vector<std::string> codes = SplitList(found);
            if (std::find(codes.begin(), codes.end(), product.productCode) == codes.end()) {
                session.SetProperty(property, found.empty() ? product.productCode
                                                            : found + ";" + product.productCode);
            }
        }
    }
    return kResultSuccess;
}

int RemoveExistingProducts(Session& session)
{
    for (const RowView& row : Rows(session.Database(), "Upgrade")) {
        const int attributes = row.Int("Attributes").value_or(0);
        if ((attributes & kOnlyDetect) != 0) {
            continue;
        }
        for (const std::string& code : SplitList(session.Property(row.Text("ActionProperty")))) {
            const std::optional<ProductRecord> product = session.Products().Find(code);
            if (!product) {
                continue;
            }
            LogLine("removing the related product " + code);
            const int result = RemoveInstalledProduct(*product, session.Ui());
            if (result != kResultSuccess && (attributes & kIgnoreRemoveFailure) == 0) {
                return session.Fail("the related product " + code + " could not be removed");
            }
        }
    }
    return kResultSuccess;
}

} // namespace installer
