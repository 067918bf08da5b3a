#pragma once

#include "platform/LibraryLoader.h"
#include "platform/NamedLock.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>

class CJobResultView;
class CMainFrame;
class CPYRNDoc;
class CZipFile;
class JobDetailView;
class JobSummaryView;
class QWidget;

// Where the viewer's temporary folders live: the user's data folder followed by
// "/TARV/TARV Post Log Viewer". False when there is no user data folder.
bool GetTempFolderRoot(std::string& root);

// Removes every "TempByPYRN_*" folder under the temporary folders' root except `keep` (a full
// path compared exactly; empty keeps none). Folders that cannot be removed stay, silently. A
// link to a folder is removed itself, never what it leads to.
void CleanupTempFolders(const QString& keep);

// True when the archiver library's version result names the supported version (922 in its
// low 16 bits, whatever the high bits hold).
bool IsSupportedArchiverVersion(std::uint32_t version);

// The viewer's application: start-up and shutdown, the view switching and about commands, and
// the state the whole viewer reaches through `theApp` (the three views, the archiver wrapper,
// the page-image window size). A plain object; the QApplication is main's.
class CPYRNApp
{
public:
    static constexpr int kDefaultPrintImageWidth = 500;
    static constexpr int kDefaultPrintImageHeight = 700;

    CPYRNApp();
    ~CPYRNApp();
    CPYRNApp(const CPYRNApp&) = delete;
    CPYRNApp& operator=(const CPYRNApp&) = delete;

    // `arguments`: the user's command-line arguments, without the program's name and without
    // Qt's own options. False: start-up failed (ExitInstance must still run).
    bool InitInstance(const QStringList& arguments);
    // Runs the message loop unless the main frame was closed already; its result.
    int Run();
    // The process exit code of a run that got this far.
    int ExitInstance();

    bool CreateSingleInstanceMutex(QString& code);
    void LoadPrintImageSize();
    void SavePrintImageSize();

    // Commands 197, 130, 136 and 137, and the one routine that swaps the views.
    void OnAppAbout();
    void ShowJobResultView();
    void ShowMailListView();
    void ShowMailDetailView();
    void SwitchView(QWidget* view);

    // The framework's part: the main window and the one document, or null.
    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }
    CPYRNDoc* GetDocument() const { return m_pDocument.get(); }
    // The three views as the widgets the frame shows, or null.
    QWidget* JobResultWidget() const;
    QWidget* MailListWidget() const;
    QWidget* MailDetailWidget() const;
    // The application title: the first part of the document template string 128.
    QString GetAppTitle() const;
    // An integer of the application's profile (organisation string 187, application string
    // 57344), read as the settings files are; `defaultValue` when absent or when the user has
    // no configuration folder.
    int GetProfileInt(const QString& section, const QString& entry, int defaultValue) const;

    // The main frame closed: the program ends (never because another window closed).
    void OnMainFrameClosed();
    // The system asks the program to end (a signal): the main frame closes as by its menu.
    void OnTerminateRequest();

    CJobResultView* m_pJobResultView = nullptr; // not owned: the frame owns its views
    JobSummaryView* m_pJobSummaryView = nullptr;
    JobDetailView* m_pJobDetailView = nullptr;
    platform::NamedLock m_hMutex;
    bool m_bMutexOwned = false;
    platform::LibraryHandle m_hLanguageLibrary = nullptr;
    int m_nPrintImageWidth = 0;
    int m_nPrintImageHeight = 0;
    std::unique_ptr<CZipFile> m_pZipFile;

private:
    bool LoadLanguageLibrary();
    bool CheckArchiver();
    bool CreateFrameAndViews(const QStringList& arguments);
    // Title and status bar of a view switch; the frame, or null before there is one.
    CMainFrame* PrepareFrame(unsigned titleId, bool statusBar);

    std::unique_ptr<CPYRNDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    bool m_bMainFrameClosed = false;
};

extern CPYRNApp theApp;
