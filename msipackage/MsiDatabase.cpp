#include "msipackage/MsiDatabase.h"

#include <cstdio>
#include <libmsi.h>
#include <memory>
#include <unistd.h>
#include <utility>
#include <vector>

namespace msitransform {

namespace {

struct GObjectUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct GFree
{
    void operator()(gpointer memory) const { g_free(memory); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;
using GText = std::unique_ptr<gchar, GFree>;

// Takes a GLib error and turns it into a failure naming what was being done.
Failure Failed(const std::string& what, GError* error)
{
    std::string message = what;
    if (error != nullptr) {
        message += ": " + std::string(error->message);
        g_error_free(error);
    }
    return Failure{message};
}

Outcome<std::vector<std::vector<std::string>>> QueryTexts(LibmsiDatabase* db,
                                                          const std::string& sql)
{
    GError* error = nullptr;
    GObjectPtr<LibmsiQuery> query(libmsi_query_new(db, sql.c_str(), &error));
    if (!query || !libmsi_query_execute(query.get(), nullptr, &error)) {
        return Failed(sql, error);
    }
    std::vector<std::vector<std::string>> rows;
    while (GObjectPtr<LibmsiRecord> record{libmsi_query_fetch(query.get(), nullptr)}) {
        std::vector<std::string> fields;
        for (guint i = 1; i <= libmsi_record_get_field_count(record.get()); ++i) {
            GText text(libmsi_record_get_string(record.get(), i));
            fields.emplace_back(text ? text.get() : "");
        }
        rows.push_back(std::move(fields));
    }
    return rows;
}

Outcome<MsiTable> LoadTable(LibmsiDatabase* db, const std::string& name)
{
    GError* error = nullptr;
    GObjectPtr<LibmsiRecord> keys(libmsi_database_get_primary_keys(db, name.c_str(), &error));
    if (!keys) {
        return Failed("primary keys of " + name, error);
    }
    const guint keyCount = libmsi_record_get_field_count(keys.get());

    const std::string sql = "SELECT * FROM `" + name + "`";
    GObjectPtr<LibmsiQuery> query(libmsi_query_new(db, sql.c_str(), &error));
    if (!query || !libmsi_query_execute(query.get(), nullptr, &error)) {
        return Failed(sql, error);
    }
    GObjectPtr<LibmsiRecord> names(
        libmsi_query_get_column_info(query.get(), LIBMSI_COL_INFO_NAMES, &error));
    GObjectPtr<LibmsiRecord> types(
        error == nullptr ? libmsi_query_get_column_info(query.get(), LIBMSI_COL_INFO_TYPES, &error)
                         : nullptr);
    if (!names || !types) {
        return Failed("columns of " + name, error);
    }
    std::vector<MsiColumn> columns;
    const guint count = libmsi_record_get_field_count(names.get());
    for (guint i = 1; i <= count; ++i) {
        GText columnName(libmsi_record_get_string(names.get(), i));
        GText type(libmsi_record_get_string(types.get(), i));
        // Key columns lead every table.
        std::optional<MsiColumn> column = MsiColumn::FromTypeText(
            columnName ? columnName.get() : "", type ? type.get() : "", i <= keyCount);
        if (!column) {
            return Failure{"unknown column type in " + name};
        }
        columns.push_back(std::move(*column));
    }

    MsiTable table(name, columns);
    while (GObjectPtr<LibmsiRecord> record{libmsi_query_fetch(query.get(), nullptr)}) {
        MsiRow row;
        for (guint i = 1; i <= count; ++i) {
            const MsiColumn& column = columns[i - 1];
            if (libmsi_record_is_null(record.get(), i)) {
                row.emplace_back();
            } else if (column.kind == ColumnKind::Integer) {
                row.push_back(MsiValue::Int(libmsi_record_get_int(record.get(), i)));
            } else if (column.kind == ColumnKind::Stream) {
                row.push_back(MsiValue{MsiValue::Kind::Stream, 0, {}});
            } else {
                GText text(libmsi_record_get_string(record.get(), i));
                row.push_back(MsiValue::Str(text ? text.get() : ""));
            }
        }
        if (table.FindRow(row)) {
            return Failure{"two rows with one key in " + name};
        }
        table.InsertRow(std::move(row));
    }
    return table;
}

// The database's code page, which libmsi shows only through its export of _ForceCodepage:
// two empty lines, then "<code page>\t_ForceCodepage".
int ReadCodePage(LibmsiDatabase* db)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::tmpfile(), std::fclose);
    if (!file || !libmsi_database_export(db, "_ForceCodepage", fileno(file.get()), nullptr)) {
        return 0;
    }
    std::rewind(file.get());
    char line[64];
    int codePage = 0;
    while (std::fgets(line, sizeof line, file.get()) != nullptr) {
        if (std::sscanf(line, "%d\t_ForceCodepage", &codePage) == 1) {
            break;
        }
    }
    return codePage;
}

} // namespace

Outcome<MsiDatabase> MsiDatabase::Load(const std::string& path)
{
    GError* error = nullptr;
    GObjectPtr<LibmsiDatabase> db(
        libmsi_database_new(path.c_str(), LIBMSI_DB_FLAGS_READONLY, nullptr, &error));
    if (!db) {
        return Failed("cannot open " + path, error);
    }
    MsiDatabase database;
    auto tables = QueryTexts(db.get(), "SELECT `Name` FROM `_Tables`");
    if (!tables) {
        return tables.TakeFailure();
    }
    for (const std::vector<std::string>& row : tables.Value()) {
        auto table = LoadTable(db.get(), row.at(0));
        if (!table) {
            return table.TakeFailure();
        }
        database.AddTable(table.Take());
    }
    database.m_codePage = ReadCodePage(db.get());

    GObjectPtr<LibmsiSummaryInfo> summary(libmsi_summary_info_new(db.get(), 0, &error));
    if (!summary) {
        return Failed("summary information of " + path, error);
    }
    auto summaryText = [&](LibmsiProperty property) {
        const gchar* text = libmsi_summary_info_get_string(summary.get(), property, nullptr);
        return std::string(text != nullptr ? text : "");
    };
    database.m_summary.templateText = summaryText(LIBMSI_PROPERTY_TEMPLATE);
    database.m_summary.packageCode = summaryText(LIBMSI_PROPERTY_UUID);
    database.m_summary.minimumInstaller =
        libmsi_summary_info_get_int(summary.get(), LIBMSI_PROPERTY_VERSION, nullptr);
    return database;
}

MsiTable* MsiDatabase::FindTable(std::string_view name)
{
    const auto found = m_tables.find(name);
    return found == m_tables.end() ? nullptr : &found->second;
}

const MsiTable* MsiDatabase::FindTable(std::string_view name) const
{
    const auto found = m_tables.find(name);
    return found == m_tables.end() ? nullptr : &found->second;
}

void MsiDatabase::AddTable(MsiTable table)
{
    std::string name = table.Name();
    m_tables.insert_or_assign(std::move(name), std::move(table));
}

std::optional<std::string> MsiDatabase::Property(std::string_view name) const
{
    const MsiTable* table = FindTable("Property");
    const MsiValue* value =
        table != nullptr ? table->Cell({MsiValue::Str(std::string(name))}, "Value") : nullptr;
    if (value == nullptr) {
        return std::nullopt;
    }
    return value->text;
}

} // namespace msitransform
