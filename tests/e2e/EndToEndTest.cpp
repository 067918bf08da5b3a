// Why: the viewer is only right when a user gets through it whole: the real program, its real
// windows, keys and clicks, the files it leaves behind. One user's way through the sample job,
// an archive named on the command line, the CSV bytes, the protected archive, a second start
// and the exit.
#include "tests/e2e/ViewerSession.h"

#include <QDir>
#include <QFile>
#include <QRect>
#include <QSet>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// English texts of the strings the checks read (the EN language library).
const QString kJobResultTitle = QStringLiteral("Job Execution Result - TARV Post Log Viewer");
const QString kMailListTitle = QStringLiteral("Mail Making Result List - TARV Post Log Viewer");
const QString kMailDetailTitle = QStringLiteral("Mail Making Result Detail - TARV Post Log Viewer");
const QString kList = QStringLiteral("main/LetterListView/control315");
const QString kSheets = QStringLiteral("main/DetailLetterView/control315");
const QString kPane = QStringLiteral("main/control318");

// Files a test puts outside its scratch folder, removed however the test ends.
struct PlacedFiles
{
    std::vector<fs::path> paths;
    ~PlacedFiles()
    {
        std::error_code ignored;
        for (const fs::path& path : paths) {
            fs::remove(path, ignored);
        }
    }
};

class EndToEndTest : public ::testing::Test
{
protected:
    // The sample job copied into a folder of its own: the viewer writes its page index beside
    // the archive.
    EndToEndTest()
    {
        m_job = m_scratch.MakeFolder("job");
        for (const char* name : {"SampleJob.zip", "SampleJobProtected.zip", "SampleJob.prn"}) {
            fs::copy_file(fs::path(PYRN_SAMPLE_DIR) / name, fs::path(m_job) / name);
        }
        std::ifstream password(fs::path(PYRN_SAMPLE_DIR) / "password.txt");
        std::getline(password, m_password);
    }

    QString Job(const char* name) const { return QString::fromStdString(m_job + "/" + name); }

    // Saves the main window as the user sees it now.
    void Screenshot(ViewerSession& viewer, const QString& name)
    {
        const QString folder = QStringLiteral(PYRN_SCREENSHOT_DIR "/e2e");
        QDir().mkpath(folder);
        viewer.Ask("grab\tmain\t" + folder + "/" + name + ".png");
    }

    static bool RowsAre(const QStringList& answer, int rows)
    {
        return answer.value(0).toInt() == rows;
    }

    // The place and size that a "find" answer reports.
    static QRect Area(const QString& found)
    {
        const QStringList fields = found.split(' ');
        const qsizetype at = fields.size() - 4;
        return at < 0 ? QRect()
                      : QRect(fields[at].toInt(), fields[at + 1].toInt(), fields[at + 2].toInt(),
                              fields[at + 3].toInt());
    }

    static std::string Bytes(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }

    ScratchFolder m_scratch{"EndToEnd"};
    std::string m_job;
    std::string m_password;
};

TEST_F(EndToEndTest, SampleJobThroughEveryViewToThePageWindowAndOut)
{
    // Started without an archive, the viewer asks for one at once.
    ViewerSession viewer(m_scratch);
    ASSERT_TRUE(viewer.Start({}));
    ASSERT_FALSE(viewer.WaitForEvent("shown QFileDialog").isEmpty());
    viewer.Ask("choose\t" + Job("SampleJob.zip"));

    // The job result: the job's values and the page images that came with the log.
    ASSERT_TRUE(viewer.AskUntil("text\tmain/form312/control1015", [](const QStringList& answer) {
        return answer.value(0) == "SampleJob";
    }));
    EXPECT_EQ(viewer.AskOne("text\tmain"), kJobResultTitle);
    EXPECT_FALSE(viewer.AskOne("text\tmain/form312/control1004").isEmpty());
    EXPECT_EQ(viewer.AskOne("text\tmain/form312/control1017"), "ON (Image+Log)");
    EXPECT_EQ(viewer.AskOne("text\tmain/form312/control1008"), "Done");
    Screenshot(viewer, "1-JobResult");

    // Ctrl+Up: the mail list, one row per mail record.
    viewer.Ask("key\tmain\tCtrl+Up");
    ASSERT_TRUE(viewer.AskUntil(
        "text\tmain", [](const QStringList& answer) { return answer.value(0) == kMailListTitle; }));
    const int mails = viewer.AskOne("rows\t" + kList).toInt();
    ASSERT_GT(mails, 3);
    Screenshot(viewer, "2-MailList");

    // Sort: the first click on the type header sorts by it descending, the second ascending.
    viewer.Ask("headerclick\t" + kList + "\t1");
    ASSERT_TRUE(viewer.AskUntil("header\t" + kList + "\t1", [](const QStringList& answer) {
        return answer.value(0).startsWith("down");
    }));
    const QString firstDescending = viewer.AskOne("cell\t" + kList + "\t0\t1");
    viewer.Ask("headerclick\t" + kList + "\t1");
    ASSERT_TRUE(viewer.AskUntil("header\t" + kList + "\t1", [](const QStringList& answer) {
        return answer.value(0).startsWith("up");
    }));
    EXPECT_EQ(viewer.AskOne("cell\t" + kList + "\t" + QString::number(mails - 1) + "\t1"),
              firstDescending);
    EXPECT_NE(viewer.AskOne("cell\t" + kList + "\t0\t1"), firstDescending);

    // Filter: a right click on the type header, "Standard" unchecked, OK: only other kinds
    // stay, and the header shows the filter icon.
    viewer.Ask("headercontext\t" + kList + "\t1");
    ASSERT_FALSE(viewer.WaitForEvent("shown JobSummaryFilterDialog").isEmpty());
    const QString checks = QStringLiteral("modal/control1043");
    int standard = -1;
    const int items = viewer.AskOne("rows\t" + checks).toInt();
    for (int item = 1; item < items; ++item) {
        if (viewer.AskOne("cell\t" + checks + "\t" + QString::number(item) + "\t0") == "Standard") {
            standard = item;
        }
    }
    ASSERT_GT(standard, 0);
    viewer.Ask("cellclick\t" + checks + "\t" + QString::number(standard) + "\t0");
    viewer.Ask("key\t" + checks + "\tSpace");
    viewer.Ask("click\tmodal/control1");
    ASSERT_FALSE(viewer.WaitForEvent("hidden JobSummaryFilterDialog").isEmpty());
    ASSERT_TRUE(viewer.AskUntil("rows\t" + kList, [mails](const QStringList& answer) {
        return answer.value(0).toInt() > 0 && answer.value(0).toInt() < mails;
    }));
    const int filtered = viewer.AskOne("rows\t" + kList).toInt();
    for (int row = 0; row < filtered; ++row) {
        EXPECT_NE(viewer.AskOne("cell\t" + kList + "\t" + QString::number(row) + "\t1"),
                  "Standard");
    }
    EXPECT_TRUE(viewer.AskOne("header\t" + kList + "\t1").contains("icon=1"));
    Screenshot(viewer, "3-MailListFiltered");

    // Clear: a sort brings every mail back and takes the icon away.
    viewer.Ask("headerclick\t" + kList + "\t0");
    ASSERT_TRUE(viewer.AskUntil(
        "rows\t" + kList, [mails](const QStringList& answer) { return RowsAre(answer, mails); }));
    EXPECT_TRUE(viewer.AskOne("header\t" + kList + "\t1").contains("icon=0"));

    // Open a mail: a double click on a standard mail's row shows its sheets.
    int row = 0;
    while (row < mails &&
           viewer.AskOne("cell\t" + kList + "\t" + QString::number(row) + "\t1") != "Standard") {
        ++row;
    }
    ASSERT_LT(row, mails);
    const QString mailNumber =
        viewer.AskOne("cell\t" + kList + "\t" + QString::number(row) + "\t0");
    viewer.Ask("celldblclick\t" + kList + "\t" + QString::number(row) + "\t0");
    ASSERT_TRUE(viewer.AskUntil("text\tmain", [](const QStringList& answer) {
        return answer.value(0) == kMailDetailTitle;
    }));
    EXPECT_EQ(viewer.AskOne("text\tmain/DetailLetterView/control1048"), mailNumber);
    ASSERT_TRUE(viewer.AskUntil(
        "rows\t" + kSheets, [](const QStringList& answer) { return answer.value(0).toInt() > 0; }));

    // Thumbnails appear in the pane, one per page of the mail's sheets; the main window is
    // disabled while they are decoded.
    QSet<QString> pages;
    const int sheets = viewer.AskOne("rows\t" + kSheets).toInt();
    for (int sheet = 0; sheet < sheets; ++sheet) {
        for (const char* column : {"\t4", "\t5"}) {
            const QString page =
                viewer.AskOne("cell\t" + kSheets + "\t" + QString::number(sheet) + column);
            if (!page.isEmpty()) {
                pages.insert(page);
            }
        }
    }
    ASSERT_TRUE(viewer.AskUntil("find\tmain", [](const QStringList& answer) {
        return answer.value(0).contains("enabled=1");
    }));
    EXPECT_EQ(viewer.Ask("children\t" + kPane + "\t@CThumbButton").size(), pages.size());
    EXPECT_FALSE(viewer.Errors().contains("(0500")) << viewer.Errors().toStdString();
    // A run with thumbnails prints no warning of Qt's about the pane.
    EXPECT_FALSE(viewer.Errors().contains("QWidget::")) << viewer.Errors().toStdString();
    Screenshot(viewer, "4-MailDetail");

    // The pane keeps the width the user drags it to, also after the list and back to the mail.
    const QRect frameArea = Area(viewer.AskOne("find\tmain"));
    const QRect viewsArea = Area(viewer.AskOne("find\tmain/@QStackedWidget"));
    const QRect paneArea = Area(viewer.AskOne("find\t" + kPane));
    const int separator = (viewsArea.right() + 1 + paneArea.left()) / 2 - frameArea.left();
    const int height = paneArea.center().y() - frameArea.top();
    viewer.Ask(QStringLiteral("drag\tmain\t%1\t%2\t%3\t%2")
                   .arg(separator)
                   .arg(height)
                   .arg(separator - (700 - paneArea.width())));
    ASSERT_TRUE(viewer.AskUntil("find\t" + kPane, [](const QStringList& answer) {
        return Area(answer.value(0)).width() == 700;
    }));
    viewer.Ask("key\tmain\tCtrl+Down");
    ASSERT_TRUE(viewer.AskUntil(
        "text\tmain", [](const QStringList& answer) { return answer.value(0) == kMailListTitle; }));
    viewer.Ask("key\tmain\tCtrl+Up");
    ASSERT_TRUE(viewer.AskUntil("text\tmain", [](const QStringList& answer) {
        return answer.value(0) == kMailDetailTitle;
    }));
    ASSERT_TRUE(viewer.AskUntil("find\tmain", [](const QStringList& answer) {
        return answer.value(0).contains("enabled=1");
    }));
    EXPECT_EQ(Area(viewer.AskOne("find\t" + kPane)).width(), 700);
    EXPECT_EQ(viewer.Ask("children\t" + kPane + "\t@CThumbButton").size(), pages.size());

    // A double click on a thumbnail opens its page in the page window instead of the main one.
    viewer.Ask("dblclick\t" + kPane + "/@CThumbButton");
    ASSERT_FALSE(viewer.WaitForEvent("hidden CMainFrame").isEmpty());
    ASSERT_FALSE(viewer.WaitForEvent("shown PrintImageFrame").isEmpty());
    const QString frame = QStringLiteral("@PrintImageFrame");
    EXPECT_EQ(viewer.AskOne("text\t" + frame + "/RibbonLabel"), "100%");
    viewer.Ask("grab\t" + frame + "\t" PYRN_SCREENSHOT_DIR "/e2e/5-PageWindow.png");

    // Zoom: the button steps up the ladder, Ctrl+wheel down steps back, below 100 the label
    // has two blanks before its sign.
    viewer.Ask("click\t" + frame + "/zoomIn");
    ASSERT_TRUE(viewer.AskUntil("text\t" + frame + "/RibbonLabel", [](const QStringList& answer) {
        return answer.value(0) == "200%";
    }));
    viewer.Ask("wheel\t" + frame + "/@PrintImageView\t-120\tctrl");
    viewer.Ask("wheel\t" + frame + "/@PrintImageView\t-120\tctrl");
    ASSERT_TRUE(viewer.AskUntil("text\t" + frame + "/RibbonLabel", [](const QStringList& answer) {
        return answer.value(0) == "50  %";
    }));
    viewer.Ask("click\t" + frame + "/zoomIn");
    ASSERT_TRUE(viewer.AskUntil("text\t" + frame + "/RibbonLabel", [](const QStringList& answer) {
        return answer.value(0) == "100%";
    }));

    // Rotate: a quarter turn right makes the portrait page lie across the window.
    const auto across = [](const QStringList& answer) {
        const QStringList ranges = answer.value(0).split(' ');
        return ranges.value(0).toInt() > ranges.value(1).toInt();
    };
    EXPECT_FALSE(across(viewer.Ask("scroll\t" + frame + "/@PrintImageView")));
    viewer.Ask("key\t" + frame + "\tCtrl+R");
    ASSERT_TRUE(viewer.AskUntil("scroll\t" + frame + "/@PrintImageView", across));
    viewer.Ask("grab\t" + frame + "\t" PYRN_SCREENSHOT_DIR "/e2e/6-PageWindowTurned.png");

    // Close: the main window comes back with the mail's thumbnails.
    viewer.Ask("key\t" + frame + "\tCtrl+W");
    ASSERT_FALSE(viewer.WaitForEvent("shown CMainFrame").isEmpty());
    ASSERT_FALSE(viewer.WaitForEvent("hidden PrintImageFrame").isEmpty());
    EXPECT_EQ(viewer.AskOne("text\tmain"), kMailDetailTitle);
    EXPECT_FALSE(viewer.Errors().contains("(0500")) << viewer.Errors().toStdString();
}

TEST_F(EndToEndTest, ArchiveNamedOnTheCommandLineFindsItsPageImagesAndFillsEveryView)
{
    // The name reaches the viewer as the user typed it: a full path, a bare name in the current
    // folder, or an archive directly under "/". The page-image stream beside the archive is
    // found and its index written there. The archive is opened before the mail list and the
    // mail detail exist; they must still show it.
    struct Naming
    {
        std::string folder; // empty: the viewer's current folder, the archive named bare
        std::string name;
    };
    const Naming namings[] = {
        {m_scratch.MakeFolder("full"), "SampleJob"},
        {std::string(), "SampleJob"},
        {"/", "PYRN-e2e-" + std::to_string(::getpid())},
    };
    for (const Naming& naming : namings) {
        SCOPED_TRACE(naming.folder + " " + naming.name);
        ViewerSession viewer(m_scratch, "EN", QStringLiteral("viewer%1").arg(&naming - namings));
        const bool bare = naming.folder.empty();
        const fs::path folder = bare ? viewer.CurrentFolder() : naming.folder;
        const fs::path archive = folder / (naming.name + ".zip");
        const fs::path index = folder / "SampleJob.adr"; // named after the log
        PlacedFiles placed;
        if (folder == "/") {
            // Only where the root may be written and holds no other stream to choose from.
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(folder, error)) {
                if (entry.path().extension() == ".prn") {
                    GTEST_SKIP() << "the root holds a page-image stream: " << entry.path();
                }
            }
            if (!fs::exists(index)) {
                placed.paths.push_back(index);
            }
            placed.paths.push_back(archive);
            if (!fs::copy_file(fs::path(PYRN_SAMPLE_DIR) / "SampleJob.zip", archive, error)) {
                GTEST_SKIP() << "the root cannot be written: " << error.message();
            }
        } else {
            fs::copy_file(fs::path(PYRN_SAMPLE_DIR) / "SampleJob.zip", archive);
        }
        placed.paths.push_back(folder / (naming.name + ".prn"));
        fs::copy_file(fs::path(PYRN_SAMPLE_DIR) / "SampleJob.prn", placed.paths.back());

        ASSERT_TRUE(viewer.Start(
            {QString::fromStdString(bare ? archive.filename().string() : archive.string())}));
        EXPECT_EQ(viewer.AskOne("text\tmain/form312/control1015"),
                  QString::fromStdString(naming.name));
        EXPECT_EQ(viewer.AskOne("text\tmain/form312/control1017"), "ON (Image+Log)");
        EXPECT_TRUE(fs::exists(index));
        viewer.Ask("key\tmain\tCtrl+Up");
        ASSERT_TRUE(viewer.AskUntil("text\tmain", [](const QStringList& answer) {
            return answer.value(0) == kMailListTitle;
        }));
        EXPECT_EQ(viewer.AskOne("rows\t" + kList).toInt(), 12);
        viewer.Ask("key\tmain\tCtrl+Up");
        ASSERT_TRUE(viewer.AskUntil("text\tmain", [](const QStringList& answer) {
            return answer.value(0) == kMailDetailTitle;
        }));
        EXPECT_GT(viewer.AskOne("rows\t" + kSheets).toInt(), 0);
        ASSERT_TRUE(viewer.AskUntil("children\t" + kPane + "\t@CThumbButton",
                                    [](const QStringList& answer) { return !answer.isEmpty(); }));
    }
}

TEST_F(EndToEndTest, CsvSaveWritesTheLogsDataLinesWithCrLfBetweenThem)
{
    ViewerSession viewer(m_scratch);
    ASSERT_TRUE(viewer.Start({Job("SampleJob.zip")}));

    // What the user should get: every line after the eight header lines of the unpacked log.
    fs::path log;
    for (const auto& folder : fs::directory_iterator(viewer.TempRoot())) {
        for (const auto& file : fs::directory_iterator(folder)) {
            if (file.path().extension() == ".csv") {
                log = file.path();
            }
        }
    }
    ASSERT_FALSE(log.empty());
    std::ifstream source(log, std::ios::binary);
    std::string line;
    std::string expected;
    for (int number = 0; std::getline(source, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (number >= 8) {
            expected += (number > 8 ? "\r\n" : "") + line;
        }
    }
    ASSERT_FALSE(expected.empty());

    // Targets: a new file, one of the longest name Linux allows, and a read-only file that the
    // user agrees to replace, which is refused and stays as it was (also for root).
    const std::string folder = m_scratch.MakeFolder("export");
    const std::string readOnly = folder + "/read-only.csv";
    std::ofstream(readOnly) << "mine";
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
    struct Save
    {
        std::string target;
        bool written;
    };
    for (const Save& save :
         {Save{folder + "/mine.csv", true},
          Save{folder + "/" + std::string(251, 'n') + ".csv", true}, Save{readOnly, false}}) {
        SCOPED_TRACE(save.target);
        const std::string before = Bytes(save.target);
        const auto refusals = [&viewer] { return viewer.Errors().count("(04001)"); };
        const qsizetype refusedBefore = refusals();
        viewer.Ask("trigger\tcommand134");
        ASSERT_FALSE(viewer.WaitForEvent("shown QFileDialog").isEmpty());
        viewer.Ask("choose\t" + QString::fromStdString(save.target));
        if (fs::exists(save.target)) {
            ASSERT_FALSE(viewer.WaitForEvent("shown QMessageBox").isEmpty());
            ASSERT_EQ(viewer.AskOne("text\tmodal/@QPushButton"), "&Yes");
            viewer.Ask("click\tmodal/@QPushButton");
        }
        // The export writes the file (renamed into place whole) or refuses it in one call on
        // the viewer's only thread.
        ASSERT_TRUE(viewer.AskUntil("windows", [&](const QStringList&) {
            return refusals() > refusedBefore || Bytes(save.target) != before;
        }));
        EXPECT_EQ(Bytes(save.target), save.written ? expected : before);
        EXPECT_EQ(refusals() > refusedBefore, !save.written) << viewer.Errors().toStdString();
    }
    EXPECT_EQ(fs::status(readOnly).permissions(), fs::perms::owner_read | fs::perms::group_read);
}

TEST_F(EndToEndTest, ProtectedArchiveRefusesAWrongPasswordAndOpensWithTheRightOne)
{
    ViewerSession viewer(m_scratch);
    ASSERT_TRUE(viewer.Launch({Job("SampleJobProtected.zip")}));
    ASSERT_FALSE(viewer.WaitForEvent("shown PasswordDialog").isEmpty());
    viewer.Ask("type\tmodal/control1000\twrong");
    viewer.Ask("click\tmodal/control1");
    ASSERT_TRUE(viewer.WaitForError("(03004)")) << viewer.Errors().toStdString();
    EXPECT_TRUE(viewer.Errors().contains("The password is incorrect"))
        << viewer.Errors().toStdString();
    // The dialog stays for another try.
    EXPECT_TRUE(viewer.AskOne("find\tmodal").contains("PasswordDialog"));

    viewer.Ask("type\tmodal/control1000\t" + QString::fromStdString(m_password));
    viewer.Ask("click\tmodal/control1");
    ASSERT_FALSE(viewer.WaitForEvent("shown CMainFrame").isEmpty());
    ASSERT_TRUE(viewer.AskUntil("text\tmain/form312/control1015", [](const QStringList& answer) {
        return answer.value(0) == "SampleJobProtected";
    }));
    EXPECT_EQ(viewer.Terminate(), 0);
}

TEST_F(EndToEndTest, SecondStartShows01001AndExitLeavesNoTemporaryFolder)
{
    ViewerSession first(m_scratch, "EN", "first");
    ASSERT_TRUE(first.Start({Job("SampleJob.zip")}));
    ASSERT_TRUE(first.AskUntil("text\tmain/form312/control1015", [](const QStringList& answer) {
        return answer.value(0) == "SampleJob";
    }));
    ASSERT_FALSE(fs::is_empty(first.TempRoot()));

    // Another start by the same user, with or without an archive, ends at once.
    for (const QStringList& arguments : {QStringList{Job("SampleJob.zip")}, QStringList{}}) {
        ViewerSession second(m_scratch, "EN", "second");
        ASSERT_TRUE(second.Launch(arguments));
        EXPECT_EQ(second.WaitForExit(), 1);
        EXPECT_TRUE(second.Errors().contains("is already running. \n(01001)"))
            << second.Errors().toStdString();
    }
    // The running viewer is untouched and still answers.
    EXPECT_EQ(first.AskOne("text\tmain/form312/control1015"), "SampleJob");

    // File > Exit: status 0, no temporary folder left, the window size kept for next time.
    first.Ask("trigger\tcommand203");
    EXPECT_EQ(first.WaitForExit(), 0) << first.Errors().toStdString();
    EXPECT_TRUE(fs::is_empty(first.TempRoot()));
    EXPECT_TRUE(fs::exists(first.ConfigFolder() + "/TARV/PYRN/User.ini"));
}

} // namespace
