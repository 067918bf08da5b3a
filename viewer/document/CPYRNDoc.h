#pragma once

#include "formats/joblog/JobDetail.h"
#include "formats/joblog/JobRecords.h"
#include "viewer/document/DocumentListTexts.h"
#include "viewer/document/DocumentView.h"
#include "viewer/document/OpenLogContext.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

class CBitmapData;
class CDornComFile;
class JobLogFile;
class ProgressDialog;
class QWidget;
struct tagDORNPAGEIMGINFO;

// What the document tells its views in UpdateAllViews.
namespace UpdateHint {
inline constexpr int kLogOpened = 0;        // job result, mail list, mail detail
inline constexpr int kMailListFiltered = 2; // also: sorted while a mail filter was set
inline constexpr int kSheetList = 3;        // current mail changed, sheets sorted or filtered
inline constexpr int kMailListSorted = 4;   // sorted with no filter set
inline constexpr int kPageImage = 5;        // page image rotated, zoomed or its window closed
} // namespace UpdateHint

// The view slots, in the order UpdateAllViews calls them.
enum class ViewSlot
{
    JobResult,
    MailList,
    MailDetail,
    PageImage,
};

// Sort direction of each column of the two lists: true ascending. Every open sets all twelve
// to true; a click on a column toggles its flag before it sorts.
extern std::array<bool, 6> g_bMailSortAscending;
extern std::array<bool, 6> g_bSheetSortAscending;

// The current mail's page numbers: the smallest entry (0 for an empty list), how many pages
// the mail should have for `lettersExpected` letters, and the list extended by smaller numbers
// until it holds `count` entries, reaches page 1 or holds kMaxMailPages entries. Computed in
// 64 bits: a hostile letter count allocates no more than the bound.
inline constexpr std::size_t kMaxMailPages = std::size_t{1} << 16;
std::uint32_t GetSmallestPageNumber(const std::vector<std::uint32_t>& pages);
std::uint64_t ExpectedPageCount(const std::vector<std::uint32_t>& pages,
                                std::uint32_t lettersExpected);
void ExtendPageList(std::vector<std::uint32_t>& pages, std::uint64_t count);

// The viewer's one document: everything one opened log archive yields, and the sort, filter
// and selection state that the views share.
class CPYRNDoc : public QObject
{
    Q_OBJECT

public:
    using PageCache = std::unordered_map<std::uint32_t, std::unique_ptr<tagDORNPAGEIMGINFO>>;
    using SheetPointers = std::vector<SheetRecord*>;

    explicit CPYRNDoc(QObject* parent = nullptr);
    ~CPYRNDoc() override;
    CPYRNDoc(const CPYRNDoc&) = delete;
    CPYRNDoc& operator=(const CPYRNDoc&) = delete;

    // Views: registered in their slot; the page-image view unregisters before it goes.
    void SetView(ViewSlot slot, DocumentView* view);
    void RemoveView(DocumentView* view);
    DocumentView* GetView(ViewSlot slot) const;
    // Calls OnUpdate of every registered view but `sender`, in slot order.
    void UpdateAllViews(DocumentView* sender, int hint);

    // --- Loaded data and the open pipeline ---
    void ClearLoadedData();
    QString GetCsvBaseName() const { return m_strCsvBaseName; }
    QString GetArchiveBaseName() const { return m_strArchiveBaseName; }
    bool OnNewDocument();
    bool OnOpenDocument(const QString& path);
    void FillDocument(OpenLogContext& context);

    // Runs `work` on the document's worker thread behind `dialog` (modal; hidden when its
    // m_bHidden is set) and returns when the worker has ended and the dialog has closed.
    // `work` must not touch widgets; it reports through ProgressDialog::PostProgress.
    void RunWorker(ProgressDialog& dialog, std::function<void()> work);

    // --- File-Open and CSV save ---
    void OnFileOpen();
    void OnFileSaveCsv();
    bool OnSaveDocument(const QString& path);

    // --- The details of a mail, found by its number (details may have gaps in numbers) ---
    // The detail of mail `mailNo`, or null when the log has none.
    JobDetail* FindDetail(std::uint32_t mailNo) const;
    // The sheets of mail `mailNo` in their current display order, or null.
    SheetPointers* GetSheetList(std::uint32_t mailNo);
    const SheetPointers* GetSheetList(std::uint32_t mailNo) const;

    // --- Page-image cache and page-image threads ---
    bool HasMailPage(std::uint32_t page) const;
    void FreeMailPageList();
    void ResetPageImageCache(bool recreate);
    QSize GetPrintImageSize() const;
    int CheckPageImages();
    bool StartThumbnailThread();
    bool LoadPrintImage();
    bool RotatePageImage(bool right, QWidget* progressWindow);

    // --- Sorting and filtering ---
    bool SortMailList(int column);
    bool SortSheetList(std::uint32_t mailNo, int column);
    void ResetSheetListOrder();
    void BuildMailFilterCandidates(int column);
    void BuildSheetFilterCandidates(std::uint32_t mailNo, int column);
    void RebuildFilteredMailList();
    void ResetMailFilterState();
    void ResetSheetFilterState();

    // The application's main window (owner of the document's message boxes), or null.
    static QWidget* MainWindow();

    // --- Data model ---
    QString m_strCsvPath;
    QString m_strCsvBaseName; // empty: no log loaded
    QString m_strArchiveBaseName;
    int m_nZoom = 100;
    std::uint32_t m_nCurrentMailNo = 0; // 0: the first mail
    std::uint32_t m_nPageToOpen = 0;
    int m_nMailFilterColumn = -1;
    int m_nSheetFilterColumn = -1;
    bool m_bHasPageImages = false;
    bool m_bPageImagesReady = false;
    std::unique_ptr<JobLogFile> m_pJobLogFile;
    std::unique_ptr<CDornComFile> m_pComFile;
    std::unique_ptr<tagDORNPAGEIMGINFO> m_pPrintImage;
    JobSummary* m_pJobSummary = nullptr; // owned by the log
    // Records owned by the log; the vectors by the document.
    std::unique_ptr<std::vector<MailRecord*>> m_pMails; // in the current sort order
    std::unique_ptr<std::vector<MailRecord*>> m_pMailFilterCandidates;
    std::unique_ptr<std::vector<MailRecord*>> m_pFilteredMails;
    std::unique_ptr<std::vector<int>> m_pMailFilterState;
    std::unique_ptr<std::vector<JobDetail*>> m_pDetails; // in the log's order
    std::unique_ptr<std::vector<SheetRecord*>> m_pSheetFilterCandidates;
    std::unique_ptr<std::vector<int>> m_pSheetFilterState;
    std::unique_ptr<std::vector<QString>> m_pMailExcludedTexts;
    std::unique_ptr<std::vector<QString>> m_pSheetExcludedTexts;
    std::unique_ptr<std::vector<std::uint32_t>> m_pMailPages;
    std::unique_ptr<PageCache> m_pPageCache;
    std::unique_ptr<QImage> m_pThumbOverlayIcon;
    std::unique_ptr<CBitmapData> m_pPlaceholderThumb;
    std::uint32_t m_nFirstMailNo = 0; // lowest mail number after an open; 0 with no finished mail

private:
    // The sheet lists and the index by number of the details just taken from the log.
    void IndexDetails();
    // The end of an open: other temporary folders removed, the views told.
    void AfterFill(const QString& tempFolder);

    // Each detail's sheets as the document orders them (the log keeps the records in place),
    // parallel to m_pDetails, and the position of each mail number's detail.
    std::vector<SheetPointers> m_detailSheets;
    std::unordered_map<std::uint32_t, std::size_t> m_detailIndex;

    std::array<DocumentView*, 4> m_views{};
    std::thread m_worker;
};
