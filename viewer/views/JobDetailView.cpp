#include "viewer/views/JobDetailView.h"

#include "formats/joblog/JobDetail.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/common/DialogUnits.h"
#include "viewer/common/MessageBoxes.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/views/EllipsisLabel.h"
#include "viewer/views/FormControl.h"
#include "viewer/views/JobDetailCtrl.h"
#include "viewer/views/ListCellTexts.h"

#include <QLabel>
#include <QResizeEvent>
#include <QSet>
#include <algorithm>
#include <unordered_set>

namespace {

// Form 313 in dialog units: the three labels, then their values.
constexpr FormControl kControls[] = {
    {1044, 15, 8, 81, 17, 140}, {1045, 15, 27, 85, 15, 166}, {1046, 15, 45, 82, 15, 170},
    {1047, 114, 8, 93, 17, 0},  {1048, 114, 27, 93, 15, 0},  {1049, 114, 45, 93, 15, 0},
};

// The bottom of the lowest texts (1046 and 1049), in dialog units.
constexpr int kFormTextsBottom = 60;

constexpr unsigned kJobName = 1047;
constexpr unsigned kMailNumber = 1048;
constexpr unsigned kProgress = 1049;

// The distinct pages of `sheets` in the order they first appear, front before back.
void CollectPages(const CPYRNDoc::SheetPointers& sheets, std::vector<std::uint32_t>& pages)
{
    std::unordered_set<std::uint32_t> seen(pages.begin(), pages.end());
    seen.reserve(sheets.size() * 2);
    for (const SheetRecord* sheet : sheets) {
        for (const std::uint32_t page : {sheet->nFrontPage, sheet->nBackPage}) {
            if (page != kNoNumber && seen.insert(page).second) {
                pages.push_back(page);
            }
        }
    }
}

} // namespace

JobDetailView::JobDetailView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DetailLetterView"));
    // The form and its static texts are white.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    const QFont formFont = DialogUnits::DialogFont(10, true);
    const DialogUnits units(formFont);
    for (const FormControl& control : kControls) {
        QLabel* label = control.id == kJobName ? new EllipsisLabel(this) : new QLabel(this);
        label->setObjectName(QStringLiteral("control%1").arg(control.id));
        label->setFont(formFont);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setGeometry(units.Rect(control.x, control.y, control.width, control.height));
        label->setText(ResourceModule::DialogText(kFormId, control.id));
        m_statics[control.id] = label;
    }
    m_listTop = std::max(kListTop, units.Y(kFormTextsBottom));
}

QLabel* JobDetailView::Control(unsigned id) const
{
    const auto found = m_statics.find(id);
    return found == m_statics.end() ? nullptr : found->second;
}

void JobDetailView::SetValue(unsigned id, const QString& text)
{
    m_statics.at(id)->setText(text);
}

void JobDetailView::OnInitialUpdate()
{
    if (m_pList == nullptr) {
        for (const FormControl& control : kControls) {
            if (control.stringId != 0) {
                SetValue(control.id, ResourceModule::String(control.stringId));
            }
        }
        m_pList = new JobDetailCtrl(this);
        setFocusProxy(m_pList);
        m_headerImages = ReportListCtrl::LoadHeaderImage();
        m_nIconColumn = -1;
        PlaceList();
        m_pList->show();
    }
    OnUpdate(nullptr, UpdateHint::kLogOpened);
}

void JobDetailView::PlaceList()
{
    if (m_pList != nullptr) {
        m_pList->setGeometry(0, m_listTop, width(), std::max(height() - m_listTop, 0));
    }
}

QSize JobDetailView::sizeHint() const
{
    if (m_pList == nullptr) {
        return QWidget::sizeHint();
    }
    const QSize list = m_pList->sizeHint();
    return {list.width(), m_listTop + list.height()};
}

void JobDetailView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceList();
}

void JobDetailView::OnUpdate(DocumentView*, int hint)
{
    CPYRNDoc* document = theApp.GetDocument();
    if ((hint != UpdateHint::kLogOpened && hint != UpdateHint::kSheetList) || m_pList == nullptr ||
        document == nullptr) {
        return;
    }
    if (document->m_nCurrentMailNo == 0) {
        document->m_nCurrentMailNo = document->m_nFirstMailNo;
    }
    // Every value is set afresh, so a log without the mail leaves nothing of the last one.
    SetValue(kJobName, document->m_pJobSummary != nullptr
                           ? QString::fromStdString(document->m_pJobSummary->strJobName)
                           : QString());
    const JobDetail* detail = document->m_pDetails && !document->m_pDetails->empty()
                                  ? document->FindDetail(document->m_nCurrentMailNo)
                                  : nullptr;
    const CPYRNDoc::SheetPointers* sheets =
        detail != nullptr ? document->GetSheetList(document->m_nCurrentMailNo) : nullptr;
    SetValue(kMailNumber, detail != nullptr ? QString::number(detail->nMailNo) : QString());
    SetValue(kProgress,
             detail != nullptr ? QString::fromStdString(detail->strProgress) : QString());

    // The page list is made once per mail, from all its sheets: later sorts and filters
    // leave it (and so the thumbnails) as it is.
    bool layoutFailed = false;
    if (sheets != nullptr && !document->m_pMailPages && document->m_bHasPageImages) {
        document->m_pMailPages = std::make_unique<std::vector<std::uint32_t>>();
        CollectPages(*sheets, *document->m_pMailPages);
        layoutFailed = document->CheckPageImages() != 0;
    }

    m_pList->SetSortColumn(-1, true);
    std::vector<JobDetailCtrl::Row> rows;
    if (sheets != nullptr) {
        const ListCellTexts texts = ListCellTexts::Load();
        const int filterColumn = document->m_nSheetFilterColumn;
        QSet<QString> excluded;
        if (filterColumn >= 0 && filterColumn < ReportListCtrl::kColumns &&
            document->m_pSheetExcludedTexts) {
            excluded = QSet<QString>(document->m_pSheetExcludedTexts->begin(),
                                     document->m_pSheetExcludedTexts->end());
        }
        rows.reserve(sheets->size());
        for (const SheetRecord* sheet : *sheets) {
            JobDetailCtrl::Row row;
            for (int column = 0; column < ReportListCtrl::kColumns; ++column) {
                row[static_cast<std::size_t>(column)] = texts.Sheet(*sheet, column);
            }
            if (!excluded.isEmpty() &&
                excluded.contains(row[static_cast<std::size_t>(filterColumn)])) {
                continue;
            }
            rows.push_back(std::move(row));
        }
    }
    m_pList->SetItems(std::move(rows));

    m_pList->MoveHeaderImage(m_nIconColumn, document->m_nSheetFilterColumn, m_headerImages);
    m_nIconColumn = document->m_nSheetFilterColumn;

    // Shown once the rows are the new mail's, so the list behind the box is the right one.
    if (layoutFailed) {
        ShowWarningMessage(196, QStringLiteral("05001"), CPYRNDoc::MainWindow());
    }
}

void JobDetailView::OnActivateView(bool activate)
{
    if (!activate) {
        return;
    }
    CPYRNDoc* document = theApp.GetDocument();
    CMainFrame* frame = theApp.GetMainFrame();
    if (document != nullptr && document->m_bHasPageImages && document->m_bPageImagesReady) {
        if (frame != nullptr) {
            frame->ShowFlowBar(true);
        }
        if (m_bThumbnailsPending) {
            m_bThumbnailsPending = false;
            document->StartThumbnailThread();
        }
    } else if (frame != nullptr) {
        frame->ShowFlowBar(false);
    }
}
