#include "setup/CTempFileMgr.h"

#include "platform/SetupFolders.h"
#include "setup/PurgeFolder.h"

#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsOwnRealFolder(const QByteArray& path, bool requirePrivate)
{
    struct stat info = {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (!requirePrivate || (info.st_mode & 077) == 0);
}

} // namespace

CTempFileMgr::CTempFileMgr()
    : m_path(QString::fromStdString(
          platform::JoinPath(platform::SetupTempFolder(), "PYRNInstallTemp")))
{}

bool CTempFileMgr::Prepare()
{
    const QByteArray path = QFile::encodeName(m_path);
    struct stat info = {};
    if (::lstat(path.constData(), &info) == 0) {
        if (!IsOwnRealFolder(path, false) || ::chmod(path.constData(), 0700) != 0) {
            return false;
        }
        PurgeFolder(m_path);
    } else {
        ::mkdir(path.constData(), 0700);
    }
    // Checked again after the creation: a link planted meanwhile is refused as well.
    return IsOwnRealFolder(path, true);
}
