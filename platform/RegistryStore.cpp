#include "platform/RegistryStore.h"

#include "platform/FileSystem.h"
#include "platform/SetupFolders.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr std::size_t kMaxHiveSize = 16 * 1024 * 1024;

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

std::string_view TrimmedKey(std::string_view key)
{
    while (!key.empty() && key.front() == '\\') {
        key.remove_prefix(1);
    }
    while (!key.empty() && key.back() == '\\') {
        key.remove_suffix(1);
    }
    return key;
}

std::string Quoted(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

// Reads a quoted text at the start of `text`, which then holds what follows it.
bool ReadQuoted(std::string_view& text, std::string& value)
{
    value.clear();
    if (text.empty() || text.front() != '"') {
        return false;
    }
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\') {
            if (++i == text.size()) {
                return false;
            }
            const char escaped = text[i];
            if (escaped != '"' && escaped != '\\' && escaped != 'n') {
                return false;
            }
            value += escaped == 'n' ? '\n' : escaped;
        } else {
            value += c;
        }
    }
    return false;
}

bool ParseValue(std::string_view text, RegistryValue& value)
{
    constexpr std::string_view kDword = "dword:";
    if (text.substr(0, kDword.size()) == kDword) {
        text.remove_prefix(kDword.size());
        uint32_t number = 0;
        const auto [end, error] =
            std::from_chars(text.data(), text.data() + text.size(), number, 16);
        if (error != std::errc() || end != text.data() + text.size() || text.size() > 8) {
            return false;
        }
        value = RegistryValue::Dword(number);
        return true;
    }
    std::string quoted;
    if (!ReadQuoted(text, quoted) || !text.empty()) {
        return false;
    }
    value = RegistryValue::String(std::move(quoted));
    return true;
}

// Root's alone: owned by root and written by no one else.
bool IsRootsAlone(const struct stat& info)
{
    return info.st_uid == 0 && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool MakeFolders(const std::string& folder)
{
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

} // namespace

std::string RegistryStore::HivePath(RegistryHive hive)
{
    const std::string name = hive == RegistryHive::LocalMachine
                                 ? std::string("HKLM.reg")
                                 : "HKCU-" + std::to_string(::getuid()) + ".reg";
    return JoinPath(RegistryStoreFolder(), name);
}

bool RegistryStore::Load(RegistryHive hive)
{
    m_keys.clear();
    const std::string path = HivePath(hive);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT;
    }
    struct stat file = {};
    struct stat folder = {};
    std::string text;
    bool ok = ::fstat(fd, &file) == 0 && S_ISREG(file.st_mode) && IsRootsAlone(file) &&
              static_cast<std::size_t>(file.st_size) <= kMaxHiveSize &&
              ::lstat(RegistryStoreFolder().c_str(), &folder) == 0 && S_ISDIR(folder.st_mode) &&
              IsRootsAlone(folder);
    if (ok) {
        text.resize(static_cast<std::size_t>(file.st_size));
        std::size_t done = 0;
        while (ok && done < text.size()) {
            const ssize_t got = ::read(fd, text.data() + done, text.size() - done);
            ok = got > 0 || (got < 0 && errno == EINTR);
            done += got > 0 ? static_cast<std::size_t>(got) : 0;
        }
    }
    ::close(fd);
    if (!ok || !Parse(text)) {
        m_keys.clear();
        return false;
    }
    return true;
}

bool RegistryStore::Save(RegistryHive hive) const
{
    const std::string folder = RegistryStoreFolder();
    if (!MakeFolders(folder)) {
        return false;
    }
    return ReplaceFile(HivePath(hive), Serialize());
}

RegistryStore::Key* RegistryStore::FindKey(std::string_view key)
{
    key = TrimmedKey(key);
    const auto found = std::find_if(m_keys.begin(), m_keys.end(),
                                    [key](const Key& k) { return EqualNoCase(k.path, key); });
    return found == m_keys.end() ? nullptr : &*found;
}

const RegistryStore::Key* RegistryStore::FindKey(std::string_view key) const
{
    return const_cast<RegistryStore*>(this)->FindKey(key);
}

bool RegistryStore::KeyExists(std::string_view key) const
{
    key = TrimmedKey(key);
    if (key.empty()) {
        return false;
    }
    return std::any_of(m_keys.begin(), m_keys.end(), [key](const Key& k) {
        return EqualNoCase(k.path, key) ||
               (k.path.size() > key.size() && k.path[key.size()] == '\\' &&
                EqualNoCase(std::string_view(k.path).substr(0, key.size()), key));
    });
}

bool RegistryStore::IsKeyEmpty(std::string_view key) const
{
    key = TrimmedKey(key);
    const Key* found = FindKey(key);
    return found != nullptr && found->values.empty() &&
           std::none_of(m_keys.begin(), m_keys.end(), [key](const Key& k) {
               return k.path.size() > key.size() && k.path[key.size()] == '\\' &&
                      EqualNoCase(std::string_view(k.path).substr(0, key.size()), key);
           });
}

const RegistryValue* RegistryStore::FindValue(std::string_view key, std::string_view name) const
{
    const Key* found = FindKey(key);
    if (found == nullptr) {
        return nullptr;
    }
    for (const auto& [valueName, value] : found->values) {
        if (EqualNoCase(valueName, name)) {
            return &value;
        }
    }
    return nullptr;
}

void RegistryStore::CreateKey(std::string_view key)
{
    key = TrimmedKey(key);
    if (!key.empty() && FindKey(key) == nullptr) {
        m_keys.push_back(Key{std::string(key), {}});
    }
}

void RegistryStore::SetValue(std::string_view key, std::string_view name, RegistryValue value)
{
    CreateKey(key);
    Key* found = FindKey(key);
    if (found == nullptr) {
        return;
    }
    for (auto& [valueName, existing] : found->values) {
        if (EqualNoCase(valueName, name)) {
            existing = std::move(value);
            return;
        }
    }
    found->values.emplace_back(std::string(name), std::move(value));
}

bool RegistryStore::DeleteValue(std::string_view key, std::string_view name)
{
    Key* found = FindKey(key);
    if (found == nullptr) {
        return false;
    }
    const auto erased = std::erase_if(
        found->values, [name](const auto& entry) { return EqualNoCase(entry.first, name); });
    return erased > 0;
}

bool RegistryStore::DeleteKey(std::string_view key)
{
    key = TrimmedKey(key);
    if (key.empty()) {
        return false;
    }
    const auto erased = std::erase_if(m_keys, [key](const Key& k) {
        return EqualNoCase(k.path, key) ||
               (k.path.size() > key.size() && k.path[key.size()] == '\\' &&
                EqualNoCase(std::string_view(k.path).substr(0, key.size()), key));
    });
    return erased > 0;
}

std::string RegistryStore::Serialize() const
{
    std::string text = "; TARV registry store\n";
    for (const Key& key : m_keys) {
        text += "\n[" + key.path + "]\n";
        for (const auto& [name, value] : key.values) {
            char number[16];
            std::snprintf(number, sizeof number, "dword:%08x", value.dword);
            text += Quoted(name) + "=" +
                    (value.type == RegistryValueType::Dword ? std::string(number)
                                                            : Quoted(value.text)) +
                    "\n";
        }
    }
    return text;
}

bool RegistryStore::Parse(std::string_view text)
{
    m_keys.clear();
    Key* current = nullptr;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || TrimmedKey(line.substr(1, line.size() - 2)).empty()) {
                m_keys.clear();
                return false;
            }
            CreateKey(line.substr(1, line.size() - 2));
            current = FindKey(line.substr(1, line.size() - 2));
            continue;
        }
        std::string name;
        RegistryValue value;
        if (current == nullptr || !ReadQuoted(line, name) || line.empty() || line.front() != '=' ||
            !ParseValue(line.substr(1), value)) {
            m_keys.clear();
            return false;
        }
        const std::string path = current->path;
        SetValue(path, name, std::move(value));
        current = FindKey(path);
    }
    return true;
}

} // namespace platform
