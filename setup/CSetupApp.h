// The setup run: the whole program happens in InitInstance, which always returns false, so
// that the run ends through ExitInstance.
#pragma once

#include "platform/MachineLock.h"

#include <QString>
#include <functional>
#include <memory>

class QApplication;
class CSetupDlg;

class CSetupApp
{
public:
    CSetupApp(int& argc, char** argv);
    ~CSetupApp();
    CSetupApp(const CSetupApp&) = delete;
    CSetupApp& operator=(const CSetupApp&) = delete;

    // InitInstance, then ExitInstance; its result is the process's exit code.
    int Run();
    bool InitInstance();
    int ExitInstance();

    // What the run asks of the user and the system; tests put their own in.
    std::function<bool()> m_isUserAnAdmin;
    std::function<void(const QString& text, const QString& caption)> m_showError;
    std::function<int(CSetupDlg& dialog)> m_runDialog;

private:
    int& m_argc;
    char** m_argv;
    std::unique_ptr<QApplication> m_application;
    platform::MachineLock m_mutex;
    int m_exitCode = 0; // the framework's exit value; only a run that cannot start sets it
};
