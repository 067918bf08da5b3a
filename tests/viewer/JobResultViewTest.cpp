// Why: the job result form is the first thing a user reads of a job; every value must come
// from the right field in the right form, canceled jobs show dashes, and long names are cut
// on screen without losing their text.
#include "tests/viewer/ViewerFixture.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/views/CJobResultView.h"
#include "viewer/views/EllipsisLabel.h"

#include <QLabel>
#include <QPushButton>
#include <map>

namespace {

class JobResultViewTest : public ViewerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        m_view = theApp.m_pJobResultView;
    }
    void TearDown() override { theApp.GetDocument()->m_pJobSummary = nullptr; }

    QString Text(unsigned id) const { return static_cast<QLabel*>(m_view->Control(id))->text(); }
    void Load(JobSummary* summary, bool pageImages)
    {
        CPYRNDoc* document = theApp.GetDocument();
        document->m_pJobSummary = summary;
        document->m_bHasPageImages = pageImages;
        document->m_strArchiveBaseName = summary ? QStringLiteral("Job 0115 archive") : QString();
        document->UpdateAllViews(nullptr, 0);
    }

    CJobResultView* m_view = nullptr;
};

JobSummary FinishedJob()
{
    JobSummary job;
    job.strJobName = "Monthly statements";
    job.strJobId = "J-0042";
    job.nResult = kJobFinished;
    job.nErrorCount = 2;
    job.nSuspendCount = 1;
    job.strStartTime = "2024/01/15 09:00:01";
    job.strEndTime = "2024/01/15 09:42:17";
    job.nRequestedMails = 120;
    job.nCreatedMails = 118;
    job.nSampleMails = 1;
    job.nRecreatedMails = 3;
    job.strTray1 = "A4 plain";
    job.strTray2 = "";
    job.strTray3 = "Envelope";
    job.strTray4 = "High Capacity Feeder";
    return job;
}

TEST_F(JobResultViewTest, LabelsComeFromTheStringsAndTheButtonIsShown)
{
    const std::map<unsigned, unsigned> labels = {
        {1002, 139}, {1003, 140}, {1005, 141}, {1007, 142}, {1009, 145}, {1011, 146},
        {1013, 147}, {1014, 148}, {1016, 149}, {1018, 152}, {1019, 153}, {1021, 154},
        {1023, 155}, {1024, 156}, {1026, 157}, {1028, 158}, {1029, 159}, {1033, 160},
        {1032, 161}, {1035, 162}, {1037, 163}, {1039, 164}, {1041, 165}};
    for (const auto& [control, string] : labels) {
        EXPECT_EQ(Text(control), ResourceModule::String(string)) << control;
    }
    auto* button = static_cast<QPushButton*>(m_view->Control(CJobResultView::kOpenButtonId));
    EXPECT_EQ(button->text(), ResourceModule::String(194));
    EXPECT_TRUE(button->isVisible());
    EXPECT_FALSE(button->isEnabled()); // no log yet
    EXPECT_EQ(m_view->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(m_view->Control(1004)->font().bold());
}

TEST_F(JobResultViewTest, ValuesForFinishedCanceledAndUnfinishedJobs)
{
    const QString done = ResourceModule::String(143);
    const QString cancel = ResourceModule::String(144);
    const QString image = ResourceModule::String(150);
    const QString logOnly = ResourceModule::String(151);

    JobSummary finished = FinishedJob();
    JobSummary canceled = FinishedJob();
    canceled.nResult = kJobCanceled;
    canceled.nRequestedMails = kNoNumber;
    canceled.nRecreatedMails = 7;
    JobSummary running = FinishedJob();
    running.nResult = kNotSet;
    JobSummary odd = FinishedJob();
    odd.nResult = 3;

    const struct
    {
        JobSummary* job;
        bool pageImages;
        std::map<unsigned, QString> values;
    } cases[] = {
        {&finished,
         true,
         {{1004, "Monthly statements"},
          {1006, "J-0042"},
          {1008, done},
          {1010, "2"},
          {1012, "1"},
          {1015, "Job 0115 archive"},
          {1017, image},
          {1020, "2024/01/15 09:00:01"},
          {1022, "2024/01/15 09:42:17"},
          {1025, "120"},
          {1027, "118"},
          {1030, "1"},
          {1031, "3"},
          {1034, "A4 plain"},
          {1036, ""},
          {1038, "Envelope"},
          {1040, "High Capacity Feeder"}}},
        {&canceled,
         false,
         {{1008, cancel}, {1017, logOnly}, {1025, "-"}, {1031, "-"}, {1027, "118"}}},
        {&running, false, {{1008, ""}, {1025, "120"}}},
        {&odd, false, {{1008, ""}}},
    };
    for (const auto& c : cases) {
        Load(c.job, c.pageImages);
        for (const auto& [control, text] : c.values) {
            EXPECT_EQ(Text(control), text) << control;
        }
        EXPECT_TRUE(m_view->Control(CJobResultView::kOpenButtonId)->isEnabled());
    }

    Load(nullptr, false);
    for (const unsigned control : {1004u, 1006u, 1008u, 1010u, 1012u, 1015u, 1017u, 1020u, 1022u,
                                   1025u, 1027u, 1030u, 1031u, 1034u, 1036u, 1038u, 1040u}) {
        EXPECT_EQ(Text(control), QString()) << control;
    }
    EXPECT_FALSE(m_view->Control(CJobResultView::kOpenButtonId)->isEnabled());
}

TEST_F(JobResultViewTest, OtherHintsLeaveTheFormAlone)
{
    JobSummary job = FinishedJob();
    Load(&job, true);
    job.strJobName = "changed";
    for (const int hint : {2, 3, 4, 5}) {
        m_view->OnUpdate(nullptr, hint);
        EXPECT_EQ(Text(1004), "Monthly statements") << hint;
    }
    m_view->OnUpdate(nullptr, 1);
    EXPECT_EQ(Text(1004), "changed");
}

TEST_F(JobResultViewTest, LongNamesEndWithAnEllipsisAtAWordBreakAndKeepTheirText)
{
    const QFontMetrics metrics(m_view->Control(1004)->font());
    const QString words = QStringLiteral("Quarterly customer statements north region");
    const int room = metrics.horizontalAdvance(QStringLiteral("Quarterly customer stat..."));
    const struct
    {
        QString text;
        int width;
        QString shown;
    } cases[] = {
        {words, metrics.horizontalAdvance(words), words},
        {words, room, QStringLiteral("Quarterly customer...")},
        {QStringLiteral("Supercalifragilistic"), metrics.horizontalAdvance("Super..."),
         QStringLiteral("Super...")},
        {QStringLiteral("月次請求書北地区"), metrics.horizontalAdvance(QStringLiteral("月次...")),
         QStringLiteral("月次...")},
        {words, 1, QStringLiteral("...")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EllipsisLabel::ShownText(c.text, metrics, c.width), c.shown) << c.width;
    }

    JobSummary job = FinishedJob();
    job.strJobName = std::string(5000, 'x') + " tail";
    Load(&job, false);
    EXPECT_EQ(Text(1004).size(), 5005);
}

// Why: a value box is one line high; a wrapped value showed half its second line. A value a
// little too wide is drawn smaller and whole; one far too wide stops shrinking and ends with an
// ellipsis; the label keeps the whole text either way.
TEST_F(JobResultViewTest, WideValuesShrinkOnOneLineThenEndWithAnEllipsis)
{
    const qreal formPoints = m_view->Control(1004)->font().pointSizeF();
    const struct
    {
        std::string tray;
        bool smaller;
        bool ellipsis;
    } cases[] = {
        {"A4 plain", false, false},
        {"Envelope stock 100 g/m2", true, false},
        {"Envelope stock 100 g/m2, window left, self-sealing, recycled", true, true},
    };
    for (const auto& c : cases) {
        JobSummary job = FinishedJob();
        job.strTray3 = c.tray;
        Load(&job, false);
        const auto* label = static_cast<QLabel*>(m_view->Control(1038));
        const QString shown =
            EllipsisLabel::ShownText(label->text(), label->fontMetrics(), label->width());
        EXPECT_FALSE(label->wordWrap()) << c.tray;
        EXPECT_EQ(label->font().pointSizeF() < formPoints, c.smaller) << c.tray;
        EXPECT_EQ(shown.endsWith(QStringLiteral("...")), c.ellipsis) << shown.toStdString();
        EXPECT_EQ(Text(1038), QString::fromStdString(c.tray));
    }
}

} // namespace
