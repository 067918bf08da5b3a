// Files written out of setup's own resources, and the installer program's runs on them.
#pragma once

#include <QString>
#include <cstdint>
#include <unordered_map>

inline constexpr uint16_t kPackageResource = 132;

class CResourceMgr
{
public:
    // Writes resource `id` of type "RT_RCDATA" to `path` and remembers the path. False for a
    // missing resource or a file that cannot be written (a link there is not followed).
    bool ExtractResource(uint16_t id, const QString& path);
    // Moves the package's file to `newPath`. False, with the old path kept, when it fails.
    bool MoveExtracted(const QString& newPath);
    // Runs the installer program on the package: "/i \"<package file name>\" <arguments>" in
    // the package's folder. Its exit code, or 0 when it could not be started.
    int RunMsiInstall(const QString& arguments);
    // Runs the maintenance of the installed product: "/I<product code> /norestart" in `folder`.
    int RunMsiMaintenance(const QString& productCode, const QString& folder);

    // The file that resource `id` was written to; empty when none.
    QString PathOf(uint16_t id) const;

    // 1 starts the installer program without asking for an administrator.
    int m_noRunas = 0;

private:
    int RunMsiexec(const QString& parameters, const QString& folder) const;

    std::unordered_map<uint16_t, QString> m_extracted;
};
