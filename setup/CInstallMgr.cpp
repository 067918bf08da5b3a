#include "setup/CInstallMgr.h"

#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/LibraryLoader.h"
#include "platform/SetupFolders.h"
#include "platform/StringTables.h"
#include "setup/LanguageTable.h"
#include "setup/MsiDatabase.h"
#include "setup/ProductNames.h"
#include "setup/PurgeFolder.h"
#include "setup/SetupLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kProductCodeQuery = "SELECT * FROM Property WHERE Property='ProductCode'";
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr int kRegistryTextLength = 260;
constexpr int kFieldBufferLength = 256;
constexpr int kMaxGuidLength = 100;
constexpr unsigned kManualNameString = 2197;

QString ProductKey()
{
    return QStringLiteral("Software\\TARV MOLTEK CORPORATION\\%1\\Install").arg(kProductName);
}

QString Joined(const QString& folder, const QString& name)
{
    return QString::fromStdString(platform::JoinPath(folder.toStdString(), name.toStdString()));
}

// Clears the read-only bit (never through a link) and deletes the file.
void DeleteFileClearingReadOnly(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::lstat(name.constData(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        ::chmod(name.constData(), (info.st_mode & 07777) | S_IWUSR);
    }
    ::unlink(name.constData());
}

// Clears the read-only bit and removes the folder, which succeeds only when it is empty.
void RemoveFolderClearingReadOnly(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::lstat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
        ::chmod(name.constData(), (info.st_mode & 07777) | S_IWUSR);
        ::rmdir(name.constData());
    }
}

SetupLog& Log()
{
    return *SetupLog::GetInstance();
}

} // namespace

CInstallMgr::CInstallMgr()
{
    m_tempFolderReady = m_tempFileMgr.Prepare();
    // A refused folder is never written to nor emptied.
    m_tempFolder = m_tempFolderReady ? m_tempFileMgr.GetPath() : QString();
}

CInstallMgr::~CInstallMgr()
{
    if (!m_manualCopy.isEmpty()) {
        DeleteFileClearingReadOnly(m_manualCopy);
    }
    m_regKey.Close();
    if (!m_tempFolder.isEmpty()) {
        PurgeFolder(m_tempFolder);
    }
}

QString CInstallMgr::ExtractedPackagePath() const
{
    return Joined(m_tempFolder, QStringLiteral("PYRN_Installer.msi"));
}

int CInstallMgr::ExtractPackage()
{
    if (!m_tempFolderReady) {
        Log().Printf(LogLevel::Error, "Temporary folder [%s] refused.",
                     qUtf8Printable(m_tempFileMgr.GetPath()));
        return kErrorAccessDenied;
    }
    const QString package = ExtractedPackagePath();
    m_resourceMgr.ExtractResource(kPackageResource, package);

    MsiDatabase database;
    int result = database.Open(package);
    if (result != kErrorSuccess) {
        Log().Printf(LogLevel::Error, "MsiOpenDatabase() returned [%d].", result);
        return result;
    }
    result = database.OpenView(kProductCodeQuery);
    if (result != kErrorSuccess) {
        Log().Printf(LogLevel::Error, "MsiDatabaseOpenView() returned [%d].", result);
        return result;
    }
    database.Execute();
    QStringList fields;
    while (database.Fetch(fields)) {
        // One buffer for every field: it ends holding the last one, the property's value.
        QString buffer;
        for (const QString& field : fields) {
            buffer = field.left(kFieldBufferLength - 1);
        }
        m_guid = buffer.left(kMaxGuidLength);
    }
    Log().Printf(LogLevel::Info, "m_guid:[%s]", qUtf8Printable(m_guid));
    return kErrorSuccess;
}

bool CInstallMgr::IsMaintenanceMode()
{
    const bool installed =
        m_regKey.Open(platform::RegistryHive::LocalMachine, (kUninstallKey + m_guid).toStdString());
    Log().Printf(LogLevel::Info, "MaintananceMode:%d", installed ? 1 : 0);
    m_regKey.Close();
    return installed;
}

int CInstallMgr::GetMsiLCID()
{
    if (!m_regKey.Open(platform::RegistryHive::LocalMachine, ProductKey().toStdString())) {
        return 0;
    }
    uint32_t language = 0xFFFFFFFF;
    m_regKey.QueryDwordValue("Language", language);
    m_regKey.Close();
    return static_cast<int>(language);
}

bool CInstallMgr::ReadAppDataReg(QString& appDataDir, QString& msiSourceDir)
{
    appDataDir.clear();
    msiSourceDir.clear();
    if (!m_regKey.Open(platform::RegistryHive::LocalMachine, ProductKey().toStdString())) {
        return false;
    }
    std::string appData;
    std::string source;
    const bool read = m_regKey.QueryStringValue("TarvAppDataDir", appData, kRegistryTextLength) &&
                      m_regKey.QueryStringValue("MsiSourceDir", source, kRegistryTextLength);
    appDataDir = QString::fromStdString(appData);
    msiSourceDir = QString::fromStdString(source);
    m_regKey.Close();
    return read;
}

bool CInstallMgr::CreateMsiSourceDir()
{
    m_commonAppData = QString::fromStdString(platform::CommonAppDataFolder());
    if (m_commonAppData.isEmpty()) {
        return false;
    }
    m_dataFolder =
        Joined(Joined(Joined(m_commonAppData, kManufacturerFolder), kProductName), m_guid);
    if (!m_dataFolder.endsWith(QLatin1Char('/'))) {
        m_dataFolder += QLatin1Char('/');
    }
    // Read-only stands for the read-only and hidden attributes; Linux has no hidden one.
    if (!QDir().mkpath(m_dataFolder) || !QFileInfo(m_dataFolder).isDir() ||
        !platform::SetReadOnly(m_dataFolder.toStdString(), true)) {
        return false;
    }
    m_packagePath = m_dataFolder + QStringLiteral("Install.dat");
    return true;
}

const QString& CInstallMgr::GetModuleFolder()
{
    std::string folder;
    if (m_moduleFolder.isEmpty() && platform::GetProgramFolder(folder)) {
        m_moduleFolder = QString::fromStdString(folder) + QLatin1Char('/');
    }
    return m_moduleFolder;
}

bool CInstallMgr::CopyManual(int row)
{
    const LanguageRow* language = LanguageRowAt(row);
    if (language == nullptr) {
        return false;
    }
    const QString name =
        QString::fromStdString(platform::LoadLanguageString(kManualNameString, language->langId));
    const QString source = GetModuleFolder() + QStringLiteral("../Manual/") + name;
    const QFileInfo sourceInfo(source);
    const QString copy = m_dataFolder + name;
    if (!sourceInfo.exists() || sourceInfo.isDir() ||
        !platform::CopyRegularFile(source.toStdString(), copy.toStdString(), false)) {
        return false;
    }
    m_manualCopy = copy;
    return true;
}

void CInstallMgr::DeleteCopies()
{
    for (const QString& copy : {m_manualCopy, m_transformPath}) {
        if (!copy.isEmpty()) {
            DeleteFileClearingReadOnly(copy);
        }
    }
}

int CInstallMgr::InstallProduct(int row)
{
    const LanguageRow* language = LanguageRowAt(row);
    if (language == nullptr || !CreateMsiSourceDir()) {
        return -1;
    }
    if (row != kEnglishRow) {
        m_transformPath = m_dataFolder + QStringLiteral("lang.mst");
        if (!m_resourceMgr.ExtractResource(static_cast<uint16_t>(language->transformResource),
                                           m_transformPath)) {
            return -1;
        }
    }
    CopyManual(row);
    if (!m_resourceMgr.MoveExtracted(m_packagePath)) {
        // The package would run from the temporary folder, where no transform lies.
        Log().Printf(LogLevel::Error, "MoveFileEx() failed: [%s].", qUtf8Printable(m_packagePath));
        DeleteCopies();
        return -1;
    }
    const int result = m_resourceMgr.RunMsiInstall(
        row == kEnglishRow ? QStringLiteral("/norestart")
                           : QStringLiteral("/norestart TRANSFORMS=lang.mst"));
    DeleteCopies();
    return result;
}

int CInstallMgr::ExecuteMaintenance()
{
    if (!CreateMsiSourceDir()) {
        Log().Printf(LogLevel::Error, "CreateMsiSourceDir() Error.");
        return -1;
    }
    const int lcid = GetMsiLCID();
    Log().Printf(LogLevel::Info, "GetMsiLCID result:%d", lcid);
    if (lcid == -1 || lcid == 0) {
        return -1;
    }
    int row = 0;
    while (row < kLanguageRowCount && LcidOf(*LanguageRowAt(row)) != lcid) {
        ++row;
    }
    if (row == kLanguageRowCount) {
        Log().Printf(LogLevel::Info, "lang:%d.", row);
        return -1;
    }
    QString oldAppData;
    QString oldSource;
    if (!ReadAppDataReg(oldAppData, oldSource)) {
        Log().Printf(LogLevel::Info, "ReadAppDataReg() FALSE.");
        return -1;
    }
    CopyManual(row);
    const int result = m_resourceMgr.RunMsiMaintenance(m_guid, m_dataFolder);
    DeleteCopies();
    QString newAppData;
    QString newSource;
    ReadAppDataReg(newAppData, newSource);
    if (newAppData.isEmpty() || newSource.isEmpty()) {
        RemoveLeftovers(oldAppData, oldSource);
    }
    return result;
}

void CInstallMgr::RemoveLeftovers(const QString& appDataDir, const QString& msiSourceDir)
{
    if (!msiSourceDir.isEmpty()) {
        DeleteFileClearingReadOnly(Joined(msiSourceDir, QStringLiteral("Install.dat")));
        RemoveFolderClearingReadOnly(msiSourceDir);
    }
    if (!appDataDir.isEmpty()) {
        RemoveFolderClearingReadOnly(appDataDir);
    }
}
