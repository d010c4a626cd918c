#include "tools/demo/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <csignal>

#include "app/zelvane_app.h"

namespace {

// The handler may only do what is safe in a signal handler: write one byte. The byte wakes the
// user-interface thread, which ends the dialog there.
int g_signalPipe[2] = {-1, -1};

void OnTerminationSignal(int /*signal*/) {
    char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

void EndMainDialog() {
    char drained[16];
    while (::read(g_signalPipe[0], drained, sizeof drained) > 0) {
    }
    // A modal box above the main window (the about box) runs a loop of its own: end it first.
    QWidget* main = theApp.m_pMainWnd != nullptr
                        ? static_cast<QWidget*>(theApp.m_pMainWnd->ToolkitWindow())
                        : nullptr;
    while (QWidget* modal = QApplication::activeModalWidget()) {
        auto* box = qobject_cast<QDialog*>(modal);
        if (modal == main || box == nullptr) {
            break;
        }
        box->reject();
    }
    if (theApp.m_pMainWnd != nullptr) {
        theApp.m_pMainWnd->EndDialog(IDCANCEL);
    }
}

}  // namespace

void EndDialogOnTerminationSignals() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;  // the signals keep their default action: the demo just ends
    }
    auto* notifier =
        new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] { EndMainDialog(); });
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}
