// Why: the log is how a failed installation is diagnosed: its file name, encoding and line
// format are fixed, two setups on one day must keep each other's lines, and old files go.
#include "setup/SetupLog.h"

#include "tests/setup/SetupTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

const QString kLogName = QStringLiteral("TARV Post Log Viewer Setup.log");

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

SetupLog::Clock At(const QString& time)
{
    return [time] { return QDateTime::fromString(time, Qt::ISODateWithMs); };
}

class SetupLogTest : public ::testing::Test
{
protected:
    SetupLogTest() : m_machine("setup_log") { m_machine.Enter(m_environment); }

    QString DayFile(const QString& date) const
    {
        return m_machine.Temp() + "/TARV Post Log Viewer Setup-" + date + ".log";
    }

    SetupMachine m_machine;
    ScopedEnvironment m_environment;
};

TEST_F(SetupLogTest, NewFileStartsWithByteOrderMarkAndTimedLines)
{
    SetupLog log;
    log.SetClock(At("2024-12-08T09:05:03.007"));
    log.Open(kLogName, QString());
    log.Printf(LogLevel::Error, "MsiOpenDatabase() returned [%d].", 110);
    log.Write(static_cast<LogLevel>(7), QStringLiteral("any other level"));
    log.Close();
    log.Write(LogLevel::Info, QStringLiteral("after the end"));

    const QByteArray bytes = ReadFile(DayFile("20241208"));
    ASSERT_TRUE(bytes.startsWith("\xFF\xFE"));
    EXPECT_EQ(DecodeLog(bytes),
              QStringLiteral("2024/12/08 09:05:03.007,Info,-- log start --\r\n"
                             "2024/12/08 09:05:03.007,Error,MsiOpenDatabase() returned [110].\r\n"
                             "2024/12/08 09:05:03.007,Debug,any other level\r\n"
                             "2024/12/08 09:05:03.007,Info,-- log end --\r\n"));
}

TEST_F(SetupLogTest, WritesBeforeOpenGoNowhereAndLongLinesAreCut)
{
    SetupLog log;
    log.Write(LogLevel::Error, QStringLiteral("before the start"));
    log.SetClock(At("2024-01-02T03:04:05.678"));
    log.Open(kLogName, QString());
    log.Write(LogLevel::Info, QString(2000, QLatin1Char('x')));
    log.Close();
    const QStringList lines =
        DecodeLog(ReadFile(DayFile("20240102"))).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1].size() + 2, 1023);
}

// Two setups on one day (the second stops at the lock) append to the same file: every line
// of both stays, and only the first wrote a byte-order mark.
TEST_F(SetupLogTest, TwoSetupsOnOneDayKeepEveryLineOfBoth)
{
    SetupLog first;
    SetupLog second;
    first.SetClock(At("2024-12-08T10:00:00.000"));
    second.SetClock(At("2024-12-08T10:00:00.000"));
    first.Open(kLogName, QString());
    second.Open(kLogName, QString());
    first.Write(LogLevel::Info, QStringLiteral("first 1"));
    second.Write(LogLevel::Error, QStringLiteral("Process already exists."));
    second.Close();
    first.Write(LogLevel::Info, QStringLiteral("first 2"));
    first.Close();

    const QByteArray bytes = ReadFile(DayFile("20241208"));
    EXPECT_EQ(bytes.count("\xFF\xFE"), 1);
    EXPECT_EQ(m_machine.LogMessages(), (QStringList{"-- log start --", "-- log start --", "first 1",
                                                    "Process already exists.", "-- log end --",
                                                    "first 2", "-- log end --"}));
}

TEST_F(SetupLogTest, DebugLinesOnlyForLevelDebugExactly)
{
    struct Case
    {
        const char* settings;
        bool debug;
    };
    const Case cases[] = {
        {"[log]\nlevel=Debug\n", true},    {"[LOG]\r\n Level = \"Debug\"\r\n", true},
        {"[log]\nlevel=debug\n", false},   {"[log]\nlevel=Debug2\n", false},
        {"[other]\nlevel=Debug\n", false}, {nullptr, false},
    };
    int day = 1;
    for (const Case& c : cases) {
        const QString settings = m_machine.Path("settings.ini");
        QFile::remove(settings);
        if (c.settings != nullptr) {
            WriteFile(settings, c.settings);
        }
        SetupLog log;
        const QString date = QStringLiteral("2024-03-%1").arg(day++, 2, 10, QLatin1Char('0'));
        log.SetClock(At(date + "T12:00:00.000"));
        log.Open(kLogName, settings);
        log.Printf(LogLevel::Debug, "detail %d", 42);
        log.Close();
        const QString text = DecodeLog(ReadFile(DayFile(QString(date).remove('-'))));
        EXPECT_EQ(text.contains(",Debug,detail 42\r\n"), c.debug)
            << (c.settings ? c.settings : "none");
    }
}

TEST_F(SetupLogTest, OpeningDeletesFilesMoreThanTenDaysOld)
{
    struct Case
    {
        const char* today;
        QStringList deleted;
        QStringList kept;
    };
    const Case cases[] = {
        {"2024-12-08T08:00:00.000",
         {"20241127", "20231208", "00000001"},
         {"20241128", "20241207", "20241208", "abcdefgh", "-0000001"}},
        {"2025-01-05T08:00:00.000", {"20241225"}, {"20241226", "20250101"}},
        {"2024-03-10T08:00:00.000", {"20240228"}, {"20240229", "20240301"}},
    };
    for (const Case& c : cases) {
        for (const QString& date : c.deleted + c.kept) {
            WriteFile(DayFile(date), "old");
        }
        const QString other = m_machine.Temp() + "/Other Setup-20000101.log";
        WriteFile(other, "someone else's");
        SetupLog log;
        log.SetClock(At(c.today));
        log.Open(kLogName, QString());
        log.Close();
        for (const QString& date : c.deleted) {
            EXPECT_FALSE(QFileInfo::exists(DayFile(date))) << c.today << " " << date.toStdString();
        }
        for (const QString& date : c.kept) {
            EXPECT_TRUE(QFileInfo::exists(DayFile(date))) << c.today << " " << date.toStdString();
            QFile::remove(DayFile(date));
        }
        EXPECT_TRUE(QFileInfo::exists(other));
    }
}

// The log lies in a shared temporary folder: a link planted under the day's name must not
// make root write into the file it leads to.
TEST_F(SetupLogTest, PlantedLinkUnderTheDaysNameIsNotFollowed)
{
    const QString victim = m_machine.Path("victim.txt");
    WriteFile(victim, "victim");
    ASSERT_TRUE(QFile::link(victim, DayFile("20241208")));
    SetupLog log;
    log.SetClock(At("2024-12-08T09:00:00.000"));
    log.Open(kLogName, QString());
    log.Write(LogLevel::Error, QStringLiteral("must not land anywhere"));
    log.Close();
    EXPECT_EQ(ReadFile(victim), "victim");
    EXPECT_TRUE(QFileInfo(DayFile("20241208")).isSymLink());
}

} // namespace
