#include "msipackage/CabinetModes.h"

#include <gio/gio.h>
#include <libgcab.h>
#include <memory>

namespace msitransform {

namespace {

struct GObjectUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

Failure CabinetFailure(const std::string& what, GError* error)
{
    std::string message = "cabinet: " + what;
    if (error != nullptr) {
        message += ": " + std::string(error->message);
        g_error_free(error);
    }
    return Failure{message};
}

// The cabinet loaded and extracted into memory (each file's bytes held by its GCabFile).
Outcome<GObjectPtr<GCabCabinet>> LoadCabinet(std::string_view bytes)
{
    GObjectPtr<GInputStream> input(g_memory_input_stream_new_from_data(
        bytes.data(), static_cast<gssize>(bytes.size()), nullptr));
    GObjectPtr<GCabCabinet> cabinet(gcab_cabinet_new());
    GError* error = nullptr;
    if (!gcab_cabinet_load(cabinet.get(), input.get(), nullptr, &error) ||
        !gcab_cabinet_extract(cabinet.get(), nullptr, nullptr, nullptr, nullptr, nullptr, &error)) {
        return CabinetFailure("cannot read", error);
    }
    return cabinet;
}

} // namespace

Outcome<std::string> MarkExecutables(std::string_view cabinet,
                                     const std::set<std::string>& executables)
{
    auto source = LoadCabinet(cabinet);
    if (!source) {
        return source.TakeFailure();
    }
    GObjectPtr<GCabCabinet> result(gcab_cabinet_new());
    GPtrArray* folders = gcab_cabinet_get_folders(source.Value().get());
    GError* error = nullptr;
    for (guint f = 0; f < folders->len; ++f) {
        auto* folder = static_cast<GCabFolder*>(g_ptr_array_index(folders, f));
        GObjectPtr<GCabFolder> copy(gcab_folder_new(gcab_folder_get_comptype(folder)));
        std::unique_ptr<GSList, void (*)(GSList*)> files(gcab_folder_get_files(folder),
                                                         g_slist_free);
        for (GSList* item = files.get(); item != nullptr; item = item->next) {
            auto* file = static_cast<GCabFile*>(item->data);
            GBytes* bytes = gcab_file_get_bytes(file);
            if (bytes == nullptr) {
                return CabinetFailure("an entry without contents", nullptr);
            }
            const std::string name = gcab_file_get_name(file);
            GObjectPtr<GCabFile> entry(gcab_file_new_with_bytes(name.c_str(), bytes));
            guint32 attributes = gcab_file_get_attributes(file) & ~kCabinetExecutable;
            if (executables.contains(name)) {
                attributes |= kCabinetExecutable;
            }
            gcab_file_set_attributes(entry.get(), attributes);
            if (GDateTime* date = gcab_file_get_date_time(file)) {
                gcab_file_set_date_time(entry.get(), date);
                g_date_time_unref(date);
            }
            if (!gcab_folder_add_file(copy.get(), entry.get(), FALSE, nullptr, &error)) {
                return CabinetFailure("cannot add " + name, error);
            }
        }
        if (!gcab_cabinet_add_folder(result.get(), copy.get(), &error)) {
            return CabinetFailure("cannot add a folder", error);
        }
    }
    GObjectPtr<GOutputStream> output(g_memory_output_stream_new_resizable());
    if (!gcab_cabinet_write_simple(result.get(), output.get(), nullptr, nullptr, nullptr, &error) ||
        !g_output_stream_close(output.get(), nullptr, &error)) {
        return CabinetFailure("cannot write", error);
    }
    auto* memory = G_MEMORY_OUTPUT_STREAM(output.get());
    return std::string(static_cast<const char*>(g_memory_output_stream_get_data(memory)),
                       g_memory_output_stream_get_data_size(memory));
}

Outcome<std::map<std::string, std::uint32_t>> ReadCabinetAttributes(std::string_view cabinet)
{
    auto source = LoadCabinet(cabinet);
    if (!source) {
        return source.TakeFailure();
    }
    std::map<std::string, std::uint32_t> attributes;
    GPtrArray* folders = gcab_cabinet_get_folders(source.Value().get());
    for (guint f = 0; f < folders->len; ++f) {
        auto* folder = static_cast<GCabFolder*>(g_ptr_array_index(folders, f));
        std::unique_ptr<GSList, void (*)(GSList*)> files(gcab_folder_get_files(folder),
                                                         g_slist_free);
        for (GSList* item = files.get(); item != nullptr; item = item->next) {
            auto* file = static_cast<GCabFile*>(item->data);
            attributes[gcab_file_get_name(file)] = gcab_file_get_attributes(file);
        }
    }
    return attributes;
}

} // namespace msitransform
