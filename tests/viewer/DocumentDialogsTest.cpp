// Why: the user cannot stop a worker half way, nor reach the main window while it runs; the
// password dialog lets a wrong password through never; the file commands build the dialogs
// the user expects and report a failed export without leaving a partial file.
#include "tests/viewer/DocumentTestSupport.h"
#include "viewer/dialogs/DocumentFileDialog.h"
#include "viewer/dialogs/ProgressDialog.h"

#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <atomic>
#include <future>

namespace {

// Runs `check` on the UI thread right after `target` handled an event of `type`.
class AfterEvent : public QObject
{
public:
    AfterEvent(QObject* target, QEvent::Type type, std::function<void()> check)
        : m_type(type), m_check(std::move(check))
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == m_type && m_check) {
            QMetaObject::invokeMethod(watched, std::exchange(m_check, {}), Qt::QueuedConnection);
        }
        return false;
    }

private:
    QEvent::Type m_type;
    std::function<void()> m_check;
};

struct WhileRunning
{
    bool ownerEnabled = true;
    bool modal = false;
    bool visible = false;
    bool onScreen = false;
    int barValue = -1;
};

// Runs a worker that reports 42 and then waits for the UI thread's checks; `poke` runs while
// the dialog is up.
WhileRunning RunBlockedWorker(ProgressDialog& dialog, QWidget& owner,
                              const std::function<void()>& poke)
{
    CPYRNDoc document;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> finished = false;
    WhileRunning seen;
    const AfterEvent after(&dialog, ProgressEvent::kType, [&] {
        seen.ownerEnabled = owner.isEnabled();
        seen.modal = QApplication::activeModalWidget() == &dialog;
        poke();
        seen.visible = dialog.isVisible();
        seen.onScreen = dialog.windowHandle() != nullptr && dialog.windowHandle()->isVisible();
        seen.barValue = dialog.findChild<QProgressBar*>(QStringLiteral("control1054"))->value();
        release.set_value();
    });
    document.RunWorker(dialog, [&] {
        ProgressDialog::PostProgress(&dialog, 42);
        released.wait();
        finished = true;
    });
    EXPECT_TRUE(finished) << "the dialog ends only after the worker";
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(owner.isEnabled());
    return seen;
}

TEST(DocumentProgressDialogTest, NeitherKeysNorTheCloseButtonEndItBeforeTheWorker)
{
    QWidget owner;
    owner.show();
    ProgressDialog dialog(&owner);
    dialog.m_nRange = 100;
    const WhileRunning seen = RunBlockedWorker(dialog, owner, [&] {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QTest::keyClick(&dialog, Qt::Key_Return);
        QTest::keyClick(&dialog, Qt::Key_Enter);
        dialog.close();
        SaveScreenshot(dialog, QStringLiteral("ProgressDialog"));
    });
    EXPECT_TRUE(seen.visible);
    EXPECT_TRUE(seen.modal);
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_EQ(seen.barValue, 42);
    EXPECT_EQ(dialog.windowTitle(), ResourceModule::String(193));
}

TEST(DocumentProgressDialogTest, HiddenDialogNeverShowsYetBlocksTheOwner)
{
    QWidget owner;
    owner.show();
    ProgressDialog dialog(&owner);
    dialog.m_bHidden = true;
    const WhileRunning seen = RunBlockedWorker(dialog, owner, [] {});
    EXPECT_FALSE(seen.onScreen);
    EXPECT_TRUE(seen.modal);
    EXPECT_FALSE(seen.ownerEnabled);
}

class DocumentPasswordDialogTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        m_dialog.m_strArchivePath =
            QString::fromStdString(WriteArchive("locked.zip", {{"Job.csv", "x"}, {"Job.mll", "y"}},
                                                samplejob::ArchiveEncryption::Aes256, "12345678"));
        m_dialog.show();
    }
    QLineEdit* Edit() { return m_dialog.findChild<QLineEdit*>(QStringLiteral("control1000")); }
    void PressOk() { m_dialog.findChild<QPushButton*>(QStringLiteral("control1"))->click(); }

    PasswordDialog m_dialog;
};

TEST_F(DocumentPasswordDialogTest, TakesEightHiddenCharactersAndTheirTextsFromTheResources)
{
    QTest::keyClicks(Edit(), QStringLiteral("123456789"));
    EXPECT_EQ(Edit()->text(), QStringLiteral("12345678"));
    EXPECT_EQ(Edit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(m_dialog.windowTitle(), ResourceModule::String(132));
    EXPECT_EQ(m_dialog.findChild<QLabel*>(QStringLiteral("control1053"))->text(),
              ResourceModule::String(133));
    EXPECT_EQ(m_dialog.findChild<QPushButton*>(QStringLiteral("control1"))->text(),
              ResourceModule::String(198));
    EXPECT_EQ(m_dialog.findChild<QPushButton*>(QStringLiteral("control2"))->text(),
              ResourceModule::String(199));
    SaveScreenshot(m_dialog, QStringLiteral("PasswordDialog"));

    PressOk();
    EXPECT_TRUE(m_boxes.Codes().isEmpty());
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_dialog.GetPassword(), QStringLiteral("12345678"));
}

TEST_F(DocumentPasswordDialogTest, RefusedPasswordsKeepTheDialogOpenWithTheTextAsTyped)
{
    for (const QString& typed : {QString(), QStringLiteral("1234567")}) {
        Edit()->setText(typed);
        PressOk();
        EXPECT_TRUE(m_dialog.isVisible());
        EXPECT_EQ(Edit()->text(), typed);
        EXPECT_TRUE(m_dialog.GetPassword().isEmpty());
    }
    ASSERT_EQ(m_boxes.Codes(), (QStringList{"03004", "03004"}));
    EXPECT_EQ(m_boxes.Boxes().front().text, ComposeMessageText(185, QStringLiteral("03004")));
    EXPECT_EQ(m_boxes.Boxes().front().owner, &m_dialog);
}

TEST(DocumentPasswordLanguageTest, TextsChangeWithTheLanguageLibraryAndFitTheirControls)
{
    // Why: every text comes from the current resource module, and the fixed layout must hold
    // the longest of them.
    for (const char* language : {"EN", "DE", "FR", "RU", "TH", "KO"}) {
        SCOPED_TRACE(language);
        const platform::LibraryHandle library =
            ResourceModule::LoadLanguageLibrary(std::string(PYRN_LANGUAGE_LIBRARY_DIR) +
                                                "/kwel_pyrnLanguageResource" + language + ".so");
        ASSERT_NE(library, nullptr);
        PasswordDialog dialog;
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), ResourceModule::String(132));
        for (const auto& [name, id] : {std::pair{"control1053", 133u}, std::pair{"control1", 198u},
                                       std::pair{"control2", 199u}}) {
            auto* control = dialog.findChild<QWidget*>(QString::fromLatin1(name));
            const QString text = control->property("text").toString();
            EXPECT_EQ(text, ResourceModule::String(id)) << name;
            EXPECT_LE(control->fontMetrics().horizontalAdvance(text), control->width()) << name;
        }
        SaveScreenshot(dialog, QStringLiteral("PasswordDialog_") + QLatin1String(language));
        ResourceModule::UseBuiltInSet();
        ResourceModule::FreeLanguageLibrary(library);
    }
}

// Answers the file dialogs: records each and gives `answer`.
class FileDialogAnswers
{
public:
    explicit FileDialogAnswers(std::optional<QString> answer, bool screenshot = false)
    {
        m_previous = SetFileDialogRunner([this, answer, screenshot](QFileDialog& dialog) {
            m_title = dialog.windowTitle();
            m_suffix = dialog.defaultSuffix();
            m_selected = dialog.selectedFiles().value(0);
            m_save = dialog.acceptMode() == QFileDialog::AcceptSave;
            m_ours = dialog.testOption(QFileDialog::DontUseNativeDialog) &&
                     !dialog.testOption(QFileDialog::DontConfirmOverwrite) &&
                     dialog.fileMode() == QFileDialog::AnyFile;
            if (screenshot) {
                dialog.show();
                SaveScreenshot(dialog, QStringLiteral("SaveCsvDialog"));
            }
            ++m_runs;
            return answer;
        });
    }
    ~FileDialogAnswers() { SetFileDialogRunner(m_previous); }

    int m_runs = 0;
    QString m_title;
    QString m_suffix;
    QString m_selected;
    bool m_save = false;
    bool m_ours = false;

private:
    FileDialogRunner m_previous;
};

TEST(DocumentFileDialogTest, FiltersInTheFrameworksNotationBecomeQtFilters)
{
    EXPECT_EQ(FileDialogNameFilters(QStringLiteral("ZIP (*.zip)|*.zip||")),
              QStringList{QStringLiteral("ZIP (*.zip)")});
    EXPECT_EQ(FileDialogNameFilters(QStringLiteral("Logs|*.csv;*.txt|All (*.*)|*.*||")),
              (QStringList{QStringLiteral("Logs (*.csv *.txt)"), QStringLiteral("All (*.*)")}));
    EXPECT_TRUE(FileDialogNameFilters(QString()).isEmpty());
}

class DocumentFileCommandTest : public DocumentTest
{};

TEST_F(DocumentFileCommandTest, FileOpenOpensTheChosenArchiveAndCancelKeepsTheLog)
{
    const std::string archive = WriteJob("job");
    {
        const FileDialogAnswers user(std::nullopt);
        m_document->OnFileOpen();
        EXPECT_EQ(user.m_runs, 1);
        EXPECT_FALSE(user.m_save);
        EXPECT_TRUE(user.m_ours);
        EXPECT_EQ(user.m_title, ResourceModule::String(131));
        EXPECT_EQ(user.m_suffix, ResourceModule::String(189));
        EXPECT_TRUE(m_document->GetCsvBaseName().isEmpty());
    }
    {
        const FileDialogAnswers user(QString::fromStdString(archive));
        m_document->OnFileOpen();
        EXPECT_EQ(m_document->GetCsvBaseName(), QStringLiteral("SampleJob"));
    }
    {
        const FileDialogAnswers user(QString::fromStdString(m_scratch / "job/none.zip"));
        m_document->OnFileOpen();
        EXPECT_EQ(m_boxes.Codes(), QStringList{"03005"});
        EXPECT_EQ(m_document->GetCsvBaseName(), QStringLiteral("SampleJob"));
    }
}

TEST_F(DocumentFileCommandTest, CsvSaveProposesTheLogsNameAndReportsAFailedWrite)
{
    {
        const FileDialogAnswers user(QString::fromStdString(m_scratch / "never.csv"));
        m_document->OnFileSaveCsv();
        EXPECT_EQ(user.m_runs, 0) << "no log loaded, no dialog";
    }
    ASSERT_TRUE(Open(WriteJob("job")));
    {
        const std::string target = m_scratch / "out/Job.csv";
        std::filesystem::create_directories(m_scratch / "out");
        const FileDialogAnswers user(QString::fromStdString(target), true);
        m_document->OnFileSaveCsv();
        EXPECT_TRUE(user.m_save);
        EXPECT_TRUE(user.m_ours);
        EXPECT_EQ(user.m_title, ResourceModule::String(134));
        EXPECT_EQ(user.m_suffix, ResourceModule::String(191));
        EXPECT_TRUE(
            user.m_selected.endsWith(QStringLiteral("/SampleJob.") + ResourceModule::String(191)));
        EXPECT_TRUE(m_boxes.Codes().isEmpty());
        EXPECT_TRUE(std::filesystem::exists(target));
    }
    {
        // A target in a folder that is not there cannot be written.
        const std::string target = m_scratch / "missing/Job.csv";
        const FileDialogAnswers user(QString::fromStdString(target));
        m_document->OnFileSaveCsv();
        EXPECT_EQ(m_boxes.Codes(), QStringList{"04001"});
        EXPECT_EQ(m_boxes.Boxes().back().text, ComposeMessageText(195, QStringLiteral("04001")));
        EXPECT_FALSE(std::filesystem::exists(m_scratch / "missing"));
    }
}

} // namespace
