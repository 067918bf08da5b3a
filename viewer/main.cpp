#include "viewer/app/CPYRNApp.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_signalPipe[1], &byte, 1);
}

// A request to end (logout, Ctrl+C, kill) closes the main frame, so the normal shutdown runs
// and removes the temporary folders.
void EndOnSignals(QSocketNotifier*& notifier)
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char byte = 0;
        while (::read(g_signalPipe[0], &byte, 1) > 0) {
        }
        theApp.OnTerminateRequest();
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QSocketNotifier* notifier = nullptr;
    EndOnSignals(notifier);

    // Qt has taken its own options out of the arguments; the rest are the user's.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool started = theApp.InitInstance(arguments);
    if (started) {
        theApp.Run();
    }
    const int result = theApp.ExitInstance();
    delete notifier;
    return started ? result : 1;
}
