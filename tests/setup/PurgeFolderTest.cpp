// Why: root empties its temporary folder in a shared /tmp; a link inside (or the folder
// itself being one) must never make it delete anything elsewhere.
#include "setup/PurgeFolder.h"

#include "tests/ScratchFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QStringList Tree(const QString& folder)
{
    QStringList entries;
    for (const QFileInfo& entry : QDir(folder).entryInfoList(
             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        entries << entry.fileName() + (entry.isSymLink() ? "@" : (entry.isDir() ? "/" : ""));
        if (entry.isDir() && !entry.isSymLink()) {
            for (const QString& inner : Tree(entry.filePath())) {
                entries << entry.fileName() + "/" + inner;
            }
        }
    }
    return entries;
}

TEST(PurgeFolderTest, DeletesFilesAndLinksKeepsFoldersAndDotNamesFollowsNoLink)
{
    ScratchFolder scratch("purge");
    const QString outside = QString::fromStdString(scratch.MakeFolder("outside"));
    scratch.Write("outside/victim.txt", "victim");
    const QString folder = QString::fromStdString(scratch.MakeFolder("temp"));
    scratch.Write("temp/package.msi", "package");
    scratch.Write("temp/read-only.txt", "read-only");
    ::chmod(scratch.operator/("temp/read-only.txt").c_str(), 0444);
    scratch.Write("temp/.hidden", "dot file");
    scratch.Write("temp/.dotfolder/inner.txt", "inside a dot folder");
    scratch.Write("temp/sub/deeper/file.txt", "nested");
    ASSERT_TRUE(QFile::link(outside, folder + "/link-to-folder"));
    ASSERT_TRUE(QFile::link(outside + "/victim.txt", folder + "/link-to-file"));

    EXPECT_TRUE(PurgeFolder(folder));
    EXPECT_EQ(Tree(folder), (QStringList{".dotfolder/", ".dotfolder/inner.txt", ".hidden", "sub/",
                                         "sub/deeper/"}));
    EXPECT_EQ(Tree(outside), QStringList{"victim.txt"});
}

TEST(PurgeFolderTest, RefusesAFolderThatIsALinkAndAMissingOne)
{
    ScratchFolder scratch("purge_link");
    const QString outside = QString::fromStdString(scratch.MakeFolder("outside"));
    scratch.Write("outside/victim.txt", "victim");
    ASSERT_TRUE(QFile::link(outside, QString::fromStdString(scratch / "temp")));
    EXPECT_FALSE(PurgeFolder(QString::fromStdString(scratch / "temp")));
    EXPECT_FALSE(PurgeFolder(QString::fromStdString(scratch / "temp") + "/"));
    EXPECT_FALSE(PurgeFolder(QString::fromStdString(scratch / "missing")));
    EXPECT_EQ(Tree(outside), QStringList{"victim.txt"});
}

} // namespace
