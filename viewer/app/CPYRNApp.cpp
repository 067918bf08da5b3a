#include "viewer/app/CPYRNApp.h"

#include "archiver/ArchiverApi.h"
#include "formats/archive/CZipFile.h"
#include "formats/common/FileHelpers.h"
#include "platform/ProfileFile.h"
#include "platform/UserFolders.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/common/DialogUnits.h"
#include "viewer/common/MessageBoxes.h"
#include "viewer/common/QtStandardTexts.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/views/CJobResultView.h"
#include "viewer/views/JobDetailView.h"
#include "viewer/views/JobSummaryView.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QSettings>
#include <QTimer>
#include <filesystem>
#include <vector>

CPYRNApp theApp;

namespace {

constexpr const char* kMutexName = "PYRN";
constexpr const char* kSettingsSection = "PrintImage";
constexpr const char* kTempFolderMask = "TempByPYRN_*";
constexpr int kTerminateRetryMs = 100;

// The per-user settings file; false when the user has no configuration folder (then there is
// none: nothing is read from or written to a path at the file-system root).
bool GetUserSettingsFolder(std::string& folder)
{
    std::string config;
    if (!platform::GetSpecialFolder(platform::SpecialFolder::UserConfig, config)) {
        return false;
    }
    folder = config + "/TARV/PYRN";
    return true;
}

} // namespace

bool GetTempFolderRoot(std::string& root)
{
    std::string data;
    if (!platform::GetSpecialFolder(platform::SpecialFolder::UserData, data)) {
        return false;
    }
    root = data + "/TARV/TARV Post Log Viewer";
    return true;
}

void CleanupTempFolders(const QString& keep)
{
    std::string root;
    if (!GetTempFolderRoot(root)) {
        return;
    }
    std::vector<std::string> folders;
    if (!ListFolderEntries(root, kTempFolderMask, true, folders)) {
        return;
    }
    const std::string kept = keep.toStdString();
    for (const std::string& folder : folders) {
        if (!kept.empty() && folder == kept) {
            continue;
        }
        // A link goes itself; what it leads to is never touched (the tree removal leaves
        // a path through a link alone).
        std::error_code error;
        if (std::filesystem::is_symlink(folder, error)) {
            std::filesystem::remove(folder, error);
            continue;
        }
        bool failed = false; // a folder that stays is left for a later run
        DeleteFolderTree(folder, std::string(), failed);
    }
}

bool IsSupportedArchiverVersion(std::uint32_t version)
{
    return (version & 0xFFFFu) == kArchiverVersion;
}

CPYRNApp::CPYRNApp() = default;

CPYRNApp::~CPYRNApp() = default;

bool CPYRNApp::InitInstance(const QStringList& arguments)
{
    m_bMainFrameClosed = false;
    // Only the main frame's closing ends the program, never a page window or a lone box.
    QApplication::setQuitOnLastWindowClosed(false);
    // One family with the glyphs of every language serves menus and boxes as well as forms.
    QApplication::setFont(DialogUnits::DialogFont(9, false));
    LoadLanguageLibrary();
    // Qt's standard dialogs speak the chosen language too.
    QtStandardTexts::Install();

    QString code;
    if (!CreateSingleInstanceMutex(code)) {
        ShowErrorMessage(182, code, nullptr);
        return false;
    }
    if (arguments.size() > 1) {
        ShowErrorMessage(186, QStringLiteral("03001"), nullptr);
        return false;
    }
    if (!CheckArchiver()) {
        ShowErrorMessage(196, QStringLiteral("02001"), nullptr);
        return false;
    }
    LoadPrintImageSize();
    CleanupTempFolders(QString());

    // The framework's set-up: the application's name and the profile's place come from the
    // current resource module, so they differ by language.
    QApplication::setApplicationName(ResourceModule::String(57344));
    QApplication::setOrganizationName(ResourceModule::String(187));
    return CreateFrameAndViews(arguments);
}

bool CPYRNApp::LoadLanguageLibrary()
{
    std::vector<std::string> libraries;
    FindLanguageLibraries(libraries);
    std::string folder;
    if (libraries.empty() || !GetExeFolder(folder)) {
        return false;
    }
    // Only the first name is tried, by an absolute path into the program's folder.
    m_hLanguageLibrary = ResourceModule::LoadLanguageLibrary(folder + "/" + libraries.front());
    return m_hLanguageLibrary != nullptr;
}

bool CPYRNApp::CreateSingleInstanceMutex(QString& code)
{
    if (!m_hMutex.Open(kMutexName)) {
        code = QStringLiteral("01002");
        return false;
    }
    switch (m_hMutex.TryTake()) {
    case platform::LockTake::HeldElsewhere:
        code = QStringLiteral("01001");
        return false;
    case platform::LockTake::Failed:
        code = QStringLiteral("01003");
        return false;
    case platform::LockTake::Taken:
        break;
    }
    m_bMutexOwned = true;
    return true;
}

bool CPYRNApp::CheckArchiver()
{
    m_pZipFile = std::make_unique<CZipFile>();
    m_pZipFile->m_hArchiver = platform::LoadProgramLibrary(kArchiverLibraryName);
    auto* version = platform::ResolveFunction<ArchiverGetVersionFn>(m_pZipFile->m_hArchiver,
                                                                    kArchiverGetVersionName);
    return version != nullptr && IsSupportedArchiverVersion(version());
}

bool CPYRNApp::CreateFrameAndViews(const QStringList& arguments)
{
    // The single-document template: the document, the main frame and the job result view.
    m_pDocument = std::make_unique<CPYRNDoc>();
    m_pMainFrame = std::make_unique<CMainFrame>();
    if (m_pMainFrame->OnCreate() != 0) {
        return false;
    }
    auto* jobResult = new CJobResultView;
    m_pMainFrame->AddView(jobResult);
    m_pDocument->SetView(ViewSlot::JobResult, jobResult);

    // The command line: an archive to open, before the other two views exist. Named as the
    // user typed it, it is made absolute first: the page-image stream is looked for in the
    // archive's own folder.
    if (arguments.isEmpty()) {
        if (!m_pDocument->OnNewDocument()) {
            return false;
        }
    } else if (!m_pDocument->OnOpenDocument(QDir::current().absoluteFilePath(arguments.front()))) {
        return false;
    }
    jobResult->OnInitialUpdate();
    m_pJobResultView = dynamic_cast<CJobResultView*>(m_pMainFrame->GetActiveView());

    m_pJobSummaryView = new JobSummaryView;
    m_pJobDetailView = new JobDetailView;
    m_pMainFrame->AddView(m_pJobSummaryView);
    m_pMainFrame->AddView(m_pJobDetailView);
    m_pDocument->SetView(ViewSlot::MailList, m_pJobSummaryView);
    m_pDocument->SetView(ViewSlot::MailDetail, m_pJobDetailView);
    m_pJobSummaryView->OnInitialUpdate();
    m_pJobDetailView->OnInitialUpdate();

    m_pMainFrame->resize(m_pMainFrame->sizeHint());
    m_pMainFrame->show();

    if (m_pDocument->GetCsvBaseName().isEmpty()) {
        m_pDocument->OnFileOpen();
    }
    return true;
}

int CPYRNApp::Run()
{
    return m_bMainFrameClosed ? 0 : QApplication::exec();
}

int CPYRNApp::ExitInstance()
{
    if (m_pJobResultView != nullptr && m_pJobSummaryView != nullptr &&
        m_pJobDetailView != nullptr) {
        SavePrintImageSize();
    }
    // The frame with its views and the document go with the framework, closing the log.
    m_pJobResultView = nullptr;
    m_pJobSummaryView = nullptr;
    m_pJobDetailView = nullptr;
    m_pMainFrame.reset();
    m_pDocument.reset();

    // Only the instance that holds the lock cleans up: on Linux the files of a running
    // viewer's log could be deleted from under it.
    if (m_bMutexOwned) {
        CleanupTempFolders(QString());
    }
    if (m_pZipFile) {
        m_pZipFile->ClearFileList();
        if (m_pZipFile->m_hArchiver != nullptr) {
            platform::FreeLibrary(m_pZipFile->m_hArchiver);
            m_pZipFile->m_hArchiver = nullptr;
        }
        m_pZipFile.reset();
    }
    QtStandardTexts::Remove();
    if (m_hLanguageLibrary != nullptr) {
        ResourceModule::FreeLanguageLibrary(m_hLanguageLibrary);
        m_hLanguageLibrary = nullptr;
    }
    if (m_hMutex.IsOpen()) {
        if (m_bMutexOwned) {
            m_hMutex.Release();
        }
        m_hMutex.Close();
        m_bMutexOwned = false;
    }
    return 0;
}

void CPYRNApp::LoadPrintImageSize()
{
    std::string folder;
    std::string exeFolder;
    std::string path;
    if (GetUserSettingsFolder(folder) && FileExists(folder + "/User.ini")) {
        path = folder + "/User.ini";
    } else if (GetExeFolder(exeFolder) && FileExists(exeFolder + "/PYRN.ini")) {
        path = exeFolder + "/PYRN.ini";
    }
    m_nPrintImageWidth = kDefaultPrintImageWidth;
    m_nPrintImageHeight = kDefaultPrintImageHeight;
    if (path.empty()) {
        return;
    }
    // Only one file is read: a per-user file without the keys gives the defaults.
    const int width =
        platform::ReadProfileInt(path, kSettingsSection, "Width", kDefaultPrintImageWidth);
    const int height =
        platform::ReadProfileInt(path, kSettingsSection, "Height", kDefaultPrintImageHeight);
    m_nPrintImageWidth = width > 0 ? width : kDefaultPrintImageWidth;
    m_nPrintImageHeight = height > 0 ? height : kDefaultPrintImageHeight;
}

void CPYRNApp::SavePrintImageSize()
{
    std::string folder;
    if (!GetUserSettingsFolder(folder)) {
        return;
    }
    if (!FolderExists(folder)) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) {
            return;
        }
    }
    const std::string path = folder + "/User.ini";
    platform::WriteProfileString(path, kSettingsSection, "Width",
                                 std::to_string(m_nPrintImageWidth));
    platform::WriteProfileString(path, kSettingsSection, "Height",
                                 std::to_string(m_nPrintImageHeight));
}

QString CPYRNApp::GetAppTitle() const
{
    return ResourceModule::String(128).section(QLatin1Char('\n'), 0, 0);
}

int CPYRNApp::GetProfileInt(const QString& section, const QString& entry, int defaultValue) const
{
    std::string config;
    if (!platform::GetSpecialFolder(platform::SpecialFolder::UserConfig, config)) {
        return defaultValue;
    }
    // The place that QSettings gives the organisation and application in its native format.
    const QString path = QString::fromStdString(config) + QLatin1Char('/') +
                         ResourceModule::String(187) + QLatin1Char('/') +
                         ResourceModule::String(57344) + QStringLiteral(".conf");
    const QSettings profile(path, QSettings::NativeFormat);
    const QString value = profile.value(section + QLatin1Char('/') + entry).toString();
    return value.isEmpty() ? defaultValue : platform::ParseProfileInt(value.toStdString());
}

void CPYRNApp::OnMainFrameClosed()
{
    m_bMainFrameClosed = true;
    QApplication::quit();
}

void CPYRNApp::OnTerminateRequest()
{
    // As by the menu, which a modal dialog keeps out of reach: a worker's progress dialog is
    // waited for, any other dialog is cancelled, then the main frame closes.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog != nullptr && !modal->inherits("ProgressDialog")) {
            dialog->reject();
        }
        QTimer::singleShot(kTerminateRetryMs, [this] { OnTerminateRequest(); });
        return;
    }
    if (m_pMainFrame) {
        m_pMainFrame->close();
    } else {
        m_bMainFrameClosed = true;
    }
}
