#include "tests/setup/SetupTestSupport.h"

#include "platform/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringDecoder>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kRunTimeoutMs = 120000;

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void LinkOrCopy(const QString& from, const QString& to)
{
    std::error_code error;
    fs::create_hard_link(from.toStdString(), to.toStdString(), error);
    if (error) {
        fs::copy_file(from.toStdString(), to.toStdString(), fs::copy_options::overwrite_existing);
    }
}

} // namespace

ScopedEnvironment::~ScopedEnvironment()
{
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        if (it->second) {
            qputenv(it->first.constData(), *it->second);
        } else {
            qunsetenv(it->first.constData());
        }
    }
}

void ScopedEnvironment::Set(const char* name, const QString& value)
{
    m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                               : std::nullopt);
    qputenv(name, value.toUtf8());
}

void ScopedEnvironment::Unset(const char* name)
{
    m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                               : std::nullopt);
    qunsetenv(name);
}

SetupMachine::SetupMachine(std::string_view name) : m_scratch(name)
{
    // Open to every user, as /tmp is: tests also run setup as another user.
    fs::permissions(m_scratch.Path(), fs::perms::all | fs::perms::sticky_bit);
    for (const char* folder : {"root", "tmp", "home", "record", "bin"}) {
        m_scratch.MakeFolder(folder);
    }
    fs::permissions(m_scratch.Path() / "tmp", fs::perms::all | fs::perms::sticky_bit);
    fs::permissions(m_scratch.MakeFolder("runtime"), fs::perms::owner_all);
}

QString SetupMachine::Path(const QString& relative) const
{
    return QString::fromStdString((m_scratch.Path() / relative.toStdString()).string());
}

QString SetupMachine::DataFolder() const
{
    return Prefix() + "/var/opt/TARV/TARV Post Log Viewer/" + CarriedProductCode();
}

QStringList SetupMachine::LogFiles() const
{
    QStringList files;
    for (const QString& name : QDir(Temp()).entryList(
             {QStringLiteral("TARV Post Log Viewer Setup-*.log")}, QDir::Files, QDir::Name)) {
        files.append(Temp() + "/" + name);
    }
    return files;
}

QStringList SetupMachine::LogMessages() const
{
    QStringList messages;
    for (const QString& file : LogFiles()) {
        for (const QString& line :
             DecodeLog(ReadAll(file)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            messages.append(line.section(QLatin1Char(','), 2));
        }
    }
    return messages;
}

QStringList SetupMachine::Recorded(const QString& name) const
{
    return QString::fromUtf8(ReadAll(Record() + "/" + name))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QByteArray SetupMachine::Seen(const QString& fileName) const
{
    return ReadAll(Record() + "/seen/" + fileName);
}

void SetupMachine::Enter(ScopedEnvironment& environment) const
{
    environment.Set("PYRN_ROOT_PREFIX", Prefix());
    environment.Set("TMPDIR", Temp());
    environment.Set("HOME", Home());
}

void SetupMachine::RegisterProduct(std::optional<uint32_t> language, bool withProductKey) const
{
    ScopedEnvironment environment;
    Enter(environment);
    platform::RegistryStore store;
    ASSERT_TRUE(store.Load(platform::RegistryHive::LocalMachine));
    store.SetValue((kUninstallKey + CarriedProductCode()).toStdString(), "NoRepair",
                   platform::RegistryValue::Dword(1));
    if (withProductKey) {
        const std::string key = kProductKey.toStdString();
        store.CreateKey(key);
        store.SetValue(
            key, "TarvAppDataDir",
            platform::RegistryValue::String((Prefix() + "/var/opt/TARV/").toStdString()));
        store.SetValue(key, "MsiSourceDir",
                       platform::RegistryValue::String((DataFolder() + "/").toStdString()));
        if (language) {
            store.SetValue(key, "Language", platform::RegistryValue::Dword(*language));
        }
    }
    ASSERT_TRUE(store.Save(platform::RegistryHive::LocalMachine));
}

namespace {

QString CarriedPath(unsigned id)
{
    std::ifstream manifest(SETUP_CARRIED_MANIFEST);
    unsigned entryId = 0;
    std::string path;
    while (manifest >> entryId && std::getline(manifest >> std::ws, path)) {
        if (entryId == id) {
            return QString::fromStdString(path);
        }
    }
    return {};
}

} // namespace

QByteArray CarriedResource(unsigned id)
{
    return ReadAll(CarriedPath(id));
}

const QString& CarriedProductCode()
{
    static const QString code = [] {
        QProcess msiinfo;
        msiinfo.start("msiinfo", {"export", CarriedPath(132), "Property"});
        msiinfo.waitForFinished(60000);
        for (const QString& line : QString::fromUtf8(msiinfo.readAllStandardOutput()).split('\n')) {
            if (line.startsWith("ProductCode\t")) {
                return line.section('\t', 1).trimmed();
            }
        }
        return QString();
    }();
    return code;
}

SetupRunner::SetupRunner(const SetupMachine& machine)
    : m_machine(machine), m_environment(QProcessEnvironment::systemEnvironment())
{
    LinkOrCopy(QStringLiteral(SETUP_PROGRAM), machine.Bin() + "/setup");
    LinkOrCopy(QStringLiteral(SETUP_STANDIN), machine.Bin() + "/msiexec");
    for (const char* name :
         {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "SETUP_DRIVER_DIALOG", "SETUP_DRIVER_ROW",
          "SETUP_STANDIN_RESULT", "SETUP_STANDIN_REMOVE_PRODUCT"}) {
        m_environment.remove(name);
    }
    m_environment.insert("QT_QPA_PLATFORM", "offscreen");
    m_environment.insert("QT_PLUGIN_PATH", SETUP_DRIVER_PLUGINS);
    m_environment.insert("QT_QPA_GENERIC_PLUGINS", "setupdriver");
    m_environment.insert("PYRN_ROOT_PREFIX", machine.Prefix());
    m_environment.insert("TMPDIR", machine.Temp());
    m_environment.insert("HOME", machine.Home());
    m_environment.insert("XDG_RUNTIME_DIR", machine.Path("runtime"));
    m_environment.insert("SETUP_STANDIN_RECORD", machine.Record());
}

std::pair<QString, QStringList> SetupRunner::Command(std::optional<int> asUser) const
{
    const QString setup = m_machine.Bin() + "/setup";
    if (!asUser) {
        return {setup, {}};
    }
    return {QStringLiteral("setpriv"),
            {QStringLiteral("--reuid=%1").arg(*asUser), QStringLiteral("--regid=%1").arg(*asUser),
             QStringLiteral("--clear-groups"), setup}};
}

SetupRun SetupRunner::Run(const QString& locale, std::optional<int> asUser,
                          const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = m_environment;
    environment.insert("LANG", locale);
    process.setProcessEnvironment(environment);
    const auto [program, command] = Command(asUser);
    process.start(program, command + arguments);
    SetupRun run;
    run.finished = process.waitForFinished(kRunTimeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAllStandardOutput())
                     .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QByteArray errors = process.readAllStandardError();
    std::fwrite(errors.constData(), 1, static_cast<std::size_t>(errors.size()), stderr);
    run.errors = QString::fromUtf8(errors);
    return run;
}

QString DecodeLog(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf16LE);
    QString text = decoder(bytes);
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    return text;
}
