// One run of the real viewer driven as a user would drive it: started with QProcess in
// folders of its own (configuration, data, runtime and current folder), the driver plugin
// loaded into it, its texts in one language. Commands go to the driver, its answers and the
// windows it reports come back; message boxes come on standard error (offscreen platform).
#pragma once

#include "tests/ScratchFolder.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

class ViewerSession
{
public:
    static constexpr int kTimeoutMs = 120000;

    // `language`: a library code ("EN", "DE", ...) or empty for the built-in set.
    explicit ViewerSession(const ScratchFolder& scratch, const QString& language = "EN",
                           const QString& name = "viewer");
    ~ViewerSession();
    ViewerSession(const ViewerSession&) = delete;
    ViewerSession& operator=(const ViewerSession&) = delete;

    // Starts the program (arguments: the user's) and waits for its main window.
    bool Start(const QStringList& arguments = {});
    // Starts the program without waiting for anything.
    bool Launch(const QStringList& arguments = {});
    // Waits for the program to end by itself; its exit code, or -1 on a time-out or a crash.
    int WaitForExit();
    // Ends the program as the system would (SIGTERM) and waits; its exit code or -1.
    int Terminate();
    bool IsRunning() const { return m_process.state() != QProcess::NotRunning; }

    // Sends one command; the "data" lines of its answer without the prefix. `ok` tells whether
    // the driver answered "ok" (a failed command is also recorded as a test failure unless
    // `mayFail`).
    QStringList Ask(const QString& command, bool* ok = nullptr, bool mayFail = false);
    // The first data line of a query, or empty.
    QString AskOne(const QString& command);
    // Re-asks `command` until `accept` holds for its answer (each answer waits on the program,
    // so this yields to it); false on a time-out.
    bool AskUntil(const QString& command, const std::function<bool(const QStringList&)>& accept);

    // Waits for a reported window event whose line (after "event ") starts with `prefix`, seen
    // after the last one this call returned; the whole line, or empty on a time-out.
    QString WaitForEvent(const QString& prefix);
    // Waits until standard error holds `text`; false on a time-out or the program's end.
    bool WaitForError(const QString& text);

    QString Errors() const { return QString::fromUtf8(m_errors); }
    // The user's data folder root of the temporary folders, and its configuration folder.
    std::string TempRoot() const;
    std::string ConfigFolder() const { return m_config; }
    std::string CurrentFolder() const { return m_current; }
    QProcessEnvironment& Environment() { return m_environment; }

private:
    bool ReadMore();
    bool TakeLine(QString& line);

    QProcess m_process;
    QProcessEnvironment m_environment;
    std::string m_config;
    std::string m_data;
    std::string m_current;
    QByteArray m_output;
    QByteArray m_errors;
    QStringList m_events;
    qsizetype m_eventsSeen = 0;
};
