#include "tests/e2e/ViewerSession.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

ViewerSession::ViewerSession(const ScratchFolder& scratch, const QString& language,
                             const QString& name)
{
    const std::string base = name.toStdString() + "/";
    m_config = scratch.MakeFolder(base + "config");
    m_data = scratch.MakeFolder(base + "data");
    m_current = scratch.MakeFolder(base + "current");
    const std::string runtime = scratch.MakeFolder("runtime"); // shared: one lock per user
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);

    m_environment = QProcessEnvironment::systemEnvironment();
    // The smallest screen the viewer is made for, so the windows take their default sizes.
    m_environment.insert("QT_QPA_PLATFORM", "offscreen:configfile=" E2E_SCREEN);
    m_environment.insert("QT_PLUGIN_PATH", E2E_DRIVER_PLUGINS);
    m_environment.insert("QT_QPA_GENERIC_PLUGINS", "pyrndriver");
    m_environment.insert("XDG_CONFIG_HOME", QString::fromStdString(m_config));
    m_environment.insert("XDG_DATA_HOME", QString::fromStdString(m_data));
    m_environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime));
    // The program picks the first library named in its current folder, from its own folder.
    if (!language.isEmpty()) {
        const std::string library = "kwel_pyrnLanguageResource" + language.toStdString() + ".so";
        std::filesystem::remove(m_current + "/" + library);
        std::filesystem::create_symlink(std::filesystem::path(PYRN_PROGRAM).parent_path() / library,
                                        m_current + "/" + library);
    }
    m_process.setWorkingDirectory(QString::fromStdString(m_current));
}

ViewerSession::~ViewerSession()
{
    if (IsRunning()) {
        m_process.kill();
        m_process.waitForFinished(kTimeoutMs);
    }
}

std::string ViewerSession::TempRoot() const
{
    return m_data + "/TARV/TARV Post Log Viewer";
}

bool ViewerSession::Launch(const QStringList& arguments)
{
    m_process.setProcessEnvironment(m_environment);
    m_process.start(PYRN_PROGRAM, arguments);
    return m_process.waitForStarted(kTimeoutMs);
}

bool ViewerSession::Start(const QStringList& arguments)
{
    return Launch(arguments) && !WaitForEvent("shown CMainFrame").isEmpty();
}

int ViewerSession::WaitForExit()
{
    m_process.closeWriteChannel();
    while (IsRunning() && ReadMore()) {
    }
    m_output += m_process.readAllStandardOutput();
    m_errors += m_process.readAllStandardError();
    if (IsRunning() || m_process.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return m_process.exitCode();
}

int ViewerSession::Terminate()
{
    m_process.terminate();
    return WaitForExit();
}

bool ViewerSession::ReadMore()
{
    const QByteArray output = m_process.readAllStandardOutput();
    const QByteArray errors = m_process.readAllStandardError();
    if (!output.isEmpty() || !errors.isEmpty()) {
        m_output += output;
        m_errors += errors;
        return true;
    }
    if (!IsRunning()) {
        return false;
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &loop, &QEventLoop::quit);
    QObject::connect(&m_process, &QProcess::readyReadStandardError, &loop, &QEventLoop::quit);
    QObject::connect(&m_process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(kTimeoutMs);
    loop.exec();
    const bool timedOut = !deadline.isActive();
    m_output += m_process.readAllStandardOutput();
    m_errors += m_process.readAllStandardError();
    return !timedOut;
}

// The next answer line; event lines on the way are kept for WaitForEvent.
bool ViewerSession::TakeLine(QString& line)
{
    for (;;) {
        const qsizetype end = m_output.indexOf('\n');
        if (end < 0) {
            if (!ReadMore()) {
                return false;
            }
            continue;
        }
        line = QString::fromUtf8(m_output.left(end));
        m_output.remove(0, end + 1);
        if (line.startsWith(QLatin1String("event "))) {
            m_events.append(line.mid(6));
            continue;
        }
        return true;
    }
}

QStringList ViewerSession::Ask(const QString& command, bool* ok, bool mayFail)
{
    QStringList data;
    bool answered = false;
    if (IsRunning()) {
        m_process.write(command.toUtf8() + '\n');
        QString line;
        while (TakeLine(line)) {
            if (line.startsWith(QLatin1String("data "))) {
                data.append(line.mid(5));
            } else {
                answered = line == QLatin1String("ok");
                if (!answered && !mayFail) {
                    ADD_FAILURE() << command.toStdString() << ": " << line.toStdString();
                }
                break;
            }
        }
    }
    if (!IsRunning() && !mayFail) {
        ADD_FAILURE() << command.toStdString() << ": the viewer is not running\n"
                      << Errors().toStdString();
    }
    if (ok != nullptr) {
        *ok = answered;
    }
    return data;
}

QString ViewerSession::AskOne(const QString& command)
{
    return Ask(command).value(0);
}

bool ViewerSession::AskUntil(const QString& command,
                             const std::function<bool(const QStringList&)>& accept)
{
    const QDeadlineTimer deadline(kTimeoutMs);
    while (IsRunning() && !deadline.hasExpired()) {
        bool ok = false;
        const QStringList answer = Ask(command, &ok, true);
        if (ok && accept(answer)) {
            return true;
        }
    }
    ADD_FAILURE() << "never held: " << command.toStdString() << "\n" << Errors().toStdString();
    return false;
}

QString ViewerSession::WaitForEvent(const QString& prefix)
{
    for (;;) {
        // Answers left unread stay for Ask; only complete event lines are taken here.
        qsizetype start = 0;
        qsizetype end = 0;
        QByteArray rest;
        while ((end = m_output.indexOf('\n', start)) >= 0) {
            const QByteArray line = m_output.mid(start, end - start);
            if (line.startsWith("event ")) {
                m_events.append(QString::fromUtf8(line.mid(6)));
            } else {
                rest += line + '\n';
            }
            start = end + 1;
        }
        m_output = rest + m_output.mid(start);
        for (; m_eventsSeen < m_events.size(); ++m_eventsSeen) {
            if (m_events[m_eventsSeen].startsWith(prefix)) {
                return m_events[m_eventsSeen++];
            }
        }
        if (!ReadMore()) {
            ADD_FAILURE() << "no event " << prefix.toStdString() << "\n" << Errors().toStdString();
            return QString();
        }
    }
}

bool ViewerSession::WaitForError(const QString& text)
{
    while (!m_errors.contains(text.toUtf8())) {
        if (!ReadMore()) {
            return false;
        }
    }
    return true;
}
