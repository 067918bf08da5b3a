// The registry in place of the Windows one: one text file per hive under the registry store
// folder (see SetupFolders.h), written only by root. Keys are paths with '\' separators and,
// like value names, compare without regard to ASCII letter case. The installer program writes
// it; setup only reads it (RegistryKey).
//
//   ; TARV registry store
//   [Software\TARV MOLTEK CORPORATION\TARV Post Log Viewer\Install]
//   "Language"=dword:00000407
//   "MsiSourceDir"="/var/opt/TARV/TARV Post Log Viewer/{...}/"
//
// Strings are quoted, with \" \\ and \n escaped; DWORDs are hexadecimal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

enum class RegistryHive
{
    LocalMachine, // HKLM.reg
    CurrentUser   // HKCU-<uid>.reg of the user running
};

enum class RegistryValueType
{
    String,
    Dword
};

struct RegistryValue
{
    RegistryValueType type = RegistryValueType::String;
    std::string text;   // String
    uint32_t dword = 0; // Dword

    static RegistryValue String(std::string text)
    {
        return {RegistryValueType::String, std::move(text), 0};
    }
    static RegistryValue Dword(uint32_t value) { return {RegistryValueType::Dword, {}, value}; }
    bool operator==(const RegistryValue&) const = default;
};

class RegistryStore
{
public:
    static std::string HivePath(RegistryHive hive);

    // Reads the hive; a missing file is an empty hive. False, with the store left empty, when
    // the file cannot be read, is malformed, or is not root's alone (owned by root in a folder
    // of root's, written by no one else): values planted by another user are never believed.
    bool Load(RegistryHive hive);
    // Writes the hive as a whole: a new file renamed over the old one, so a reader sees either.
    bool Save(RegistryHive hive) const;

    // True for a key that was created, and for every parent of one.
    bool KeyExists(std::string_view key) const;
    // True for an existing key that holds neither values nor sub-keys.
    bool IsKeyEmpty(std::string_view key) const;
    const RegistryValue* FindValue(std::string_view key, std::string_view name) const;

    void CreateKey(std::string_view key);
    void SetValue(std::string_view key, std::string_view name, RegistryValue value);
    bool DeleteValue(std::string_view key, std::string_view name);
    // Deletes the key with its sub-keys and values.
    bool DeleteKey(std::string_view key);

    // The store as text in the file's format.
    std::string Serialize() const;
    bool Parse(std::string_view text);

private:
    struct Key
    {
        std::string path;
        std::vector<std::pair<std::string, RegistryValue>> values;
    };

    Key* FindKey(std::string_view key);
    const Key* FindKey(std::string_view key) const;

    std::vector<Key> m_keys;
};

} // namespace platform
