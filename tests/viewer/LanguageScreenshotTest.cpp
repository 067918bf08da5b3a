// Why: a user reads the viewer in one of ten languages or its built-in set; every window must
// show that language whole. Pictures of each view, dialog and message box go to
// screenshots/<set>/ for people to judge, and the labels of the two forms are measured against
// their controls in the font they are drawn with: no text may be cut off.
#include "tests/viewer/ViewerFixture.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/dialogs/CAboutDlg.h"
#include "viewer/dialogs/PasswordDialog.h"
#include "viewer/dialogs/ProgressDialog.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/lists/ReportListCtrl.h"
#include "viewer/pagewindow/PrintImageFrame.h"
#include "viewer/pagewindow/PrintImageWindow.h"
#include "viewer/views/JobSummaryFilterDialog.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableView>
#include <array>

namespace {

// The ten language libraries and the built-in set ("").
const char* const kSets[] = {"", "DE", "EN", "ES", "FR", "JP", "KO", "RU", "SC", "TC", "TH"};

// The texts of form 312 (job result) and form 313 (mail detail): the labels, then the values
// the sample job gives them (its longest tray text among them).
constexpr unsigned kJobResultLabels[] = {
    1002, 1003, 1005, 1007, 1009, 1011, 1013, 1014, 1016, 1018, 1019, 1021, 1023, 1024,
    1026, 1028, 1029, 1033, 1032, 1035, 1037, 1039, 1041, 1004, 1006, 1008, 1010, 1012,
    1015, 1017, 1020, 1022, 1025, 1027, 1030, 1031, 1034, 1036, 1038, 1040};
constexpr unsigned kMailDetailLabels[] = {1044, 1045, 1046, 1047, 1048, 1049};

// Every message the viewer can show: each string once as an error, the two that also come as
// warnings once more.
struct Message
{
    unsigned id;
    const char* code;
    MessageKind kind;
};
constexpr Message kMessages[] = {
    {182, "01001", MessageKind::Error},   {186, "03009", MessageKind::Error},
    {185, "03004", MessageKind::Error},   {195, "04001", MessageKind::Error},
    {196, "02001", MessageKind::Error},   {186, "03010", MessageKind::Warning},
    {196, "05002", MessageKind::Warning},
};

class LanguageScreenshotTest : public ViewerFixture,
                               public ::testing::WithParamInterface<const char*>
{
protected:
    void SetUp() override
    {
        const std::string code = GetParam();
        if (!code.empty()) {
            m_library = ResourceModule::LoadLanguageLibrary(
                PYRN_LANGUAGE_LIBRARY_DIR "/kwel_pyrnLanguageResource" + code + ".so");
            ASSERT_NE(m_library, nullptr);
        }
        m_folder = QStringLiteral(PYRN_SCREENSHOT_DIR "/") +
                   (code.empty() ? QStringLiteral("BuiltIn") : QString::fromStdString(code));
        QDir().mkpath(m_folder);
        // The sample job, copied: the viewer writes its page index beside the archive.
        const std::string job = m_scratch.MakeFolder("job");
        for (const char* name : {"SampleJob.zip", "SampleJob.prn"}) {
            std::filesystem::copy_file(std::filesystem::path(PYRN_SAMPLE_DIR) / name,
                                       std::filesystem::path(job) / name);
        }
        m_archive = QString::fromStdString(job + "/SampleJob.zip");
    }
    void TearDown() override
    {
        if (theApp.GetMainFrame() != nullptr) {
            Stop();
        }
        ResourceModule::FreeLanguageLibrary(m_library);
    }

    // Starts the viewer and opens the sample job from the File-Open dialog that it shows.
    bool StartWithSample()
    {
        SetFileDialogRunner([this](QFileDialog&) -> std::optional<QString> { return m_archive; });
        const bool started = Start();
        SetFileDialogRunner([](QFileDialog&) -> std::optional<QString> { return std::nullopt; });
        return started && !theApp.GetDocument()->GetCsvBaseName().isEmpty();
    }

    void Shoot(QWidget& widget, const QString& name)
    {
        QApplication::processEvents();
        EXPECT_TRUE(widget.grab().save(m_folder + QLatin1Char('/') + name + ".png"))
            << name.toStdString();
    }

    // Each label's text, wrapped as the label wraps it, fits the label's area.
    static void ExpectLabelsFit(QWidget& form, const unsigned* ids, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i) {
            auto* label = form.findChild<QLabel*>(QStringLiteral("control%1").arg(ids[i]));
            ASSERT_NE(label, nullptr) << ids[i];
            const QRect area = label->contentsRect();
            const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
            const QRect needed = label->fontMetrics().boundingRect(
                QRect(0, 0, area.width(), 10 * area.height()), flags, label->text());
            EXPECT_FALSE(label->text().isEmpty()) << ids[i];
            EXPECT_LE(needed.width(), area.width())
                << "control " << ids[i] << " \"" << label->text().toStdString() << "\"";
            EXPECT_LE(needed.height(), area.height())
                << "control " << ids[i] << " \"" << label->text().toStdString() << "\"";
        }
    }

    // Each column header's text with the style's margins fits its column, measured as a sorted
    // column is (the arrow stands above the text and must take no width); the columns keep the
    // widths they are given, so a translation has to be short enough.
    static void ExpectHeadersFit(QWidget& view)
    {
        auto* list = view.findChild<QTableView*>(QStringLiteral("control315"));
        ASSERT_NE(list, nullptr);
        QHeaderView* header = list->horizontalHeader();
        for (int column = 0; column < header->count(); ++column) {
            QStyleOptionHeader option;
            option.initFrom(header);
            option.section = column;
            option.sortIndicator = QStyleOptionHeader::SortDown;
            option.text = list->model()->headerData(column, Qt::Horizontal).toString();
            const QSize needed =
                header->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, {}, header);
            EXPECT_LE(needed.width(), header->sectionSize(column))
                << "column " << column << " \"" << option.text.toStdString() << "\"";
        }
    }

    // The list shows all its columns without scrolling sideways, in a frame of its default
    // size that the screen holds (the suite runs on the smallest screen the viewer is made for).
    static void ExpectAllColumnsShown(QWidget& view)
    {
        auto* list = view.findChild<QTableView*>(QStringLiteral("control315"));
        ASSERT_NE(list, nullptr);
        EXPECT_LE(list->horizontalHeader()->length(), list->viewport()->width());
        const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
        EXPECT_LE(theApp.GetMainFrame()->width(), screen.width());
        EXPECT_LE(theApp.GetMainFrame()->height(), screen.height());
    }

    // A push button's text with the style's margins fits the button.
    static void ExpectButtonFits(QAbstractButton& button)
    {
        const int needed = button.fontMetrics().horizontalAdvance(button.text()) +
                           2 * button.style()->pixelMetric(QStyle::PM_ButtonMargin);
        EXPECT_LE(needed, button.width()) << button.text().toStdString();
    }

    platform::LibraryHandle m_library = nullptr;
    QString m_folder;
    QString m_archive;
};

TEST_P(LanguageScreenshotTest, EveryWindowInTheSetWithNoLabelCutOff)
{
    ASSERT_TRUE(StartWithSample());
    CMainFrame* frame = theApp.GetMainFrame();
    ASSERT_NE(frame, nullptr);

    theApp.ShowJobResultView();
    Shoot(*frame, "MainFrame_JobResult");
    QWidget* form312 = frame->findChild<QWidget*>(QStringLiteral("form312"));
    ASSERT_NE(form312, nullptr);
    ExpectLabelsFit(*form312, kJobResultLabels, std::size(kJobResultLabels));
    if (auto* open = form312->findChild<QPushButton*>(QStringLiteral("control1042"))) {
        ExpectButtonFits(*open);
    }

    theApp.ShowMailListView();
    // Sorted by mail number, as a click on that header leaves it.
    theApp.MailListWidget()->findChild<ReportListCtrl*>()->SetSortColumn(0, true);
    Shoot(*frame, "MainFrame_MailList");
    ExpectHeadersFit(*theApp.MailListWidget());
    ExpectAllColumnsShown(*theApp.MailListWidget());
    {
        // The filter dialog of the type column, as a right click on its header opens it.
        theApp.GetDocument()->BuildMailFilterCandidates(1);
        JobSummaryFilterDialog filter(frame);
        filter.OnInitDialog();
        filter.show();
        Shoot(filter, "FilterDialog");
        for (const char* name : {"control1", "control2"}) {
            ExpectButtonFits(*filter.findChild<QPushButton*>(QLatin1String(name)));
        }
    }
    // The first mail with its thumbnails, decoded when the view is shown.
    theApp.ShowMailDetailView();
    Shoot(*frame, "MainFrame_MailDetail");
    ExpectHeadersFit(*theApp.MailDetailWidget());
    ExpectAllColumnsShown(*theApp.MailDetailWidget());
    {
        // The first page of that mail in the page window, as its thumbnail opens it.
        CPYRNDoc& document = *theApp.GetDocument();
        ASSERT_TRUE(document.m_pMailPages && !document.m_pMailPages->empty());
        QPointer<PrintImageFrame> page =
            OpenPrintImageWindow(document, document.m_pMailPages->front());
        ASSERT_FALSE(page.isNull());
        Shoot(*page, "PageWindow");
        page->close();
        EXPECT_TRUE(page.isNull() || !page->isVisible());
    }
    theApp.ShowJobResultView();

    {
        CAboutDlg about(frame);
        about.show();
        Shoot(about, "AboutBox");
        ExpectButtonFits(*about.findChild<QPushButton*>(QStringLiteral("control1")));
    }
    {
        PasswordDialog password(frame);
        password.show();
        Shoot(password, "PasswordDialog");
        ExpectLabelsFit(password, std::array<unsigned, 1>{1053}.data(), 1);
        for (const char* name : {"control1", "control2"}) {
            ExpectButtonFits(*password.findChild<QPushButton*>(QLatin1String(name)));
        }
    }
    {
        ProgressDialog progress(frame);
        progress.m_progressCtrl->setValue(40);
        progress.show();
        Shoot(progress, "ProgressDialog");
    }
    // The file dialogs as the document builds them: Open, then Save, with Qt's own texts in
    // the set's language where Qt has them (it has no Thai).
    const bool qtSpeaksEnglish = std::string(GetParam()) == "EN" || std::string(GetParam()) == "TH";
    int fileDialog = 0;
    SetFileDialogRunner([&](QFileDialog& dialog) -> std::optional<QString> {
        dialog.show();
        Shoot(dialog, QStringLiteral("FileDialog_%1").arg(++fileDialog == 1 ? "Open" : "Save"));
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        EXPECT_NE(buttons, nullptr);
        if (buttons != nullptr) {
            const QString cancel = buttons->button(QDialogButtonBox::Cancel)->text().remove('&');
            EXPECT_EQ(cancel == QLatin1String("Cancel"), qtSpeaksEnglish) << cancel.toStdString();
        }
        return std::nullopt;
    });
    theApp.GetDocument()->OnFileOpen();
    theApp.GetDocument()->OnFileSaveCsv();
    EXPECT_EQ(fileDialog, 2);

    for (const Message& message : kMessages) {
        MessageBoxRequest request;
        request.kind = message.kind;
        request.caption = ResourceModule::String(57344);
        request.text = ComposeMessageText(message.id, QLatin1String(message.code));
        request.okText = ResourceModule::String(198);
        std::unique_ptr<QMessageBox> box = CreateMessageBox(request);
        box->show();
        Shoot(*box, QStringLiteral("MessageBox_%1_%2").arg(message.id).arg(message.code));
    }
}

TEST_P(LanguageScreenshotTest, MailDetailFormLabelsFit)
{
    ASSERT_TRUE(StartWithSample());
    theApp.ShowMailDetailView();
    QWidget* detail = theApp.MailDetailWidget();
    ASSERT_NE(detail, nullptr);
    if (detail->findChild<QLabel*>(QStringLiteral("control1044")) == nullptr) {
        GTEST_SKIP() << "the mail detail form has not landed yet";
    }
    ExpectLabelsFit(*detail, kMailDetailLabels, std::size(kMailDetailLabels));
}

INSTANTIATE_TEST_SUITE_P(Sets, LanguageScreenshotTest, ::testing::ValuesIn(kSets),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(*info.param ? info.param : "BuiltIn");
                         });

} // namespace
