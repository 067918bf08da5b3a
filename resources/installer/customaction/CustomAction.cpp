// The package's custom-action library (binary stream "CustomAction"): the entries that the
// install sequence and the install-folder page call.
#include "resources/installer/customaction/CustomAction.h"

#include "resources/installer/customaction/InstallerHost.h"

#include <algorithm>
#include <string>

namespace {

constexpr std::size_t kMaxPath = 4095;
constexpr std::size_t kMaxName = 255;

std::string Property(MSIHANDLE install, const char* name)
{
    std::string value(256, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto size = static_cast<std::uint32_t>(value.size());
        const unsigned int result = MsiGetPropertyA(install, name, value.data(), &size);
        if (result == kErrorSuccess && size < value.size()) {
            value.resize(size);
            return value;
        }
        if (result != kErrorMoreData && result != kErrorSuccess) {
            return {};
        }
        value.assign(std::size_t{size} + 1, '\0');
    }
    return {};
}

} // namespace

bool IsInstallablePath(std::string_view path)
{
    if (path.empty() || path.front() != '/' || path.size() > kMaxPath ||
        std::any_of(path.begin(), path.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
        return false;
    }
    std::size_t start = 1;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view name = path.substr(start, end - start);
        if (name == "." || name == ".." || name.size() > kMaxName) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

extern "C" {

// The last step of the installation cannot be cancelled: hide the wizard's Cancel button.
unsigned int HideCancelButton(MSIHANDLE install)
{
    const MSIHANDLE record = MsiCreateRecord(2);
    MsiRecordSetInteger(record, 1, 2); // the Cancel button
    MsiRecordSetInteger(record, 2, 0); // hidden
    MsiProcessMessage(install, kInstallMessageCommonData, record);
    MsiCloseHandle(record);
    return kErrorSuccess;
}

// The install-folder page: WIXUI_INSTALLDIR names the folder property that the page edits;
// WIXUI_INSTALLDIR_VALID becomes "1" when that folder can be installed to, else "0".
unsigned int ValidatePath(MSIHANDLE install)
{
    const std::string folderProperty = Property(install, "WIXUI_INSTALLDIR");
    const bool valid =
        !folderProperty.empty() && IsInstallablePath(Property(install, folderProperty.c_str()));
    MsiSetPropertyA(install, "WIXUI_INSTALLDIR_VALID", valid ? "1" : "0");
    return kErrorSuccess;
}
}
