#include "viewer/common/ResourceModule.h"

#include "resources/LanguageTables.h"

#include <QHash>
#include <optional>

namespace ResourceModule {

namespace {

// A set is copied out of its tables once, so lookups never reach into a library again.
struct ResourceSet
{
    QString language;
    QHash<unsigned, QString> strings;
    QHash<unsigned, QList<MenuItem>> menus;
    QHash<quint64, QString> dialogs;
};

quint64 DialogKey(unsigned dialogId, unsigned controlId)
{
    return (quint64{dialogId} << 32) | controlId;
}

template <typename Entry>
bool IsTable(const Entry* entries, std::size_t count)
{
    return count == 0 || entries != nullptr;
}

// Appends `item` as the last entry `level` steps down the tree's last branch; false when
// that branch is not deep enough.
bool AppendAtLevel(QList<MenuItem>& items, unsigned level, MenuItem item)
{
    if (level == 0) {
        items.append(std::move(item));
        return true;
    }
    return !items.isEmpty() && AppendAtLevel(items.last().items, level - 1, std::move(item));
}

std::optional<ResourceSet> ReadTables(const PyrnResourceTables* tables)
{
    if (tables == nullptr || tables->version != kPyrnResourceTablesVersion ||
        tables->language == nullptr || !IsTable(tables->strings, tables->stringCount) ||
        !IsTable(tables->menus, tables->menuCount) ||
        !IsTable(tables->dialogs, tables->dialogCount)) {
        return std::nullopt;
    }
    ResourceSet set;
    set.language = QString::fromUtf8(tables->language);
    for (std::size_t i = 0; i < tables->stringCount; ++i) {
        const PyrnStringEntry& entry = tables->strings[i];
        if (entry.text != nullptr) {
            set.strings.insert(entry.id, QString::fromUtf8(entry.text));
        }
    }
    for (std::size_t i = 0; i < tables->menuCount; ++i) {
        const PyrnMenuEntry& entry = tables->menus[i];
        MenuItem item{
            entry.text != nullptr ? QString::fromUtf8(entry.text) : QString(), entry.command, {}};
        if (!AppendAtLevel(set.menus[entry.menuId], entry.level, std::move(item))) {
            return std::nullopt;
        }
    }
    for (std::size_t i = 0; i < tables->dialogCount; ++i) {
        const PyrnDialogEntry& entry = tables->dialogs[i];
        if (entry.text != nullptr) {
            set.dialogs.insert(DialogKey(entry.dialogId, entry.control),
                               QString::fromUtf8(entry.text));
        }
    }
    return set;
}

const ResourceSet& BuiltInSet()
{
    static const ResourceSet set = ReadTables(PyrnBuiltInResourceTables()).value_or(ResourceSet{});
    return set;
}

struct CurrentModule
{
    ResourceSet set = BuiltInSet();
    platform::LibraryHandle library = nullptr;
};

CurrentModule& Current()
{
    static CurrentModule module;
    return module;
}

} // namespace

QString String(unsigned id)
{
    return Current().set.strings.value(id);
}

QList<MenuItem> Menu(unsigned menuId)
{
    return Current().set.menus.value(menuId);
}

QString DialogText(unsigned dialogId, unsigned controlId)
{
    return Current().set.dialogs.value(DialogKey(dialogId, controlId));
}

platform::LibraryHandle LoadLanguageLibrary(const std::string& path)
{
    platform::LibraryHandle library = platform::LoadLibraryFromPath(path);
    if (library == nullptr) {
        return nullptr;
    }
    auto* tablesOf = platform::ResolveFunction<PyrnLanguageResourceTablesFunction>(
        library, kPyrnLanguageResourceTablesSymbol);
    std::optional<ResourceSet> set;
    if (tablesOf != nullptr) {
        set = ReadTables(tablesOf());
    }
    if (!set) {
        platform::FreeLibrary(library);
        return nullptr;
    }
    Current().set = std::move(*set);
    Current().library = library;
    return library;
}

void FreeLanguageLibrary(platform::LibraryHandle library)
{
    if (library == nullptr) {
        return;
    }
    if (Current().library == library) {
        UseBuiltInSet();
    }
    platform::FreeLibrary(library);
}

void UseBuiltInSet()
{
    Current().set = BuiltInSet();
    Current().library = nullptr;
}

QString Language()
{
    return Current().set.language;
}

} // namespace ResourceModule
