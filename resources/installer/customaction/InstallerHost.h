// The part of the installer's programming interface that the package's custom actions call.
// The installer program that runs the package exports these functions, as Windows Installer's
// own library does; texts are UTF-8.
#pragma once

#include <cstdint>

extern "C" {

using MSIHANDLE = std::uint32_t;

inline constexpr unsigned int kErrorSuccess = 0;
inline constexpr unsigned int kErrorMoreData = 234;
inline constexpr int kInstallMessageCommonData = 0x0B000000;

MSIHANDLE MsiCreateRecord(unsigned int fieldCount);
unsigned int MsiRecordSetInteger(MSIHANDLE record, unsigned int field, int value);
unsigned int MsiCloseHandle(MSIHANDLE handle);
int MsiProcessMessage(MSIHANDLE install, int messageType, MSIHANDLE record);
// `size`: the buffer's size in bytes on entry, the value's length without its terminating zero
// on return; kErrorMoreData when the buffer was too small for the value and its zero.
unsigned int MsiGetPropertyA(MSIHANDLE install, const char* name, char* value, std::uint32_t* size);
unsigned int MsiSetPropertyA(MSIHANDLE install, const char* name, const char* value);
}
