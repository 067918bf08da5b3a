#include "setup/SetupLog.h"

#include "platform/FileSystem.h"
#include "platform/Folder.h"
#include "platform/ProfileFile.h"
#include "platform/SetupFolders.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

std::unique_ptr<SetupLog> SetupLog::s_instance;

namespace {

constexpr int kMaxLineLength = 1023;
constexpr int kPurgeDays = 10;
const QString kDatePlaceholder = QStringLiteral("%s");

QString DateText(const QDate& date)
{
    return QString::asprintf("%d%02d%02d", date.year(), date.month(), date.day());
}

const char* LevelText(LogLevel level)
{
    switch (level) {
    case LogLevel::Info:
        return "Info";
    case LogLevel::Error:
        return "Error";
    default:
        return "Debug";
    }
}

// [log] level of a settings file, read as the Windows profile functions do; none without one.
QString ReadLogLevel(const QString& settingsPath)
{
    std::string level;
    if (settingsPath.isEmpty() ||
        !platform::ReadProfileString(settingsPath.toStdString(), "log", "level", level)) {
        return {};
    }
    return QString::fromStdString(level);
}

// Opens the day's file for appending, never through a link and never waiting (a FIFO would
// block an open for writing until someone reads it); `created` tells a new file.
int OpenLogFile(const QString& path, bool& created)
{
    const QByteArray name = QFile::encodeName(path);
    constexpr int kFlags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = ::open(name.constData(), kFlags | O_CREAT | O_EXCL, 0644);
    created = fd >= 0;
    if (fd < 0 && errno == EEXIST) {
        fd = ::open(name.constData(), kFlags);
    }
    struct stat info = {};
    // The folder is shared: only a plain file of our own with no other name (a hard link) is
    // the log; another user's file would get our lines.
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
                    info.st_uid != ::geteuid() || info.st_nlink != 1)) {
        ::close(fd);
        fd = -1;
    }
    return fd;
}

} // namespace

SetupLog::SetupLog() = default;

SetupLog::~SetupLog()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

SetupLog* SetupLog::GetInstance()
{
    if (!s_instance) {
        s_instance = std::make_unique<SetupLog>();
    }
    return s_instance.get();
}

void SetupLog::DeleteInstance()
{
    s_instance.reset();
}

void SetupLog::SetClock(Clock clock)
{
    m_clock = std::move(clock);
}

QDateTime SetupLog::Now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void SetupLog::Open(const QString& logName, const QString& settingsPath)
{
    if (ReadLogLevel(settingsPath) == QLatin1String("Debug")) {
        m_suppressDebug = 0;
    }
    const QString folder = QString::fromStdString(platform::SetupTempFolder());
    const qsizetype dot = logName.lastIndexOf(QLatin1Char('.'));
    const QString baseName = dot < 0 ? logName : logName.left(dot);
    const QString extension = dot < 0 ? QString() : logName.mid(dot);
    m_pattern = QString::fromStdString(platform::JoinPath(
        folder.toStdString(), (baseName + "-" + kDatePlaceholder + extension).toStdString()));
    PurgeOldLogs();

    m_timeStamp = DateText(Now().date());
    m_filePath = QString(m_pattern).replace(kDatePlaceholder, m_timeStamp);
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    bool created = false;
    m_fd = OpenLogFile(m_filePath, created);
    if (m_fd >= 0 && created) {
        static constexpr unsigned char kByteOrderMark[] = {0xFF, 0xFE};
        [[maybe_unused]] const ssize_t written =
            ::write(m_fd, kByteOrderMark, sizeof kByteOrderMark);
    }
    if (!m_opened) {
        Write(LogLevel::Info, QStringLiteral("-- log start --"));
        m_opened = true;
    }
}

QString SetupLog::FormatTimeStamp()
{
    const QDateTime now = Now();
    const QDate date = now.date();
    const QTime time = now.time();
    m_timeStamp =
        QString::asprintf("%d/%02d/%02d %02d:%02d:%02d.%03d", date.year(), date.month(), date.day(),
                          time.hour(), time.minute(), time.second(), time.msec());
    return m_timeStamp;
}

void SetupLog::Write(LogLevel level, const QString& text)
{
    if ((level == LogLevel::Debug && m_suppressDebug != 0) || m_fd < 0) {
        return;
    }
    QString line = FormatTimeStamp() + "," + LevelText(level) + "," + text;
    line.truncate(kMaxLineLength - 2);
    line += QStringLiteral("\r\n");
    std::vector<unsigned char> bytes;
    bytes.reserve(static_cast<std::size_t>(line.size()) * 2);
    for (const QChar c : line) {
        bytes.push_back(static_cast<unsigned char>(c.unicode() & 0xFF));
        bytes.push_back(static_cast<unsigned char>(c.unicode() >> 8));
    }
    // One write per line: with O_APPEND it lands whole after every other setup's lines.
    [[maybe_unused]] const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
}

void SetupLog::Printf(LogLevel level, const char* format, ...)
{
    if (level == LogLevel::Debug && m_suppressDebug != 0) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    va_list measure;
    va_copy(measure, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length >= 0) {
        std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
        Write(level, QString::fromUtf8(buffer.data(), length));
    }
    va_end(arguments);
}

void SetupLog::PurgeOldLogs()
{
    const QFileInfo pattern(m_pattern);
    const QString fileName = pattern.fileName();
    const QString mask = QString(fileName).replace(kDatePlaceholder, QStringLiteral("????????"));
    const QString scanFormat = QString(fileName)
                                   .replace(QLatin1Char('%'), QStringLiteral("%%"))
                                   .replace(QStringLiteral("%%s"), QStringLiteral("%8u"));
    const unsigned cutOff = DateText(Now().date().addDays(-kPurgeDays)).toUInt();

    platform::Folder folder;
    std::vector<platform::FolderEntry> entries;
    if (!folder.Open(pattern.path().toStdString(), platform::FinalLink::Follow) ||
        !folder.List(mask.toStdString(), entries)) {
        return;
    }
    const QByteArray format = scanFormat.toUtf8();
    for (const platform::FolderEntry& entry : entries) {
        unsigned date = 0;
        if (!entry.isFolder && std::sscanf(entry.name.c_str(), format.constData(), &date) == 1 &&
            date < cutOff) {
            folder.RemoveFile(entry.name);
        }
    }
}

void SetupLog::Close()
{
    if (m_opened) {
        Write(LogLevel::Info, QStringLiteral("-- log end --"));
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_pattern.clear();
    m_timeStamp.clear();
    m_opened = false;
}

QString GetLogSettingsPath()
{
    std::string program;
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!platform::GetExecutablePath(program) || desktop.isEmpty()) {
        return {};
    }
    const QString baseName = QFileInfo(QString::fromStdString(program)).completeBaseName();
    return baseName.isEmpty() ? QString() : desktop + "/TARV/" + baseName + ".ini";
}
