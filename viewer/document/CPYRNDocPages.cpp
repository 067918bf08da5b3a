// The document's page-image cache and page-image threads.
#include "formats/image/CBitmapData.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/common/MessageBoxes.h"
#include "viewer/dialogs/ProgressDialog.h"
#include "viewer/document/AddThumbnailEvent.h"
#include "viewer/document/CPYRNDoc.h"

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>
#include <limits>

namespace {

constexpr unsigned kPageErrorMessage = 196;
constexpr int kThumbnailBox = 120;
constexpr int kFullSize = -1;
constexpr std::uint64_t kMaxUInt32 = std::numeric_limits<std::uint32_t>::max();

// Progress of an image operation as events posted to a window, which may go meanwhile.
class PostedProgress : public formats::ProgressTarget
{
public:
    explicit PostedProgress(QObject* window) : m_window(window) {}
    void PostProgress(int value) override
    {
        if (QObject* window = m_window.data()) {
            QCoreApplication::postEvent(window, new ProgressEvent(value));
        }
    }

private:
    QPointer<QObject> m_window;
};

// What the thumbnail run hands its worker; lives on the starter's stack for the whole run.
struct ThumbnailContext
{
    bool bOk = true;
    QString strCode;
    ProgressDialog* pDialog = nullptr;
    CPYRNDoc* pDocument = nullptr;
    QObject* pMainFrame = nullptr; // receives the thumbnails and their count; may be none
};

// What the page-image run hands its worker.
struct PrintImageContext
{
    bool bOk = true;
    QString strCode;
    ProgressDialog* pDialog = nullptr;
    std::unique_ptr<tagDORNPAGEIMGINFO> pResult;
    CDornComFile* pComFile = nullptr;
    std::uint32_t nPage = 0;    // 1-based page of the index: the mail's place among the mails
    std::uint32_t nSubPage = 0; // 1-based
};

// The current mail's page of the stream (mail number - first mail number + 1), or 0 when it
// has none.
std::uint32_t MailPageIndex(const CPYRNDoc& document)
{
    if (document.m_nCurrentMailNo < document.m_nFirstMailNo) {
        return 0;
    }
    const std::uint64_t page =
        std::uint64_t{document.m_nCurrentMailNo} - document.m_nFirstMailNo + 1;
    return page <= kMaxUInt32 ? static_cast<std::uint32_t>(page) : 0;
}

// The smallest page number of the current mail once its list is extended to the pages the mail
// should have. The list itself stays as the detail view collected it, so that every thumbnail
// run shows the same pages.
std::uint32_t SmallestMailPage(const CPYRNDoc& document)
{
    if (!document.m_pMailPages) {
        return 0;
    }
    std::vector<std::uint32_t> pages = *document.m_pMailPages;
    const JobDetail* detail = document.FindDetail(document.m_nCurrentMailNo);
    // The log's letter count is unsigned; -1 (never parsed) reads as the largest count.
    const std::uint32_t letters =
        detail != nullptr ? static_cast<std::uint32_t>(detail->nExpected) : 0;
    ExtendPageList(pages, ExpectedPageCount(pages, letters));
    return GetSmallestPageNumber(pages);
}

void PostTo(QObject* receiver, QEvent* event)
{
    if (receiver != nullptr) {
        QCoreApplication::postEvent(receiver, event);
    } else {
        delete event;
    }
}

// Worker: decodes the thumbnails of the current mail that the cache lacks and hands every page
// to the main frame in list order. Reads the document while its UI thread waits in the modal
// dialog; only this worker changes the cache meanwhile.
void ThumbnailThread(ThumbnailContext* context)
{
    CPYRNDoc& document = *context->pDocument;
    const std::vector<std::uint32_t>& pages = *document.m_pMailPages;
    const std::uint32_t page = MailPageIndex(document);
    const std::uint32_t smallest = SmallestMailPage(document);
    int handled = 0;
    for (const std::uint32_t p : pages) {
        // Never below 1: the smallest number is at most every entry.
        const std::uint32_t subPage = p - smallest + 1;
        const tagDORNPAGEIMGINFO* image = nullptr;
        if (const auto cached = document.m_pPageCache->find(p);
            cached != document.m_pPageCache->end()) {
            image = cached->second.get();
        } else if (auto decoded =
                       document.m_pComFile->ReadPageImage(page, subPage, kThumbnailBox, nullptr)) {
            image = decoded.get();
            document.m_pPageCache->emplace(p, std::move(decoded));
        } else {
            context->bOk = false;
            context->strCode = QStringLiteral("05002");
        }
        PostTo(context->pMainFrame, new AddThumbnailEvent(p, image));
        PostTo(context->pMainFrame, new ProgressEvent(++handled));
    }
    PostTo(context->pMainFrame, new ProgressEvent(0));
}

// Worker: decodes one sub-page at full size with progress on the dialog.
void PrintImageThread(PrintImageContext* context)
{
    PostedProgress progress(context->pDialog);
    context->pResult =
        context->pComFile->ReadPageImage(context->nPage, context->nSubPage, kFullSize, &progress);
    if (!context->pResult) {
        context->bOk = false;
        context->strCode = QStringLiteral("05003");
    }
}

} // namespace

std::uint32_t GetSmallestPageNumber(const std::vector<std::uint32_t>& pages)
{
    return pages.empty() ? 0 : *std::min_element(pages.begin(), pages.end());
}

std::uint64_t ExpectedPageCount(const std::vector<std::uint32_t>& pages,
                                std::uint32_t lettersExpected)
{
    const std::uint64_t n = pages.size();
    const std::uint64_t letters = lettersExpected;
    if (n == 0 || letters == 0) {
        return 0;
    }
    if (n == 1) {
        return letters;
    }
    const std::uint64_t a = pages[0];
    const std::uint64_t b = pages[1];
    if (b + 1 == a) {
        return letters; // falling: one page per letter
    }
    if (b != a + 1) {
        return 0;
    }
    // Rising: front and back pages.
    const std::uint64_t t = 2 * letters;
    if (n == t - 1) {
        return t - 1;
    }
    if (n < t) {
        return t;
    }
    return std::uint64_t{pages[t - 1]} == std::uint64_t{pages[t - 2]} + 1 ? t : t - 1;
}

void ExtendPageList(std::vector<std::uint32_t>& pages, std::uint64_t count)
{
    const std::uint64_t target = std::min<std::uint64_t>(count, kMaxMailPages);
    if (pages.size() >= target) {
        return;
    }
    // Each appended number is the new minimum, so the minimum is kept as it goes.
    std::uint32_t smallest = GetSmallestPageNumber(pages);
    while (smallest >= 2 && pages.size() < target) {
        --smallest;
        pages.push_back(smallest);
    }
}

bool CPYRNDoc::HasMailPage(std::uint32_t page) const
{
    return m_pMailPages &&
           std::find(m_pMailPages->begin(), m_pMailPages->end(), page) != m_pMailPages->end();
}

void CPYRNDoc::FreeMailPageList()
{
    m_pMailPages.reset();
}

void CPYRNDoc::ResetPageImageCache(bool recreate)
{
    // The thumbnails point into the cache: they go first, before anything can paint them.
    if (CMainFrame* frame = theApp.GetMainFrame()) {
        frame->ClearThumbnails();
    }
    m_pPageCache.reset();
    if (recreate) {
        m_pPageCache = std::make_unique<PageCache>();
    }
}

QSize CPYRNDoc::GetPrintImageSize() const
{
    if (!m_pPrintImage) {
        return {0, 0};
    }
    const bool turned = m_pPrintImage->nRotation == 90 || m_pPrintImage->nRotation == 270;
    return turned ? QSize(m_pPrintImage->nHeight, m_pPrintImage->nWidth)
                  : QSize(m_pPrintImage->nWidth, m_pPrintImage->nHeight);
}

int CPYRNDoc::CheckPageImages()
{
    const std::uint32_t page = MailPageIndex(*this);
    m_bPageImagesReady = m_pComFile && page != 0 && m_pComFile->LoadPageLayout(page) == 0;
    return m_bPageImagesReady ? 0 : -1;
}

bool CPYRNDoc::StartThumbnailThread()
{
    // One worker at a time: a run asked for from inside another's modal loop does not start.
    if (!m_bPageImagesReady || !m_pComFile || !m_pMailPages || !m_pPageCache ||
        m_worker.joinable()) {
        return false;
    }
    CMainFrame* frame = theApp.GetMainFrame();
    ProgressDialog dialog(MainWindow());
    dialog.m_bHidden = true;
    ThumbnailContext context;
    context.pDialog = &dialog;
    context.pDocument = this;
    context.pMainFrame = frame;
    if (frame != nullptr) {
        frame->ClearThumbnails();
        frame->SetThumbnailProgressRange(m_pMailPages->size());
    }
    RunWorker(dialog, [&context] { ThumbnailThread(&context); });
    if (!context.bOk) {
        ShowWarningMessage(kPageErrorMessage, context.strCode, MainWindow());
    }
    return context.bOk;
}

bool CPYRNDoc::LoadPrintImage()
{
    if (!m_bPageImagesReady || !m_pComFile || m_worker.joinable()) {
        return false;
    }
    m_pPrintImage.reset();
    PrintImageContext context;
    context.pComFile = m_pComFile.get();
    context.nPage = MailPageIndex(*this);
    // A page below the mail's smallest (0 from a text that was no number among them) has no
    // sub-page of this mail; it must not wrap round to one.
    const std::uint32_t smallest = SmallestMailPage(*this);
    const std::uint64_t subPage = std::uint64_t{m_nPageToOpen} - smallest + 1;
    if (!m_pMailPages || m_pMailPages->empty() || m_nPageToOpen < smallest ||
        subPage > kMaxUInt32) {
        context.bOk = false;
        context.strCode = QStringLiteral("05003");
    } else {
        context.nSubPage = static_cast<std::uint32_t>(subPage);
        ProgressDialog dialog(MainWindow());
        dialog.m_nRange = 100;
        dialog.m_nPos = 0;
        context.pDialog = &dialog;
        RunWorker(dialog, [&context] { PrintImageThread(&context); });
    }
    if (!context.bOk) {
        ShowWarningMessage(kPageErrorMessage, context.strCode, MainWindow());
        return false;
    }
    m_pPrintImage = std::move(context.pResult);
    return true;
}

bool CPYRNDoc::RotatePageImage(bool right, QWidget* progressWindow)
{
    std::unique_ptr<CBitmapData> turned;
    if (m_pComFile && m_pPrintImage && m_pPrintImage->pBitmap &&
        m_pPrintImage->pBitmap->m_nBitCount == 24) {
        PostedProgress progress(progressWindow);
        formats::ProgressTarget* target = progressWindow != nullptr ? &progress : nullptr;
        turned = right ? m_pPrintImage->pBitmap->RotateRight(target)
                       : m_pPrintImage->pBitmap->RotateLeft(target);
    }
    if (!turned) {
        // Over the page window that asked, which the user sees; the main window is hidden.
        ShowWarningMessage(kPageErrorMessage, QStringLiteral("05004"),
                           progressWindow != nullptr ? progressWindow : MainWindow());
        return false;
    }
    m_pPrintImage->pBitmap = std::move(turned);
    m_pPrintImage->nRotation = (m_pPrintImage->nRotation + (right ? 90 : 270)) % 360;
    UpdateAllViews(nullptr, UpdateHint::kPageImage);
    return true;
}
