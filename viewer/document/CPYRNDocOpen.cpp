// The document's open pipeline on the UI thread, its worker, and the File-Open and CSV save
// commands.
#include "formats/archive/CZipFile.h"
#include "formats/common/FileHelpers.h"
#include "formats/joblog/ExportDataLines.h"
#include "formats/joblog/JobLogFile.h"
#include "formats/pagestream/CDornComFile.h"
#include "platform/MappedFile.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/common/MessageBoxes.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/dialogs/DocumentFileDialog.h"
#include "viewer/dialogs/PasswordDialog.h"
#include "viewer/dialogs/ProgressDialog.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/document/OpenLogPipeline.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QTimer>
#include <malloc.h>

namespace {

constexpr unsigned kOpenErrorMessage = 186;
constexpr unsigned kWriteErrorMessage = 195;

// While a log is read and built, large blocks too (the row index, the growing lookup tables)
// come from the heap: then the reader can ready the heap for the records at once, on huge
// pages (platform::AdviseHeapGrowth). Afterwards they are mapped again. What the open freed is
// given back once the log is on screen: it would otherwise stay with the process while the
// filter's candidates and the thumbnails' planes come on top of it.
class HeapForTheLog
{
public:
    HeapForTheLog() { mallopt(M_MMAP_THRESHOLD, static_cast<int>(2 * platform::kHeapGrowthPiece)); }
    ~HeapForTheLog()
    {
        mallopt(M_MMAP_THRESHOLD, kDefaultMappingThreshold);
        QTimer::singleShot(0, qApp, [] { malloc_trim(0); });
    }
    HeapForTheLog(const HeapForTheLog&) = delete;
    HeapForTheLog& operator=(const HeapForTheLog&) = delete;

private:
    static constexpr int kDefaultMappingThreshold = 128 * 1024; // glibc's starting value
};

void ShowOpenError(const QString& code)
{
    ShowErrorMessage(kOpenErrorMessage, code, CPYRNDoc::MainWindow());
}

// A file dialog object as both commands build it: owned by the main window, Qt's own dialog
// (not the desktop's), asking before it overwrites, the chosen file need not exist.
std::unique_ptr<QFileDialog> MakeFileDialog(unsigned titleId, unsigned extensionId,
                                            unsigned filterId)
{
    auto dialog =
        std::make_unique<QFileDialog>(CPYRNDoc::MainWindow(), ResourceModule::String(titleId));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(ResourceModule::String(extensionId));
    dialog->setNameFilters(FileDialogNameFilters(ResourceModule::String(filterId)));
    return dialog;
}

} // namespace

void CPYRNDoc::RunWorker(ProgressDialog& dialog, std::function<void()> work)
{
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_worker = std::thread([&dialog, work = std::move(work)] {
        const WorkerDoneGuard done(&dialog);
        try {
            work();
        } catch (...) {
            // The work reports its own failures; nothing may escape the thread.
        }
    });
    dialog.m_hThread = &m_worker;
    dialog.exec();
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

bool CPYRNDoc::OnOpenDocument(const QString& path)
{
    QString tempFolder;
    if (!MakeTempFolder(tempFolder)) {
        ShowOpenError(QStringLiteral("03005"));
        return false;
    }
    const QString tempZip = tempFolder + QStringLiteral("/Temp.zip");
    // A FIFO or a device is refused here rather than read.
    if (!CopyRegularFile(path, tempZip)) {
        ShowOpenError(QStringLiteral("03005"));
        return false;
    }
    const auto removeCopy = [&tempZip] { QFile::remove(tempZip); };
    if (QFile copy(tempZip); !copy.open(QIODevice::ReadOnly)) {
        removeCopy();
        return false;
    }

    bool needsPassword = false;
    const int test = CZipFile::TestArchive(tempZip.toStdString(), needsPassword);
    if (test != 0) {
        ShowOpenError(test == -2 ? QStringLiteral("03002") : QStringLiteral("03003"));
        removeCopy();
        return false;
    }
    QString password;
    if (needsPassword) {
        PasswordDialog dialog;
        dialog.m_strArchivePath = tempZip;
        if (dialog.exec() != QDialog::Accepted) {
            removeCopy();
            return false;
        }
        password = dialog.GetPassword();
    }

    const HeapForTheLog heap;
    OpenLogContext context;
    ProgressDialog progress(MainWindow());
    progress.m_nRange = 100;
    progress.m_nPos = 0;
    context.pProgressDialog = &progress;
    context.strTempFolder = tempFolder;
    context.pZipFile = theApp.m_pZipFile.get();
    context.strTempZipPath = tempZip;
    context.strArchivePath = path;
    context.pPassword = &password;
    RunWorker(progress, [&context] { OpenLogThread(&context); });

    if (context.bOk) {
        if (!context.bHasPageImages && !context.strCode.isEmpty()) {
            ShowWarningMessage(kOpenErrorMessage, context.strCode, MainWindow());
        }
        FillDocument(context);
    } else {
        if (!tempFolder.isEmpty()) {
            bool ignored = false;
            DeleteFolderTree(tempFolder.toStdString(), std::string(), ignored);
        }
        ShowOpenError(context.strCode);
    }
    removeCopy();
    // A failed open is not reported as done: the caller knows the log was not loaded.
    return context.bOk;
}

void CPYRNDoc::OnFileOpen()
{
    const auto dialog = MakeFileDialog(131, 189, 190);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    if (const std::optional<QString> path = GetFileDialogRunner()(*dialog)) {
        OnOpenDocument(*path);
    }
}

void CPYRNDoc::OnFileSaveCsv()
{
    if (m_strCsvBaseName.isEmpty()) {
        return;
    }
    const auto dialog = MakeFileDialog(134, 191, 188);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->selectFile(GetCsvBaseName() + QLatin1Char('.') + dialog->defaultSuffix());
    if (const std::optional<QString> path = GetFileDialogRunner()(*dialog)) {
        if (!OnSaveDocument(*path)) {
            ShowErrorMessage(kWriteErrorMessage, QStringLiteral("04001"), MainWindow());
        }
    }
}

bool CPYRNDoc::OnSaveDocument(const QString& path)
{
    if (m_strCsvPath.isEmpty()) {
        return false;
    }
    return ExportDataLines(m_strCsvPath.toStdString(), path.toStdString()) == 0;
}
