#include "setup/CResourceMgr.h"

#include "platform/EmbeddedResources.h"
#include "platform/FileCopy.h"
#include "platform/ProcessLauncher.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

bool CResourceMgr::ExtractResource(uint16_t id, const QString& path)
{
    const platform::EmbeddedResource* resource = platform::FindEmbeddedResource("RT_RCDATA", id);
    if (resource == nullptr) {
        return false;
    }
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const std::span<const unsigned char> bytes = resource->bytes;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        ok = written > 0 || (written < 0 && errno == EINTR);
        done += written > 0 ? static_cast<std::size_t>(written) : 0;
    }
    ok = ::close(fd) == 0 && ok;
    if (ok) {
        m_extracted[id] = path;
    }
    return ok;
}

bool CResourceMgr::MoveExtracted(const QString& newPath)
{
    const auto found = m_extracted.find(kPackageResource);
    if (found == m_extracted.end() ||
        !platform::MoveFileReplacing(found->second.toStdString(), newPath.toStdString())) {
        return false;
    }
    found->second = newPath;
    return true;
}

QString CResourceMgr::PathOf(uint16_t id) const
{
    const auto found = m_extracted.find(id);
    return found == m_extracted.end() ? QString() : found->second;
}

int CResourceMgr::RunMsiInstall(const QString& arguments)
{
    const QString package = PathOf(kPackageResource);
    if (package.isEmpty()) {
        return 0;
    }
    const QFileInfo file(package);
    return RunMsiexec(QStringLiteral("/i \"%1\" %2").arg(file.fileName(), arguments), file.path());
}

int CResourceMgr::RunMsiMaintenance(const QString& productCode, const QString& folder)
{
    return RunMsiexec(QStringLiteral("/I%1 /norestart").arg(productCode), folder);
}

int CResourceMgr::RunMsiexec(const QString& parameters, const QString& folder) const
{
    platform::LaunchRequest request;
    request.verb = m_noRunas == 1 ? "" : "runas";
    request.program = "msiexec";
    request.parameters = parameters.toStdString();
    request.directory = folder.toStdString();
    const platform::LaunchResult result = platform::RunProgramAndWait(request);
    return result.started ? static_cast<int>(result.ExitCode()) : 0;
}
