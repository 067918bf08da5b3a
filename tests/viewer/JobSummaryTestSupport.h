// What the list views' tests share: a viewer started as the program starts it, logs made in
// memory and handed to the document as an open hands them over, and a user who answers the
// column filter dialogs.
#pragma once

#include "formats/joblog/JobLogFile.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "tests/viewer/ViewerFixture.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/document/OpenLogContext.h"
#include "viewer/lists/CheckListBox.h"
#include "viewer/views/ColumnFilterDialog.h"
#include "viewer/views/JobDetailCtrl.h"
#include "viewer/views/JobDetailView.h"
#include "viewer/views/JobSummaryCtrl.h"
#include "viewer/views/JobSummaryView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QTest>
#include <functional>
#include <utility>
#include <vector>

namespace listtest {

inline MailRecord Mail(std::uint32_t number, std::int32_t kind, std::int32_t state,
                       std::string start, std::string progress = {}, std::string errorNo = {})
{
    MailRecord mail;
    mail.nMailNo = number;
    mail.nKind = kind;
    mail.nState = state;
    mail.strStartTime = std::move(start);
    mail.strEndTime = mail.strStartTime.empty() ? std::string() : mail.strStartTime + "+";
    mail.strProgress = std::move(progress);
    mail.strErrorNo = std::move(errorNo);
    return mail;
}

inline SheetRecord Sheet(std::uint32_t number, std::int32_t tray, std::int32_t state,
                         std::string time, std::uint32_t front, std::uint32_t back,
                         std::string errorNo = {})
{
    SheetRecord sheet;
    sheet.nSheetNo = number;
    sheet.nTray = tray;
    sheet.nState = state;
    sheet.strTime = std::move(time);
    sheet.nFrontPage = front;
    sheet.nBackPage = back;
    sheet.strErrorNo = std::move(errorNo);
    return sheet;
}

struct Detail
{
    std::uint32_t number;
    std::string progress;
    std::vector<SheetRecord> sheets;
};

struct Log
{
    std::string jobName = "Statements";
    std::uint32_t createdMails = 1; // finished normal mails
    std::vector<MailRecord> mails;
    std::vector<Detail> details;
    bool pageImages = false;
};

// Normal finished mails 1..count with one sheet each, started a second apart.
inline Log FinishedMails(std::uint32_t count)
{
    Log log;
    log.createdMails = count;
    for (std::uint32_t number = 1; number <= count; ++number) {
        char start[32];
        std::snprintf(start, sizeof start, "2024/01/15 09:%02u:%02u", number / 60, number % 60);
        log.mails.push_back(Mail(number, kMailKindNormal, kMailFinished, start, "1 / 1"));
        log.details.push_back(
            {number, "1 / 1", {Sheet(1, 1, kSheetStacked, start, number, kNoNumber)}});
    }
    return log;
}

// Records the dialogs that run while it lives and answers each with `answer` (which ends the
// dialog, or the user presses Cancel after it).
class FilterDialogUser : public QObject
{
public:
    using Answer = std::function<void(ColumnFilterDialog&)>;

    explicit FilterDialogUser(Answer answer) : m_answer(std::move(answer))
    {
        qApp->installEventFilter(this);
    }
    ~FilterDialogUser() override { qApp->removeEventFilter(this); }

    int DialogsSeen() const { return m_seen; }
    // "(Select All)" and the candidates as the last dialog listed them, before the answer.
    const QStringList& Items() const { return m_items; }
    const std::vector<bool>& Checks() const { return m_checks; }

    static void Ok(ColumnFilterDialog& dialog)
    {
        dialog.findChild<QAbstractButton*>(QStringLiteral("control1"))->click();
    }
    static void Cancel(ColumnFilterDialog& dialog)
    {
        dialog.findChild<QAbstractButton*>(QStringLiteral("control2"))->click();
    }
    // The user toggles item `index` with the space bar, as a click on its box would.
    static void Toggle(ColumnFilterDialog& dialog, int index)
    {
        CheckListBox* list = dialog.CheckList();
        list->setCurrentIndex(list->model()->index(index, 0));
        QTest::keyClick(list, Qt::Key_Space);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = qobject_cast<ColumnFilterDialog*>(watched);
        if (dialog != nullptr && event->type() == QEvent::Show) {
            ++m_seen;
            QMetaObject::invokeMethod(
                dialog,
                [this, dialog] {
                    const CheckListBox* list = dialog->CheckList();
                    m_items.clear();
                    m_checks.clear();
                    for (int i = 0; i < list->GetCount(); ++i) {
                        m_items.append(list->GetText(i));
                        m_checks.push_back(list->GetCheck(i));
                    }
                    if (m_answer) {
                        m_answer(*dialog);
                    }
                    if (dialog->isVisible()) {
                        Cancel(*dialog);
                    }
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    Answer m_answer;
    int m_seen = 0;
    QStringList m_items;
    std::vector<bool> m_checks;
};

class ListViewTest : public ViewerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start()); }

    static CPYRNDoc& Document() { return *theApp.GetDocument(); }
    static JobSummaryView& MailView() { return *theApp.m_pJobSummaryView; }
    static JobDetailView& DetailView() { return *theApp.m_pJobDetailView; }
    static JobSummaryCtrl& MailList() { return *MailView().GetListCtrl(); }
    static JobDetailCtrl& SheetList() { return *DetailView().GetListCtrl(); }

    // Hands `log` to the document as an open does.
    static void Open(const Log& log)
    {
        auto file = std::make_unique<JobLogFile>();
        file->m_pSummary = std::make_unique<JobSummary>();
        file->m_pSummary->strJobName = log.jobName;
        file->m_pSummary->nCreatedMails = log.createdMails;
        file->m_pMails = std::make_unique<::MailList>();
        for (const MailRecord& mail : log.mails) {
            file->m_pMails->push_back(std::make_unique<MailRecord>(mail));
        }
        file->m_pDetails = std::make_unique<DetailList>();
        for (const Detail& detail : log.details) {
            auto entry = std::make_unique<JobDetail>();
            entry->nMailNo = detail.number;
            entry->strProgress = detail.progress;
            entry->pSheets = std::make_unique<::SheetList>(detail.sheets);
            file->m_pDetails->push_back(std::move(entry));
        }
        OpenLogContext context;
        context.pJobLogFile = std::move(file);
        context.bHasPageImages = log.pageImages;
        Document().FillDocument(context);
    }

    // The texts of the rows of `list`, row by row.
    static std::vector<QStringList> Rows(const ReportListCtrl& list)
    {
        std::vector<QStringList> rows;
        for (int row = 0; row < list.GetItemCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < ReportListCtrl::kColumns; ++column) {
                cells.append(list.GetItemText(row, column));
            }
            rows.push_back(cells);
        }
        return rows;
    }
    static QStringList Column(const ReportListCtrl& list, int column)
    {
        QStringList cells;
        for (int row = 0; row < list.GetItemCount(); ++row) {
            cells.append(list.GetItemText(row, column));
        }
        return cells;
    }
    static bool IsRed(const ReportListCtrl& list, int row, int column = 0)
    {
        const QVariant colour =
            list.GetModel()->data(list.GetModel()->index(row, column), Qt::ForegroundRole);
        return colour.isValid() && colour.value<QBrush>().color() == QColor(255, 0, 0);
    }
    static bool HasHeaderIcon(const ReportListCtrl& list, int column)
    {
        return list.GetModel()->headerData(column, Qt::Horizontal, Qt::DecorationRole).isValid();
    }
    // The header's arrow: its column (-1 none) and whether it points ascending.
    static std::pair<int, bool> Arrow(const ReportListCtrl& list)
    {
        const QHeaderView* header = list.horizontalHeader();
        return {header->sortIndicatorSection(), header->sortIndicatorOrder() == Qt::AscendingOrder};
    }

    // The user's clicks on a header column (a position right of the last one for -1).
    static QPoint HeaderPoint(const ReportListCtrl& list, int column)
    {
        const QHeaderView* header = list.horizontalHeader();
        const int x =
            column < 0 ? header->length() + 20
                       : header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        return {x, header->height() / 2};
    }
    static void ClickHeader(ReportListCtrl& list, int column)
    {
        QTest::mouseClick(list.horizontalHeader()->viewport(), Qt::LeftButton, {},
                          HeaderPoint(list, column));
    }
    static void RightClickHeader(ReportListCtrl& list, int column)
    {
        QWidget* viewport = list.horizontalHeader()->viewport();
        const QPoint point = HeaderPoint(list, column);
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, viewport->mapToGlobal(point));
        QApplication::sendEvent(viewport, &event);
    }
    static void DoubleClickCell(ReportListCtrl& list, int row, int column)
    {
        // As the platform delivers it: a click, then the second press as a double click.
        QWidget* viewport = list.viewport();
        const QPointF point = list.visualRect(list.GetModel()->index(row, column)).center();
        const QPointF global = viewport->mapToGlobal(point);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            const Qt::MouseButtons held =
                type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, point, global, Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(viewport, &event);
        }
    }
};

} // namespace listtest
