#include "setup/MsiDatabase.h"

#include <array>
#include <libmsi.h>

namespace {

// libmsi's results in the order of its enumeration, as Windows error codes.
constexpr std::array<int, 19> kWindowsErrors = {
    0,    // success
    5,    // access denied
    6,    // invalid handle
    8,    // not enough memory
    13,   // invalid data
    14,   // out of memory
    87,   // invalid parameter
    110,  // open failed
    120,  // call not implemented
    234,  // more data
    1168, // not found
    1246, // continue
    1608, // unknown property
    1615, // bad query syntax
    1616, // invalid field
    1627, // function failed
    1628, // invalid table
    1629, // data type mismatch
    1804, // invalid data type
};

// 0 when the call succeeded, else the Windows error of `error`; frees `error`.
int ResultOf(bool succeeded, GError* error)
{
    int code = succeeded ? kErrorSuccess : kErrorFunctionFailed;
    if (!succeeded && error != nullptr && error->domain == LIBMSI_RESULT_ERROR && error->code > 0 &&
        static_cast<std::size_t>(error->code) < kWindowsErrors.size()) {
        code = kWindowsErrors[static_cast<std::size_t>(error->code)];
    }
    if (error != nullptr) {
        g_error_free(error);
    }
    return code;
}

} // namespace

MsiDatabase::~MsiDatabase()
{
    Close();
}

int MsiDatabase::Open(const QString& path)
{
    Close();
    GError* error = nullptr;
    m_database =
        libmsi_database_new(path.toUtf8().constData(), LIBMSI_DB_FLAGS_READONLY, nullptr, &error);
    // libmsi tells a missing file from a damaged one by neither result nor error; Windows
    // reports both as "open failed".
    ResultOf(m_database != nullptr, error);
    return m_database != nullptr ? kErrorSuccess : kErrorOpenFailed;
}

int MsiDatabase::OpenView(const char* query)
{
    CloseView();
    if (m_database == nullptr) {
        return kErrorInvalidHandle;
    }
    GError* error = nullptr;
    m_view = libmsi_query_new(m_database, query, &error);
    return ResultOf(m_view != nullptr, error);
}

int MsiDatabase::Execute()
{
    if (m_view == nullptr) {
        return kErrorInvalidHandle;
    }
    GError* error = nullptr;
    const bool executed = libmsi_query_execute(m_view, nullptr, &error);
    return ResultOf(executed, error);
}

bool MsiDatabase::Fetch(QStringList& fields)
{
    fields.clear();
    if (m_view == nullptr) {
        return false;
    }
    GError* error = nullptr;
    LibmsiRecord* record = libmsi_query_fetch(m_view, &error);
    ResultOf(record != nullptr, error);
    if (record == nullptr) {
        return false;
    }
    const guint count = libmsi_record_get_field_count(record);
    for (guint field = 1; field <= count; ++field) {
        gchar* text = libmsi_record_get_string(record, field);
        fields.append(QString::fromUtf8(text != nullptr ? text : ""));
        g_free(text);
    }
    g_object_unref(record);
    return true;
}

void MsiDatabase::CloseView()
{
    if (m_view != nullptr) {
        libmsi_query_close(m_view, nullptr);
        g_object_unref(m_view);
        m_view = nullptr;
    }
}

void MsiDatabase::Close()
{
    CloseView();
    if (m_database != nullptr) {
        g_object_unref(m_database);
        m_database = nullptr;
    }
}
