#include "installer/Cabinet.h"

#include "installer/GObjectPtr.h"
#include "installer/TargetFolder.h"

#include <gio/gio.h>
#include <libgcab.h>
#include <memory>
#include <set>

namespace installer {
namespace {

using FileList = std::unique_ptr<GSList, void (*)(GSList*)>;

Failure CabinetFailure(const std::string& what, GError* error)
{
    return GlibFailure("the cabinet " + what, error);
}

template <typename Visit>
void ForEachEntry(GCabCabinet* cabinet, Visit visit)
{
    GPtrArray* folders = gcab_cabinet_get_folders(cabinet);
    for (guint f = 0; folders != nullptr && f < folders->len; ++f) {
        FileList files(
            gcab_folder_get_files(static_cast<GCabFolder*>(g_ptr_array_index(folders, f))),
            g_slist_free);
        for (GSList* item = files.get(); item != nullptr; item = item->next) {
            visit(static_cast<GCabFile*>(item->data));
        }
    }
}

struct Selection
{
    const std::map<std::string, std::uint32_t>* wanted;
};

gboolean TakeWanted(GCabFile* file, gpointer data)
{
    const auto* selection = static_cast<const Selection*>(data);
    const auto found = selection->wanted->find(gcab_file_get_name(file));
    return found != selection->wanted->end() && found->second == gcab_file_get_size(file);
}

} // namespace

Outcome<std::map<std::string, CabinetFile>>
ReadCabinetFiles(const std::string& bytes, const std::map<std::string, std::uint32_t>& wanted)
{
    GObjectPtr<GInputStream> input(g_memory_input_stream_new_from_data(
        bytes.data(), static_cast<gssize>(bytes.size()), nullptr));
    GObjectPtr<GCabCabinet> cabinet(gcab_cabinet_new());
    GError* error = nullptr;
    if (!gcab_cabinet_load(cabinet.get(), input.get(), nullptr, &error)) {
        return CabinetFailure("cannot be read", error);
    }
    std::set<std::string> names;
    std::string refused;
    ForEachEntry(cabinet.get(), [&](GCabFile* file) {
        const char* name = gcab_file_get_name(file);
        if (refused.empty() &&
            (name == nullptr || !IsSafeName(name) || !names.insert(name).second)) {
            refused = name == nullptr ? "(no name)" : name;
        }
    });
    if (!refused.empty()) {
        return Failure{"the cabinet entry \"" + refused +
                       "\" is not a safe name or is there twice"};
    }
    Selection selection{&wanted};
    if (!gcab_cabinet_extract(cabinet.get(), nullptr, TakeWanted, nullptr, &selection, nullptr,
                              &error)) {
        return CabinetFailure("cannot be unpacked", error);
    }
    std::map<std::string, CabinetFile> files;
    ForEachEntry(cabinet.get(), [&](GCabFile* file) {
        const auto expected = wanted.find(gcab_file_get_name(file));
        GBytes* data = expected != wanted.end() ? gcab_file_get_bytes(file) : nullptr;
        if (data == nullptr) {
            return;
        }
        gsize size = 0;
        const auto* pointer = static_cast<const char*>(g_bytes_get_data(data, &size));
        if (size == expected->second) {
            files[expected->first] = {std::string(pointer, size), gcab_file_get_attributes(file)};
        }
    });
    return files;
}

} // namespace installer
