#include "setup/CSetupApp.h"

#include "platform/Display.h"
#include "platform/StringTables.h"
#include "setup/CInstallMgr.h"
#include "setup/CSetupDlg.h"
#include "setup/LanguageTable.h"
#include "setup/ProductNames.h"
#include "setup/SetupLog.h"
#include "setup/UiLanguage.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr unsigned kCaptionString = 2169;
constexpr unsigned kFailureString = 2170;
constexpr int kWindowsXp = 106;
constexpr const char* kNoDisplay = "no display for its windows: set DISPLAY (X11) or "
                                   "WAYLAND_DISPLAY (Wayland) to the desktop that is to show them";

QString SetupString(unsigned id, unsigned languageId)
{
    return QString::fromStdString(platform::LoadLanguageString(id, languageId));
}

} // namespace

CSetupApp::CSetupApp(int& argc, char** argv)
    : m_isUserAnAdmin([] { return ::geteuid() == 0; }),
      m_showError([](const QString& text, const QString& caption) {
          QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
          box.exec();
      }),
      m_runDialog([](CSetupDlg& dialog) { return dialog.DoModal(); }), m_argc(argc), m_argv(argv)
{}

CSetupApp::~CSetupApp() = default;

int CSetupApp::Run()
{
    InitInstance();
    return ExitInstance();
}

bool CSetupApp::InitInstance()
{
    SetupLog* log = SetupLog::GetInstance();
    log->Open(kLogName, GetLogSettingsPath());

    if (QApplication::instance() == nullptr) {
        // Qt would abort the run without a display: say what to set, and end it as a failure.
        if (!platform::HasDisplay(m_argc, m_argv)) {
            std::fprintf(stderr, "setup: %s\n", kNoDisplay);
            log->Printf(LogLevel::Error, "%s", kNoDisplay);
            m_exitCode = 1;
            return false;
        }
        m_application = std::make_unique<QApplication>(m_argc, m_argv);
    }

    if (m_mutex.Acquire(kSetupName) == platform::LockResult::HeldElsewhere) {
        log->Printf(LogLevel::Error, "Process already exists.");
        return false;
    }

    const int row = FindLanguageRow(GetUiLanguageCode());
    const unsigned languageId = row >= 0 ? LanguageTable[static_cast<std::size_t>(row)].langId : 0;
    const QString caption = SetupString(kCaptionString, languageId);
    if (!m_isUserAnAdmin()) {
        m_showError(SetupString(kFailureString, languageId), caption);
        return false;
    }

    CInstallMgr installMgr;
    if (installMgr.ExtractPackage() != 0) {
        m_showError(SetupString(kFailureString, languageId), caption);
    } else if (installMgr.IsMaintenanceMode()) {
        installMgr.GetResourceMgr().m_noRunas = GetOsVersionCode() == kWindowsXp ? 1 : 0;
        const int result = installMgr.ExecuteMaintenance();
        log->Printf(LogLevel::Error, "ExecuteMaintenance result:%d", result);
    } else {
        CSetupDlg dialog;
        if (m_runDialog(dialog) == IDOK) {
            log->Printf(LogLevel::Info, "Install \"%s\"...", kProductName);
            const int result = installMgr.InstallProduct(dialog.m_languageIndex);
            log->Printf(LogLevel::Info, "result:%d", result);
        }
    }
    return false;
}

int CSetupApp::ExitInstance()
{
    SetupLog::GetInstance()->Close();
    SetupLog::DeleteInstance();
    m_mutex.Release();
    return m_exitCode;
}
