#include "viewer/views/CJobResultView.h"

#include "formats/joblog/JobRecords.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/common/DialogUnits.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/views/EllipsisLabel.h"
#include "viewer/views/FormControl.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

namespace {

// Form 312 in dialog units: the labels with their strings, then the value fields.
constexpr FormControl kControls[] = {
    {1002, 17, 11, 194, 15, 139},   {1003, 28, 25, 93, 13, 140},    {1005, 28, 38, 93, 15, 141},
    {1007, 28, 52, 93, 15, 142},    {1009, 28, 66, 93, 15, 145},    {1011, 28, 80, 93, 15, 146},
    {1013, 17, 111, 201, 15, 147},  {1014, 28, 126, 93, 15, 148},   {1016, 28, 141, 93, 15, 149},
    {1018, 17, 172, 194, 15, 152},  {1019, 28, 187, 93, 15, 153},   {1021, 28, 202, 93, 15, 154},
    {1023, 245, 11, 187, 15, 155},  {1024, 257, 25, 103, 13, 156},  {1026, 257, 38, 103, 13, 157},
    {1028, 257, 51, 103, 13, 158},  {1029, 257, 65, 103, 13, 159},  {1033, 245, 96, 177, 15, 160},
    {1032, 257, 111, 103, 13, 161}, {1035, 257, 126, 103, 13, 162}, {1037, 257, 141, 103, 13, 163},
    {1039, 257, 155, 103, 13, 164}, {1041, 245, 180, 191, 15, 165}, {1004, 121, 25, 109, 13, 0},
    {1006, 121, 38, 109, 15, 0},    {1008, 121, 52, 109, 15, 0},    {1010, 121, 66, 109, 15, 0},
    {1012, 121, 80, 109, 15, 0},    {1015, 121, 126, 109, 15, 0},   {1017, 121, 141, 108, 15, 0},
    {1020, 121, 187, 109, 15, 0},   {1022, 121, 203, 109, 15, 0},   {1025, 360, 25, 76, 13, 0},
    {1027, 360, 38, 76, 13, 0},     {1030, 360, 51, 76, 13, 0},     {1031, 360, 65, 76, 13, 0},
    {1034, 360, 111, 76, 13, 0},    {1036, 360, 126, 76, 13, 0},    {1038, 360, 141, 76, 13, 0},
    {1040, 360, 155, 76, 13, 0},
};

constexpr int kFormWidth = 443;
constexpr int kFormHeight = 234;

// The smallest size a value is shrunk to before its end gives way to an ellipsis.
constexpr qreal kSmallestValuePoints = 8.0;

bool EndsWithWordEllipsis(unsigned id)
{
    return id == 1004 || id == 1006 || id == 1015;
}

// A value is one line of log text in a box one line high: wrapped, its second line would be
// cut in half. A text a little wider than its box (a tray's paper name, say) is drawn in a
// smaller size of the form's font instead, as small as it needs down to a floor.
void FitValueFont(QLabel& label)
{
    const int width = label.contentsRect().width();
    QFont font = label.parentWidget()->font();
    while (QFontMetrics(font).horizontalAdvance(label.text()) > width &&
           font.pointSizeF() - 0.5 >= kSmallestValuePoints) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    label.setFont(font);
}

QString Number(std::uint32_t value)
{
    return QString::number(value);
}

QString CountOrDash(std::uint32_t value, std::uint32_t requested)
{
    return requested == kNoNumber ? QStringLiteral("-") : Number(value);
}

} // namespace

CJobResultView::CJobResultView(QWidget* parent) : QScrollArea(parent)
{
    // The form and everything on it is white, as the form's colour handler makes it.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(true);

    m_form = new QWidget;
    m_form->setObjectName(QStringLiteral("form312"));
    m_form->setFont(DialogUnits::DialogFont(10, true));
    m_form->setAutoFillBackground(true);
    const DialogUnits units(m_form->font());
    m_form->resize(units.X(kFormWidth), units.Y(kFormHeight));

    for (const FormControl& control : kControls) {
        // Labels wrap; values keep to one line and end with an ellipsis when even the
        // smallest size is too wide.
        const bool value = control.stringId == 0;
        QLabel* label = value ? new EllipsisLabel(m_form) : new QLabel(m_form);
        label->setObjectName(QStringLiteral("control%1").arg(control.id));
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(!value);
        label->setGeometry(units.Rect(control.x, control.y, control.width, control.height));
        label->setText(ResourceModule::DialogText(kFormId, control.id));
        m_statics[control.id] = label;
    }
    m_openButton = new QPushButton(m_form);
    m_openButton->setObjectName(QStringLiteral("control%1").arg(kOpenButtonId));
    m_openButton->setText(ResourceModule::DialogText(kFormId, kOpenButtonId));
    m_openButton->setGeometry(units.Rect(257, 197, 65, 14));
    m_openButton->setDefault(true);
    m_openButton->hide(); // hidden in the form until the initial update
    connect(m_openButton, &QPushButton::clicked, this, &CJobResultView::OnBnClickedOpenList);

    setWidget(m_form);
}

QWidget* CJobResultView::Control(unsigned id) const
{
    if (id == kOpenButtonId) {
        return m_openButton;
    }
    const auto found = m_statics.find(id);
    return found == m_statics.end() ? nullptr : found->second;
}

QSize CJobResultView::sizeHint() const
{
    return m_form->size();
}

CPYRNDoc* CJobResultView::GetDocument() const
{
    return theApp.GetDocument();
}

void CJobResultView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0);
    if (CMainFrame* frame = theApp.GetMainFrame()) {
        frame->UpdateFrameTitleForDocument(ResourceModule::String(130));
        frame->m_wndStatusBar->hide();
    }
    for (const FormControl& control : kControls) {
        if (control.stringId != 0) {
            m_statics[control.id]->setText(ResourceModule::String(control.stringId));
        }
    }
    m_openButton->setText(ResourceModule::String(194));
    m_openButton->show();
}

void CJobResultView::SetValue(unsigned id, const QString& text)
{
    QLabel& label = *m_statics.at(id);
    label.setText(text);
    if (!EndsWithWordEllipsis(id)) {
        FitValueFont(label);
    }
}

void CJobResultView::OnUpdate(DocumentView*, int hint)
{
    if (hint != 0 && hint != 1) {
        return;
    }
    const CPYRNDoc* document = GetDocument();
    const JobSummary* summary = document != nullptr ? document->m_pJobSummary : nullptr;
    if (summary == nullptr) {
        for (const FormControl& control : kControls) {
            if (control.stringId == 0) {
                SetValue(control.id, QString());
            }
        }
        m_openButton->setEnabled(false);
    } else {
        SetValue(1004, QString::fromStdString(summary->strJobName));
        SetValue(1006, QString::fromStdString(summary->strJobId));
        SetValue(1008, summary->nResult == kJobFinished   ? ResourceModule::String(143)
                       : summary->nResult == kJobCanceled ? ResourceModule::String(144)
                                                          : QString());
        SetValue(1010, Number(summary->nErrorCount));
        SetValue(1012, Number(summary->nSuspendCount));
        SetValue(1015, document->GetArchiveBaseName());
        SetValue(1017, ResourceModule::String(document->m_bHasPageImages ? 150 : 151));
        SetValue(1020, QString::fromStdString(summary->strStartTime));
        SetValue(1022, QString::fromStdString(summary->strEndTime));
        SetValue(1025, CountOrDash(summary->nRequestedMails, summary->nRequestedMails));
        SetValue(1027, Number(summary->nCreatedMails));
        SetValue(1030, Number(summary->nSampleMails));
        SetValue(1031, CountOrDash(summary->nRecreatedMails, summary->nRequestedMails));
        SetValue(1034, QString::fromStdString(summary->strTray1));
        SetValue(1036, QString::fromStdString(summary->strTray2));
        SetValue(1038, QString::fromStdString(summary->strTray3));
        SetValue(1040, QString::fromStdString(summary->strTray4));
        m_openButton->setEnabled(true);
    }
    // The frame's commands follow whether a log is loaded.
    if (CMainFrame* frame = theApp.GetMainFrame()) {
        frame->UpdateCommandStates();
    }
}

void CJobResultView::OnBnClickedOpenList()
{
    theApp.ShowMailListView();
}
