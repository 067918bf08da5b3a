// The names that setup builds from the product's name.
#pragma once

inline constexpr const char* kProductName = "TARV Post Log Viewer";
inline constexpr const char* kManufacturerFolder = "TARV";
// "%s Setup" of the product name: the single-instance lock's name and the log's base name.
inline constexpr const char* kSetupName = "TARV Post Log Viewer Setup";
inline constexpr const char* kLogName = "TARV Post Log Viewer Setup.log";
