// Custom actions: type 19 (stop with a message) and type 1 (a function of a library carried in
// the Binary table, loaded from memory), with the functions of the installer's programming
// interface that such a library calls back. Other types are refused before anything changes.
#include "installer/Actions.h"
#include "installer/InstallerLog.h"
#include "resources/installer/customaction/InstallerHost.h"

#include <dlfcn.h>
#include <map>
#include <sys/mman.h>
#include <unistd.h>
#include <variant>
#include <vector>

namespace installer {
namespace {

constexpr int kTypeMask = 0x3F;
constexpr int kTypeLibrary = 1;
constexpr int kTypeError = 19;
constexpr int kContinueOnFailure = 0x40;
constexpr int kAllowedFlags = kContinueOnFailure | 0x400 /* in script */ |
                              0x800 /* no impersonation */ | 0x2000 /* hidden target */;
constexpr std::size_t kMaxLibraryBytes = 64 * 1024 * 1024;
constexpr unsigned kNoMoreItems = 259;
constexpr int kErrorLibraryFailed = 1723;

constexpr MSIHANDLE kInstallHandle = 1;
constexpr unsigned kErrorInvalidHandle = 6;
constexpr unsigned kErrorInvalidParameter = 87;
constexpr int kCancelButtonField = 2;

using Field = std::variant<std::monostate, int>;

// The session whose custom action is running, and the records it made.
struct Host
{
    Session* session = nullptr;
    std::map<MSIHANDLE, std::vector<Field>> records;
    MSIHANDLE next = kInstallHandle + 1;
};
Host g_host;

using Entry = unsigned int (*)(MSIHANDLE);

class LoadedLibrary
{
public:
    explicit LoadedLibrary(const std::string& bytes)
    {
        const int fd = ::memfd_create("custom-action", MFD_CLOEXEC);
        if (fd < 0) {
            return;
        }
        if (::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size())) {
            const std::string path = "/proc/self/fd/" + std::to_string(fd);
            m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        }
        ::close(fd);
    }
    ~LoadedLibrary()
    {
        if (m_handle != nullptr) {
            ::dlclose(m_handle);
        }
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    Entry Find(const std::string& name) const
    {
        return m_handle != nullptr ? reinterpret_cast<Entry>(::dlsym(m_handle, name.c_str()))
                                   : nullptr;
    }

private:
    void* m_handle = nullptr;
};

int RunLibraryAction(Session& session, const RowView& row)
{
    const std::string action = row.Text("Action");
    const std::string library = row.Text("Source");
    const std::string entryName = session.Format(row.Text("Target"));
    auto bytes = session.Package().ReadBinary(library, kMaxLibraryBytes);
    const LoadedLibrary loaded(bytes ? bytes.Value() : std::string());
    const Entry entry = bytes ? loaded.Find(entryName) : nullptr;
    if (entry == nullptr) {
        return session.Fail("the custom action " + action + " cannot call " + entryName +
                                " of the library " + library,
                            kErrorLibraryFailed, {action, entryName, library});
    }
    g_host.session = &session;
    const unsigned result = entry(kInstallHandle);
    g_host.session = nullptr;
    g_host.records.clear();
    if (result == kErrorSuccess || result == kNoMoreItems ||
        (row.Int("Type").value_or(0) & kContinueOnFailure) != 0) {
        return kResultSuccess;
    }
    if (result == kResultUserExit) {
        return kResultUserExit;
    }
    return session.Fail("the custom action " + action + " returned " + std::to_string(result));
}

std::vector<Field>* RecordOf(MSIHANDLE handle)
{
    const auto found = g_host.records.find(handle);
    return found == g_host.records.end() ? nullptr : &found->second;
}

} // namespace

std::string CustomActionProblem(const Session& session, const std::string& action)
{
    const std::optional<RowView> row = FindRow(session.Database(), "CustomAction", action);
    if (!row) {
        return "the action " + action + " is not supported";
    }
    const int type = row->Int("Type").value_or(0);
    const int base = type & kTypeMask;
    if ((type & ~kTypeMask & ~kAllowedFlags) != 0 || (base != kTypeLibrary && base != kTypeError)) {
        return "the custom action " + action + " of type " + std::to_string(type) +
               " is not supported";
    }
    if (base == kTypeLibrary && !FindRow(session.Database(), "Binary", row->Text("Source"))) {
        return "the custom action " + action + " names no library of the Binary table";
    }
    return {};
}

int RunCustomAction(Session& session, const std::string& action)
{
    const std::optional<RowView> row = FindRow(session.Database(), "CustomAction", action);
    if (!row) {
        return session.Fail("the action " + action + " is not supported");
    }
    if ((row->Int("Type").value_or(0) & kTypeMask) == kTypeError) {
        LogLine("the custom action " + action + " stops the installation");
        session.ShowError(session.Format(row->Text("Target")));
        return kResultFailure;
    }
    return RunLibraryAction(session, *row);
}

} // namespace installer

// The installer's programming interface, for the custom-action library loaded above.
extern "C" {

using installer::g_host;

[[gnu::visibility("default")]] MSIHANDLE MsiCreateRecord(unsigned int fieldCount)
{
    if (g_host.session == nullptr || fieldCount > 0xFFFF) {
        return 0;
    }
    const MSIHANDLE handle = g_host.next++;
    g_host.records[handle].resize(std::size_t{fieldCount} + 1);
    return handle;
}

[[gnu::visibility("default")]] unsigned int MsiRecordSetInteger(MSIHANDLE record,
                                                                unsigned int field, int value)
{
    std::vector<installer::Field>* fields = installer::RecordOf(record);
    if (fields == nullptr) {
        return installer::kErrorInvalidHandle;
    }
    if (field >= fields->size()) {
        return installer::kErrorInvalidParameter;
    }
    (*fields)[field] = value;
    return kErrorSuccess;
}

[[gnu::visibility("default")]] unsigned int MsiCloseHandle(MSIHANDLE handle)
{
    if (handle != installer::kInstallHandle) {
        g_host.records.erase(handle);
    }
    return kErrorSuccess;
}

[[gnu::visibility("default")]] int MsiProcessMessage(MSIHANDLE install, int messageType,
                                                     MSIHANDLE record)
{
    std::vector<installer::Field>* fields = installer::RecordOf(record);
    if (g_host.session == nullptr || install != installer::kInstallHandle || fields == nullptr) {
        return -1;
    }
    if (messageType == kInstallMessageCommonData && fields->size() > 2 &&
        std::get_if<int>(&(*fields)[1]) != nullptr &&
        std::get<int>((*fields)[1]) == installer::kCancelButtonField) {
        const int* shown = std::get_if<int>(&(*fields)[2]);
        g_host.session->Ui().SetCancelVisible(shown != nullptr && *shown != 0);
    }
    return 0;
}

[[gnu::visibility("default")]] unsigned int MsiGetPropertyA(MSIHANDLE install, const char* name,
                                                            char* value, std::uint32_t* size)
{
    if (g_host.session == nullptr || install != installer::kInstallHandle) {
        return installer::kErrorInvalidHandle;
    }
    if (name == nullptr || size == nullptr) {
        return installer::kErrorInvalidParameter;
    }
    const std::string text = g_host.session->Property(name);
    const std::uint32_t room = value != nullptr ? *size : 0;
    *size = static_cast<std::uint32_t>(text.size());
    if (room > 0) {
        const std::size_t copied = std::min<std::size_t>(text.size(), room - 1);
        std::copy_n(text.data(), copied, value);
        value[copied] = '\0';
    }
    return text.size() < room ? kErrorSuccess : kErrorMoreData;
}

[[gnu::visibility("default")]] unsigned int MsiSetPropertyA(MSIHANDLE install, const char* name,
                                                            const char* value)
{
    if (g_host.session == nullptr || install != installer::kInstallHandle) {
        return installer::kErrorInvalidHandle;
    }
    if (name == nullptr || *name == '\0') {
        return installer::kErrorInvalidParameter;
    }
    g_host.session->SetProperty(name, value != nullptr ? value : "");
    return kErrorSuccess;
}
}
