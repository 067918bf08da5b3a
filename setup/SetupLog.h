// Setup's diagnostic log: one UTF-16 little-endian file per day in the temporary folder,
// one line per event with its local time stamp and level. One object per process.
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

enum class LogLevel : int
{
    Debug = 0,
    Info = 1,
    Error = 2
};

class SetupLog
{
public:
    using Clock = std::function<QDateTime()>;

    SetupLog();
    ~SetupLog();
    SetupLog(const SetupLog&) = delete;
    SetupLog& operator=(const SetupLog&) = delete;

    // The process's log, created on first use; DeleteInstance frees it.
    static SetupLog* GetInstance();
    static void DeleteInstance();

    // Reads the log level from `settingsPath` (empty: none), deletes the logs more than ten
    // days old, opens (appends to) the day's file and writes the start line once.
    void Open(const QString& logName, const QString& settingsPath);
    void Write(LogLevel level, const QString& text);
    void Printf(LogLevel level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    QString FormatTimeStamp();
    void PurgeOldLogs();
    // Writes the end line and closes the file; later writes go nowhere.
    void Close();

    // The local time source; tests set their own.
    void SetClock(Clock clock);
    // The full path of the day's file, once opened.
    const QString& FilePath() const { return m_filePath; }

private:
    QDateTime Now() const;

    bool m_opened = false;
    int m_fd = -1;
    QString m_pattern;   // the day's path with "%s" where the date goes
    QString m_timeStamp; // the date while opening, then each line's time stamp
    QString m_filePath;
    int m_suppressDebug = 1;
    Clock m_clock;

    static std::unique_ptr<SetupLog> s_instance;
};

// The log-settings file: <desktop>/TARV/<program name>.ini; empty when it cannot be built.
QString GetLogSettingsPath();
