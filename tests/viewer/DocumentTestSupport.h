// What the document's tests share: a scratch world (the user's data and settings folders, a
// clock that names temporary folders), sample jobs written into it, and the dialogs that an
// open runs answered as a user would.
#pragma once

#include "formats/archive/CZipFile.h"
#include "tests/ScratchFolder.h"
#include "tests/viewer/ViewerTestSupport.h"
#include "tools/SampleArchive.h"
#include "tools/SampleDigest.h"
#include "tools/SampleFolder.h"
#include "tools/SampleJobLog.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/common/ResourceModule.h"
#include "viewer/dialogs/PasswordDialog.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/document/OpenLogPipeline.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMetaObject>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// A password dialog's user: types each answer in turn and presses OK, or presses Cancel after
// the last one. Watches for the dialog while it lives.
class PasswordAnswers : public QObject
{
public:
    explicit PasswordAnswers(QStringList answers, bool cancelAtEnd = false)
        : m_answers(std::move(answers)), m_cancelAtEnd(cancelAtEnd)
    {
        qApp->installEventFilter(this);
    }
    ~PasswordAnswers() override { qApp->removeEventFilter(this); }

    int DialogsSeen() const { return m_dialogsSeen; }
    // What the edit held when each answer was given.
    const QStringList& Typed() const { return m_typed; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = qobject_cast<PasswordDialog*>(watched);
        if (dialog != nullptr && event->type() == QEvent::Show) {
            ++m_dialogsSeen;
            QMetaObject::invokeMethod(
                dialog, [this, dialog] { Answer(dialog); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void Answer(PasswordDialog* dialog)
    {
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("control1000"));
        for (const QString& answer : m_answers) {
            edit->setText(answer);
            m_typed.append(edit->text());
            dialog->findChild<QAbstractButton*>(QStringLiteral("control1"))->click();
            if (!dialog->isVisible()) {
                return;
            }
        }
        if (m_cancelAtEnd) {
            dialog->findChild<QAbstractButton*>(QStringLiteral("control2"))->click();
        }
    }

    QStringList m_answers;
    bool m_cancelAtEnd;
    int m_dialogsSeen = 0;
    QStringList m_typed;
};

class DocumentTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        m_previousDataHome = qgetenv("XDG_DATA_HOME");
        m_previousConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(m_scratch / "data"));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_scratch / "config"));
        SetTempFolderClock([this] { return m_now++; });
        if (!theApp.m_pZipFile) {
            theApp.m_pZipFile = std::make_unique<CZipFile>();
        }
    }
    void TearDown() override
    {
        SetTempFolderClock({});
        m_document.reset();
        qputenv("XDG_DATA_HOME", m_previousDataHome);
        qputenv("XDG_CONFIG_HOME", m_previousConfigHome);
    }

    // The sample job of `options` in its own folder; returns the archive's path. Its pages are
    // coarse: the document reads only the stream's structure.
    std::string WriteJob(const std::string& folder, samplejob::SampleFolderOptions options)
    {
        options.folder = m_scratch / folder;
        options.stream.resolution = 20;
        EXPECT_EQ(samplejob::WriteSampleFolder(options), 0);
        return options.folder + "/" + options.baseName + ".zip";
    }
    std::string WriteJob(const std::string& folder)
    {
        return WriteJob(folder, samplejob::SampleFolderOptions{});
    }
    // An archive of `members` (written as they stand) in `folder`.
    std::string WriteArchive(const std::string& relativePath,
                             const std::vector<samplejob::ArchiveMember>& members,
                             samplejob::ArchiveEncryption encryption = {},
                             std::string_view password = {})
    {
        const std::string path = m_scratch / relativePath;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        EXPECT_EQ(samplejob::WriteZipArchive(path, members, encryption, password), 0);
        return path;
    }
    // A log archive whose log and digest are given as they stand.
    std::string WriteLogArchive(const std::string& relativePath, const std::string& base,
                                const std::string& log)
    {
        return WriteArchive(
            relativePath, samplejob::LogArchiveMembers(base, log, samplejob::DigestFileBytes(log)));
    }

    bool Open(const std::string& path)
    {
        return m_document->OnOpenDocument(QString::fromStdString(path));
    }

    static std::string TempRoot()
    {
        std::string root;
        GetTempFolderRoot(root);
        return root;
    }
    // The names in `folder`, in name order.
    static std::vector<std::string> Entries(const std::string& folder)
    {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // The viewer's temporary folders, and what one of them holds.
    static std::vector<std::string> TempFolders() { return Entries(TempRoot()); }
    static std::vector<std::string> TempEntries(const std::string& name)
    {
        return Entries(TempRoot() + "/" + name);
    }
    void SetVerifyTamper(int value)
    {
        // The application's profile, where the application reads it.
        const QString path = QString::fromStdString(m_scratch / "config") + QLatin1Char('/') +
                             ResourceModule::String(187) + QLatin1Char('/') +
                             ResourceModule::String(57344) + QStringLiteral(".conf");
        QSettings(path, QSettings::NativeFormat)
            .setValue(QStringLiteral("Debug/VerifyTamper"), value);
    }

protected:
    ScratchFolder m_scratch{"DocumentTest"};
    std::time_t m_now = 1700000000;
    MessageRecorder m_boxes;
    std::unique_ptr<CPYRNDoc> m_document = std::make_unique<CPYRNDoc>();

private:
    QByteArray m_previousDataHome;
    QByteArray m_previousConfigHome;
};
