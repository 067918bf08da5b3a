// The machine-wide folders that setup and its installer program use. Every root lies under
// one prefix taken from $PYRN_ROOT_PREFIX (unset or empty: the real root), so that tests,
// which run as root, never touch the real /opt, /var/opt, /var/lib or /run.
#pragma once

#include <string>
#include <string_view>

namespace platform {

inline constexpr const char* kRootPrefixVariable = "PYRN_ROOT_PREFIX";

// The prefix without a trailing '/'; empty for the real root.
std::string RootPrefix();

// Program files: <prefix>/opt.
std::string ProgramFilesFolder();
// Common application data: <prefix>/var/opt.
std::string CommonAppDataFolder();
// The registry store's hive files: <prefix>/var/lib/tarv-registry.
std::string RegistryStoreFolder();
// Machine-wide locks: <prefix>/run, where only root may create files.
std::string MachineLockFolder();
// Setup's temporary folder: $TMPDIR, else <prefix>/tmp; without a trailing '/'.
std::string SetupTempFolder();

// `folder` and `name` joined by exactly one '/'.
std::string JoinPath(std::string_view folder, std::string_view name);

} // namespace platform
