#include "installer/InstallerPackage.h"

#include "installer/GObjectPtr.h"
#include "msipackage/TransformReader.h"
#include "platform/FileSystem.h"

#include <libmsi.h>
#include <memory>
#include <unistd.h>

namespace installer {
namespace {

constexpr std::size_t kMaxTransformBytes = 64 * 1024 * 1024;

} // namespace

Outcome<InstallerPackage> InstallerPackage::Open(const std::string& path)
{
    if (::access(path.c_str(), R_OK) != 0) {
        return Failure{"cannot read " + path};
    }
    auto database = msitransform::MsiDatabase::Load(path);
    if (!database) {
        return database.TakeFailure();
    }
    InstallerPackage package;
    package.m_database = database.Take();
    package.m_path = path;

    GError* error = nullptr;
    GObjectPtr<LibmsiDatabase> db(
        libmsi_database_new(path.c_str(), LIBMSI_DB_FLAGS_READONLY, nullptr, &error));
    if (!db) {
        return GlibFailure("cannot open " + path, error);
    }
    GObjectPtr<LibmsiSummaryInfo> summary(libmsi_summary_info_new(db.get(), 0, &error));
    if (!summary) {
        return GlibFailure("no summary information in " + path, error);
    }
    package.m_wordCount =
        libmsi_summary_info_get_int(summary.get(), LIBMSI_PROPERTY_SOURCE, nullptr);
    return package;
}

Outcome<msitransform::Done> InstallerPackage::ApplyTransform(const std::string& path)
{
    const std::optional<std::string> bytes = platform::ReadSmallFile(path, kMaxTransformBytes);
    if (!bytes) {
        return Failure{"cannot read the transform " + path};
    }
    auto applied = msitransform::ApplyTransform(m_database, *bytes);
    if (!applied) {
        return Failure{path + ": " + applied.Error()};
    }
    return msitransform::Done{};
}

std::string InstallerPackage::Property(std::string_view name) const
{
    return m_database.Property(name).value_or("");
}

Outcome<std::string> InstallerPackage::ReadStream(std::string_view name, std::size_t limit) const
{
    return ReadFirstStream("SELECT `Data` FROM `_Streams` WHERE `Name` = ?", name, limit);
}

Outcome<std::string> InstallerPackage::ReadBinary(std::string_view name, std::size_t limit) const
{
    return ReadFirstStream("SELECT `Data` FROM `Binary` WHERE `Name` = ?", name, limit);
}

Outcome<std::string> InstallerPackage::ReadIcon(std::string_view name, std::size_t limit) const
{
    return ReadFirstStream("SELECT `Data` FROM `Icon` WHERE `Name` = ?", name, limit);
}

Outcome<std::string> InstallerPackage::ReadFirstStream(const char* sql, std::string_view key,
                                                       std::size_t limit) const
{
    const std::string what = "stream " + std::string(key);
    GError* error = nullptr;
    GObjectPtr<LibmsiDatabase> db(
        libmsi_database_new(m_path.c_str(), LIBMSI_DB_FLAGS_READONLY, nullptr, &error));
    if (!db) {
        return GlibFailure("cannot open " + m_path, error);
    }
    GObjectPtr<LibmsiQuery> query(libmsi_query_new(db.get(), sql, &error));
    GObjectPtr<LibmsiRecord> parameters(libmsi_record_new(1));
    if (!query || !libmsi_record_set_string(parameters.get(), 1, std::string(key).c_str()) ||
        !libmsi_query_execute(query.get(), parameters.get(), &error)) {
        return GlibFailure(what, error);
    }
    GObjectPtr<LibmsiRecord> record(libmsi_query_fetch(query.get(), nullptr));
    if (!record) {
        return Failure{what + " is missing"};
    }
    GObjectPtr<GInputStream> stream(libmsi_record_get_stream(record.get(), 1));
    if (!stream) {
        return Failure{what + " is missing"};
    }
    std::string bytes;
    char buffer[64 * 1024];
    while (true) {
        const gssize got =
            g_input_stream_read(stream.get(), buffer, sizeof buffer, nullptr, &error);
        if (got < 0) {
            return GlibFailure(what, error);
        }
        if (got == 0) {
            break;
        }
        if (static_cast<std::size_t>(got) > limit - bytes.size()) {
            return Failure{what + " is larger than " + std::to_string(limit) + " bytes"};
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

} // namespace installer
