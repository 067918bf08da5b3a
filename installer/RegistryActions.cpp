// WriteRegistryValues and RemoveRegistryValues on the platform's registry store.
#include "installer/Actions.h"
#include "platform/RegistryStore.h"

#include <charconv>

namespace installer {
namespace {

using platform::RegistryHive;
using platform::RegistryStore;
using platform::RegistryValue;

constexpr int kErrorCannotOpenKey = 1402;
constexpr int kErrorCannotWriteValue = 1406;

struct RegistryRow
{
    RegistryHive hive;
    std::string key;
    std::string name;
};

RegistryRow Resolve(Session& session, const RowView& row)
{
    const int root = row.Int("Root").value_or(-1);
    const bool machine = root == 2 || (root == -1 && session.Property("ALLUSERS") == "1");
    return {machine ? RegistryHive::LocalMachine : RegistryHive::CurrentUser,
            session.Format(row.Text("Key")), session.Format(row.Text("Name"))};
}

// "#n" is a DWORD, "##text" the text "#text", anything else a text.
std::optional<RegistryValue> ValueOf(const std::string& text)
{
    if (!text.starts_with('#')) {
        return RegistryValue::String(text);
    }
    if (text.starts_with("##")) {
        return RegistryValue::String(text.substr(1));
    }
    std::string_view number = std::string_view(text).substr(1);
    if (number.starts_with('+')) {
        number.remove_prefix(1);
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (number.empty() || error != std::errc() || end != number.data() + number.size() ||
        value < INT32_MIN || value > UINT32_MAX) {
        return std::nullopt;
    }
    return RegistryValue::Dword(static_cast<uint32_t>(value));
}

struct Hives
{
    RegistryStore machine;
    RegistryStore user;
    bool loaded = false;

    Hives()
    {
        loaded = machine.Load(RegistryHive::LocalMachine) && user.Load(RegistryHive::CurrentUser);
    }
    RegistryStore& Of(RegistryHive hive)
    {
        return hive == RegistryHive::LocalMachine ? machine : user;
    }
    bool Save() const
    {
        return machine.Save(RegistryHive::LocalMachine) && user.Save(RegistryHive::CurrentUser);
    }
};

} // namespace

int WriteRegistryValues(Session& session)
{
    Hives hives;
    if (!hives.loaded) {
        return session.Fail("the registry store cannot be read", kErrorCannotOpenKey,
                            {"HKEY_LOCAL_MACHINE"});
    }
    bool any = false;
    for (const RowView& row : Rows(session.Database(), "Registry")) {
        const ComponentState* component = session.Component(row.Text("Component_"));
        if (component == nullptr || !component->install) {
            continue;
        }
        const RegistryRow target = Resolve(session, row);
        const std::optional<RegistryValue> value = ValueOf(session.Format(row.Text("Value")));
        if (!value || target.key.empty()) {
            return session.Fail("the registry row " + row.Text("Registry") +
                                    " has no value that can be written",
                                kErrorCannotWriteValue, {target.name, target.key, "87"});
        }
        hives.Of(target.hive).SetValue(target.key, target.name, *value);
        any = true;
    }
    if (any && !hives.Save()) {
        return session.Fail("the registry store cannot be written", kErrorCannotWriteValue,
                            {"", "HKEY_LOCAL_MACHINE", "5"});
    }
    return kResultSuccess;
}

int RemoveRegistryValues(Session& session)
{
    Hives hives;
    if (!hives.loaded) {
        return kResultSuccess; // nothing of ours can be in a store that cannot be read
    }
    bool any = false;
    for (const RowView& row : Rows(session.Database(), "Registry")) {
        const ComponentState* component = session.Component(row.Text("Component_"));
        if (component == nullptr || !component->Removes()) {
            continue;
        }
        const RegistryRow target = Resolve(session, row);
        RegistryStore& store = hives.Of(target.hive);
        store.DeleteValue(target.key, target.name);
        // A key left empty goes, and so do the keys above that it alone filled.
        std::string key = target.key;
        while (!key.empty() && store.IsKeyEmpty(key)) {
            store.DeleteKey(key);
            const std::size_t slash = key.rfind('\\');
            key = slash == std::string::npos ? std::string() : key.substr(0, slash);
        }
        any = true;
    }
    if (any) {
        hives.Save();
    }
    return kResultSuccess;
}

} // namespace installer
