// msiexec: installs, repairs and removes the viewer from its installer package for setup.
// Its 32-bit result (0, 1602, 1603, ...) goes back to setup through the launcher's pipe; the
// exit status holds its low 8 bits.
#include "installer/InstallerLog.h"
#include "installer/MsiexecCommand.h"
#include "installer/Session.h"
#include "installer/WindowUi.h"
#include "platform/Display.h"
#include "platform/MachineLock.h"
#include "platform/ProcessLauncher.h"

#include <QApplication>
#include <QCoreApplication>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using namespace installer;

// One installation at a time on the machine, as Windows Installer's own lock has it.
constexpr const char* kInstallLock = "_MSIExecute";

int Run(int argc, char** argv)
{
    auto parsed = MsiexecCommand::Parse(std::vector<std::string>(argv + 1, argv + argc));
    if (const std::string* problem = std::get_if<std::string>(&parsed)) {
        LogLine(*problem);
        return kResultInvalidCommandLine;
    }
    const MsiexecCommand& command = std::get<MsiexecCommand>(parsed);
    // Qt would abort without a display. Windows are not silently made a quiet run, which
    // would act without asking (or, in maintenance, do nothing).
    if (!command.quiet && !platform::HasDisplay(argc, argv)) {
        LogLine("no display for its windows: set DISPLAY (X11) or WAYLAND_DISPLAY (Wayland), "
                "or add /qn to run without windows");
        return kResultFailure;
    }
    platform::MachineLock lock;
    std::string failure;
    switch (lock.Acquire(kInstallLock, &failure)) {
    case platform::LockResult::Acquired:
        break;
    case platform::LockResult::HeldElsewhere:
        LogLine("another installation is running");
        return kResultAlreadyRunning;
    case platform::LockResult::Failed:
        LogLine("the installation lock cannot be taken: " + failure +
                (::geteuid() != 0 ? " (the installer must run as root)" : ""));
        return kResultFailure;
    }

    std::unique_ptr<QCoreApplication> application;
    std::unique_ptr<InstallerUi> ui;
    if (command.quiet) {
        application = std::make_unique<QCoreApplication>(argc, argv);
        ui = std::make_unique<QuietUi>();
    } else {
        application = std::make_unique<QApplication>(argc, argv);
        ui = std::make_unique<WindowUi>();
    }
    if (!command.productCode.empty()) {
        return RunMaintenance(command.productCode, command.request, *ui, command.quiet);
    }
    return RunInstall(command.package, command.transforms, command.request, *ui, command.quiet);
}

} // namespace

int main(int argc, char** argv)
{
    const int result = Run(argc, argv);
    platform::ReportProcessResult(static_cast<uint32_t>(result));
    return result & 0xFF;
}
