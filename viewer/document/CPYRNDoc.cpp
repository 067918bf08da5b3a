#include "viewer/document/CPYRNDoc.h"

#include "formats/image/CBitmapData.h"
#include "formats/joblog/JobLogFile.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/common/LoadBitmapResource.h"
#include "viewer/document/ListSorting.h"
#include "viewer/document/OpenLogPipeline.h"

#include <algorithm>
#include <cstring>
#include <malloc.h>

std::array<bool, 6> g_bMailSortAscending{true, true, true, true, true, true};
std::array<bool, 6> g_bSheetSortAscending{true, true, true, true, true, true};

namespace {

constexpr unsigned kOverlayBitmap = 323;
constexpr std::size_t kHeapTrimThreshold = std::size_t{1} << 30;
constexpr unsigned kPlaceholderBitmap = 325;
constexpr int kPlaceholderWidth = 84;
constexpr int kPlaceholderHeight = 120;

// A 24-bit copy of `image`; without an image, a white page of the placeholder's size.
std::unique_ptr<CBitmapData> MakePlaceholderThumb(const QImage& image)
{
    auto bitmap = std::make_unique<CBitmapData>();
    if (image.isNull()) {
        if (!bitmap->Create(kPlaceholderWidth, kPlaceholderHeight, 24)) {
            return nullptr;
        }
        for (int y = 0; y < bitmap->m_nHeight; ++y) {
            std::memset(bitmap->m_pBits + static_cast<std::ptrdiff_t>(y) * bitmap->m_nStride, 0xFF,
                        static_cast<std::size_t>(bitmap->m_nWidth) * 3);
        }
        return bitmap;
    }
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    if (!bitmap->Create(bgr.width(), bgr.height(), 24)) {
        return nullptr;
    }
    for (int y = 0; y < bgr.height(); ++y) {
        std::memcpy(bitmap->m_pBits + static_cast<std::ptrdiff_t>(y) * bitmap->m_nStride,
                    bgr.constScanLine(y), static_cast<std::size_t>(bgr.width()) * 3);
    }
    return bitmap;
}

} // namespace

CPYRNDoc::CPYRNDoc(QObject* parent) : QObject(parent)
{
    // The log is read on a new worker thread at every open, and its records live on with the
    // document. In one heap, an open reuses the memory that the previous log left; a heap of
    // the worker's own would be new memory each time, and first touches of new pages cost
    // more than reading the log.
    mallopt(M_ARENA_MAX, 1);
    // Memory freed while a log is built is reused by that build, not given back piece by
    // piece; the open gives it back at its end (HeapForTheLog).
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(kHeapTrimThreshold));
    // Both are the program's own bitmaps; without them the overlay stays null and the
    // placeholder is a white page.
    if (!LoadBitmapResource(kOverlayBitmap, m_pThumbOverlayIcon)) {
        m_pThumbOverlayIcon.reset();
    }
    std::unique_ptr<QImage> placeholder;
    LoadBitmapResource(kPlaceholderBitmap, placeholder);
    m_pPlaceholderThumb = MakePlaceholderThumb(placeholder ? *placeholder : QImage());
}

CPYRNDoc::~CPYRNDoc()
{
    if (m_worker.joinable()) {
        m_worker.join();
    }
    ClearLoadedData();
}

void CPYRNDoc::SetView(ViewSlot slot, DocumentView* view)
{
    m_views[static_cast<std::size_t>(slot)] = view;
}

void CPYRNDoc::RemoveView(DocumentView* view)
{
    std::replace(m_views.begin(), m_views.end(), view, static_cast<DocumentView*>(nullptr));
}

DocumentView* CPYRNDoc::GetView(ViewSlot slot) const
{
    return m_views[static_cast<std::size_t>(slot)];
}

void CPYRNDoc::UpdateAllViews(DocumentView* sender, int hint)
{
    for (DocumentView* view : m_views) {
        if (view != nullptr && view != sender) {
            view->OnUpdate(sender, hint);
        }
    }
}

void CPYRNDoc::ClearLoadedData()
{
    m_pMailFilterCandidates.reset();
    m_pMailExcludedTexts.reset();
    m_pMailFilterState.reset();
    m_pFilteredMails.reset();
    m_pSheetFilterCandidates.reset();
    m_pSheetExcludedTexts.reset();
    m_pSheetFilterState.reset();
    // The views into the log go with it rather than dangle.
    m_pMails.reset();
    m_pDetails.reset();
    m_pJobSummary = nullptr;
    m_detailSheets.clear();
    m_detailIndex.clear();
    DeleteJobLog(m_pJobLogFile);
    FreeMailPageList();
    ResetPageImageCache(false);
    m_pPrintImage.reset();
    m_pComFile.reset();
    m_bPageImagesReady = false;
}

bool CPYRNDoc::OnNewDocument()
{
    return true;
}

void CPYRNDoc::FillDocument(OpenLogContext& context)
{
    ClearLoadedData();
    m_nMailFilterColumn = -1;
    m_nSheetFilterColumn = -1;
    g_bMailSortAscending.fill(true);
    g_bSheetSortAscending.fill(true);

    m_pJobLogFile = std::move(context.pJobLogFile);
    m_strCsvPath = context.strCsvPath;
    m_strCsvBaseName = context.strCsvBaseName;
    m_strArchiveBaseName = FileBaseName(context.strArchivePath);

    m_pMails = std::make_unique<std::vector<MailRecord*>>();
    m_pDetails = std::make_unique<std::vector<JobDetail*>>();
    if (m_pJobLogFile) {
        m_pJobSummary = m_pJobLogFile->m_pSummary.get();
        if (m_pJobLogFile->m_pMails) {
            m_pMails->reserve(m_pJobLogFile->m_pMails->size());
            for (const auto& mail : *m_pJobLogFile->m_pMails) {
                m_pMails->push_back(mail.get());
            }
        }
        if (m_pJobLogFile->m_pDetails) {
            m_pDetails->reserve(m_pJobLogFile->m_pDetails->size());
            for (const auto& detail : *m_pJobLogFile->m_pDetails) {
                m_pDetails->push_back(detail.get());
            }
        }
    }
    IndexDetails();

    if (m_pJobSummary == nullptr || m_pJobSummary->nCreatedMails == 0 || m_pMails->empty()) {
        m_nFirstMailNo = 0;
    } else {
        // By number (ties by start time), then by start time (ties by end time).
        SortMailRecords(*m_pMails, 0, true);
        m_nFirstMailNo = m_pMails->front()->nMailNo;
        SortMailRecords(*m_pMails, 4, true);
    }

    m_bHasPageImages = context.bHasPageImages;
    m_pComFile = std::move(context.pComFile);
    m_nCurrentMailNo = 0;
    m_pPageCache = std::make_unique<PageCache>();

    AfterFill(context.strTempFolder);
}

void CPYRNDoc::IndexDetails()
{
    m_detailSheets.assign(m_pDetails->size(), {});
    m_detailIndex.clear();
    m_detailIndex.reserve(m_pDetails->size());
    for (std::size_t i = 0; i < m_pDetails->size(); ++i) {
        JobDetail* detail = (*m_pDetails)[i];
        if (detail->pSheets) {
            SheetPointers& sheets = m_detailSheets[i];
            sheets.reserve(detail->pSheets->size());
            for (SheetRecord& sheet : *detail->pSheets) {
                sheets.push_back(&sheet);
            }
        }
        // The last detail of a number wins, as the reader's own search finds it.
        m_detailIndex[detail->nMailNo] = i;
    }
}

JobDetail* CPYRNDoc::FindDetail(std::uint32_t mailNo) const
{
    const auto found = m_detailIndex.find(mailNo);
    return found != m_detailIndex.end() ? (*m_pDetails)[found->second] : nullptr;
}

CPYRNDoc::SheetPointers* CPYRNDoc::GetSheetList(std::uint32_t mailNo)
{
    const auto found = m_detailIndex.find(mailNo);
    return found != m_detailIndex.end() ? &m_detailSheets[found->second] : nullptr;
}

const CPYRNDoc::SheetPointers* CPYRNDoc::GetSheetList(std::uint32_t mailNo) const
{
    return const_cast<CPYRNDoc*>(this)->GetSheetList(mailNo);
}

void CPYRNDoc::AfterFill(const QString& tempFolder)
{
    // The previous log's file is closed by now, so its folder goes too.
    CleanupTempFolders(tempFolder);
    if (theApp.m_pJobResultView == nullptr || theApp.m_pJobSummaryView == nullptr ||
        theApp.m_pJobDetailView == nullptr) {
        return;
    }
    UpdateAllViews(nullptr, UpdateHint::kLogOpened);
    CMainFrame* frame = theApp.GetMainFrame();
    if (frame != nullptr && frame->GetActiveView() != nullptr &&
        frame->GetActiveView() == theApp.MailDetailWidget()) {
        if (m_pJobSummary == nullptr || m_pJobSummary->nCreatedMails == 0) {
            theApp.ShowJobResultView();
        } else {
            frame->SetupViewsAfterOpen();
        }
    }
}

QWidget* CPYRNDoc::MainWindow()
{
    return theApp.GetMainFrame();
}
