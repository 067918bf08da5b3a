// Setup's file, registry and installer work: its temporary folder, the package and the
// chosen transform written out of its resources, the product code, the per-product data
// folder, and the installer program's install and maintenance runs.
#pragma once

#include "platform/RegistryKey.h"
#include "setup/CResourceMgr.h"
#include "setup/CTempFileMgr.h"

#include <QString>

class CInstallMgr
{
public:
    // Prepares the temporary folder.
    CInstallMgr();
    // Deletes the copied user's guide, closes the registry key, empties the temporary folder.
    ~CInstallMgr();
    CInstallMgr(const CInstallMgr&) = delete;
    CInstallMgr& operator=(const CInstallMgr&) = delete;

    // Writes the package to the temporary folder and reads its product code: 0, or the
    // Windows Installer error of the failed call (5 when the temporary folder was refused).
    int ExtractPackage();
    bool IsMaintenanceMode();
    // The installer program's exit code; 0 when it could not be started, -1 when a
    // preparation step failed.
    int InstallProduct(int row);
    int ExecuteMaintenance();

    bool CreateMsiSourceDir();
    int GetMsiLCID();
    bool ReadAppDataReg(QString& appDataDir, QString& msiSourceDir);
    bool CopyManual(int row);
    const QString& GetModuleFolder();
    void RemoveLeftovers(const QString& appDataDir, const QString& msiSourceDir);

    CResourceMgr& GetResourceMgr() { return m_resourceMgr; }
    const QString& GetGuid() const { return m_guid; }
    const QString& GetDataFolder() const { return m_dataFolder; }

private:
    QString ExtractedPackagePath() const;
    void DeleteCopies();

    platform::RegistryKey m_regKey;
    QString m_guid;
    QString m_moduleFolder;
    QString m_tempFolder;
    QString m_manualCopy;
    QString m_dataFolder;
    QString m_packagePath;
    QString m_transformPath;
    QString m_commonAppData;
    CTempFileMgr m_tempFileMgr;
    CResourceMgr m_resourceMgr;
    bool m_tempFolderReady = false;
};
