#include "viewer/document/OpenLogPipeline.h"

#include "formats/archive/CCheckTampering.h"
#include "formats/archive/CZipFile.h"
#include "formats/common/FileHelpers.h"
#include "formats/joblog/JobLogFile.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/PageOffsetFile.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/dialogs/ProgressDialog.h"
#include "viewer/document/OpenLogContext.h"

#include <QDir>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <future>
#include <new>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

const QString kTempFolderPrefix = QStringLiteral("TempByPYRN_");

TempFolderClock& Clock()
{
    static TempFolderClock clock;
    return clock;
}

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

QString FromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}

// Steps 6 to 8 of the thread: the page-image stream beside the chosen archive and its index.
void OpenPageImages(OpenLogContext& context)
{
    QString streamPath;
    if (!FindFileByPattern(context.strArchivePath, QStringLiteral("*.prn"), streamPath,
                           context.strCsvBaseName)) {
        context.bHasPageImages = false;
        return;
    }
    auto reader = std::make_unique<CDornComFile>();
    if (reader->Open(Utf8(streamPath)) != 0 || reader->ReadJobHeader() != 0) {
        context.bHasPageImages = false;
        context.strCode = QStringLiteral("03010");
        return;
    }
    ProgressDialog::PostProgress(context.pProgressDialog, 60);

    QString indexPath;
    const bool indexFound = FindFileByPattern(context.strArchivePath, QStringLiteral("*.adr"),
                                              indexPath, context.strCsvBaseName);
    int progress = 70;
    if (!indexFound || reader->LoadPageIndexFile(Utf8(indexPath)) == -1) {
        if (reader->BuildPageIndex() == -1) {
            reader->Close();
            context.bHasPageImages = false;
            context.strCode = QStringLiteral("03010");
            return;
        }
        if (!indexFound) {
            MakeAdrPath(context.strArchivePath, indexPath, context.strCsvBaseName);
        }
        // A folder that cannot be written only loses the index file, not the page images.
        WritePageOffsetFile(Utf8(indexPath), *reader->m_pPageIndex);
        progress = 80;
    }
    context.bHasPageImages = true;
    context.pComFile = std::move(reader);
    ProgressDialog::PostProgress(context.pProgressDialog, progress);
}

// A member that the check of the log files takes for a log: ".csv" in any case, with a name
// before it (a log named only ".csv" would read as "no log loaded").
bool IsLogEntry(const QString& entry)
{
    return FileExtension(entry).toLower() == QStringLiteral(".csv") &&
           !FileBaseName(entry).isEmpty();
}

// The log at `path`, or null when the path is empty or the load fails.
std::unique_ptr<JobLogFile> LoadJobLog(const std::string& path)
{
    auto log = std::make_unique<JobLogFile>();
    if (path.empty() || log->Load(path) != 0) {
        DeleteJobLog(log);
    }
    return log;
}

// The one member that the check of the log files would take for the log, or empty.
std::string OnlyLogAmong(const std::vector<std::string>& files)
{
    std::string only;
    int logs = 0;
    for (const std::string& file : files) {
        if (IsLogEntry(FromUtf8(file))) {
            ++logs;
            only = file;
        }
    }
    return files.size() == 3 && logs == 1 ? only : std::string();
}

// The digest check and the load both read the whole log, one after the other. The log that
// the check will name is loaded beside the check instead, and kept only when the check has
// passed and named it; otherwise it is let go as a failed load would be.
class LogLoadedBeside
{
public:
    explicit LogLoadedBeside(const std::vector<std::string>& files) : m_path(OnlyLogAmong(files))
    {
        if (m_path.empty()) {
            return;
        }
        try {
            m_result = std::async(std::launch::async, [path = m_path] { return LoadJobLog(path); });
        } catch (const std::system_error&) {
            m_path.clear(); // then the log is loaded after the check
        }
    }
    ~LogLoadedBeside()
    {
        if (!m_result.valid()) {
            return;
        }
        try {
            std::unique_ptr<JobLogFile> log = m_result.get();
            DeleteJobLog(log);
        } catch (...) {
            // A load that failed on its own leaves nothing to let go.
        }
    }
    LogLoadedBeside(const LogLoadedBeside&) = delete;
    LogLoadedBeside& operator=(const LogLoadedBeside&) = delete;

    // False when no log was loaded for `path`; else the log, null when it did not load. What
    // the load threw is thrown here.
    bool Take(const std::string& path, std::unique_ptr<JobLogFile>& log)
    {
        if (!m_result.valid() || path != m_path) {
            return false;
        }
        log = m_result.get();
        return true;
    }

private:
    std::string m_path;
    std::future<std::unique_ptr<JobLogFile>> m_result;
};

// Steps 2 to 8; each failure leaves its code in the context.
void RunOpenSteps(OpenLogContext& context, QString& failureCode)
{
    failureCode = QStringLiteral("03006");
    const QString& password = context.pPassword != nullptr ? *context.pPassword : QString();
    const std::string passwordText = Utf8(password);
    const std::optional<std::string_view> passwordArgument =
        password.isEmpty() ? std::nullopt : std::optional<std::string_view>(passwordText);
    if (context.pZipFile == nullptr ||
        context.pZipFile->ExtractArchive(Utf8(context.strTempZipPath), passwordArgument,
                                         Utf8(context.strTempFolder)) != 0) {
        context.bOk = false;
        context.strCode = failureCode;
        return;
    }
    ProgressDialog::PostProgress(context.pProgressDialog, 30);

    failureCode = QStringLiteral("03007");
    const std::vector<std::string> files = context.pZipFile->m_files;
    LogLoadedBeside early(files);
    QString code;
    CheckLogFiles(code, files, context.strTempFolder, context.strCsvPath, context.strCsvBaseName);
    if (!code.isEmpty()) {
        context.bOk = false;
        context.strCode = code;
        return;
    }
    ProgressDialog::PostProgress(context.pProgressDialog, 40);

    failureCode = QStringLiteral("03009");
    std::unique_ptr<JobLogFile> log;
    if (!early.Take(Utf8(context.strCsvPath), log)) {
        log = LoadJobLog(Utf8(context.strCsvPath));
    }
    if (!log) {
        context.bOk = false;
        context.strCode = failureCode;
        return;
    }
    context.bOk = true;
    context.pJobLogFile = std::move(log);
    ProgressDialog::PostProgress(context.pProgressDialog, 50);

    // From here on a failure only costs the page images.
    failureCode = QStringLiteral("03010");
    OpenPageImages(context);
}

// In the kernel where it can; by reads and writes across file systems that refuse that.
bool CopyDescriptor(int in, int out)
{
    bool inKernel = true;
    std::vector<char> buffer;
    for (;;) {
        ssize_t copied = 0;
        if (inKernel) {
            copied = ::copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
            if (copied < 0 &&
                (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                inKernel = false;
                buffer.resize(std::size_t{1} << 20);
                continue;
            }
        } else {
            copied = ::read(in, buffer.data(), buffer.size());
            for (ssize_t written = 0; copied > 0 && written < copied;) {
                const ssize_t step = ::write(out, buffer.data() + written,
                                             static_cast<std::size_t>(copied - written));
                if (step < 0 && errno != EINTR) {
                    return false;
                }
                written += step > 0 ? step : 0;
            }
        }
        if (copied == 0) {
            return true;
        }
        if (copied < 0 && errno != EINTR) {
            return false;
        }
    }
}

} // namespace

int OpenLogThread(OpenLogContext* context)
{
    // The dialog hears of the end on every path, an exception's included.
    const WorkerDoneGuard done(context->pProgressDialog);
    QString failureCode;
    try {
        RunOpenSteps(*context, failureCode);
    } catch (...) {
        // Out of memory, most likely: the step that ran fails with its code.
        if (context->pJobLogFile && failureCode == QStringLiteral("03010")) {
            context->bHasPageImages = false;
            context->pComFile.reset();
        } else {
            context->bOk = false;
            DeleteJobLog(context->pJobLogFile);
        }
        context->strCode = failureCode;
    }
    ProgressDialog::PostProgress(context->pProgressDialog, 100);
    return 0;
}

void DeleteJobLog(std::unique_ptr<JobLogFile>& log)
{
    if (!log) {
        return;
    }
    if (log->m_pStream != nullptr) {
        std::fclose(log->m_pStream);
        log->m_pStream = nullptr;
    }
    log->FreeRecords();
    log->FreeRows();
    log.reset();
}

TempFolderClock SetTempFolderClock(TempFolderClock clock)
{
    return std::exchange(Clock(), std::move(clock));
}

bool MakeTempFolder(QString& path)
{
    const std::time_t now = Clock() ? Clock()() : std::time(nullptr);
    std::tm local = {};
    char digits[32] = {};
    if (localtime_r(&now, &local) == nullptr ||
        std::strftime(digits, sizeof digits, "%Y%m%d%H%M%S", &local) == 0) {
        return false;
    }
    // Without the user's data folder there is no place for it.
    std::string root;
    if (!GetTempFolderRoot(root)) {
        return false;
    }
    path = FromUtf8(root) + QLatin1Char('/') + kTempFolderPrefix + QString::fromLatin1(digits);
    const std::string folder = Utf8(path);
    if (FolderExists(folder)) {
        // A file that a loaded log holds is not deleted, and the open fails.
        bool failed = false;
        DeleteFolderTree(folder, folder, failed);
        return !failed;
    }
    return QDir().mkpath(path);
}

void CheckLogFiles(QString& code, const std::vector<std::string>& files, const QString& folder,
                   QString& csvPath, QString& csvBaseName)
{
    code.clear();
    std::uint32_t fileCount = 0;
    std::uint32_t folderCount = 0;
    if (!CountFolderEntries(Utf8(folder), fileCount, folderCount) || folderCount != 0 ||
        fileCount != 3) {
        code = QStringLiteral("03007");
        return;
    }
    int logs = 0;
    int digests = 0;
    QString digestPath;
    for (std::size_t i = 0; i < files.size() && i < 3; ++i) {
        const QString entry = FromUtf8(files[i]);
        if (IsLogEntry(entry)) {
            ++logs;
            csvPath = entry;
            csvBaseName = FileBaseName(entry);
        } else if (FileExtension(entry).toLower() == QStringLiteral(".mll")) {
            ++digests;
            digestPath = entry;
        }
    }
    if (theApp.GetProfileInt(QStringLiteral("Debug"), QStringLiteral("VerifyTamper"), 1) == 0) {
        return;
    }
    if (logs != 1 || digests != 1) {
        code = QStringLiteral("03007");
        return;
    }
    CCheckTampering checker;
    if (checker.Verify(Utf8(digestPath), Utf8(csvPath)) != 0) {
        code = QStringLiteral("03008");
    }
}

bool FindFileByPattern(const QString& archivePath, const QString& mask, QString& found,
                       const QString& preferred)
{
    std::vector<std::string> entries;
    ListFolderEntries(Utf8(FileFolder(archivePath)), Utf8(mask), false, entries);
    if (entries.empty()) {
        return false;
    }
    found = FromUtf8(entries.front());
    if (entries.size() > 1) {
        for (const std::string& entry : entries) {
            const QString path = FromUtf8(entry);
            if (FileBaseName(path) == preferred) {
                found = path;
            }
        }
    }
    return true;
}

void MakeAdrPath(const QString& archivePath, QString& path, const QString& csvBaseName)
{
    const QString folder = FileFolder(archivePath);
    path = folder + (folder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) +
           csvBaseName + QStringLiteral(".adr");
}

QString FileFolder(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    // An archive directly under the root lies in "/", not in a folder without a name.
    return slash < 0 ? QString() : path.left(std::max<qsizetype>(slash, 1));
}

QString FileBaseName(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString FileExtension(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

bool CopyRegularFile(const QString& source, const QString& destination)
{
    // Opened without blocking, so a FIFO with no writer cannot hold the window.
    const int in = ::open(Utf8(source).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) {
        return false;
    }
    struct stat info = {};
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(in, F_SETFL, ::fcntl(in, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(in);
        return false;
    }
    const std::string target = Utf8(destination);
    const int out =
        ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0) {
        ::close(in);
        return false;
    }
    const bool ok = CopyDescriptor(in, out);
    const bool closed = ::close(out) == 0;
    ::close(in);
    if (!ok || !closed) {
        ::unlink(target.c_str());
        return false;
    }
    return true;
}
