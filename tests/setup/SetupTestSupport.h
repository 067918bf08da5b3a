// A scratch machine for setup's tests: every root under a prefix of its own, its own
// temporary folder and home, so that tests (which run as root) never touch the real /opt,
// /var/opt, /var/lib or /run; and the means to run the real setup program on it.
#pragma once

#include "tests/ScratchFolder.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Readable failures: texts as UTF-8, one line each.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline const QString kProductKey =
    QStringLiteral("Software\\TARV MOLTEK CORPORATION\\TARV Post Log Viewer\\Install");
inline const QString kUninstallKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");

// Sets environment variables for the test's own process; the old values come back after it.
class ScopedEnvironment
{
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void Set(const char* name, const QString& value);
    void Unset(const char* name);

private:
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> m_saved;
};

class SetupMachine
{
public:
    explicit SetupMachine(std::string_view name);

    QString Prefix() const { return Path("root"); }
    QString Temp() const { return Path("tmp"); }
    QString Home() const { return Path("home"); }
    QString Record() const { return Path("record"); }
    QString Bin() const { return Path("bin"); }
    QString Path(const QString& relative) const;

    // The data folder of the carried package's product.
    QString DataFolder() const;
    // The setup log files in the temporary folder.
    QStringList LogFiles() const;
    // Every message of every setup log, in file order (the time stamp and level cut off).
    QStringList LogMessages() const;
    // The lines that the installer stand-in recorded ("arguments", "folder").
    QStringList Recorded(const QString& name) const;
    QByteArray Seen(const QString& fileName) const;

    // Points this process's roots at the machine (PYRN_ROOT_PREFIX, TMPDIR, HOME).
    void Enter(ScopedEnvironment& environment) const;

    // Registers the placeholder's product as installed: the uninstall key and the product
    // key with the values that a package writes (those given; nullopt leaves one out).
    void RegisterProduct(std::optional<uint32_t> language, bool withProductKey = true) const;

private:
    ScratchFolder m_scratch;
};

// The resources that setup carries (id -> bytes), as the build recorded them.
QByteArray CarriedResource(unsigned id);
// The ProductCode of the carried package, read with msitools (not with setup's own reader).
const QString& CarriedProductCode();

struct SetupRun
{
    bool finished = false;
    int exitCode = -1;
    QStringList output; // the driver's lines
    QString errors;     // its standard error (also passed on to the test's own)
};

// Runs the real setup program (a link of it in the machine's bin folder, beside the
// installer stand-in as "msiexec") with the driver plugin, in `locale`, with `arguments`;
// `asUser` runs it as that user id through setpriv.
class SetupRunner
{
public:
    explicit SetupRunner(const SetupMachine& machine);

    QProcessEnvironment& Environment() { return m_environment; }
    SetupRun Run(const QString& locale, std::optional<int> asUser = std::nullopt,
                 const QStringList& arguments = {});

    // The command and arguments that start setup (for tests that keep it running).
    std::pair<QString, QStringList> Command(std::optional<int> asUser) const;

private:
    const SetupMachine& m_machine;
    QProcessEnvironment m_environment;
};

// Decodes a setup log (UTF-16 little-endian with its byte-order mark).
QString DecodeLog(const QByteArray& bytes);
