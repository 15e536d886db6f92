#include "ExitRequest.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace {

std::atomic<bool> requested{false};
// Written by the signal handler, read by the event loop: the only things a
// handler may safely do are set a flag and write a byte.
int wakePipe[2] = {-1, -1};

void onExitSignal(int) {
    requested.store(true);
    if (wakePipe[1] >= 0) {
        const char byte = 'x';
        [[maybe_unused]] const ssize_t n = ::write(wakePipe[1], &byte, 1);
    }
}

} // namespace

void RequestExit() {
    requested.store(true);
}

bool ExitRequested() {
    return requested.load();
}

void ResetExitRequest() {
    requested.store(false);
}

void WatchExitSignals(std::function<void()> onSignal) {
    if (onSignal && QCoreApplication::instance() && wakePipe[0] < 0 &&
        ::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto* notifier =
            new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                         [callback = std::move(onSignal)] {
                             char buffer[16];
                             while (::read(wakePipe[0], buffer, sizeof buffer) > 0) {
                             }
                             callback();
                         });
    }
    struct sigaction action = {};
    action.sa_handler = onExitSignal;
    sigemptyset(&action.sa_mask);
    // Restarted system calls: a request in progress must finish, not fail.
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}
