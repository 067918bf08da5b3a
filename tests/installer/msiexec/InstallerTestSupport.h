// What the installer program's suite adds to setup's scratch machine: runs of the real setup
// and of the real msiexec with the drivers of both, copies of the built package with edits,
// and what an installation left on the machine (files, registry values).
#pragma once

#include "platform/RegistryStore.h"
#include "tests/setup/SetupTestSupport.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>

inline const QString kGermanLanguageRow = QStringLiteral("4");

// The scratch machine's users besides root (ids that no real account needs): alice has no
// desktop folder yet; bob's user folders put his desktop at ~/Schreibtisch, which he has.
inline constexpr unsigned kAlice = 54321;
inline constexpr unsigned kBob = 54322;

// The built package and its transform files.
QString BuiltPackage();
QString BuiltTransform(int resource);

struct ProgramRun
{
    bool finished = false;
    int exitCode = -1;  // the exit status: the result's low 8 bits
    QStringList output; // the drivers' lines
    QString errors;     // the installer's own lines
};

class InstallerRunner
{
public:
    // Gives the machine the folders of a Debian system, a user database of its own with root,
    // alice and bob, and their homes. Screenshots of every window go to
    // build/<preset>/screenshots/msiexec/<screenshots>/.
    InstallerRunner(const SetupMachine& machine, const QString& screenshots);

    QProcessEnvironment& Environment() { return m_setup.Environment(); }

    // The real setup in `locale`; the maintenance window answered with `choice`.
    SetupRun Setup(const QString& locale, const QString& choice = QStringLiteral("cancel"));
    // The real msiexec with `arguments`, started in `folder`.
    ProgramRun Msiexec(const QStringList& arguments, const QString& folder);
    // The installed viewer, started in its own folder as its shortcuts start it.
    ProgramRun Viewer(const QString& folder);

private:
    ProgramRun Start(const QString& program, const QStringList& arguments, const QString& folder);

    const SetupMachine& m_machine;
    SetupRunner m_setup;
};

// A copy of the built package in the machine's "packages" folder, with msibuild's `queries`
// applied and, when given, its cabinet replaced.
QString EditedPackage(const SetupMachine& machine, const QString& name, const QStringList& queries,
                      const QString& cabinet = {});

// The machine's registry value; nothing when it is missing.
std::optional<platform::RegistryValue> RegistryValueOf(const SetupMachine& machine,
                                                       platform::RegistryHive hive,
                                                       const QString& key, const QString& name);
bool RegistryKeyExists(const SetupMachine& machine, const QString& key);

// The install folder of the viewer, and the names of the files in it.
QString InstallFolder(const SetupMachine& machine);
QStringList InstalledFiles(const SetupMachine& machine);

// The folders under the machine's root, each as its path below the root.
QStringList Folders(const SetupMachine& machine);
// The folders in the users' homes that are not their user's.
QStringList ForeignFoldersInHomes(const SetupMachine& machine);

// Every path under the machine's root that belongs to the product ("TARV", a product code, a
// registry key), and every key still in either registry hive: empty after a full removal.
QStringList ProductLeftovers(const SetupMachine& machine);
