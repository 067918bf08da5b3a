// Why: hostile files reach the viewer as a user opens them: an archive chosen in File-Open, a
// log inside it, a stream and an index file lying beside it. Each must end in its code with
// the log the user had still loaded and usable, and write nothing but the temporary folder and
// the archive's own folder. The sanitizer build turns any memory fault into a failure.
#include "tests/HostileCorpus.h"
#include "tests/viewer/DocumentTestSupport.h"
#include "tools/SampleFiles.h"

#include <functional>
#include <map>

namespace {

namespace fs = std::filesystem;
using samplejob::ReadWholeFile;

// Every file under `root` with its size and time, but those inside `skipped` folders.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>>
Snapshot(const fs::path& root, const std::vector<fs::path>& skipped)
{
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(root, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        const fs::path& path = it->path();
        const bool skip = std::any_of(skipped.begin(), skipped.end(), [&path](const fs::path& s) {
            return path == s || path.string().rfind(s.string() + "/", 0) == 0;
        });
        if (skip || path.filename().string().rfind("TempByPYRN_", 0) == 0) {
            if (it->is_directory(ignored)) {
                it.disable_recursion_pending();
            }
            continue;
        }
        // Folders count by their names: their times change as temporary folders come and go.
        if (it->is_regular_file(ignored)) {
            files[path.string()] = {it->file_size(ignored), it->last_write_time(ignored)};
        } else {
            files[path.string()] = {};
        }
    }
    return files;
}

class HostileThroughDocumentTest : public DocumentTest
{
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        // The log the user has open while trying the hostile ones.
        ASSERT_TRUE(Open(WriteJob("loaded")));
        m_loadedName = m_document->m_pJobSummary->strJobName;
        const std::string exported = m_scratch / "loaded.csv";
        ASSERT_TRUE(m_document->OnSaveDocument(QString::fromStdString(exported)));
        m_loadedLines = ReadWholeFile(exported);
    }

    // Opens `archive` (in `folder`) as the user would and checks what it showed, what it left
    // and, when it failed, that the loaded log still stands whole.
    void OpenHostile(const std::string& folder, const std::string& archive,
                     const QStringList& codes, bool opens, const QStringList& passwords = {},
                     const std::function<void(const CPYRNDoc&)>& opened = {})
    {
        const auto before = Snapshot(m_scratch.Path(), {folder});
        const MessageRecorder boxes;
        const PasswordAnswers user(passwords, true);
        Open(folder + "/" + archive);
        EXPECT_EQ(boxes.Codes(), codes);
        EXPECT_EQ(Snapshot(m_scratch.Path(), {folder}), before) << "written outside";
        EXPECT_FALSE(fs::exists("/tmp/pyrn-hostile-x"));
        if (opens) {
            // The new log replaced the old one; put the user's log back for the next input.
            if (opened) {
                opened(*m_document);
            }
            EXPECT_EQ(m_document->m_strArchiveBaseName.toStdString(),
                      fs::path(archive).stem().string());
            ASSERT_TRUE(Open(m_scratch / "loaded/SampleJob.zip"));
            return;
        }
        ASSERT_NE(m_document->m_pJobSummary, nullptr);
        EXPECT_EQ(m_document->m_pJobSummary->strJobName, m_loadedName);
        EXPECT_EQ(m_document->GetCsvBaseName(), "SampleJob");
        const std::string exported = m_scratch / "again.csv";
        ASSERT_TRUE(m_document->OnSaveDocument(QString::fromStdString(exported)));
        EXPECT_EQ(ReadWholeFile(exported), m_loadedLines);
        fs::remove(exported);
    }

    // A folder of its own for one hostile input.
    std::string Folder(const HostileInput& input)
    {
        return m_scratch.MakeFolder("hostile/" + input.reader + "/" + input.name);
    }

    std::string m_loadedName;
    std::string m_loadedLines;
};

TEST_F(HostileThroughDocumentTest, ArchivesEndInTheirCodeWithTheLoadedLogKept)
{
    const std::vector<HostileInput> inputs = LoadHostileInputs("zip");
    ASSERT_GE(inputs.size(), 20u);
    for (const HostileInput& input : inputs) {
        SCOPED_TRACE(input.name);
        const std::string folder = Folder(input);
        fs::copy_file(input.Path(), folder + "/" + input.name);
        // How far it gets: the archive test, the password (the right one is "secret"), the
        // extraction, then the set of files it left.
        QStringList codes;
        const std::string test = input.Get("test");
        if (test == "-5") {
            codes = {"03003"};
        } else if (test == "0:1" && input.Get("password") != "0") {
            codes = {"03004"}; // and the user gives up
        } else if (input.Get("extract") != "0") {
            codes = {"03006"};
        } else {
            codes = {input.Get("files") == "Job.csv,Job.mll" ? "03008" : "03007"};
        }
        OpenHostile(folder, input.name, codes, false, {"secret"});
    }
}

TEST_F(HostileThroughDocumentTest, LogsInsideAnArchiveWithTheirDigestOpenOrGive03009)
{
    const std::vector<HostileInput> inputs = LoadHostileInputs("joblog");
    ASSERT_GE(inputs.size(), 20u);
    for (const HostileInput& input : inputs) {
        SCOPED_TRACE(input.name);
        const std::string folder = Folder(input);
        const std::string base = fs::path(input.name).stem();
        const std::string log = ReadWholeFile(input.Path());
        WriteArchive("hostile/joblog/" + input.name + "/" + base + ".zip",
                     samplejob::LogArchiveMembers(base, log, samplejob::DigestFileBytes(log)));
        const bool loads = input.GetInt("load") == 0;
        OpenHostile(folder, base + ".zip", loads ? QStringList{} : QStringList{"03009"}, loads);
    }
}

TEST_F(HostileThroughDocumentTest, StreamsBesideTheArchiveWarn03010OrOpenWithPageImages)
{
    const std::vector<HostileInput> inputs = LoadHostileInputs("stream");
    ASSERT_GE(inputs.size(), 20u);
    for (const HostileInput& input : inputs) {
        SCOPED_TRACE(input.name);
        samplejob::SampleFolderOptions options;
        options.writeStream = false;
        const std::string folder =
            fs::path(WriteJob("hostile/stream/" + input.name, options)).parent_path();
        fs::copy_file(input.Path(), folder + "/SampleJob.prn");
        // The stream is read up to its page index; a page index that cannot be had warns.
        const bool usable =
            input.GetInt("header") == 0 && input.Has("index") && input.GetInt("index") >= 0;
        OpenHostile(
            folder, "SampleJob.zip", usable ? QStringList{} : QStringList{"03010"}, true, {},
            [usable](const CPYRNDoc& document) { EXPECT_EQ(document.m_bHasPageImages, usable); });
    }
}

TEST_F(HostileThroughDocumentTest, IndexFilesBesideTheArchiveAreUsedOrRebuiltSilently)
{
    const std::vector<HostileInput> inputs = LoadHostileInputs("adr");
    ASSERT_GE(inputs.size(), 10u);
    for (const HostileInput& input : inputs) {
        SCOPED_TRACE(input.name);
        const std::string folder = fs::path(WriteJob("hostile/adr/" + input.name)).parent_path();
        fs::copy_file(input.Path(), folder + "/SampleJob.adr");
        OpenHostile(folder, "SampleJob.zip", {}, true);
        if (input.GetInt("read") != 0) {
            // Rebuilt from the stream and written over the unreadable one.
            EXPECT_NE(ReadWholeFile(folder + "/SampleJob.adr"), ReadWholeFile(input.Path()));
        }
    }
}

} // namespace
