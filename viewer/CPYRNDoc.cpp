#include "viewer/CPYRNDoc.h"

#include "formats/image/CBitmapData.h"
#include "formats/joblog/JobLogFile.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "viewer/CPYRNApp.h"
#include "viewer/ListComparators.h"
#include "viewer/OpenLogPipeline.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <cstring>

std::array<bool, 6> g_bMailSortAscending{true, true, true, true, true, true};
std::array<bool, 6> g_bSheetSortAscending{true, true, true, true, true, true};

namespace {

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
    m_pPlaceholderThumb = MakePlaceholderThumb(QImage());
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
        std::sort(m_pMails->begin(), m_pMails->end(), MailLessByNumber);
        m_nFirstMailNo = m_pMails->front()->nMailNo;
        std::sort(m_pMails->begin(), m_pMails->end(), MailLessByStart);
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
    (void)tempFolder;
    if (theApp.m_pJobResultView != nullptr && theApp.m_pJobSummaryView != nullptr &&
        theApp.m_pJobDetailView != nullptr) {
        UpdateAllViews(nullptr, UpdateHint::kLogOpened);
    }
}

QWidget* CPYRNDoc::MainWindow()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto found = std::find_if(windows.begin(), windows.end(),
                                    [](QWidget* window) { return window->inherits("CMainFrame"); });
    return found != windows.end() ? *found : nullptr;
}
